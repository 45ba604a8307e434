// The serial trace (--trace FILE) of the real tool against the real module
// simulator: every request the module received and every reply it sent appear
// in the trace, in the order they crossed the line, also when replies are
// lost, corrupted or split on the way.

#include "core/reply_faults.h"
#include "core/sim_module.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "support/pty_sim.h"
#include "support/wait.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <span>

namespace {

constexpr int kMemorySize = 8192;

struct TraceLine {
    QString time;
    QString port;
    QString direction; // TX, RX, or -- for a port event
    QByteArray bytes;
    QString text; // the event, or a note after the bytes
};

// Parses a trace; a line that fits no form fails the test.
QList<TraceLine> readTrace(const QString& path) {
    static const QRegularExpression data(
        QStringLiteral("^(\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d)  (\\S+)  (TX|RX) +(\\d+)  "
                       "([0-9A-F]{2}(?: [0-9A-F]{2})*)"
                       "(?:  \\((.*)\\))?$"));
    static const QRegularExpression event(
        QStringLiteral("^(\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d)  (\\S+)  --  (.+)$"));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    QList<TraceLine> lines;
    QList<QByteArray> raws = f.readAll().split('\n');
    raws.removeLast(); // empty after a whole last line, or a line still being written
    for (const QByteArray& raw : raws) {
        const QString line = QString::fromUtf8(raw);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (const auto m = data.match(line); m.hasMatch()) {
            TraceLine t{m.captured(1), m.captured(2), m.captured(3),
                        QByteArray::fromHex(m.captured(5).toLatin1()), m.captured(6)};
            EXPECT_EQ(t.bytes.size(), m.captured(4).toInt()) << line.toStdString();
            lines << t;
        } else if (const auto e = event.match(line); e.hasMatch()) {
            lines << TraceLine{
                e.captured(1), e.captured(2), QStringLiteral("--"), {}, e.captured(3)};
        } else {
            ADD_FAILURE() << "not a trace line: " << line.toStdString();
        }
    }
    return lines;
}

alvento::sim::Bytes toBytes(const QByteArray& b) {
    return alvento::sim::Bytes(b.begin(), b.end());
}

QByteArray fromBytes(const alvento::sim::Bytes& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

QByteArray randomMemory(quint32 seed) {
    QRandomGenerator rng(seed);
    QByteArray m(kMemorySize, '\0');
    for (char& b : m)
        b = static_cast<char>(rng.bounded(256));
    return m;
}

class TraceE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    // Runs alvento to its end, keeping the simulator's output collected.
    int run(const QStringList& args, PtySim& sim, QString* err = nullptr) {
        QProcess p;
        p.setProcessEnvironment(env_);
        p.start(qEnvironmentVariable("ALVENTO_EXE"), args);
        EXPECT_TRUE(p.waitForStarted(5000));
        const bool ended = waitUntil(
            [&] {
                sim.lines();
                return p.state() == QProcess::NotRunning || p.waitForFinished(5);
            },
            120000);
        if (!ended) {
            ADD_FAILURE() << "alvento " << args.join(' ').toStdString() << " did not end";
            p.kill();
            p.waitForFinished(3000);
        }
        if (err)
            *err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    QTemporaryDir dir_;
    QProcessEnvironment env_;
};

// The hex of each request the simulator took in, in order.
QStringList simRequests(PtySim& sim) {
    QStringList requests;
    for (const QString& line : sim.lines())
        if (line.startsWith(QLatin1String("RX ")))
            requests << line.mid(3);
    return requests;
}

TEST_F(TraceE2E, ReadAllTraceHoldsEveryRequestAndReplyInOrder) {
    struct Case {
        const char* name;
        int model;
        int version;
        QStringList lineArgs;
        alvento::sim::FaultOptions faults;
    };
    alvento::sim::FaultOptions byteFaults;
    byteFaults.dropEvery = 37;
    byteFaults.splitEvery = 11;
    byteFaults.corruptCheckEvery = 53;
    alvento::sim::FaultOptions blockFaults;
    blockFaults.splitEvery = 3;
    blockFaults.corruptCheckEvery = 5;
    const Case cases[] = {
        {"bytes, faulty replies",
         70,
         32,
         {"--drop-every", "37", "--split-every", "11", "--corrupt-check-every", "53"},
         byteFaults},
        {"blocks at 9600 baud, faulty replies",
         71,
         43,
         {"--pace-baud", "9600", "--split-every", "3", "--corrupt-check-every", "5"},
         blockFaults},
        {"records", 100, 43, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray memory = randomMemory(static_cast<quint32>(c.model * 100 + c.version));
        const QString memoryFile = path(QStringLiteral("memory.bin"));
        {
            QFile f(memoryFile);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(memory);
        }
        PtySim sim(QStringList{"--model", QString::number(c.model), "--version",
                               QString::number(c.version), "--memory", memoryFile} +
                   c.lineArgs);
        ASSERT_TRUE(sim.started());
        const QString trace = path(QStringLiteral("trace.txt"));
        QString err;
        ASSERT_EQ(run({"read", "--port", sim.path(), "--out", path(QStringLiteral("out.dat")),
                       "--trace", trace},
                      sim, &err),
                  0)
            << err.toStdString();
        const QList<TraceLine> lines = readTrace(trace);
        ASSERT_FALSE(lines.isEmpty());

        // The port's events frame the exchange.
        EXPECT_EQ(lines.front().direction, QStringLiteral("--"));
        EXPECT_EQ(lines.front().text, QStringLiteral("opened at 9600 baud"));
        EXPECT_EQ(lines.back().text, QStringLiteral("closed"));
        for (const TraceLine& l : lines)
            EXPECT_EQ(l.port, sim.path());

        // What the trace says was sent is what the module took in. The
        // simulator has printed all it took in once it has ended.
        sim.stop();
        QStringList sent;
        for (const TraceLine& l : lines)
            if (l.direction == QLatin1String("TX")) {
                EXPECT_TRUE(l.text.isEmpty()) << l.text.toStdString();
                sent << QString::fromLatin1(l.bytes.toHex(' ').toUpper());
            }
        EXPECT_EQ(sent, simRequests(sim));

        // Each request is followed, before the next one, by exactly the reply
        // the module gave it after the line's faults: the same module and the
        // same faults, replayed on the traced requests.
        alvento::sim::ModuleOptions options;
        options.model = c.model;
        options.version = c.version;
        alvento::sim::SimModule module(options);
        module.loadMemory(std::span(reinterpret_cast<const uint8_t*>(memory.constData()),
                                    static_cast<size_t>(memory.size())));
        alvento::sim::ReplyFaults faults(c.faults);
        int requests = 0;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines[i].direction != QLatin1String("TX"))
                continue;
            QByteArray received;
            int rxLines = 0;
            for (qsizetype j = i + 1; j < lines.size() && lines[j].direction != "TX"; ++j)
                if (lines[j].direction == QLatin1String("RX")) {
                    received += lines[j].bytes;
                    ++rxLines;
                }
            auto exchanges = module.feed(toBytes(lines[i].bytes));
            ASSERT_EQ(exchanges.size(), 1u) << "request " << requests;
            const auto reply =
                faults.apply(std::move(exchanges.front().reply), exchanges.front().address);
            EXPECT_EQ(received.toHex(' '), fromBytes(reply.bytes).toHex(' '))
                << "reply to request " << requests << ": "
                << lines[i].bytes.toHex(' ').toStdString();
            // A whole reply that came in one piece is one line.
            if (!reply.split && !reply.bytes.empty() && c.lineArgs.isEmpty())
                EXPECT_EQ(rxLines, 1) << "reply to request " << requests;
            ++requests;
        }
        EXPECT_GT(requests, 6);
    }
}

// The windows write the same trace: the search, and the version query of the
// window that takes over.
TEST_F(TraceE2E, WindowsModeTracesTheSearchAndTheConfigurator) {
    const QString configDir = path(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", configDir.toUtf8());
    SettingsStore::WriteString(settingsKeyPath(buildBrandCode()), QStringLiteral("Language"),
                               QStringLiteral("0"));
    qunsetenv("XDG_CONFIG_HOME");
    PtySim sim({"--model", "71", "--version", "43"});
    ASSERT_TRUE(sim.started());
    const QString trace = path(QStringLiteral("windows-trace.txt"));
    QProcess tool;
    tool.setProcessEnvironment(env_);
    tool.start(qEnvironmentVariable("ALVENTO_EXE"), {"--port", sim.path(), "--trace", trace});
    ASSERT_TRUE(tool.waitForStarted(5000));

    const QByteArray identifyRead = QByteArray::fromHex("0000FF0001FE");
    const QByteArray versionRead = QByteArray::fromHex("0000FE0002FD");
    const QByteArray modelReply = QByteArray::fromHex("AB00FF47");   // ModelCode 71
    const QByteArray versionReply = QByteArray::fromHex("AB00FE2B"); // version 4.3
    // Lines reach the file as they happen, so the trace can be read while the
    // tool runs.
    auto seen = [&](const QByteArray& txFrame, const QByteArray& rxStart) {
        const QList<TraceLine> lines = readTrace(trace);
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            if (lines[i].direction == QLatin1String("TX") && lines[i].bytes == txFrame &&
                lines[i + 1].direction == QLatin1String("RX") &&
                lines[i + 1].bytes.startsWith(rxStart))
                return true;
        return false;
    };
    EXPECT_TRUE(waitUntil(
        [&] {
            sim.lines();
            return QFile::exists(trace) && seen(identifyRead, modelReply);
        },
        15000));
    EXPECT_TRUE(waitUntil(
        [&] {
            sim.lines();
            return seen(versionRead, versionReply);
        },
        15000));
    tool.kill();
    tool.waitForFinished(3000);
}

// A trace that cannot be written stops the tool before the module hears
// anything, in the command line and in the windows.
TEST_F(TraceE2E, UnwritableTraceFileStopsTheToolBeforeThePortIsUsed) {
    const QString bad = path(QStringLiteral("no-such-folder/trace.txt"));
    const QStringList prefixes[] = {{"identify"}, {}};
    for (const QStringList& prefix : prefixes) {
        SCOPED_TRACE(prefix.join(' ').toStdString());
        PtySim sim({"--model", "71"});
        ASSERT_TRUE(sim.started());
        QString err;
        EXPECT_EQ(run(prefix + QStringList{"--port", sim.path(), "--trace", bad}, sim, &err), 2);
        EXPECT_TRUE(err.contains(QStringLiteral("cannot write the trace file")))
            << err.toStdString();
        EXPECT_TRUE(simRequests(sim).isEmpty());
    }
}

} // namespace
