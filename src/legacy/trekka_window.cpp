#include "legacy/trekka_window.h"
#include "serial/memory_frame.h"
#include "settings/presets.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

using namespace Trekka;

namespace {
constexpr uint8_t kReadRecord = 0x40;
constexpr uint8_t kWriteRecord = 0x80;
} // namespace

Ttrekkamain::Ttrekkamain(AppContext& ctx, std::function<bool()> discoveryPortReleased,
                         QWidget* parent)
    : LegacyDeviceWindow(ctx, std::move(discoveryPortReleased), QStringLiteral("Ttrekkamain"),
                         QStringLiteral("TREKKA konfigurációs lap"),
                         BlockTransfer::AcceptRule::MarkedEcho, 4800, parent),
      image_(kImageSize, '\0') {
    // The timer opens the port and sends the first request of every transfer.
    firstRequestAtOnce_ = false;
    auto* v = new QVBoxLayout(this);

    auto* menu = new QMenuBar(this);
    QMenu* commands = menu->addMenu(QStringLiteral("&Parancsok"));
    readAction_ = commands->addAction(QStringLiteral("Olvasás"));
    readAction_->setObjectName(QStringLiteral("ReadMenu"));
    connect(readAction_, &QAction::triggered, this, &Ttrekkamain::OlvasasClick);
    writeAction_ = commands->addAction(QStringLiteral("Irás"));
    writeAction_->setObjectName(QStringLiteral("WriteMenu"));
    connect(writeAction_, &QAction::triggered, this, &Ttrekkamain::ElkuldesClick);
    commands->addSeparator();
    wavecom_ = commands->addAction(QStringLiteral("wavecom"));
    wavecom_->setObjectName(QStringLiteral("wavecom"));
    wavecom_->setCheckable(true);
    commands->addSeparator();
    QAction* quit = commands->addAction(QStringLiteral("Kilépés"));
    connect(quit, &QAction::triggered, this, &QWidget::close);
    QMenu* servers = menu->addMenu(QStringLiteral("&IP cimek"));
    servers->setObjectName(QStringLiteral("IpCimek"));
    for (int i = 0; i < kServerPresets; ++i) {
        serverActions_[i] = servers->addAction(QString());
        serverActions_[i]->setObjectName(QStringLiteral("IpCim%1").arg(i + 1));
        connect(serverActions_[i], &QAction::triggered, this, [this, i] { choosePreset(i); });
    }
    // The servers are settings values: read whenever the menu opens.
    connect(servers, &QMenu::aboutToShow, this, &Ttrekkamain::updateServerPresets);
    updateServerPresets();
    QAction* version = menu->addAction(QStringLiteral("&Verzió"));
    version->setObjectName(QStringLiteral("Verzio"));
    connect(version, &QAction::triggered, this,
            [this] { tell(QStringLiteral("PC szoftver verzió: 1.0")); });
    v->setMenuBar(menu);

    auto* form = new QFormLayout;
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(kIpChars);
    Edit1->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000.000.000.000")) + 16);
    connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!text.isEmpty() && !ipCharacter(text.back())) {
            Edit1->clear();
            tell(QStringLiteral("Nem megfelelo karakter"));
        }
    });
    form->addRow(QStringLiteral("&IP>"), Edit1);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setMaxLength(kPortChars);
    Edit2->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    form->addRow(QStringLiteral("&PORT>"), Edit2);
    Edit3 = new QLineEdit(this);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setMaxLength(kApnChars);
    Edit3->setMinimumWidth(fontMetrics().horizontalAdvance(QString(kApnChars, QLatin1Char('m'))));
    form->addRow(QStringLiteral("&APN Név>"), Edit3);
    CheckBox1 = new QCheckBox(QStringLiteral("&G sensor tiltása"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    form->addRow(CheckBox1);
    v->addLayout(form);

    addTransferRow(v);
    v->addStretch(1);

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("sbar1"));
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 5; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("sbar1Panel%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        bar->addWidget(panel, i == 4 ? 1 : 0);
        sbar1_[i] = panel;
    }
    v->addWidget(bar);
    setStatus(0, QStringLiteral("TX>0"));
    setStatus(2, QStringLiteral("Error>0"));
}

QString Ttrekkamain::statusPanel(int i) const {
    return sbar1_[i]->text();
}

void Ttrekkamain::setStatus(int panel, const QString& text) {
    sbar1_[panel]->setText(text);
}

void Ttrekkamain::portOpened(const QString& name) {
    setStatus(1, name);
}

void Ttrekkamain::setWavecom(bool on) {
    wavecom_->setChecked(on);
}

// The tracker servers belong to whoever runs them: the menu offers only what
// the settings name, and says which value is missing otherwise.
void Ttrekkamain::updateServerPresets() {
    for (int i = 0; i < kServerPresets; ++i) {
        const auto server = Presets::trekkaServer(ctx_, i);
        QAction* a = serverActions_[i];
        a->setEnabled(server.has_value());
        a->setText(server ? *server
                          : QStringLiteral("%1. szerver: nincs beállítva (\"%2\")")
                                .arg(i + 1)
                                .arg(Presets::trekkaServerName(i)));
    }
}

void Ttrekkamain::choosePreset(int index) {
    const auto server = Presets::trekkaServer(ctx_, index);
    if (server)
        Edit1->setText(Presets::paddedIpv4(*server));
}

void Ttrekkamain::setTransferButtons(bool on) {
    LegacyDeviceWindow::setTransferButtons(on);
    for (QAction* a : {readAction_, writeAction_})
        a->setEnabled(on);
}

void Ttrekkamain::countSent() {
    setStatus(0, QStringLiteral("TX>%1").arg(++sent_));
}

Values Ttrekkamain::formValues() const {
    Values v;
    v.gSensorOff = CheckBox1->isChecked();
    v.ip = Edit1->text();
    v.port = Edit2->text();
    v.apn = Edit3->text();
    return v;
}

void Ttrekkamain::OlvasasClick() {
    setTransferButtons(false);
    if (wavecom_->isChecked()) {
        setStatus(4, QStringLiteral("Olvasás /régi/"));
        link_.LinkState = kRecordRead;
        records_rx_.newRequest();
        wakeSendTimer();
        return;
    }
    setStatus(4, QStringLiteral("Olvasás /új/"));
    writing_ = false;
    startBlock(BlockTransfer::kReading, 0, kImageSize, 0);
    transferStarted(kImageSize);
}

void Ttrekkamain::ElkuldesClick() {
    const Values values = formValues();
    if (wavecom_->isChecked()) {
        const QString problem = ipProblem(values.ip, values.ip != recordIpRead_);
        if (!problem.isEmpty()) {
            tell(problem);
            return;
        }
        setStatus(4, QStringLiteral("írás /régi/"));
        setTransferButtons(false);
        link_.LinkState = kRecordReadBeforeWrite;
        records_rx_.newRequest();
        wakeSendTimer();
        return;
    }
    // The 255 bytes go back whole; without a read the ones the form does not
    // show would be zeros.
    if (!byteReadInThisRun_) {
        tell(QStringLiteral("Küldés előtt olvassa ki a modul beállításait az Olvasás gombbal!"));
        return;
    }
    const Values was = decode(image_);
    for (const QString& problem : {ipProblem(values.ip, values.ip != was.ip),
                                   portProblem(values.port, values.port != was.port),
                                   apnProblem(values.apn, values.apn != was.apn)}) {
        if (!problem.isEmpty()) {
            tell(problem);
            return;
        }
    }
    pending_ = encode(values, image_);
    link_.BlockBuffer.replace(0, kImageSize, pending_);
    writing_ = true;
    startBlock(BlockTransfer::kWriting, 0, kImageSize, 0);
    transferStarted(kImageSize);
}

void Ttrekkamain::tick() {
    // Record requests have no hold-off: every tick asks again.
    switch (link_.LinkState) {
    case kRecordRead:
    case kRecordReadBeforeWrite:
        sendRecordRead(false);
        return;
    case kRecordWrite:
        sendRecordWrite();
        return;
    default:
        LegacyDeviceWindow::tick();
    }
}

void Ttrekkamain::sendRequest() {
    if (!link_.busy())
        return;
    LegacyDeviceWindow::sendRequest();
    countSent();
}

void Ttrekkamain::sendRecordRead(bool fresh) {
    if (fresh)
        records_rx_.newRequest();
    writeFrame(MemoryFrame::fromHeader(0, kReadRecord, kRecordHigh, kRecordLow).toByteArray());
    countSent();
}

void Ttrekkamain::sendRecordWrite() {
    // The sum goes back as it was read: the module does not hold the tool to it.
    writeFrame(MemoryFrame::fromHeader(0, kWriteRecord, kRecordHigh, kRecordLow).toByteArray() +
               recordPayload_);
    countSent();
}

void Ttrekkamain::received(const QByteArray& bytes) {
    switch (link_.LinkState) {
    case kRecordRead:
    case kRecordReadBeforeWrite:
        switch (records_rx_.receive(bytes)) {
        case RecordAssembler::Result::Good:
            recordRead(records_rx_.reply());
            break;
        case RecordAssembler::Result::BadSum:
            setStatus(2, QStringLiteral("Error>%1").arg(++errors_));
            break;
        default:
            break;
        }
        return;
    case kRecordWrite:
        if (rx_.receive(bytes) == FrameAssembler::Result::Valid) {
            rx_.clear();
            link_.LinkState = 0;
            finished(QStringLiteral("Irás OK."));
        }
        return;
    default:
        LegacyDeviceWindow::received(bytes);
    }
}

void Ttrekkamain::recordRead(const QByteArray& reply) {
    QApplication::beep();
    recordIpRead_ = recordIp(reply);
    if (link_.LinkState == kRecordRead) {
        link_.LinkState = 0;
        Edit1->setText(recordIpRead_);
        finished(QStringLiteral("Összes adat kiolvasása sikeres!"));
        return;
    }
    recordPayload_ =
        withRecordIp(reply.left(RecordAssembler::kRecordSize), Edit1->text()) + reply.right(1);
    link_.LinkState = kRecordWrite;
    sendRecordWrite();
}

void Ttrekkamain::blockFinished() {
    if (writing_) {
        image_ = pending_;
        finished(QStringLiteral("Irás OK."));
        return;
    }
    image_ = link_.BlockBuffer.left(kImageSize);
    const Values v = decode(image_);
    CheckBox1->setChecked(v.gSensorOff);
    Edit1->setText(v.ip);
    Edit2->setText(v.port);
    Edit3->setText(v.apn);
    byteReadInThisRun_ = true;
    finished(QStringLiteral("Összes adat kiolvasása sikeres!"));
}

void Ttrekkamain::finished(const QString& status) {
    setStatus(4, status);
    transferEnded();
}
