#include "legacy/legacy_device_window.h"
#include "settings/app_context.h"
#include "settings/edition.h"
#include "settings/settings_store.h"

#include "serial/tasyncomm32.h"
#include <QCloseEvent>
#include <QLabel>
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
    auto* layout = new QVBoxLayout(this);
    Label6 = new QLabel(this);
    Label6->setObjectName(QStringLiteral("Label6"));
    layout->addWidget(Label6);
    resize(480, 320);

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
    return Label6->text();
}

void LegacyDeviceWindow::adasTimer() {
    adas_->setInterval(350);
    // The start window may still hold the port until it has gone idle.
    if (discoveryPortReleased_ && !discoveryPortReleased_())
        return;
    if (link_.LinkState != 0 && !AsynComm321->isOpen()) {
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
    } else if (link_.LinkState == 0 && AsynComm321->isOpen()) {
        AsynComm321->close();
        return;
    }
    if (link_.LinkState == 0)
        return;
    if (link_.tick())
        sendRequest();
}

void LegacyDeviceWindow::sendRequest() {
    if (link_.LinkState == kVersionRead) {
        AsynComm321->write(MemoryFrame::build(0x00FE, Frames::kRead).toByteArray());
    } else if (link_.busy()) {
        AsynComm321->write(link_.request().toByteArray());
    } else {
        return;
    }
    rx_.frameSent();
}

void LegacyDeviceWindow::AsynComm321RxChar(int count) {
    const QByteArray bytes = AsynComm321->read(count);
    if (rx_.receive(bytes) != FrameAssembler::Result::Valid)
        return;
    if (link_.LinkState == kVersionRead) {
        link_.HoldOff = BlockTransfer::kHoldOffTicks;
        Label6->setText(QStringLiteral("szoftver verzio> 1.%1").arg(rx_.byte(3)));
        link_.LinkState = 0;
        return;
    }
    const auto step = link_.onValidFrame(rx_.buffer());
    if (step == BlockTransfer::Step::Next) {
        rx_.clear();
        sendRequest();
    } else if (step == BlockTransfer::Step::Done) {
        rx_.clear();
    }
}

void LegacyDeviceWindow::closeEvent(QCloseEvent* e) {
    QWidget::closeEvent(e);
    emit programEndRequested();
}

TForm5::TForm5(AppContext& ctx, std::function<bool()> discoveryPortReleased, QWidget* parent)
    : LegacyDeviceWindow(ctx, std::move(discoveryPortReleased), QStringLiteral("TForm5"),
                         QStringLiteral("Konverter"), BlockTransfer::AcceptRule::EchoWrittenData,
                         9600, parent) {}

TForm7::TForm7(AppContext& ctx, std::function<bool()> discoveryPortReleased, QWidget* parent)
    : LegacyDeviceWindow(ctx, std::move(discoveryPortReleased), QStringLiteral("TForm7"),
                         QStringLiteral("GPS"), BlockTransfer::AcceptRule::EchoWrittenData, 9600,
                         parent) {}

Ttrekkamain::Ttrekkamain(AppContext& ctx, std::function<bool()> discoveryPortReleased,
                         QWidget* parent)
    : LegacyDeviceWindow(ctx, std::move(discoveryPortReleased), QStringLiteral("Ttrekkamain"),
                         QStringLiteral("TREKKA"), BlockTransfer::AcceptRule::MarkedEcho, 4800,
                         parent) {}
