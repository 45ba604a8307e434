#include "legacy/model30_form.h"
#include "i18n/messages.h"
#include "legacy/legacy_codes.h"
#include "legacy/legacy_fields.h"
#include "serial/serial_channel.h"
#include "ui/widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Model30;

namespace {
struct EventControl {
    int box;  // CheckBoxN
    int edit; // EditN
    const char* caption;
};

// Per event k: its box, its field and the caption. Events 16 and 17 have none.
const EventControl kEventControls[kEvents] = {
    {1, 2, "Bemenet1 riasztás"},
    {2, 3, "Bemenet2 riasztás"},
    {3, 4, "Bemenet3 riasztás"},
    {4, 5, "Bemenet4 riasztás"},
    {5, 6, "Bemenet5 riasztás"},
    {6, 7, "Bemenet6 riasztás"},
    {7, 8, "Bemenet7 riasztás"},
    {8, 9, "Bemenet8 riasztás"},
    {11, 12, "Bemenet1 visszaállás"},
    {12, 13, "Bemenet2 visszaállás"},
    {13, 14, "Bemenet3 visszaállás"},
    {14, 15, "Bemenet4 visszaállás"},
    {15, 16, "Bemenet5 visszaállás"},
    {16, 17, "Bemenet6 visszaállás"},
    {17, 18, "Bemenet7 visszaállás"},
    {18, 19, "Bemenet8 visszaállás"},
    {0, 0, nullptr},
    {0, 0, nullptr},
    {9, 10, "Tamper riasztás"},
    {19, 20, "Tamper visszaállás"},
    {10, 11, "Telefon v. riasztás"},
    {20, 21, "Telefon v. visszaállás"},
};
// Alarms on the left, their restores beside them.
const int kLeftColumn[] = {0, 1, 2, 3, 4, 5, 6, 7, 18, 20};
const int kRightColumn[] = {8, 9, 10, 11, 12, 13, 14, 15, 19, 21};
// The telephone-line events are always reported; their boxes only show it.
bool boxAlwaysDisabled(int k) {
    return k == 20 || k == 21;
}

const char* kFormatItems[kFormats] = {"Kikapcsolva", "DTMF Contact ID", "4/2 pulse 1400Hz",
                                      "4/2 pulse 2300Hz"};
} // namespace

Model30Form::Model30Form(SerialChannel& port, QWidget* parent)
    : QWidget(parent), port_(port), link_(BlockTransfer::AcceptRule::AnyValid, 256),
      image_(kImageSize, '\0') {
    setObjectName(QStringLiteral("Model30Form"));
    tell = [this](const QString& text) { showMessage(window(), text); };

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);

    auto* settings = new QGroupBox(QStringLiteral("Beállítások"), this);
    auto* form = new QFormLayout(settings);
    ComboBox1 = new QComboBox(settings);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems(
        {QStringLiteral("1 perces"), QStringLiteral("10 perces"), QStringLiteral("1 órás")});
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEnabled(false);
    form->addRow(QStringLiteral("&Életjel:"), ComboBox1);
    ComboBox2 = new QComboBox(settings);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    for (const char* item : kFormatItems)
        ComboBox2->addItem(QString::fromUtf8(item));
    ComboBox2->setCurrentIndex(0);
    form->addRow(QStringLiteral("&Vonalszimulátor:"), ComboBox2);

    auto* account = new QGroupBox(QStringLiteral("4 jegyű Ügyfélkód:"), settings);
    ugyfel = account;
    ugyfel->setObjectName(QStringLiteral("ugyfel"));
    ugyfel->setToolTip(QStringLiteral("Ha automatikus, akkor az atvitt kód lesz"));
    auto* accountRow = new QHBoxLayout(account);
    automaticButton_ = new QRadioButton(QStringLiteral("&Automatikus"), account);
    automaticButton_->setObjectName(QStringLiteral("Automatikus"));
    manualButton_ = new QRadioButton(QStringLiteral("&Kézi"), account);
    manualButton_->setObjectName(QStringLiteral("Kezi"));
    auto* group = new QButtonGroup(account);
    group->addButton(automaticButton_);
    group->addButton(manualButton_);
    automaticButton_->setChecked(true);
    Edit1 = new QLineEdit(account);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(kAccountLength);
    Edit1->setEnabled(false);
    Edit1->setMinimumWidth(Edit1->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMM")));
    auto* codeLabel = new QLabel(QStringLiteral("Kó&d:"), account);
    codeLabel->setBuddy(Edit1);
    accountRow->addWidget(automaticButton_);
    accountRow->addWidget(manualButton_);
    accountRow->addSpacing(12);
    accountRow->addWidget(codeLabel);
    accountRow->addWidget(Edit1);
    accountRow->addStretch(1);
    form->addRow(account);
    v->addWidget(settings);

    connect(automaticButton_, &QRadioButton::toggled, this, [this](bool automatic) {
        if (automatic)
            Edit1->clear();
        Edit1->setEnabled(!automatic);
    });
    LegacyFields::applyRule(Edit1, &LegacyCodes::accountFieldRule);

    auto* events = new QGroupBox(QStringLiteral("Események"), this);
    auto* grid = new QGridLayout(events);
    const int fieldWidth = QFontMetrics(font()).horizontalAdvance(QStringLiteral("FFFFFFFFFFFF"));
    auto place = [&](int k, int row, int column) {
        const EventControl& c = kEventControls[k];
        auto* box = new QCheckBox(QString::fromUtf8(c.caption), events);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(c.box));
        auto* field = new QLineEdit(QStringLiteral("FFFFFFFFFFF"), events);
        field->setObjectName(QStringLiteral("Edit%1").arg(c.edit));
        field->setMaxLength(kCodeLength);
        field->setMinimumWidth(fieldWidth);
        field->setAccessibleName(box->text());
        field->setEnabled(false);
        box->setEnabled(!boxAlwaysDisabled(k));
        connect(box, &QCheckBox::toggled, field, &QWidget::setEnabled);
        LegacyFields::applyRule(field, &LegacyCodes::eventFieldRule);
        grid->addWidget(box, row, column);
        grid->addWidget(field, row, column + 1);
        boxes_[k] = box;
        fields_[k] = field;
    };
    for (int row = 0; row < 10; ++row) {
        place(kLeftColumn[row], row, 0);
        place(kRightColumn[row], row, 2);
    }
    grid->setColumnMinimumWidth(2, 0);
    grid->setHorizontalSpacing(12);
    v->addWidget(events, 1);

    kijelzo = new QProgressBar(this);
    kijelzo->setObjectName(QStringLiteral("kijelzo"));
    kijelzo->hide();
    v->addWidget(kijelzo);
    auto* buttons = new QHBoxLayout;
    buttonRow_ = buttons;
    readButton_ = new QPushButton(QStringLiteral("&Olvasás"), this);
    readButton_->setObjectName(QStringLiteral("readButton"));
    sendButton_ = new QPushButton(QStringLiteral("&Elküldés"), this);
    sendButton_->setObjectName(QStringLiteral("sendButton"));
    buttons->addWidget(readButton_);
    buttons->addWidget(sendButton_);
    buttons->addStretch(1);
    v->addLayout(buttons);
    setTransferButtons(false);
    connect(readButton_, &QPushButton::clicked, this, &Model30Form::OlvasasClick);
    connect(sendButton_, &QPushButton::clicked, this, &Model30Form::ElkuldesClick);
}

void Model30Form::begin() {
    link_.LinkState = 0;
    setTransferButtons(true);
}

void Model30Form::setTransferButtons(bool on) {
    readButton_->setEnabled(on);
    sendButton_->setEnabled(on);
}

void Model30Form::startBlock(int state, int address, int count, int nextState) {
    link_.start(state, static_cast<uint16_t>(address), count, nextState);
    rx_.clear();
    emit transferStarted();
    // The start window asks at once; if its port is closed for the moment,
    // the next tick opens it and asks again.
    sendRequest();
}

void Model30Form::sendRequest() {
    if (!link_.busy())
        return;
    port_.write(link_.request().toByteArray());
    rx_.frameSent();
}

void Model30Form::tick() {
    if (link_.tick())
        sendRequest();
}

void Model30Form::receive(const QByteArray& bytes) {
    if (rx_.receive(bytes) != FrameAssembler::Result::Valid)
        return;
    // Outside a block (after a read or a send) a frame only renews the
    // hold-off: a stray reply must not decode over what has been typed since.
    const BlockTransfer::Step step = link_.onValidFrame(rx_.buffer());
    if (step == BlockTransfer::Step::Ignored)
        return;
    rx_.clear();
    kijelzo->setValue(kijelzo->value() + 1);
    if (step == BlockTransfer::Step::Next)
        sendRequest();
    else
        blockFinished();
}

void Model30Form::OlvasasClick() {
    setTransferButtons(false);
    kijelzo->setRange(0, kSettingsBlock + kCodesBlock);
    kijelzo->setValue(0);
    kijelzo->show();
    startBlock(BlockTransfer::kReading, kSettingsAddress, kSettingsBlock, kBetweenReadBlocks);
}

void Model30Form::ElkuldesClick() {
    // Without a read the form has nothing for the heartbeat and for events 16
    // and 17; sending would overwrite them with whatever the buffer holds.
    if (!readInThisRun_) {
        tell(QStringLiteral("Küldés előtt olvassa ki a modul beállításait az Olvasás gombbal!"));
        return;
    }
    pending_ = encode(formValues(), image_);
    link_.BlockBuffer.replace(0, kSettingsWritten,
                              pending_.mid(kSettingsAddress, kSettingsWritten));
    setTransferButtons(false);
    kijelzo->setRange(0, kSettingsWritten + kCodesWritten);
    kijelzo->setValue(0);
    kijelzo->show();
    startBlock(BlockTransfer::kWriting, kSettingsAddress, kSettingsWritten, kBetweenWriteBlocks);
}

void Model30Form::blockFinished() {
    switch (link_.LinkState) {
    case kBetweenReadBlocks:
        image_.replace(kSettingsAddress, kSettingsBlock, link_.BlockBuffer.left(kSettingsBlock));
        showSettings(decode(image_));
        startBlock(BlockTransfer::kReading, kCodesAddress, kCodesBlock, kRead);
        break;
    case kRead:
        image_.replace(kCodesAddress, kCodesBlock, link_.BlockBuffer.left(kCodesBlock));
        showCodes(decode(image_));
        readInThisRun_ = true;
        transferEnded();
        break;
    case kBetweenWriteBlocks:
        link_.BlockBuffer.replace(0, kCodesWritten, pending_.mid(kCodesAddress, kCodesWritten));
        startBlock(BlockTransfer::kWriting, kCodesAddress, kCodesWritten, kSent);
        break;
    case kSent:
        image_ = pending_;
        transferEnded();
        break;
    default:
        break;
    }
}

void Model30Form::transferEnded() {
    setTransferButtons(true);
    kijelzo->hide();
}

void Model30Form::showSettings(const Values& v) {
    // A period none of the items gives is named by an entry of its own,
    // which the next read takes away again.
    while (ComboBox1->count() > ModulePeriod)
        ComboBox1->removeItem(ModulePeriod);
    if (v.heartbeat == ModulePeriod)
        ComboBox1->addItem(message("legacy.module_heartbeat", 0).arg(v.storedHeartbeat));
    ComboBox1->setCurrentIndex(v.heartbeat.value_or(-1));
    ComboBox2->setCurrentIndex(v.format.value_or(-1));
    (v.automaticAccount ? automaticButton_ : manualButton_)->setChecked(true);
}

void Model30Form::showCodes(const Values& v) {
    Edit1->setText(v.account);
    for (int k = 0; k < kEvents; ++k) {
        if (!eventShown(k))
            continue;
        boxes_[k]->setChecked(v.on[k]);
        fields_[k]->setText(v.code[k]);
    }
}

Values Model30Form::formValues() const {
    Values v;
    if (ComboBox1->currentIndex() >= 0)
        v.heartbeat = ComboBox1->currentIndex();
    if (ComboBox2->currentIndex() >= 0)
        v.format = ComboBox2->currentIndex();
    v.automaticAccount = automaticButton_->isChecked();
    v.account = Edit1->text();
    for (int k = 0; k < kEvents; ++k) {
        if (!eventShown(k))
            continue;
        v.on[k] = boxes_[k]->isChecked();
        v.code[k] = fields_[k]->text();
    }
    return v;
}
