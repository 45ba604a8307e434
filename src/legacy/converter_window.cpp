#include "legacy/converter_window.h"
#include "legacy/legacy_codes.h"
#include "legacy/legacy_fields.h"
#include "serial/memory_frame.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Converter;

namespace {
struct EventControl {
    int number; // CheckBoxN and EditN
    const char* caption;
};
const EventControl kEventControls[3] = {
    {1, "Modul leszakadás"}, {2, "szerver leszakadás"}, {12, "szerver visszaállás"}};

struct OneShot {
    int state;
    uint16_t address;
    uint8_t command;
};
// Restart, TELNET mode, GSM route mode: each sent once, no reply awaited.
const OneShot kOneShots[] = {
    {TForm5::kRestart, 0x00AA, 0xFF},
    {TForm5::kTelnet, 0x00BB, 0xFE},
    {TForm5::kGsmRoute, 0x00BB, 0xFD},
};

QComboBox* list(QWidget* parent, const char* name, std::initializer_list<const char*> items) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    for (const char* item : items)
        c->addItem(QString::fromUtf8(item));
    c->setCurrentIndex(0);
    return c;
}
} // namespace

TForm5::TForm5(AppContext& ctx, std::function<bool()> discoveryPortReleased, QWidget* parent)
    : LegacyDeviceWindow(ctx, std::move(discoveryPortReleased), QStringLiteral("TForm5"),
                         QStringLiteral("Konverter"), BlockTransfer::AcceptRule::EchoWrittenData,
                         9600, parent),
      image_(kReadSize, '\0') {
    auto* v = new QVBoxLayout(this);

    auto* menu = new QMenuBar(this);
    QMenu* help = menu->addMenu(QStringLiteral("Help"));
    QAction* guide = help->addAction(QStringLiteral("Leirás"));
    guide->setObjectName(QStringLiteral("Leiras"));
    connect(guide, &QAction::triggered, this, &TForm5::helpRequested);
    QMenu* extra = menu->addMenu(QStringLiteral("Extra"));
    QAction* telnet = extra->addAction(QStringLiteral("Telnet mode"));
    telnet->setObjectName(QStringLiteral("TelnetMode"));
    connect(telnet, &QAction::triggered, this, &TForm5::telnetClick);
    QAction* route = extra->addAction(QStringLiteral("GSM Route"));
    route->setObjectName(QStringLiteral("GsmRoute"));
    connect(route, &QAction::triggered, this, &TForm5::gsmRouteClick);
    QAction* version = extra->addAction(QStringLiteral("Verzió"));
    version->setObjectName(QStringLiteral("Verzio"));
    connect(version, &QAction::triggered, this, &TForm5::versionClick);
    v->setMenuBar(menu);

    auto* header = new QHBoxLayout;
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    QFont bold = Label3->font();
    bold.setBold(true);
    Label3->setFont(bold);
    Label6 = new QLabel(this);
    Label6->setObjectName(QStringLiteral("Label6"));
    header->addWidget(Label3);
    header->addStretch(1);
    header->addWidget(Label6);
    v->addLayout(header);

    auto* events = new QGroupBox(QStringLiteral("Rendszerüzenetek"), this);
    auto* grid = new QGridLayout(events);
    const int fieldWidth = fontMetrics().horizontalAdvance(QStringLiteral("FFFFFFFFFFFF"));
    for (int i = 0; i < 3; ++i) {
        const EventControl& c = kEventControls[i];
        auto* box = new QCheckBox(QString::fromUtf8(c.caption), events);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(c.number));
        auto* field = new QLineEdit(events);
        field->setObjectName(QStringLiteral("Edit%1").arg(c.number));
        field->setMaxLength(kCodeLength);
        field->setMinimumWidth(fieldWidth);
        field->setAccessibleName(box->text());
        field->setEnabled(false);
        connect(box, &QCheckBox::toggled, field, &QWidget::setEnabled);
        LegacyFields::applyRule(field, &LegacyCodes::eventFieldRule);
        grid->addWidget(box, i, 0);
        grid->addWidget(field, i, 1);
        boxes_[i] = box;
        fields_[i] = field;
    }
    grid->setColumnStretch(2, 1);
    v->addWidget(events);

    auto* settings = new QGroupBox(QStringLiteral("Beállítások"), this);
    auto* form = new QFormLayout(settings);
    Edit10 = new QLineEdit(settings);
    Edit10->setObjectName(QStringLiteral("Edit10"));
    Edit10->setMaxLength(kAccountLength);
    Edit10->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMM")));
    LegacyFields::applyRule(Edit10, &LegacyCodes::accountFieldRule);
    connect(Edit10, &QLineEdit::textChanged, this, [this] { markAccount(false); });
    form->addRow(QStringLiteral("Rendszerüzenetek ü&gyfélazonositó:"), Edit10);
    ComboBox2 = list(settings, "ComboBox2",
                     {"Nincs használva", "ContactID konvertálatlan", "ContactID_Enigma"});
    form->addRow(QStringLiteral("&Külső kommunikáció:"), ComboBox2);
    ComboBox1 = list(settings, "ComboBox1",
                     {"Nem használt", "GPRS külső porton", "GPRS külső porton, LAN tiltva"});
    form->addRow(QStringLiteral("&Tartalék ág:"), ComboBox1);
    ComboBox3 = list(settings, "ComboBox3", {"Nem használva", "Bekapcsolva"});
    form->addRow(QStringLiteral("&Vonalszimulátor:"), ComboBox3);
    SpinEdit1 = new QSpinBox(settings);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(kSensitivityMin, kSensitivityMax);
    SpinEdit1->setValue(kSensitivityReset);
    auto* reset = new QPushButton(QStringLiteral("Reset"), settings);
    reset->setObjectName(QStringLiteral("ResetButton"));
    connect(reset, &QPushButton::clicked, this, [this] { SpinEdit1->setValue(kSensitivityReset); });
    auto* sensitivityRow = new QHBoxLayout;
    sensitivityRow->addWidget(SpinEdit1);
    sensitivityRow->addWidget(reset);
    sensitivityRow->addStretch(1);
    auto* sensitivityLabel = new QLabel(QStringLiteral("&Handshake jelérzékenység:"), settings);
    sensitivityLabel->setBuddy(SpinEdit1);
    form->addRow(sensitivityLabel, sensitivityRow);
    Edit3 = new QLineEdit(settings);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setMinimumWidth(fontMetrics().horizontalAdvance(QString(kApnChars, QLatin1Char('m'))));
    form->addRow(QStringLiteral("GPRS &APN kapcsolodási név:"), Edit3);
    v->addWidget(settings);

    auto* restart = new QPushButton(QStringLiteral("újrainditás"), this);
    restart->setObjectName(QStringLiteral("restartButton"));
    connect(restart, &QPushButton::clicked, this, &TForm5::restartClick);
    addTransferRow(v, {restart});
    v->addStretch(1);
    setTransferButtons(false);
}

void TForm5::setLabel3(const QString& text) {
    Label3->setText(text);
}

void TForm5::markAccount(bool bad) {
    QPalette p = Edit10->palette();
    p.setColor(QPalette::Base, bad ? QColor(Qt::red) : QColor(Qt::white));
    Edit10->setPalette(p);
}

void TForm5::versionReceived() {
    setTransferButtons(true);
}

void TForm5::tick() {
    for (const OneShot& c : kOneShots) {
        if (link_.LinkState != c.state)
            continue;
        if (link_.HoldOff > 0) {
            --link_.HoldOff;
            return;
        }
        writeFrame(MemoryFrame::build(c.address, c.command).toByteArray());
        link_.LinkState = afterCommand_;
        afterCommand_ = 0;
        return;
    }
    LegacyDeviceWindow::tick();
}

void TForm5::command(const char* question, int state) {
    if (!askYesNo(QString::fromUtf8(question)))
        return;
    // The command replaces what was pending. A version read comes back after
    // it, or the transfer buttons would never come on; a block transfer ends.
    afterCommand_ = link_.LinkState == kVersionRead ? kVersionRead : 0;
    if (link_.busy())
        transferEnded();
    link_.LinkState = state;
    wakeSendTimer();
}

void TForm5::restartClick() {
    command("Biztosan újra akarja inditani az átalakitót?", kRestart);
}

void TForm5::telnetClick() {
    command("Biztosan leállitja az átalakitót és belép TELNET módba?", kTelnet);
}

void TForm5::gsmRouteClick() {
    command("Biztosan leállitja az átalakitót és belép GSM ROUTE módba?", kGsmRoute);
}

void TForm5::versionClick() {
    tell(QStringLiteral("Verzió: 1.0"));
}

void TForm5::OlvasasClick() {
    reading_ = true;
    startBlock(BlockTransfer::kReading, 0, kReadSize, 0);
    transferStarted(kReadSize);
}

void TForm5::ElkuldesClick() {
    // The bytes the form does not show go back as the buffer holds them:
    // without a read they would be zeros.
    if (!readInThisRun_) {
        tell(QStringLiteral("Küldés előtt olvassa ki a konverter beállításait az Olvasás "
                            "gombbal!"));
        return;
    }
    if (Edit10->text().size() != kAccountLength) {
        tell(QStringLiteral("Rendszerüzenetek ügyfélazonositó kitoltése kötelező"));
        markAccount(true);
        return;
    }
    const Values values = formValues();
    if (values.apn != decode(image_).apn) {
        if (values.apn.size() > kApnChars) {
            tell(
                QStringLiteral("Túl hosszú APN név: legfeljebb %1 karakter lehet.").arg(kApnChars));
            return;
        }
        if (!LegacyCodes::printableAscii(values.apn, kApnEnd)) {
            tell(QStringLiteral("Az APN név csak ékezet nélküli betűket, számokat és írásjeleket "
                                "tartalmazhat."));
            return;
        }
    }
    pending_ = encode(values, image_);
    link_.BlockBuffer.replace(0, kWriteSize, pending_.left(kWriteSize));
    reading_ = false;
    startBlock(BlockTransfer::kWriting, 0, kWriteSize, kWritten);
    transferStarted(kWriteSize);
}

void TForm5::blockFinished() {
    if (reading_) {
        image_ = link_.BlockBuffer.left(kReadSize);
        showValues(decode(image_));
        readInThisRun_ = true;
    } else {
        image_.replace(0, kWriteSize, pending_.left(kWriteSize));
    }
    transferEnded();
}

void TForm5::showValues(const Values& v) {
    ComboBox2->setCurrentIndex(v.lists[0].value_or(-1));
    ComboBox1->setCurrentIndex(v.lists[1].value_or(-1));
    ComboBox3->setCurrentIndex(v.lists[2].value_or(-1));
    Edit3->setText(v.apn);
    for (int i = 0; i < 3; ++i) {
        boxes_[i]->setChecked(v.on[i]);
        fields_[i]->setText(v.code[i]);
    }
    Edit10->setText(v.account);
    SpinEdit1->setValue(v.sensitivity);
}

Values TForm5::formValues() const {
    Values v;
    for (int i = 0; i < 3; ++i) {
        v.on[i] = boxes_[i]->isChecked();
        v.code[i] = fields_[i]->text();
    }
    v.account = Edit10->text();
    const QComboBox* lists[] = {ComboBox2, ComboBox1, ComboBox3};
    for (int i = 0; i < 3; ++i)
        if (lists[i]->currentIndex() >= 0)
            v.lists[i] = lists[i]->currentIndex();
    v.sensitivity = SpinEdit1->value();
    v.apn = Edit3->text();
    return v;
}
