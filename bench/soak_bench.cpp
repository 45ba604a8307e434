// Soak run of the link engine against the module simulator over a
// pseudo-terminal with reply faults switched on at random: rounds of a
// version query, a read-all and a write-all, each checked byte for byte.
//
//   soak_bench [ROUNDS] [--speedup S] [--seed N] [--verbose] [--round R] [--trace FILE]
//
// --round R runs round R alone, as it runs among the others; --trace writes
// the serial trace of what runs.
//
// Every round starts a simulator with a random memory and a random set of
// faults (lost replies, wrong check, wrong complement, split, duplicated and
// late replies, each switched on with odds of one in three, every N-th reply,
// N from 8 to 60; and lost, late and duplicated replies to one request at a
// random address, each with the same odds), then reads all with one
// engine and compares the image with the module's memory, then writes a random
// image and compares the memory the simulator saved with what the write must
// leave there. A transfer that has not ended after a long time counts as
// stalled. Prints the wrong bytes of reads and writes; the goal is none.
//
// The run is the real system sped up S times (default 8): the engine ticks
// every 50/S ms, the line runs at 9600 x S baud and late replies are held
// 100/S to 700/S ms, so a tick, a reply and a late reply keep their
// proportions. Only the split gap of the simulator stays 30 ms, which is why
// S stays below 10: a byte request is repeated after 6 ticks.

#include "engine/link_engine.h"
#include "image/image_extent.h"
#include "serial/serial_trace.h"
#include "serial/tasyncomm32.h"
#include "support/pty_sim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kMemorySize = 8192;
constexpr int kBuild = 1;

// The engine's window without a window: the soak only needs to know when a
// transfer is done.
class SoakView : public LinkView {
  public:
    void showPortName(const QString&) override {}
    void showModuleVersion(const QString&) override {}
    void showStatus(const QString& t) override { status = t; }
    void setGaugeMaximum(int) override {}
    void setGaugeValue(int) override {}
    void setGaugeVisible(bool) override {}
    void setTransferButtonsEnabled(bool) override {}
    void showMessage(const QString&) override {}
    void encode() override {}
    void decode() override { ++decodes; }
    void runPageShowLogic() override {}
    void applyVersionRules() override {}
    void resetOutput2TimeUnit() override {}
    void showTime(const QString&) override {}
    void setTickInterval(int) override {}

    QString status;
    int decodes = 0;
};

struct Config {
    const char* name;
    int model;
    int version;
};
const Config kConfigs[] = {
    {"bytes", 70, 32},
    {"blocks", 71, 43},
    {"records/blocks", 100, 43},
    {"bytes+records", 100, 32},
};

struct Totals {
    long reads = 0, writes = 0, stalled = 0;
    long readWrong = 0, writeWrong = 0;
    long readsWithWrong = 0, writesWithWrong = 0;
    long requests = 0, late = 0, duplicates = 0;
};

QByteArray randomBytes(QRandomGenerator& rng, int n) {
    QByteArray b(n, '\0');
    for (char& c : b)
        c = static_cast<char>(rng.bounded(256));
    return b;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs the event loop, with the engine's tick timer, until done() or the limit.
template <class Done>
bool runUntil(LinkEngine& engine, PtySim& sim, int tickMs, Done done, int limitMs) {
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(tickMs);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        engine.tick();
        sim.lines(); // keeps the simulator's output pipe drained
    });
    tick.start();
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

int wrongBytes(const uint8_t* a, const uint8_t* b, int n) {
    int wrong = 0;
    for (int i = 0; i < n; ++i)
        wrong += a[i] != b[i];
    return wrong;
}

// Where the engine stands, for a transfer that did not end.
QString engineState(const LinkEngine& engine, PtySim& sim) {
    const LinkEngineState& s = engine.state();
    return QStringLiteral("LinkCommand %1 ImagePos %2 Remaining %3 ModuleAddress %4 RxCount %5 "
                          "Pace %6, awaiting a reply: %7; the module took %8 requests")
        .arg(s.LinkCommand)
        .arg(s.ImagePos)
        .arg(s.Remaining)
        .arg(s.ModuleAddress)
        .arg(s.RxCount)
        .arg(s.Pace)
        .arg(engine.awaitingReply() ? "yes" : "no")
        .arg(sim.countLines(QStringLiteral("RX ")));
}

// Each round draws from a generator of its own, so that a round can be run
// again alone (--round R) with the same module, faults and images.
void runRound(int round, quint32 seed, int speedup, bool verbose, const QTemporaryDir& dir,
              Totals& totals) {
    QRandomGenerator rng(seed * 100003u + static_cast<quint32>(round));
    const Config& c = kConfigs[rng.bounded(4)];
    const int tickMs = std::max(1, 50 / speedup);

    QByteArray memory = randomBytes(rng, kMemorySize);
    const QString memoryPath = dir.filePath(QStringLiteral("memory.bin"));
    const QString savePath = dir.filePath(QStringLiteral("saved.bin"));
    QFile::remove(savePath);
    {
        QFile f(memoryPath);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(memory);
    }
    // The module keeps its own build, version and model.
    memory[252] = static_cast<char>(kBuild);
    memory[254] = static_cast<char>(c.version);
    memory[255] = static_cast<char>(c.model);

    QStringList args{"--model",
                     QString::number(c.model),
                     "--version",
                     QString::number(c.version),
                     "--build",
                     QString::number(kBuild),
                     "--memory",
                     memoryPath,
                     "--save",
                     savePath,
                     "--pace-baud",
                     QString::number(9600 * speedup),
                     "--late-ms",
                     QString::number((100 + rng.bounded(600)) / speedup),
                     "--duplicate-gap-ms",
                     QString::number(std::max(1, 10 / speedup))};
    QStringList faults;
    for (const char* fault : {"--drop-every", "--corrupt-check-every", "--corrupt-complement-every",
                              "--split-every", "--duplicate-every", "--late-every"}) {
        if (rng.bounded(3) == 0) {
            const int every = 8 + rng.bounded(53);
            args << QLatin1String(fault) << QString::number(every);
            faults << QStringLiteral("%1 %2").arg(QLatin1String(fault + 2)).arg(every);
        }
    }
    // Faults aimed at one request of the transfers: a block transfer has only
    // six replies, which the faults that count replies seldom reach.
    for (const char* fault : {"--drop-at", "--late-at", "--duplicate-at"}) {
        if (rng.bounded(3) == 0) {
            const bool blocks = transfersByBlocks(c.version) && (c.model != 100 || rng.bounded(2));
            const int at = blocks ? 16 * static_cast<int>(rng.bounded(6))
                           : c.model == 100 && c.version > 32 ? static_cast<int>(rng.bounded(256))
                                                              : static_cast<int>(rng.bounded(1024));
            args << QLatin1String(fault) << QString::number(at);
            faults << QStringLiteral("%1 %2").arg(QLatin1String(fault + 2)).arg(at);
        }
    }
    if (verbose)
        std::printf("round %d %s: %s\n", round, c.name, qPrintable(faults.join(", ")));
    PtySim sim(args);
    if (!sim.started()) {
        std::fprintf(stderr, "round %d: the simulator did not start\n", round);
        ++totals.stalled;
        return;
    }

    TAsynComm32 port;
    SoakView view;
    ConfigImage image;
    std::memset(image.data(), 0x5A, kMemorySize);
    LinkEngineConfig config;
    config.modelCode = c.model;
    config.portName = [path = sim.path()] { return path; };
    LinkEngine engine(port, view, image, config);
    QObject::connect(&port, &TAsynComm32::rxChar, [&] { engine.receive(port.readAll()); });
    // Long enough for any repeat chain the faults cause at this speed.
    const int limitMs = 600000 / speedup;

    // Version query, as the configurator's activation sends it.
    engine.startVersionQuery(false);
    if (!runUntil(
            engine, sim, tickMs,
            [&] { return !engine.busy() && engine.state().ModuleVersion == c.version; }, limitMs)) {
        std::printf("round %d %s: version query stalled (%s)\n    %s\n", round, c.name,
                    qPrintable(faults.join(", ")), qPrintable(engineState(engine, sim)));
        ++totals.stalled;
        return;
    }

    // Read-all.
    const int readLast = c.model == 100                 ? kMemorySize - 1
                         : transfersByBlocks(c.version) ? 1535
                                                        : 1023;
    engine.startReadAll();
    ++totals.reads;
    if (!runUntil(
            engine, sim, tickMs, [&] { return view.decodes > 0 && !engine.busy(); }, limitMs)) {
        std::printf("round %d %s: read-all stalled (%s)\n    %s\n", round, c.name,
                    qPrintable(faults.join(", ")), qPrintable(engineState(engine, sim)));
        ++totals.stalled;
        return;
    }
    const int readWrong = wrongBytes(
        image.data(), reinterpret_cast<const uint8_t*>(memory.constData()), readLast + 1);
    totals.readWrong += readWrong;
    if (readWrong) {
        ++totals.readsWithWrong;
        std::printf("round %d %s: read-all took %d wrong bytes (%s)\n", round, c.name, readWrong,
                    qPrintable(faults.join(", ")));
    }

    // Write-all of a random image.
    const QByteArray written = randomBytes(rng, kMemorySize);
    std::memcpy(image.data(), written.constData(), kMemorySize);
    const bool byBlocks = transfersByBlocks(c.version);
    engine.startWriteAll();
    ++totals.writes;
    if (!runUntil(
            engine, sim, tickMs, [&] { return !engine.busy(); }, limitMs)) {
        std::printf("round %d %s: write-all stalled (%s)\n    %s\n", round, c.name,
                    qPrintable(faults.join(", ")), qPrintable(engineState(engine, sim)));
        ++totals.stalled;
        return;
    }
    // What the module must hold now: the image where the write goes, its own
    // bytes where it keeps them, the old memory elsewhere.
    QByteArray expected = memory;
    const int writeLast = byBlocks ? 1535 : c.model == 100 ? kMemorySize - 1 : 1023;
    for (int i = 0; i <= writeLast; ++i) {
        const bool kept = i == 252 || i == 254 || i == 255;
        const bool skipped = !byBlocks && i < 1024 && skippedOnByteWrite(i, false);
        if (!kept && !skipped)
            expected[i] = static_cast<char>(image[i]);
    }
    // ModelCode 100's block write goes on with the Contact ID code name
    // records 48..208 above the blocks.
    if (byBlocks && c.model == 100)
        for (int i = 48 * 32; i < 209 * 32; ++i)
            expected[i] = static_cast<char>(image[i]);
    totals.late += sim.countLines(QStringLiteral("LATE"));
    totals.duplicates += sim.countLines(QStringLiteral("DUPLICATE"));
    totals.requests += sim.countLines(QStringLiteral("RX "));
    sim.stop(); // saves its memory
    const QByteArray saved = readFile(savePath);
    if (saved.size() != kMemorySize) {
        std::printf("round %d %s: the simulator saved no memory\n", round, c.name);
        ++totals.stalled;
        return;
    }
    const int writeWrong =
        wrongBytes(reinterpret_cast<const uint8_t*>(saved.constData()),
                   reinterpret_cast<const uint8_t*>(expected.constData()), kMemorySize);
    totals.writeWrong += writeWrong;
    if (writeWrong) {
        ++totals.writesWithWrong;
        std::printf("round %d %s: write-all left %d wrong bytes (%s)\n", round, c.name, writeWrong,
                    qPrintable(faults.join(", ")));
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("ALVENTO_SIM"))
        qputenv("ALVENTO_SIM", ALVENTO_SIM_PATH);
    int rounds = 1000;
    int speedup = 8;
    quint32 seed = 1;
    bool verbose = false;
    int only = -1;
    const QStringList a = app.arguments();
    for (int i = 1; i < a.size(); ++i) {
        if (a[i] == QLatin1String("--speedup") && i + 1 < a.size())
            speedup = std::max(1, a[++i].toInt());
        else if (a[i] == QLatin1String("--seed") && i + 1 < a.size())
            seed = a[++i].toUInt();
        else if (a[i] == QLatin1String("--verbose"))
            verbose = true;
        else if (a[i] == QLatin1String("--round") && i + 1 < a.size())
            only = a[++i].toInt();
        else if (a[i] == QLatin1String("--trace") && i + 1 < a.size()) {
            QString error;
            if (!SerialTrace::start(a[++i], &error)) {
                std::fprintf(stderr, "cannot write the trace %s: %s\n", qPrintable(a[i]),
                             qPrintable(error));
                return 2;
            }
        } else {
            rounds = std::max(1, a[i].toInt());
        }
    }
    // A round past the count still runs, as it would among that many.
    if (only >= 0)
        rounds = std::max(rounds, only + 1);
    QTemporaryDir dir;

    Totals totals;
    QElapsedTimer wall;
    wall.start();
    if (only >= 0)
        std::printf("soak: round %d alone (version query, read-all, write-all), %dx speed, "
                    "seed %u\n",
                    only, speedup, seed);
    else
        std::printf("soak: %d rounds (version query, read-all, write-all), %dx speed, seed %u\n",
                    rounds, speedup, seed);
    for (int r = 0; r < rounds; ++r) {
        if (only < 0 || r == only)
            runRound(r, seed, speedup, verbose || r == only, dir, totals);
        if (only < 0 && (r + 1) % 50 == 0) {
            std::printf("... %d rounds, %ld wrong bytes so far\n", r + 1,
                        totals.readWrong + totals.writeWrong);
            std::fflush(stdout);
        }
    }
    std::printf("\nread-alls   %6ld  wrong bytes %6ld  (in %ld of them)\n", totals.reads,
                totals.readWrong, totals.readsWithWrong);
    std::printf("write-alls  %6ld  wrong bytes %6ld  (in %ld of them)\n", totals.writes,
                totals.writeWrong, totals.writesWithWrong);
    std::printf("stalled     %6ld\n", totals.stalled);
    std::printf("requests the module took %ld; late replies %ld, duplicated replies %ld\n",
                totals.requests, totals.late, totals.duplicates);
    std::printf("time %.0f s; goal: no wrong bytes, nothing stalled\n", wall.elapsed() / 1000.0);
    SerialTrace::stop(); // writes the received bytes it still holds
    return totals.readWrong + totals.writeWrong + totals.stalled == 0 ? 0 : 1;
}
