// Read-all and write-all through `alvento read` / `alvento write` against
// alvento-sim pacing both directions at 9600 baud. For each operation it
// prints the wall time beside the time its bytes need on the line
// (request + reply bytes x 10 bits / 9600) and their ratio.
//
// The CLI reports each transfer as
//   transfer <what> sent=N received=N ms=N first_request_ms=N last_reply_ms=N
// timed from the moment the operation is started in the engine. "ms" is the
// operation as a user sees it; "busy" (first request to last reply) leaves out
// the ticks the engine waits before its first request.

#include "support/pty_sim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int kBaud = 9600;
constexpr double kBitsPerByte = 10.0;

struct Case {
    const char* method;
    const char* command; // read or write
    int model;
    int version;
    // Bytes on the line without a single repeat, counted from the frame sizes.
    long idealBytes;
};

// Byte read: 6-byte request, 6-byte reply per byte. Byte write: the same for
// 1024 - 3 module-owned - 16 edition-tag positions, then the 18-byte clock
// frame and its 6-byte reply. Block: 6-byte request + 257-byte reply, or
// 262-byte write + 1-byte reply. Record: 6 + 39 bytes, or 39 + 6 bytes.
const Case kCases[] = {
    {"bytes", "read", 70, 32, 1024L * 12},
    {"bytes", "write", 70, 32, 1005L * 12 + 24},
    {"blocks", "read", 71, 43, 6L * 263},
    {"blocks", "write", 71, 43, 6L * 263 + 24},
    {"records", "read", 100, 43, 256L * 45},
    {"records", "write", 100, 32, 1005L * 12 + 224L * 45 + 24},
};

struct Transfer {
    QString what;
    long sent = 0, received = 0, ms = 0, firstRequestMs = 0, lastReplyMs = 0;
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

double wireSeconds(long bytes) {
    return bytes * kBitsPerByte / kBaud;
}

bool runCase(const Case& c, const QTemporaryDir& dir) {
    QByteArray memory(8192, '\0');
    QRandomGenerator rng(uint(c.model * 100 + c.version));
    for (char& b : memory)
        b = static_cast<char>(rng.bounded(256));
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
        return false;
    }
    QProcess p;
    const QStringList args{QLatin1String(c.command), "--port", sim.path(),
                           QLatin1String(c.command) == QLatin1String("read") ? "--out" : "--in",
                           file};
    QElapsedTimer wall;
    wall.start();
    p.start(QStringLiteral(ALVENTO_EXE_PATH), args);
    while (!p.waitForFinished(10)) {
        QCoreApplication::processEvents();
        sim.lines(); // keep the simulator's output pipe drained
        if (p.state() == QProcess::NotRunning)
            break;
    }
    const qint64 wallMs = wall.elapsed();
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    if (p.exitCode() != 0) {
        std::fprintf(stderr, "alvento %s failed (%d):\n%s\n", c.command, p.exitCode(),
                     err.toLocal8Bit().constData());
        return false;
    }

    for (const Transfer& t : transfersIn(err)) {
        const long bytes = t.sent + t.received;
        const double wire = wireSeconds(bytes);
        const double ms = t.ms / 1000.0;
        const double busy = (t.lastReplyMs - t.firstRequestMs) / 1000.0;
        std::printf("%-8s %-5s model %3d v%d %-13s %6ld bytes (ideal %6ld)  wire %7.3f s  "
                    "wall %7.3f s  ratio %5.3f  |  first request after %4ld ms, "
                    "busy %7.3f s ratio %5.3f\n",
                    c.method, c.command, c.model, c.version, t.what.toLocal8Bit().constData(),
                    bytes, t.what == QLatin1String("restore-read") ? 6L * 263 : c.idealBytes, wire,
                    ms, ms / wire, t.firstRequestMs, busy, busy / wire);
    }
    std::printf("%-8s %-5s whole command (search, version query, transfers): %.3f s\n\n", c.method,
                c.command, wallMs / 1000.0);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("ALVENTO_SIM"))
        qputenv("ALVENTO_SIM", ALVENTO_SIM_PATH);
    QTemporaryDir dir;
    std::printf("transfers at %d baud, %g bits per byte; target ratio <= 1.10\n\n", kBaud,
                kBitsPerByte);
    bool ok = true;
    for (const Case& c : kCases)
        ok = runCase(c, dir) && ok;
    return ok ? 0 : 1;
}
