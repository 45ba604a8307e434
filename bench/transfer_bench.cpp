// Read-all and write-all through `alvento read` / `alvento write` against
// alvento-sim pacing both directions at 9600 baud. For each operation it
// prints the wall time beside the time its bytes need on the line
// (request + reply bytes x 10 bits / 9600) and their ratio; the target is
// 1.05 at most.
//
//   transfer_bench [--repeat N] [--only METHOD[/read|write]] [--shared-clock]
//
// The CLI reports each transfer as
//   transfer <what> sent=N received=N ms=N first_request_ms=N last_reply_ms=N
// timed from the moment the operation is started in the engine. "ms" is the
// operation as a user sees it; "busy" (first request to last reply) leaves out
// the ticks the engine waits before its first request.
//
// Each case runs N times (default 3) and the best run is shown, with the
// ratios of all runs after it: the machine is shared, and nothing the tool
// does can make a transfer faster than its best run, only other programs
// slower. The gap above the wire time is shown as its parts: the wait before
// the first request, and the rest spread over the request/reply pairs
// (turnaround in the tool, the simulator and the pseudo-terminal, plus any
// tick the engine waits for between requests).
//
// What the rig itself costs is measured too: a bare client (blocking reads and
// writes on the pseudo-terminal, no Qt, no engine) makes byte read requests
// against the same simulator, 256 just before every run and the whole 1024 at
// the end. Its gap per pair is the simulator's paced line and the scheduling
// of this machine at that moment; the tool's gap per pair above it is what the
// tool adds.

#include "support/pty_sim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kBaud = 9600;
constexpr double kBitsPerByte = 10.0;
constexpr double kTarget = 1.05;

struct Case {
    const char* method;
    const char* command; // read or write
    int model;
    int version;
    // Bytes on the line without a single repeat, counted from the frame sizes.
    long idealBytes;
    long exchanges;      // request/reply pairs without a repeat
    bool erased = false; // the module's memory is all 0xFF: its blocks are alike
};

// Byte read: 6-byte request, 6-byte reply per byte. Byte write: the same for
// 1024 - 3 module-owned - 16 edition-tag positions, then the 18-byte clock
// frame and its 6-byte reply. Block: 6-byte request + 257-byte reply, or
// 262-byte write + 1-byte reply. Record: 6 + 39 bytes, or 39 + 6 bytes.
const Case kCases[] = {
    {"bytes", "read", 70, 32, 1024L * 12, 1024},
    {"bytes", "write", 70, 32, 1005L * 12 + 24, 1005 + 1},
    {"blocks", "read", 71, 43, 6L * 263, 6},
    // An erased module: blocks 1 to 5 equal each other.
    {"alike", "read", 71, 43, 6L * 263, 6, true},
    {"blocks", "write", 71, 43, 6L * 263 + 24, 6 + 1},
    {"records", "read", 100, 43, 256L * 45, 256},
    {"records", "write", 100, 32, 1005L * 12 + 224L * 45 + 24, 1005 + 224 + 1},
};
// A write may read the module before (restore-read) and after it
// (verify-read); such a read is the model's read-all.
struct Ideal {
    long bytes, exchanges;
};
Ideal readIdeal(int model, int version) {
    if (model == 100)
        return {256L * 45, 256};
    if (version > 32)
        return {6L * 263, 6};
    return {1024L * 12, 1024};
}

struct Transfer {
    QString what;
    long sent = 0, received = 0, ms = 0, firstRequestMs = 0, lastReplyMs = 0;
    double rigGapMs = 0; // the rig alone's gap per pair, measured just before this run

    double wireSeconds() const { return (sent + received) * kBitsPerByte / kBaud; }
    double ratio() const { return ms / 1000.0 / wireSeconds(); }
};

QList<Transfer> transfersIn(const QString& err) {
    static const QRegularExpression re(
        QStringLiteral("transfer (\\S+) sent=(\\d+) received=(\\d+) ms=(\\d+) "
                       "first_request_ms=(-?\\d+) last_reply_ms=(-?\\d+)"));
    QList<Transfer> list;
    auto it = re.globalMatch(err);
    while (it.hasNext()) {
        const auto m = it.next();
        list << Transfer{m.captured(1),          m.captured(2).toLong(), m.captured(3).toLong(),
                         m.captured(4).toLong(), m.captured(5).toLong(), m.captured(6).toLong()};
    }
    return list;
}

// One run of the case's command; its transfers, empty on failure.
QList<Transfer> runCase(const Case& c, const QTemporaryDir& dir) {
    QByteArray memory(8192, '\0');
    QRandomGenerator rng(uint(c.model * 100 + c.version));
    for (char& b : memory)
        b = static_cast<char>(c.erased ? 0xFF : rng.bounded(256));
    const QString memoryPath = dir.filePath(QStringLiteral("memory.bin"));
    QFile(memoryPath).remove();
    {
        QFile f(memoryPath);
        f.open(QIODevice::WriteOnly);
        f.write(memory);
    }
    const QString file = dir.filePath(QStringLiteral("config.dat"));
    if (QLatin1String(c.command) == QLatin1String("write")) {
        const int imageSize = c.model == 100 ? 8192 : 1024;
        QFile f(file);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(memory.left(imageSize));
        f.write(QByteArray(6 * 128, '\0'));
    }

    PtySim sim({"--model", QString::number(c.model), "--version", QString::number(c.version),
                "--memory", memoryPath, "--pace-baud", QString::number(kBaud)});
    if (!sim.started()) {
        std::fprintf(stderr, "simulator did not start\n");
        return {};
    }
    QProcess p;
    // Settings of their own, so that no "company" of the user's changes which
    // bytes a write sends.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    p.setProcessEnvironment(env);
    const QStringList args{QLatin1String(c.command), "--port", sim.path(),
                           QLatin1String(c.command) == QLatin1String("read") ? "--out" : "--in",
                           file};
    p.start(QStringLiteral(ALVENTO_EXE_PATH), args);
    while (!p.waitForFinished(10)) {
        QCoreApplication::processEvents();
        sim.lines(); // keep the simulator's output pipe drained
        if (p.state() == QProcess::NotRunning)
            break;
    }
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    if (p.exitCode() != 0) {
        std::fprintf(stderr, "alvento %s failed (%d):\n%s\n", c.command, p.exitCode(),
                     err.toLocal8Bit().constData());
        return {};
    }
    return transfersIn(err);
}

// The rig alone: the first `pairs` requests of the byte read-all from a bare
// client, each sent as soon as the whole reply is in. Seconds, or -1 when the
// simulator did not answer.
double bareByteReads(int pairs) {
    PtySim sim({"--model", "70", "--version", "32", "--pace-baud", QString::number(kBaud)});
    if (!sim.started())
        return -1;
    const int fd = ::open(sim.path().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return -1;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B9600);
    ::tcsetattr(fd, TCSANOW, &t);
    ::tcflush(fd, TCIOFLUSH);
    QElapsedTimer clock;
    clock.start();
    double seconds = -1;
    for (int a = 0; a < pairs; ++a) {
        const auto hi = static_cast<uint8_t>(a >> 8), lo = static_cast<uint8_t>(a);
        const auto check = static_cast<uint8_t>(hi + lo - 1);
        const uint8_t request[6] = {hi, 0x00, lo, 0, static_cast<uint8_t>(255 - check), check};
        if (::write(fd, request, sizeof request) != 6)
            break;
        int got = 0;
        while (got < 6) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0)
                break;
            uint8_t buf[64];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                got += static_cast<int>(n);
        }
        if (got < 6)
            break;
        if (a % 64 == 0)
            sim.lines(); // keep the simulator's output pipe drained
        if (a == pairs - 1)
            seconds = clock.elapsed() / 1000.0;
    }
    ::close(fd);
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("ALVENTO_SIM"))
        qputenv("ALVENTO_SIM", ALVENTO_SIM_PATH);
    int repeat = 3;
    bool moduleClock = true;
    QString only;
    const QStringList a = app.arguments();
    for (int i = 1; i < a.size(); ++i) {
        if (a[i] == QLatin1String("--repeat") && i + 1 < a.size())
            repeat = std::max(1, a[++i].toInt());
        else if (a[i] == QLatin1String("--only") && i + 1 < a.size())
            only = a[++i];
        else if (a[i] == QLatin1String("--shared-clock"))
            moduleClock = false;
    }
    QTemporaryDir dir;
    // A module keeps its line's pace with a clock of its own, whatever else the
    // PC is doing. The simulator stands in for it, so it runs at a real-time
    // priority where the system allows, and the machine's other work cannot
    // stretch its line; the tool runs as any program does. --shared-clock runs
    // the simulator like any other program.
    if (moduleClock) {
        const QString wrapper = dir.filePath(QStringLiteral("sim-module-clock"));
        QFile w(wrapper);
        const bool made =
            w.open(QIODevice::WriteOnly) &&
            w.write("#!/bin/sh\nexec chrt -f 20 \"" + qgetenv("ALVENTO_SIM") + "\" \"$@\"\n") > 0;
        w.close();
        moduleClock =
            made && w.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) &&
            QProcess::execute(QStringLiteral("chrt"), {QStringLiteral("-f"), QStringLiteral("20"),
                                                       QStringLiteral("true")}) == 0;
        if (moduleClock)
            qputenv("ALVENTO_SIM", wrapper.toLocal8Bit());
    }
    std::printf("transfers at %d baud, %g bits per byte; target ratio <= %.2f; best of %d runs; "
                "simulator %s\n\n",
                kBaud, kBitsPerByte, kTarget, repeat,
                moduleClock ? "at a real-time priority (the module's own clock)"
                            : "at the priority of any program (--shared-clock, or no real-time "
                              "priority allowed)");
    bool ok = true;
    bool allWithin = true;
    for (const Case& c : kCases) {
        if (!only.isEmpty() && only != QLatin1String(c.method) &&
            only != QLatin1String(c.method) + QLatin1Char('/') + QLatin1String(c.command))
            continue;
        QMap<QString, QList<Transfer>> runs; // by transfer: restore-read, read-all, write-all
        for (int r = 0; r < repeat; ++r) {
            // The machine is shared: what the rig alone costs at this moment.
            constexpr int kRigPairs = 256;
            const double rig = bareByteReads(kRigPairs);
            const double rigGapMs =
                rig > 0 ? (rig - kRigPairs * 12 * kBitsPerByte / kBaud) * 1000.0 / kRigPairs : 0;
            QList<Transfer> transfers = runCase(c, dir);
            if (transfers.isEmpty())
                ok = false;
            for (Transfer& t : transfers) {
                t.rigGapMs = rigGapMs;
                runs[t.what] << t;
            }
        }
        for (auto it = runs.cbegin(); it != runs.cend(); ++it) {
            const QList<Transfer>& list = it.value();
            const Transfer* best = &list.front();
            for (const Transfer& t : list)
                if (t.ratio() < best->ratio())
                    best = &t;
            const bool extraRead =
                best->what != QLatin1String("read-all") && best->what != QLatin1String("write-all");
            const Ideal read = readIdeal(c.model, c.version);
            const long ideal = extraRead ? read.bytes : c.idealBytes;
            const long exchanges = extraRead ? read.exchanges : c.exchanges;
            const double wire = best->wireSeconds();
            const double busy = (best->lastReplyMs - best->firstRequestMs) / 1000.0;
            const double perExchangeMs = (busy - wire) * 1000.0 / exchanges;
            QStringList all;
            for (const Transfer& t : list)
                all << QString::number(t.ratio(), 'f', 3);
            allWithin = allWithin && best->ratio() <= kTarget;
            std::printf("%-8s %-5s model %3d v%d %-13s %6ld bytes (ideal %6ld)  wire %7.3f s  "
                        "wall %7.3f s  ratio %5.3f %s  (runs %s; to the ideal bytes %5.3f)\n"
                        "         gap: first request after %ld ms, then %+.2f ms per "
                        "request/reply pair over %ld pairs (the rig alone just before: %+.2f)\n",
                        c.method, c.command, c.model, c.version,
                        best->what.toLocal8Bit().constData(), best->sent + best->received, ideal,
                        wire, best->ms / 1000.0, best->ratio(),
                        best->ratio() <= kTarget ? "ok  " : "OVER", qPrintable(all.join(' ')),
                        best->ms / 1000.0 / (ideal * kBitsPerByte / kBaud), best->firstRequestMs,
                        perExchangeMs, exchanges, best->rigGapMs);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    // The rig's own cost, for the byte transfers' gap per pair above.
    double bare = -1;
    QStringList bareRuns;
    for (int r = 0; r < repeat; ++r) {
        const double sec = bareByteReads(1024);
        bareRuns << QString::number(sec, 'f', 3);
        if (sec > 0 && (bare < 0 || sec < bare))
            bare = sec;
    }
    if (bare > 0) {
        const double wire = 1024 * 12 * kBitsPerByte / kBaud;
        std::printf("rig alone   a bare client's byte read-all (no Qt, no engine): wire %.3f s  "
                    "wall %.3f s  ratio %5.3f  (runs %s s)\n"
                    "         gap: %+.2f ms per request/reply pair: the simulator's paced line, "
                    "the pseudo-terminal and this machine's scheduling\n\n",
                    wire, bare, bare / wire, qPrintable(bareRuns.join(' ')),
                    (bare - wire) * 1000.0 / 1024);
    } else {
        std::printf("rig alone   the bare client got no answer\n\n");
        ok = false;
    }
    std::printf("%s\n", allWithin ? "every transfer within the target"
                                  : "some transfers above the target (OVER)");
    return ok ? 0 : 1;
}
