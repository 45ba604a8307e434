// Firmware download by both protocols: the configurator's link engine on a
// real serial channel against alvento-sim pacing both directions at 9600
// baud. For each protocol it prints the wall time of the memory download
// (first request to the load command) beside the time its bytes need on the
// line (bytes x 10 bits / baud) and their ratio.
//
//   firmware_bench [--baud B]
//
// Block protocol (version 3.8 and later): 512 block writes of 262 bytes, each
// answered with one byte. Stream protocol (below 3.8): the 6-byte start frame
// and its one-byte answer, then 512 raw blocks of 256 bytes, each answered
// with one byte. At 9600 baud each takes a little over two minutes; --baud
// paces the simulator faster for a quick look (the 9600 wire time is still
// printed).

#include "engine/firmware_image.h"
#include "engine/link_engine.h"
#include "serial/tasyncomm32.h"
#include "support/pty_sim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

namespace {

constexpr double kBitsPerByte = 10.0;
constexpr int kReferenceBaud = 9600;

struct Case {
    const char* protocol;
    int version;
    long bytes; // on the line, without a repeat
};
const Case kCases[] = {
    {"blocks", 43, 512L * (262 + 1)},
    {"stream", 35, 6 + 1 + 512L * (256 + 1)},
};

class QuietView : public LinkView {
  public:
    void showPortName(const QString&) override {}
    void showModuleVersion(const QString&) override {}
    void showStatus(const QString&) override {}
    void setGaugeMaximum(int) override {}
    void setGaugeValue(int) override {}
    void setGaugeVisible(bool) override {}
    void setTransferButtonsEnabled(bool) override {}
    void showMessage(const QString& t) override { failed = t; }
    void encode() override {}
    void decode() override {}
    void runPageShowLogic() override {}
    void applyVersionRules() override {}
    void resetOutput2TimeUnit() override {}
    void showTime(const QString&) override {}
    void setTickInterval(int) override {}
    QString failed;
};

class Timing : public MaintenanceListener {
  public:
    void firmwareBlockSent(int block) override {
        if (block == 0 && !clock.isValid())
            clock.start();
    }
    void firmwareLoadSent() override { ms = clock.elapsed(); }
    void firmwareFailed(FirmwareFailure) override { failed = true; }
    QElapsedTimer clock;
    qint64 ms = -1;
    bool failed = false;
};

// The milliseconds of one download, or -1.
qint64 run(const Case& c, int baud) {
    PtySim sim({"--model", "71", "--version", QString::number(c.version), "--pace-baud",
                QString::number(baud)});
    if (!sim.started()) {
        std::fprintf(stderr, "simulator did not start\n");
        return -1;
    }
    TAsynComm32 port;
    QuietView view;
    ConfigImage image;
    LinkEngineConfig config;
    const QString path = sim.path();
    config.portName = [path] { return path; };
    LinkEngine engine(port, view, image, config);
    engine.state().ModuleVersion = c.version;
    Timing timing;
    engine.addMaintenanceListener(&timing);
    QObject::connect(&port, &TAsynComm32::rxChar, [&](int) { engine.receive(port.readAll()); });
    QTimer adas;
    adas.setInterval(50);
    QObject::connect(&adas, &QTimer::timeout, [&] { engine.tick(); });
    adas.start();

    const QByteArray firmware(FirmwareImage::kImageBytes, '\x5A');
    engine.startFirmwareDownload(
        std::span(reinterpret_cast<const uint8_t*>(firmware.constData()), size_t(firmware.size())));
    while (timing.ms < 0 && !timing.failed && engine.busy()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        sim.lines(); // keep the simulator's output pipe drained
    }
    engine.stopCommand();
    port.close();
    return timing.failed ? -1 : timing.ms;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("ALVENTO_SIM"))
        qputenv("ALVENTO_SIM", ALVENTO_SIM_PATH);
    int baud = kReferenceBaud;
    const QStringList args = app.arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--baud"));
    if (at > 0 && at + 1 < args.size())
        baud = args[at + 1].toInt();
    if (baud <= 0) {
        std::fprintf(stderr, "usage: firmware_bench [--baud B]\n");
        return 2;
    }
    std::printf("firmware download, simulator paced at %d baud\n", baud);
    std::printf("%-8s %9s %12s %8s %14s\n", "protocol", "wall s", "wire s", "ratio",
                "wire s @9600");
    int status = 0;
    for (const Case& c : kCases) {
        const qint64 ms = run(c, baud);
        const double wire = c.bytes * kBitsPerByte / baud;
        const double wire9600 = c.bytes * kBitsPerByte / kReferenceBaud;
        if (ms < 0) {
            std::printf("%-8s %9s %12.1f %8s %14.1f\n", c.protocol, "failed", wire, "-", wire9600);
            status = 1;
            continue;
        }
        std::printf("%-8s %9.1f %12.1f %8.3f %14.1f\n", c.protocol, ms / 1000.0, wire,
                    ms / 1000.0 / wire, wire9600);
        std::fflush(stdout);
    }
    return status;
}
