#include "workspace/pages/settings_pages.h"

#include "image/field_table.h"
#include "workspace/pages/input_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
QCheckBox* checkBox(const char* name, const char* caption, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// A spin followed by the caption that completes it ("7 naponként").
void spinWithCaption(QGridLayout* grid, int row, QSpinBox* spin, const char* labelName,
                     const char* caption, QWidget* parent) {
    grid->addWidget(spin, row, 0);
    grid->addWidget(
        buddyLabel(QString::fromLatin1(labelName), QString::fromUtf8(caption), spin, parent), row,
        1);
}
} // namespace

// ---------------------------------------------------------------- Életjel

LifeSignalPage::LifeSignalPage(QWidget* sheet) : ConfigPage(sheet) {
    auto* grid = new QGridLayout(sheet);

    QGroupBox* timing = plainGroup(sheet);
    auto* timingGrid = new QGridLayout(timing);
    CheckBox11 = checkBox("CheckBox11", "Életjel küldés", timing);
    timingGrid->addWidget(CheckBox11, 0, 0, 1, 2);
    SpinEdit1 = rangeSpin(QStringLiteral("SpinEdit1"), kLifeSignalDaysRange, timing);
    spinWithCaption(timingGrid, 1, SpinEdit1, "Label49", "naponként", timing);
    SpinEdit2 = rangeSpin(QStringLiteral("SpinEdit2"), kClockHourRange, timing);
    spinWithCaption(timingGrid, 2, SpinEdit2, "Label50", "órakor küldés", timing);
    SpinEdit3 = rangeSpin(QStringLiteral("SpinEdit3"), kFirstLifeSignalRange, timing);
    spinWithCaption(timingGrid, 3, SpinEdit3, "Label51", "nap múlva az első", timing);
    timingGrid->setColumnStretch(1, 1);

    QGroupBox* textBox = plainGroup(sheet);
    auto* textForm = new QFormLayout(textBox);
    riasztas11 = moduleTextEdit(QStringLiteral("riasztas11"), kSmsTextSize, textBox);
    riasztas11->setMinimumWidth(riasztas11->fontMetrics().horizontalAdvance(QString(34, u'x')));
    textForm->addRow(
        buddyLabel(QStringLiteral("Label53"), QStringLiteral("SMS szöveg:"), riasztas11, textBox),
        riasztas11);
    Button16 = new QPushButton(QStringLiteral("Életjel teszt küldés!"), textBox);
    Button16->setObjectName(QStringLiteral("Button16"));
    Button16->hide(); // modules from version 3.5 on take the test request
    textForm->setWidget(textForm->rowCount(), QFormLayout::FieldRole, Button16);

    QGroupBox* listBox = plainGroup(sheet);
    auto* listColumn = new QVBoxLayout(listBox);
    SMSst11 = new TargetCheckList(QStringLiteral("SMSst11"), listBox);
    QLabel* listLabel = buddyLabel(
        QStringLiteral("Label52"),
        QStringLiteral("Jelölje ki mely számokra kíván életjelet küldeni"), SMSst11, listBox);
    listLabel->setWordWrap(true);
    listColumn->addWidget(listLabel);
    listColumn->addWidget(SMSst11);

    grid->addWidget(timing, 0, 0, Qt::AlignTop);
    grid->addWidget(listBox, 0, 1, 2, 1, Qt::AlignTop);
    grid->addWidget(textBox, 1, 0, Qt::AlignTop);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(2, 1);

    connect(CheckBox11, &QCheckBox::toggled, this, &LifeSignalPage::applyLifeSignalRule);
    applyLifeSignalRule();
    fields_.emplace(sheet);
    fill(defaultImageValues()); // the field table's defaults
}

void LifeSignalPage::applyLifeSignalRule() {
    const bool on = CheckBox11->isChecked();
    SpinEdit1->setEnabled(on);
    SpinEdit2->setEnabled(on);
    SpinEdit3->setEnabled(on);
}

void LifeSignalPage::read(ImageValues& v) const {
    // Decode never reads byte 73 (the module counts it down), so SpinEdit3
    // only counts once the installer sets it.
    fields_->read(v);
}

void LifeSignalPage::fill(const ImageValues& v) {
    fields_->fill(v);
    applyLifeSignalRule();
}

void LifeSignalPage::fillPhoneLists(const PhoneTexts& phones, int modelCode) {
    fillTargetList(SMSst11, phones, modelCode == 80);
}

QList<QLineEdit*> LifeSignalPage::smsTexts() const {
    return {riasztas11};
}

// ---------------------------------------------------------------- Egyéb

OtherPage::OtherPage(QWidget* sheet) : ConfigPage(sheet) {
    auto* grid = grid_ = new QGridLayout(sheet);

    // Left column: SMS handling.
    QGroupBox* sms = plainGroup(sheet);
    auto* smsForm = new QFormLayout(sms);
    Edit1 = new QLineEdit(QStringLiteral("1234"), sms);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(4);
    // The module compares the code as typed in an SMS: printable ASCII only.
    Edit1->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x20-\\x7E]{0,4}")), Edit1));
    Edit1->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    Edit1->setMinimumWidth(Edit1->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMM")));
    smsForm->addRow(
        buddyLabel(QStringLiteral("Label56"), QStringLiteral("SMS biztonsági kód:"), Edit1, sms),
        Edit1);
    CheckEgyeb2 = checkBox("CheckEgyeb2", "SMS átírányítás", sms);
    ComboBox11 = new QComboBox(sms);
    ComboBox11->setObjectName(QStringLiteral("ComboBox11"));
    for (int i = 1; i <= 8; ++i)
        ComboBox11->addItem(QStringLiteral("Phone%1").arg(i));
    ComboBox11->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ComboBox11->setMinimumContentsLength(16);
    ComboBox11->setAccessibleName(CheckEgyeb2->text());
    smsForm->addRow(CheckEgyeb2, ComboBox11);
    Edit12 = moduleTextEdit(QStringLiteral("Edit12"), kSmsHeaderLength, sms);
    Edit12->setToolTip(QStringLiteral(
        "Küldendő SMS eleje, ide érdemes beírni a helység nevét (pl. Kovács lakás)"));
    Edit12->setMinimumWidth(Edit12->fontMetrics().horizontalAdvance(QString(40, u'x')));
    Label181 = new QLabel(QString::number(kSmsHeaderLength), sms);
    Label181->setObjectName(QStringLiteral("Label181"));
    Label181->setMinimumWidth(Label181->fontMetrics().horizontalAdvance(QStringLiteral("000")));
    auto* headerRow = new QHBoxLayout;
    headerRow->addWidget(Edit12, 1);
    headerRow->addWidget(Label181);
    smsForm->addRow(
        buddyLabel(QStringLiteral("smsHeaderLabel"), QStringLiteral("SMS fejléc:"), Edit12, sms),
        headerRow);

    // Calling and the inputs; ModelCode 100 greys this group.
    auto* ring = new QGroupBox(sheet);
    ring->setObjectName(QStringLiteral("RingOptionsGroup"));
    auto* ringForm = new QFormLayout(ring);
    CheckEgyeb1 = checkBox("CheckEgyeb1", "Körhívás funció (mindekinek nyugtázni kell!)", ring);
    ringForm->addRow(CheckEgyeb1);
    SpinEdit4 = rangeSpin(QStringLiteral("SpinEdit4"), kRingRange, ring);
    ringForm->addRow(buddyLabel(QStringLiteral("Label54"), QStringLiteral("Csöngetési idő [sec]:"),
                                SpinEdit4, ring),
                     SpinEdit4);
    SpinEdit5 = rangeSpin(QStringLiteral("SpinEdit5"), kRedialRange, ring);
    ringForm->addRow(buddyLabel(QStringLiteral("Label55"),
                                QStringLiteral("Max hivásismétlések száma"), SpinEdit5, ring),
                     SpinEdit5);
    ComboBox12 = new QComboBox(ring);
    ComboBox12->setObjectName(QStringLiteral("ComboBox12"));
    ComboBox12->addItems(FieldTable::itemTexts(FieldTable::inputFilters()));
    ringForm->addRow(buddyLabel(QStringLiteral("Label57"),
                                QStringLiteral("Digitális bemenet szűrő/érzékenység"), ComboBox12,
                                ring),
                     ComboBox12);
    Edit8 = moduleTextEdit(QStringLiteral("Edit8"), kSmsTextSize, ring);
    Edit8->setMinimumWidth(Edit8->fontMetrics().horizontalAdvance(QString(34, u'x')));
    ringForm->addRow(buddyLabel(QStringLiteral("Label64"),
                                QStringLiteral("Bemenet visszaállás SMS szöveg:"), Edit8, ring),
                     Edit8);

    // Module features that come with later software versions.
    features_ = plainGroup(sheet);
    features_->setObjectName(QStringLiteral("featureBoxes"));
    QGroupBox* features = features_;
    auto* featureColumn = new QVBoxLayout(features);
    CheckEgyeb3 = checkBox("CheckEgyeb3", "LED-ek kikapcsolása csukot fedőnél", features);
    featureColumn->addWidget(CheckEgyeb3);
    auto* moduleOnly = new QWidget(features);
    moduleOnly->setObjectName(QStringLiteral("ModuleOnlyOptions"));
    auto* moduleOnlyColumn = new QVBoxLayout(moduleOnly);
    moduleOnlyColumn->setContentsMargins(0, 0, 0, 0);
    CheckEgyeb4 = checkBox("CheckEgyeb4", "Kimenet mentése memóriába", moduleOnly);
    CheckEgyeb5 = checkBox("CheckEgyeb5", "Hívószámazonosításkor élesít/hatástalanít", moduleOnly);
    CheckEgyeb6 = checkBox("CheckEgyeb6", "Mikrofon üzemmód bekapcsolva", moduleOnly);
    for (QCheckBox* b : {CheckEgyeb4, CheckEgyeb5, CheckEgyeb6})
        moduleOnlyColumn->addWidget(b);
    featureColumn->addWidget(moduleOnly);
    // Shown by the version rules once the module's version is known.
    for (QCheckBox* b : {CheckEgyeb3, CheckEgyeb4, CheckEgyeb5, CheckEgyeb6})
        b->hide();

    grid->addWidget(sms, 0, 0, 1, 2);
    grid->addWidget(ring, 1, 0, Qt::AlignTop);
    grid->addWidget(features, 1, 1, Qt::AlignTop);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(2, 1);

    connect(CheckEgyeb2, &QCheckBox::toggled, this, &OtherPage::applyRedirectionRule);
    connect(Edit12, &QLineEdit::textChanged, this, &OtherPage::showHeaderRoom);
    applyRedirectionRule();
    showFeatures();
    fields_.emplace(sheet);
    fill(defaultImageValues()); // the field table's defaults
}

QGroupBox* OtherPage::addGainGroup() {
    auto* group = new QGroupBox(sheet());
    grid_->addWidget(group, 2, 0, Qt::AlignTop);
    return group;
}

void OtherPage::setHeaderLength(int length) {
    Edit12->setMaxLength(length);
    showHeaderRoom();
}

void OtherPage::setHeaderReachable(bool reachable) {
    Edit12->setEnabled(reachable);
}

void OtherPage::showHeaderRoom() {
    Label181->setText(QString::number(Edit12->maxLength() - Edit12->text().size()));
}

void OtherPage::showFeatures() {
    bool any = false;
    for (QCheckBox* b : {CheckEgyeb3, CheckEgyeb4, CheckEgyeb5, CheckEgyeb6})
        any = any || b->isVisibleTo(features_);
    features_->setVisible(any);
}

void OtherPage::applyRedirectionRule() {
    ComboBox11->setEnabled(CheckEgyeb2->isChecked());
}

QString OtherPage::securityCode() const {
    return Edit1->text();
}

void OtherPage::read(ImageValues& v) const {
    fields_->read(v);
    // No selection stores "Normál".
    if (!v.other.inputFilter)
        v.other.inputFilter = kDefaultInputFilter;
}

void OtherPage::fill(const ImageValues& v) {
    fields_->fill(v);
    const OtherPageValues& o = v.other;
    if (!o.smsRedirectionTarget && o.smsRedirection && *o.smsRedirection)
        ComboBox11->setCurrentIndex(-1); // a stored target the list does not have
    applyRedirectionRule();
}

void OtherPage::fillPhoneLists(const PhoneTexts& phones, int) {
    // The same texts as the check lists, but nothing is greyed here.
    for (int i = 0; i < 8; ++i) {
        const QString& text = phones[size_t(i)];
        ComboBox11->setItemText(i, phoneSlotFilled(text) ? text
                                                         : QStringLiteral("Phone%1").arg(i + 1));
    }
}

QList<QLineEdit*> OtherPage::smsTexts() const {
    return {Edit8};
}

// ---------------------------------------------------------------- GPS

GpsPage::GpsPage(QWidget* sheet) : ConfigPage(sheet) {
    auto* column = new QVBoxLayout(sheet);
    QGroupBox* box = plainGroup(sheet);
    auto* boxColumn = new QVBoxLayout(box);
    GPSbit0 = checkBox("GPSbit0", "GPS vevő használata", box);
    GPSbit1 = checkBox("GPSbit1", "NMEA GPS kódok küldése", box);
    boxColumn->addWidget(GPSbit0);
    boxColumn->addWidget(GPSbit1);
    auto* row = new QHBoxLayout;
    row->addWidget(box);
    row->addStretch(1);
    column->addLayout(row);
    column->addStretch(1);
    fields_.emplace(sheet);
    fill(defaultImageValues()); // the field table's defaults
}

void GpsPage::read(ImageValues& v) const {
    fields_->read(v);
}

void GpsPage::fill(const ImageValues& v) {
    fields_->fill(v);
}
