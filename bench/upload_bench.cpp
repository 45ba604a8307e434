// A sound upload of the longest sound the module takes (255 blocks), and the
// read of an empty caller-ID memory (19 blocks alike, all 0xFF), through the
// link engine against alvento-sim pacing both directions at 9600 baud.
// Prints the wall time beside the time its bytes need on the line: the start
// frame and its answer, 255 blocks of 256 bytes and their one-byte
// acknowledgements, 10 bits a byte.
//
//   upload_bench [--repeat N]
//
// Each run starts the upload with the engine idle, as the "Feltöltés" button
// does, so the first request waits for the engine's next tick (50 ms at
// most). The best of N runs (default 3) is shown with the ratios of all runs:
// the machine is shared, and nothing the tool does can make a transfer faster
// than its best run. The gap above the wire time is split into the wait
// before the start frame and the rest per block (turnaround in the tool, the
// simulator and the pseudo-terminal).

#include "engine/link_engine.h"
#include "serial/tasyncomm32.h"
#include "support/pty_sim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kBaud = 9600;
constexpr double kBitsPerByte = 10.0;
constexpr int kBlocks = SoundUpload::kMaxBlocks;
constexpr int kStartFrame = 6;
constexpr int kStartAnswer = 6; // the module answers its start frame with a frame of its own
constexpr long kWireBytes = kStartFrame + kStartAnswer + kBlocks * (256L + 1);
// Caller-ID read: a 6-byte request and a 257-byte answer per block.
constexpr long kCallerIdWireBytes = CallerIdMemory::kBlocks * (6L + 257);

class QuietView : public LinkView {
  public:
    void showPortName(const QString&) override {}
    void showModuleVersion(const QString&) override {}
    void showStatus(const QString&) override {}
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
    void setTickInterval(int) override {}
    QStringList messages;
};

// Channel that notes when the first byte went out and the last came in.
struct Timing {
    QElapsedTimer clock;
    qint64 firstWrite = -1, lastRead = -1;
};

class TimedChannel : public TAsynComm32 {
  public:
    explicit TimedChannel(Timing& t) : timing_(t) {}
    int write(const QByteArray& bytes) override {
        if (timing_.firstWrite < 0)
            timing_.firstWrite = timing_.clock.elapsed();
        return TAsynComm32::write(bytes);
    }

  private:
    Timing& timing_;
};

QString writeSound(const QTemporaryDir& dir) {
    // The longest sound that fits: 254 full blocks and 255 samples more, after
    // the 45 bytes the upload skips.
    QByteArray samples(SoundUpload::kMaxSamples + 1, '\0');
    for (qsizetype i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<char>(128 + 100 * ((i / 9) % 2 ? 1 : -1) * (i % 9) / 9);
    QByteArray wav("RIFF");
    wav.append(QByteArray(4, '\0')).append("WAVEfmt ").append(QByteArray(20, '\0'));
    wav.append("data").append(QByteArray(4, '\0')).append(samples);
    const QString path = dir.filePath(QStringLiteral("longest.wav"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(wav);
    return path;
}

struct Run {
    bool ok = false;
    qint64 ms = 0, firstRequestMs = 0, lastReplyMs = 0;
    double ratio(double wire) const { return ms / 1000.0 / wire; }
};

// The read of the caller-ID memory of a module whose memory is erased, or
// (with `wav`) the upload of the sound.
Run runOnce(const QString& wav) {
    Run r;
    PtySim sim({QStringLiteral("--model"), QStringLiteral("71"), QStringLiteral("--version"),
                QStringLiteral("43"), QStringLiteral("--pace-baud"), QString::number(kBaud)});
    if (!sim.started()) {
        std::fprintf(stderr, "simulator did not start\n");
        return r;
    }
    Timing timing;
    TimedChannel port(timing);
    QuietView view;
    ConfigImage image;
    LinkEngineConfig config;
    config.portName = [&] { return sim.path(); };
    LinkEngine engine(port, view, image, config);
    QObject::connect(&port, &TAsynComm32::rxChar, [&](int) {
        timing.lastRead = timing.clock.elapsed();
        engine.receive(port.readAll());
    });
    QTimer adas;
    adas.setInterval(50);
    QObject::connect(&adas, &QTimer::timeout, [&] { engine.tick(); });
    adas.start();

    timing.clock.start();
    if (wav.isEmpty())
        engine.startCallerIdRead();
    else if (!engine.startSoundUpload(wav, 0x0300))
        return r;
    QElapsedTimer limit;
    limit.start();
    while (engine.busy() && limit.elapsed() < 600000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        sim.lines(); // keep the simulator's output pipe drained
    }
    r.ms = timing.clock.elapsed();
    r.firstRequestMs = timing.firstWrite;
    r.lastReplyMs = timing.lastRead;
    const auto& read = engine.callerIdMemory().bytes();
    r.ok =
        !engine.busy() && view.messages.isEmpty() &&
        (wav.isEmpty() ? std::all_of(read.begin(), read.end(), [](uint8_t b) { return b == 0xFF; })
                       : sim.waitForLine(QStringLiteral("SOUND END 0300 BLOCKS 255"), 5000));
    if (!r.ok)
        std::fprintf(stderr, "upload failed: %s\n", qPrintable(view.messages.join(u'|')));
    port.close();
    return r;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("ALVENTO_SIM"))
        qputenv("ALVENTO_SIM", ALVENTO_SIM_PATH);
    int repeat = 3;
    const QStringList a = app.arguments();
    for (int i = 1; i + 1 < a.size(); ++i)
        if (a[i] == QLatin1String("--repeat"))
            repeat = std::max(1, a[i + 1].toInt());
    QTemporaryDir dir;
    const QString wav = writeSound(dir);
    const double wire = kWireBytes * kBitsPerByte / kBaud;
    std::printf("sound upload of %d blocks at %d baud, %g bits per byte; best of %d runs\n\n",
                kBlocks, kBaud, kBitsPerByte, repeat);
    QList<Run> runs;
    for (int i = 0; i < repeat; ++i)
        runs << runOnce(wav);
    const Run* best = nullptr;
    QStringList all;
    for (const Run& r : runs) {
        if (!r.ok)
            continue;
        all << QString::number(r.ratio(wire), 'f', 3);
        if (!best || r.ms < best->ms)
            best = &r;
    }
    if (!best)
        return 1;
    const double busy = (best->lastReplyMs - best->firstRequestMs) / 1000.0;
    std::printf(
        "upload %6ld bytes on the wire  wire %7.3f s  wall %7.3f s  ratio %5.3f  (runs %s)\n"
        "       gap: start frame after %lld ms, then %+.2f ms per block over %d blocks\n",
        kWireBytes, wire, best->ms / 1000.0, best->ratio(wire), qPrintable(all.join(' ')),
        static_cast<long long>(best->firstRequestMs), (busy - wire) * 1000.0 / kBlocks, kBlocks);
    bool ok = runs.size() == all.size();

    const double callerIdWire = kCallerIdWireBytes * kBitsPerByte / kBaud;
    QList<Run> reads;
    for (int i = 0; i < repeat; ++i)
        reads << runOnce(QString());
    const Run* fastest = nullptr;
    QStringList readRatios;
    for (const Run& r : reads) {
        if (!r.ok)
            continue;
        readRatios << QString::number(r.ratio(callerIdWire), 'f', 3);
        if (!fastest || r.ms < fastest->ms)
            fastest = &r;
    }
    if (!fastest)
        return 1;
    std::printf("caller-ID read of an empty memory %6ld bytes on the wire  wire %7.3f s  "
                "wall %7.3f s  ratio %5.3f  (runs %s)\n",
                kCallerIdWireBytes, callerIdWire, fastest->ms / 1000.0,
                fastest->ratio(callerIdWire), qPrintable(readRatios.join(' ')));
    ok = ok && reads.size() == readRatios.size();
    return ok ? 0 : 1;
}
