#include "workspace/pages/input_pages.h"

#include "image/field_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace {

QString n(const char* name, int number) {
    return QString::fromLatin1(name).arg(number);
}

// Captions of inputs 1..4 that the language pass names one by one.
struct InputLabels {
    const char* heading;
    const char* type;
    const char* text;
    const char* sms;
    const char* voice;
};
const std::array<InputLabels, 4> kInputLabels{{
    {"Label11", "Label13", "Label14", "Label10", "Label12"},
    {"Label31", "Label28", "Label15", "Label26", "Label27"},
    {"Label32", "Label29", "Label16", "Label19", "Label21"},
    {"Label33", "Label30", "Label17", "Label20", "Label22"},
}};

InputRecordNames inputNames(int input) {
    const InputLabels& l = kInputLabels[static_cast<size_t>(input - 1)];
    InputRecordNames names;
    names.type = n("ComboBox%1", input);
    names.inverted = n("CheckBox%1", input);
    names.sms = n("SMSst%1", input);
    names.voice = n("VOICEst%1", input);
    const char* bits[] = {"1", "3", "4", "5", "6", "7"};
    for (size_t i = 0; i < 6; ++i)
        names.options[i] = QStringLiteral("best%1%2").arg(input).arg(QLatin1String(bits[i]));
    names.text = input == 1 ? QStringLiteral("riasztas") : n("riasztas%1", input);
    names.typeLabel = QString::fromLatin1(l.type);
    names.textLabel = QString::fromLatin1(l.text);
    names.smsLabel = QString::fromLatin1(l.sms);
    names.voiceLabel = QString::fromLatin1(l.voice);
    // Model 80 has no input 4, yet its SMS list is a rule's target of its own.
    if (input == 4)
        names.smsBox = QStringLiteral("Input4SmsTargets");
    return names;
}

// Record names of a supervision page: the lists and the type list follow one
// number, the option boxes another prefix.
InputRecordNames supervisionNames(int number, const char* optionPrefix, const char* bits,
                                  const char* text, const char* typeLabel, const char* textLabel,
                                  const char* smsLabel, const char* voiceLabel) {
    InputRecordNames names;
    names.type = n("ComboBox%1", number);
    names.inverted = n("CheckBox%1", number);
    names.sms = n("SMSst%1", number);
    names.voice = n("VOICEst%1", number);
    // `bits` holds one character per option box: its digit in the box's name,
    // or '-' where the page has no such box.
    for (size_t i = 0; i < 6; ++i)
        if (bits[i] != '-')
            names.options[i] = QStringLiteral("%1%2%3")
                                   .arg(QLatin1String(optionPrefix))
                                   .arg(number)
                                   .arg(QLatin1Char(bits[i]));
    if (text)
        names.text = QString::fromLatin1(text);
    names.typeLabel = QString::fromLatin1(typeLabel);
    names.textLabel = QString::fromLatin1(textLabel);
    names.smsLabel = QString::fromLatin1(smsLabel);
    names.voiceLabel = QString::fromLatin1(voiceLabel);
    return names;
}

// The note that model 71 shows on the pages whose hardware needs the expansion module.
QLabel* expansionNote(QWidget* parent) {
    auto* note = new QLabel(QStringLiteral("Bővítőmodullal használható"), parent);
    note->setObjectName(QStringLiteral("ExpansionModuleNotes"));
    QFont f = note->font();
    f.setItalic(true);
    note->setFont(f);
    note->hide();
    return note;
}

} // namespace

QSpinBox* rangeSpin(const QString& objectName, const ValueRange& range, QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(objectName);
    spin->setRange(range.min, range.max);
    spin->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return spin;
}

// ---------------------------------------------------------------- Be1..Be4

InputPage::InputPage(QWidget* sheet, int input) : ConfigPage(sheet), index_(input - 1) {
    QLabel* heading = headingLabel(QString::fromLatin1(kInputLabels[size_t(index_)].heading),
                                   QStringLiteral("%1-es Bemenet beállításai").arg(input), sheet);
    record_ = new InputRecordControls(inputNames(input), sheet);
    record_->layOut(sheet, heading);
    fields_.emplace(sheet);
}

void InputPage::read(ImageValues& v) const {
    fields_->read(v);
}

void InputPage::fill(const ImageValues& v) {
    fields_->fill(v);
    record_->fillRules(v.inputs[size_t(index_)]);
}

void InputPage::fillPhoneLists(const PhoneTexts& phones, int modelCode) {
    record_->fillLists(phones, modelCode == 80 && index_ < 2);
}

QList<QLineEdit*> InputPage::smsTexts() const {
    return {record_->text};
}

// ---------------------------------------------------------------- Supervision pages

void SupervisionPage::build(const Layout& layout, const InputRecordControls::PageRows& pageRows) {
    QWidget* page = sheet();
    QLabel* heading = layout.headingName.isEmpty()
                          ? nullptr
                          : headingLabel(layout.headingName, layout.heading, page);
    record_ = new InputRecordControls(layout.names, page, pageRows);
    grid_ = record_->layOut(page, heading);
    blankFiveToEight_ = layout.blankFiveToEight;
    fields_.emplace(page);
}

void SupervisionPage::read(ImageValues& v) const {
    fields_->read(v);
    readOwn(v);
}

void SupervisionPage::fill(const ImageValues& v) {
    fields_->fill(v);
    record_->fillRules(recordOf(const_cast<ImageValues&>(v)));
    fillOwn(v);
}

void SupervisionPage::fillPhoneLists(const PhoneTexts& phones, int modelCode) {
    record_->fillLists(phones, blankFiveToEight_ && modelCode == 80);
}

QList<QLineEdit*> SupervisionPage::smsTexts() const {
    return record_->text ? QList<QLineEdit*>{record_->text} : QList<QLineEdit*>{};
}

TamperPage::TamperPage(QWidget* sheet) : SupervisionPage(sheet) {
    build({supervisionNames(9, "best", "13-567", "riasztas9", "Label41", "Label40", "Label38",
                            "Label43"),
           QStringLiteral("Label42"), QStringLiteral("Tamper beállításai"), true});
}

PowerPage::PowerPage(QWidget* sheet) : SupervisionPage(sheet) {
    build({supervisionNames(10, "best", "13-567", "riasztas10", "Label46", "Label48", "Label44",
                            "Label45"),
           QStringLiteral("Label47"), QStringLiteral("Tápmonitor beállításai")},
          [this](QFormLayout* form, QWidget* group) {
              ComboBox20 = new QComboBox(group);
              ComboBox20->setObjectName(QStringLiteral("ComboBox20"));
              ComboBox20->addItems(FieldTable::itemTexts(FieldTable::alarmVoltages()));
              voltageLabel_ =
                  buddyLabel(QStringLiteral("voltageLabel"),
                             QStringLiteral("Riasztási feszültség érték:"), ComboBox20, group);
              form->addRow(voltageLabel_, ComboBox20);
          });
    // The voltage list shares the power page's type-rule handler.
    connect(ComboBox20, &QComboBox::currentIndexChanged, &record(),
            &InputRecordControls::applyTypeRule);
    fill(defaultImageValues()); // the field table's defaults
}

void PowerPage::readOwn(ImageValues& v) const {
    // No selection stores "11V".
    if (!v.power.alarmVoltage)
        v.power.alarmVoltage = kDefaultPowerAlarmVoltage;
}

TemperaturePage::TemperaturePage(QWidget* sheet) : SupervisionPage(sheet) {
    build({supervisionNames(13, "best", "1-----", nullptr, "Label67", "", "Label65", "Label66"),
           QStringLiteral("Label68"), QStringLiteral("Temp beállításai")},
          [this](QFormLayout* form, QWidget* group) {
              hkompmax = new QCheckBox(QStringLiteral("Max hőmérséklet"), group);
              hkompmax->setObjectName(QStringLiteral("hkompmax"));
              SpinEdit6 = rangeSpin(QStringLiteral("SpinEdit6"), kTemperatureRange, group);
              SpinEdit6->setAccessibleName(hkompmax->text());
              form->addRow(hkompmax, SpinEdit6);
              hkompmin = new QCheckBox(QStringLiteral("Min hőmérséklet"), group);
              hkompmin->setObjectName(QStringLiteral("hkompmin"));
              SpinEdit7 = rangeSpin(QStringLiteral("SpinEdit7"), kTemperatureRange, group);
              SpinEdit7->setAccessibleName(hkompmin->text());
              form->addRow(hkompmin, SpinEdit7);
              // The module sends these two; the configurator does not store them.
              riasztas13 = moduleTextEdit(QStringLiteral("riasztas13"), kSmsTextSize, group);
              riasztas13->setText(QStringLiteral("Homerseklet riasztas max"));
              form->addRow(buddyLabel(QStringLiteral("Label69"),
                                      QStringLiteral("Max hőmérséklet szöveg"), riasztas13, group),
                           riasztas13);
              riasztas13b = moduleTextEdit(QStringLiteral("riasztas13b"), kSmsTextSize, group);
              riasztas13b->setText(QStringLiteral("Homerseklet riasztas min"));
              form->addRow(buddyLabel(QStringLiteral("Label70"),
                                      QStringLiteral("Min hőmérséklet szöveg:"), riasztas13b,
                                      group),
                           riasztas13b);
          });
    grid()->addWidget(expansionNote(sheet), grid()->rowCount(), 0, 1, 2);
    connect(record().typeList, &QComboBox::currentIndexChanged, this,
            &TemperaturePage::applyTemperatureRule);
    connect(hkompmax, &QCheckBox::toggled, this, &TemperaturePage::applyTemperatureRule);
    connect(hkompmin, &QCheckBox::toggled, this, &TemperaturePage::applyTemperatureRule);
    applyTemperatureRule();
    fill(defaultImageValues()); // the field table's defaults
}

void TemperaturePage::applyTemperatureRule() {
    const bool used = record().typeList->currentIndex() != 0;
    hkompmax->setEnabled(used);
    hkompmin->setEnabled(used);
    SpinEdit6->setEnabled(used && hkompmax->isChecked());
    SpinEdit7->setEnabled(used && hkompmin->isChecked());
}

QList<QLineEdit*> TemperaturePage::smsTexts() const {
    return {riasztas13, riasztas13b};
}

void TemperaturePage::fillOwn(const ImageValues&) {
    // With type 0 the limits stay greyed but keep showing what the module
    // holds, so choosing a type later shows the stored limits, not zeros.
    applyTemperatureRule();
}

SpeedPage::SpeedPage(QWidget* sheet) : SupervisionPage(sheet) {
    build({supervisionNames(5, "BEst", "1-----", "riasztas5", "Label71", "Label74", "Label72",
                            "Label73"),
           QString(), QString()},
          [this](QFormLayout* form, QWidget* group) {
              SpinEdit8 = rangeSpin(QStringLiteral("SpinEdit8"), kSpeedLimitRange, group);
              auto* row = new QHBoxLayout;
              row->addWidget(SpinEdit8);
              auto* unit = new QLabel(QStringLiteral("km/h"), group);
              unit->setObjectName(QStringLiteral("speedUnitLabel"));
              row->addWidget(unit);
              row->addStretch(1);
              form->addRow(buddyLabel(QStringLiteral("speedLimitLabel"),
                                      QStringLiteral("Sebesség:"), SpinEdit8, group),
                           row);
          });
    fill(defaultImageValues()); // the field table's defaults
}

LiftPage::LiftPage(QWidget* sheet) : SupervisionPage(sheet) {
    build({supervisionNames(6, "BEst", "1-----", "riasztas6", "liftTypeLabel", "liftTextLabel",
                            "liftSmsLabel", "liftVoiceLabel"),
           QString(), QString()},
          [this](QFormLayout* form, QWidget* group) {
              SpinEdit9 = rangeSpin(QStringLiteral("SpinEdit9"), kLiftSettingRange, group);
              form->addRow(buddyLabel(QStringLiteral("liftSettingLabel"), QStringLiteral("Emelés:"),
                                      SpinEdit9, group),
                           SpinEdit9);
          });
    fill(defaultImageValues()); // the field table's defaults
}
