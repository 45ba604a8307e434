// The read-back verify's extra time beside the write it checks, through
// `alvento write` against alvento-sim pacing both directions at 9600 baud.
//
//   verify_bench [--repeat N]
//
// A write is three transfers, each reported by the command line as
//   transfer <what> sent=N received=N ms=N ...
// restore-read (the read for the backup), write-all, verify-read. For each
// method the bench prints the write-all's time, the verify-read's time, their
// ratio, and the verify's share of the whole command; beside each time the time
// its bytes need on the line (bytes x 10 bits / 9600 baud). Each case runs N
// times (default 3) and the best run of each transfer is shown: the machine is
// shared, and nothing the tool does can make a transfer faster than its best.

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
#include <limits>

namespace {

constexpr int kBaud = 9600;
constexpr double kBitsPerByte = 10.0;

struct Case {
    const char* method;
    int model;
    int version;
};

const Case kCases[] = {
    {"bytes (ModelCode 70, 3.2)", 70, 32},
    {"blocks (ModelCode 71, 4.3)", 71, 43},
    {"bytes + records (ModelCode 100, 3.2)", 100, 32},
    {"blocks + records (ModelCode 100, 4.3)", 100, 43},
};

struct Transfer {
    qint64 ms = std::numeric_limits<qint64>::max();
    qint64 bytes = 0; // sent and received
};

double wireMs(qint64 bytes) {
    return 1000.0 * bytes * kBitsPerByte / kBaud;
}

// One `alvento write` of a file unlike the module; its transfers by name.
QMap<QString, Transfer> runWrite(const Case& c, const QTemporaryDir& dir, bool* ok) {
    QMap<QString, Transfer> out;
    QRandomGenerator rng(7u + c.model + c.version);
    QByteArray memory(8192, '\0');
    for (char& b : memory)
        b = static_cast<char>(rng.bounded(256));
    const int imageSize = c.model == 100 ? 8192 : 1024;
    QByteArray file(imageSize + 768, '\0');
    for (int i = 0; i < imageSize; ++i)
        file[i] = static_cast<char>(~memory[i]);
    for (const auto& [name, bytes] : {std::pair{QStringLiteral("memory.bin"), memory},
                                      std::pair{QStringLiteral("in.dat"), file}}) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
    }
    PtySim sim({"--model", QString::number(c.model), "--version", QString::number(c.version),
                "--memory", dir.filePath(QStringLiteral("memory.bin")), "--pace-baud",
                QString::number(kBaud)});
    *ok = sim.started();
    if (!*ok)
        return out;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ALVENTO_EXE_PATH),
            {"write", "--port", sim.path(), "--in", dir.filePath(QStringLiteral("in.dat"))});
    while (p.state() != QProcess::NotRunning || !p.waitForFinished(10)) {
        if (p.state() == QProcess::NotRunning)
            break;
        sim.lines(); // keep the simulator's pipe from filling
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    *ok = p.exitCode() == 0;
    static const QRegularExpression re(
        QStringLiteral("transfer (\\S+) sent=(\\d+) received=(\\d+) ms=(\\d+)"));
    auto it = re.globalMatch(QString::fromLocal8Bit(p.readAllStandardError()));
    while (it.hasNext()) {
        const auto m = it.next();
        out[m.captured(1)] = {m.captured(4).toLongLong(),
                              m.captured(2).toLongLong() + m.captured(3).toLongLong()};
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qputenv("ALVENTO_SIM", ALVENTO_SIM_PATH);
    int repeat = 3;
    const QStringList args = app.arguments();
    if (const int i = args.indexOf(QStringLiteral("--repeat")); i > 0 && i + 1 < args.size())
        repeat = std::max(1, args[i + 1].toInt());

    std::printf("Read-back verify beside the write-all it checks, 9600 baud, best of %d\n\n",
                repeat);
    std::printf("%-38s %11s %11s %11s %11s %8s %8s\n", "method", "write ms", "(wire)", "verify ms",
                "(wire)", "v/w", "share");
    for (const Case& c : kCases) {
        Transfer write, verify, backup;
        for (int r = 0; r < repeat; ++r) {
            QTemporaryDir dir;
            bool ok = false;
            const auto t = runWrite(c, dir, &ok);
            if (!ok || !t.contains(QStringLiteral("write-all")) ||
                !t.contains(QStringLiteral("verify-read"))) {
                std::printf("%-38s failed\n", c.method);
                return 1;
            }
            auto best = [](Transfer& b, const Transfer& now) {
                if (now.ms < b.ms)
                    b = now;
            };
            best(write, t[QStringLiteral("write-all")]);
            best(verify, t[QStringLiteral("verify-read")]);
            best(backup, t[QStringLiteral("restore-read")]);
        }
        const double whole = double(backup.ms + write.ms + verify.ms);
        std::printf("%-38s %11lld %11.0f %11lld %11.0f %8.2f %7.0f%%\n", c.method,
                    static_cast<long long>(write.ms), wireMs(write.bytes),
                    static_cast<long long>(verify.ms), wireMs(verify.bytes),
                    double(verify.ms) / double(write.ms), 100.0 * verify.ms / whole);
    }
    std::printf("\nv/w: the verify's time over the write's. share: the verify's part of the whole\n"
                "command (backup read + write + verify). The verify is the model's read-all:\n"
                "by bytes and by blocks about what the write costs; ModelCode 100 reads all\n"
                "256 records, more than its block write sends, less than its byte write.\n");
    return 0;
}
