// SIM phonebook of 250 slots written and read back through the module's modem
// pass-through, against alvento-sim pacing both directions at 9600 baud. For
// each operation it prints the wall time beside the time its bytes need on
// the line (bytes sent + received, 10 bits each, at 9600 baud) and their ratio.
//
//   phonebook_bench [--repeat N]
//
// The rest of the time is the engine's pacing between command lines (it waits
// for a tick before it looks at the modem's answer) and the modem's own
// answer time; the simulator answers a phonebook line at once.

#include "engine/link_engine.h"
#include "serial/tasyncomm32.h"
#include "support/pty_sim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kBaud = 9600;
constexpr double kBitsPerByte = 10.0;
constexpr int kSlots = 250;
constexpr int kEnglish = 1; // status texts in English

// The configurator's port, counting what goes out.
class CountingPort : public TAsynComm32 {
  public:
    int write(const QByteArray& bytes) override {
        sent += bytes.size();
        return TAsynComm32::write(bytes);
    }
    long sent = 0;
};

class BenchView : public LinkView {
  public:
    void showPortName(const QString&) override {}
    void showModuleVersion(const QString&) override {}
    void showStatus(const QString& t) override { status = t; }
    void setGaugeMaximum(int) override {}
    void setGaugeValue(int) override {}
    void setGaugeVisible(bool) override {}
    void setTransferButtonsEnabled(bool) override {}
    void showMessage(const QString& t) override { messages << t; }
    void encode() override {}
    void decode() override {}
    void runPageShowLogic() override {}
    void applyVersionRules() override {}
    void resetOutput2TimeUnit() override {}
    void showTime(const QString&) override {}
    void setTickInterval(int ms) override { tickMs = ms; }
    void showPhonebookSlot(const PhonebookEntry& e) override {
        if (!e.number.isEmpty())
            ++occupied;
    }

    QString status;
    QStringList messages;
    int tickMs = 1000;
    int occupied = 0;
};

struct Result {
    long ms = 0, sent = 0, received = 0;
    bool ok = false;
    double wireSeconds() const { return (sent + received) * kBitsPerByte / kBaud; }
};

// Runs one operation on a fresh engine, its timer following the interval the
// engine asks for, as the window's timers do.
template <class Start> Result run(const QString& port, Start start, BenchView& view) {
    CountingPort channel;
    ConfigImage image;
    LinkEngineConfig config;
    config.language = kEnglish;
    config.portName = [port] { return port; };
    LinkEngine engine(channel, view, image, config);
    Result r;
    QObject::connect(&channel, &TAsynComm32::rxChar, [&](int) {
        const QByteArray bytes = channel.readAll();
        r.received += bytes.size();
        engine.receive(bytes);
    });
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(view.tickMs);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        engine.tick();
        if (tick.interval() != view.tickMs)
            tick.setInterval(view.tickMs);
    });
    QElapsedTimer t;
    t.start();
    start(engine);
    tick.start();
    while (engine.busy() && t.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    r.ms = t.elapsed();
    r.sent = channel.sent;
    r.ok = !engine.busy();
    channel.close();
    return r;
}

void print(const char* what, const Result& r, const BenchView& view) {
    std::printf("%-24s %7.2f s   wire %6.2f s   ratio %5.2f   sent %6ld  received %6ld  %s\n", what,
                r.ms / 1000.0, r.wireSeconds(), r.ms / 1000.0 / r.wireSeconds(), r.sent, r.received,
                r.ok ? qPrintable(view.status) : "did not end");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int repeat = 1;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--repeat") == 0)
            repeat = std::max(1, std::atoi(argv[i + 1]));
    qputenv("ALVENTO_SIM", ALVENTO_SIM_PATH);
    QTemporaryDir dir;
    const QString phonebook = dir.filePath(QStringLiteral("phonebook.tsv"));

    std::vector<PhonebookEntry> rows;
    for (int slot = 1; slot <= kSlots; ++slot) {
        PhonebookEntry e;
        e.slot = slot;
        // Every fifth row left empty: the write skips it and the read sees it free.
        if (slot % 5 != 0) {
            e.number = QStringLiteral("+3630%1").arg(1000000 + slot * 37);
            e.name = QStringLiteral("Ugyfel %1").arg(slot);
        }
        rows.push_back(e);
    }
    std::printf("SIM phonebook, %d slots, 9600 baud\n", kSlots);
    for (int n = 0; n < repeat; ++n) {
        PtySim sim({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
                    QStringLiteral("43"), QStringLiteral("--pace-baud"), QString::number(kBaud),
                    QStringLiteral("--phonebook"), phonebook});
        if (!sim.started()) {
            std::fprintf(stderr, "the simulator did not start\n");
            return 1;
        }
        BenchView writeView;
        const Result w = run(
            sim.path(), [&](LinkEngine& e) { e.startPhonebookWrite(rows, kSlots); }, writeView);
        print("phonebook write", w, writeView);
        BenchView readView;
        const Result r = run(
            sim.path(), [&](LinkEngine& e) { e.startPhonebookRead(kSlots); }, readView);
        print("phonebook read", r, readView);
        std::printf("%-24s %d of %d slots occupied after the read\n", "", readView.occupied,
                    kSlots * 4 / 5);
        if (!w.ok || !r.ok || readView.occupied != kSlots * 4 / 5)
            return 1;
    }
    return 0;
}
