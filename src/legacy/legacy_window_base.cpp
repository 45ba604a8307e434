#include "legacy/legacy_window_base.h"
#include "serial/port_names.h"
#include "serial/tasyncomm32.h"
#include "settings/app_context.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "ui/widgets.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

LegacyDeviceWindow::LegacyDeviceWindow(AppContext& ctx, std::function<bool()> discoveryPortReleased,
                                       const QString& className, const QString& caption,
                                       BlockTransfer::AcceptRule rule, int baud, QWidget* parent)
    : QWidget(parent), ctx_(ctx), discoveryPortReleased_(std::move(discoveryPortReleased)),
      AsynComm321(new TAsynComm32(this)), adas_(new QTimer(this)), link_(rule) {
    setObjectName(className);
    setWindowTitle(caption);
    AsynComm321->setObjectName(QStringLiteral("AsynComm321"));
    AsynComm321->setBaudRate(baud);
    tell = [this](const QString& text) { showMessage(this, text); };
    askYesNo = [this](const QString& question) {
        return QMessageBox::question(this, QString(), question,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };

    adas_->setObjectName(QStringLiteral("adas"));
    adas_->setInterval(1000);
    connect(adas_, &QTimer::timeout, this, &LegacyDeviceWindow::adasTimer);
    adas_->start();
    connect(AsynComm321, &TAsynComm32::rxChar, this, &LegacyDeviceWindow::AsynComm321RxChar);
}

LegacyDeviceWindow::~LegacyDeviceWindow() {
    AsynComm321->close();
}

QString LegacyDeviceWindow::versionText() const {
    return Label6 ? Label6->text() : QString();
}

void LegacyDeviceWindow::addTransferRow(QVBoxLayout* layout,
                                        std::initializer_list<QPushButton*> own) {
    kijelzo = new QProgressBar(this);
    kijelzo->setObjectName(QStringLiteral("kijelzo"));
    kijelzo->hide();
    layout->addWidget(kijelzo);
    auto* row = new QHBoxLayout;
    readButton_ = new QPushButton(QStringLiteral("&Olvasás"), this);
    readButton_->setObjectName(QStringLiteral("readButton"));
    sendButton_ = new QPushButton(QStringLiteral("&Elküldés"), this);
    sendButton_->setObjectName(QStringLiteral("sendButton"));
    auto* exit = new QPushButton(QStringLiteral("Kilépés"), this);
    exit->setObjectName(QStringLiteral("exitButton"));
    row->addWidget(readButton_);
    row->addWidget(sendButton_);
    for (QPushButton* b : own)
        row->addWidget(b);
    row->addStretch(1);
    row->addWidget(exit);
    layout->addLayout(row);
    connect(readButton_, &QPushButton::clicked, this, [this] { OlvasasClick(); });
    connect(sendButton_, &QPushButton::clicked, this, [this] { ElkuldesClick(); });
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
}

void LegacyDeviceWindow::setTransferButtons(bool on) {
    readButton_->setEnabled(on);
    sendButton_->setEnabled(on);
}

void LegacyDeviceWindow::transferStarted(int steps) {
    setTransferButtons(false);
    kijelzo->setRange(0, steps);
    kijelzo->setValue(0);
    kijelzo->show();
}

void LegacyDeviceWindow::transferEnded() {
    setTransferButtons(true);
    kijelzo->hide();
}

void LegacyDeviceWindow::blockProgress() {
    kijelzo->setValue(kijelzo->value() + 1);
}

void LegacyDeviceWindow::adasTimer() {
    adas_->setInterval(350);
    // Nothing pending, the port let go and the hold-off run out: a tick would
    // change nothing until a transfer starts, which starts the timer again.
    if (link_.LinkState == 0 && !AsynComm321->isOpen() && link_.HoldOff == 0) {
        adas_->stop();
        sendTimerIdle_ = true;
        return;
    }
    // The start window may still hold the port until it has gone idle.
    if (discoveryPortReleased_ && !discoveryPortReleased_())
        return;
    if (link_.LinkState == 0) {
        if (AsynComm321->isOpen())
            AsynComm321->close();
        // The ticks after a reply pass whether or not work follows.
        if (link_.HoldOff > 0)
            --link_.HoldOff;
        return;
    }
    if (!AsynComm321->isOpen()) {
        QString port = ctx_.portOverride;
        if (port.isEmpty())
            port = SettingsStore::ReadString(QString::fromLatin1(kLegacyKeyPath),
                                             QStringLiteral("comport"));
        // An empty legacy value falls back to the port chosen in the port
        // chooser rather than straight to COM1.
        if (port.isEmpty())
            port = ctx_.read(QStringLiteral("comport"));
        if (port.isEmpty())
            port = QStringLiteral("COM1");
        AsynComm321->setDeviceName(port);
        AsynComm321->open();
        if (AsynComm321->isOpen())
            portOpened(PortNames::display(port));
    }
    tick();
}

void LegacyDeviceWindow::wakeSendTimer() {
    if (!sendTimerIdle_)
        return;
    sendTimerIdle_ = false;
    adas_->start();
}

void LegacyDeviceWindow::tick() {
    if (link_.tick())
        sendRequest();
}

void LegacyDeviceWindow::sendRequest() {
    if (link_.LinkState == kVersionRead)
        writeFrame(Frames::versionRead().toByteArray());
    else if (link_.busy())
        writeFrame(link_.request().toByteArray());
}

void LegacyDeviceWindow::writeFrame(const QByteArray& bytes) {
    AsynComm321->write(bytes);
    rx_.frameSent();
}

void LegacyDeviceWindow::startBlock(int state, int address, int count, int nextState,
                                    int startIndex) {
    const bool holdsPort = firstRequestAtOnce_ && link_.LinkState != 0 && AsynComm321->isOpen();
    link_.start(state, static_cast<uint16_t>(address), count, nextState, startIndex);
    rx_.clear();
    wakeSendTimer();
    if (holdsPort)
        sendRequest();
}

void LegacyDeviceWindow::AsynComm321RxChar(int count) {
    const QByteArray bytes = AsynComm321->read(count);
    if (!bytes.isEmpty())
        received(bytes);
}

void LegacyDeviceWindow::received(const QByteArray& bytes) {
    if (rx_.receive(bytes) != FrameAssembler::Result::Valid)
        return;
    if (link_.LinkState == kVersionRead) {
        link_.HoldOff = BlockTransfer::kHoldOffTicks;
        if (Label6)
            Label6->setText(QStringLiteral("szoftver verzio> 1.%1").arg(rx_.byte(3)));
        link_.LinkState = 0;
        versionReceived();
        return;
    }
    const BlockTransfer::Step step = link_.onValidFrame(rx_.buffer());
    if (step == BlockTransfer::Step::Ignored)
        return;
    rx_.clear();
    blockProgress();
    if (step == BlockTransfer::Step::Next)
        sendRequest();
    else
        blockFinished();
}

void LegacyDeviceWindow::closeEvent(QCloseEvent* e) {
    QWidget::closeEvent(e);
    emit programEndRequested();
}
