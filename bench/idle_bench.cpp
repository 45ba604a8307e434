// What the tool costs the machine while it sits idle: the windows started
// against alvento-sim (ModelCode 71 with its example configuration, 9600 baud),
// measured once the configurator is up and has let go of the port.
//
//   idle_bench [--seconds N] [--exe PATH] [--sim PATH]
//
// Run it under the display the tool would use (`xvfb-run -a bench/idle_bench`
// on a machine without one; with neither DISPLAY nor WAYLAND_DISPLAY set the
// tool runs on the offscreen platform and the bench says so).
//
// "Idle" is read from the tool's serial trace: the configurator's version
// query (TX 00 00 FE 00 02 FD) has gone out and the port has been closed after
// it. The bench then waits 3 s and measures over N seconds (default 30):
// - wake-ups: voluntary context switches, summed over every thread of the
//   tool (/proc/<pid>/task/*/status): a thread that sleeps in poll() (or waits
//   for the X server) counts one each time it goes back to sleep after being
//   woken. Involuntary switches (a running thread preempted) are printed
//   beside them: they tell how busy the machine is, not how often the tool
//   wakes;
// - CPU: utime + stime of the whole process (/proc/<pid>/stat) over the
//   wall-clock time, in % of one core;
// - resident memory: VmRSS at the end.
// Each figure is printed with its goal beside it. --exe and --sim measure
// another build (e.g. the one before a change) with the same bench.

#include "support/pty_sim.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr double kWakeGoal = 3.0;      // per second
constexpr double kCpuGoal = 0.2;       // % of one core
constexpr double kMemoryGoalMb = 50.0; // resident, below
constexpr int kSettleMs = 3000;
constexpr int kIdleTimeoutMs = 90000;

struct ThreadSample {
    QString name;
    qint64 voluntary = 0;
    qint64 involuntary = 0;
};

struct Sample {
    QMap<QString, ThreadSample> threads; // by thread id
    qint64 cpuTicks = 0;                 // utime + stime
    qint64 rssKb = 0;
};

QByteArray readProc(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

qint64 statusField(const QByteArray& status, const char* name) {
    for (const QByteArray& line : status.split('\n'))
        if (line.startsWith(name))
            return line.mid(qstrlen(name)).trimmed().split(' ').front().toLongLong();
    return 0;
}

Sample sample(qint64 pid) {
    Sample s;
    const QString base = QStringLiteral("/proc/%1").arg(pid);
    for (const QString& tid :
         QDir(base + QStringLiteral("/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString dir = base + QStringLiteral("/task/") + tid;
        const QByteArray status = readProc(dir + QStringLiteral("/status"));
        if (status.isEmpty())
            continue; // the thread ended meanwhile
        ThreadSample t;
        t.name = QString::fromUtf8(readProc(dir + QStringLiteral("/comm")).trimmed());
        t.voluntary = statusField(status, "voluntary_ctxt_switches:");
        t.involuntary = statusField(status, "nonvoluntary_ctxt_switches:");
        s.threads.insert(tid, t);
    }
    // The command name in field 2 may hold spaces; the fields after it don't.
    const QByteArray stat = readProc(base + QStringLiteral("/stat"));
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() > 12)
        s.cpuTicks = fields[11].toLongLong() + fields[12].toLongLong(); // utime, stime
    s.rssKb = statusField(readProc(base + QStringLiteral("/status")), "VmRSS:");
    return s;
}

// The configurator has asked the module's version and closed the port again.
bool configuratorIdle(const QString& tracePath) {
    const QByteArray trace = readProc(tracePath);
    const qsizetype query = trace.indexOf("TX    6  00 00 FE 00 02 FD");
    return query >= 0 && trace.indexOf("--  closed", query) >= 0;
}

void waitMs(PtySim& sim, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        sim.lines(); // keeps the simulator's pipe from filling
        QThread::msleep(200);
    }
}

const char* verdict(bool ok) {
    return ok ? "ok" : "MISSED";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int seconds = 30;
    QString exe = QStringLiteral(ALVENTO_EXE_PATH);
    QString simExe = QStringLiteral(ALVENTO_SIM_PATH);
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds"))
            seconds = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--exe"))
            exe = args[i + 1];
        else if (args[i] == QLatin1String("--sim"))
            simExe = args[i + 1];
    }
    qputenv("ALVENTO_SIM", simExe.toLocal8Bit());

    QTemporaryDir dir;
    // A language is stored, so the search starts at once rather than the
    // language chooser; every edition's settings file holds it.
    for (const char* file :
         {"GSM/NORVIK.ini", "GSM/Telvaro.ini", "GSM/KESTRIN.ini", "Dravik/Dravik.ini"}) {
        const QString path = dir.filePath(QStringLiteral("config/") + QLatin1String(file));
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("[General]\nLanguage=0\n");
    }

    PtySim sim({"--model", "71", "--version", "43", "--example-config", "--pace-baud", "9600"});
    if (!sim.started()) {
        std::fprintf(stderr, "idle_bench: the simulator did not start (%s)\n", qPrintable(simExe));
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    QString platform = env.value(QStringLiteral("QT_QPA_PLATFORM"));
    if (platform.isEmpty()) {
        if (env.contains(QStringLiteral("DISPLAY")))
            platform = QStringLiteral("xcb (DISPLAY=%1)").arg(env.value(QStringLiteral("DISPLAY")));
        else if (env.contains(QStringLiteral("WAYLAND_DISPLAY")))
            platform = QStringLiteral("wayland");
        else {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            platform = QStringLiteral("offscreen (no display: run under xvfb-run -a for X11)");
        }
    }
    const QString trace = dir.filePath(QStringLiteral("trace.txt"));
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.setProcessChannelMode(QProcess::ForwardedChannels);
    tool.start(exe, {"--port", sim.path(), "--trace", trace});
    if (!tool.waitForStarted(10000)) {
        std::fprintf(stderr, "idle_bench: %s did not start\n", qPrintable(exe));
        return 1;
    }

    QElapsedTimer upFor;
    upFor.start();
    while (!configuratorIdle(trace)) {
        if (tool.state() == QProcess::NotRunning || upFor.elapsed() > kIdleTimeoutMs) {
            std::fprintf(stderr, "idle_bench: the configurator did not come up and go idle\n");
            return 1;
        }
        waitMs(sim, 200);
    }
    const qint64 upMs = upFor.elapsed();
    waitMs(sim, kSettleMs);

    const qint64 pid = tool.processId();
    const qint64 traceBefore = QFileInfo(trace).size();
    const Sample a = sample(pid);
    QElapsedTimer wall;
    wall.start();
    waitMs(sim, seconds * 1000);
    const Sample b = sample(pid);
    const double elapsed = wall.elapsed() / 1000.0;
    const bool stillIdle = QFileInfo(trace).size() == traceBefore; // no port traffic meanwhile

    tool.terminate();
    if (!tool.waitForFinished(5000))
        tool.kill();
    tool.waitForFinished(2000);
    sim.stop();

    qint64 wakeups = 0;
    qint64 preempted = 0;
    std::printf("Idle configurator: alvento against alvento-sim (ModelCode 71, example\n"
                "configuration, 9600 baud); idle %.1f s after start, measured over %.1f s\n"
                "platform: %s\n\n",
                upMs / 1000.0, elapsed, qPrintable(platform));
    std::printf("%-8s %-16s %12s %12s\n", "thread", "name", "wake-ups/s", "preempted/s");
    for (auto it = b.threads.begin(); it != b.threads.end(); ++it) {
        const ThreadSample before = a.threads.value(it.key());
        const qint64 n = it->voluntary - before.voluntary;
        const qint64 p = it->involuntary - before.involuntary;
        wakeups += n;
        preempted += p;
        std::printf("%-8s %-16s %12.2f %12.2f\n", qPrintable(it.key()), qPrintable(it->name),
                    n / elapsed, p / elapsed);
    }
    const double wakeRate = wakeups / elapsed;
    const double cpu =
        100.0 * double(b.cpuTicks - a.cpuTicks) / double(sysconf(_SC_CLK_TCK)) / elapsed;
    const double rssMb = b.rssKb / 1024.0;
    std::printf("\n%-28s %10s %10s\n", "", "measured", "goal");
    std::printf("%-28s %10.2f %10s  %s\n", "wake-ups per second", wakeRate, "<= 3",
                verdict(wakeRate <= kWakeGoal));
    std::printf("%-28s %10.3f %10s  %s\n", "CPU, % of one core", cpu, "<= 0.2",
                verdict(cpu <= kCpuGoal));
    std::printf("%-28s %10.1f %10s  %s\n", "resident memory, MB", rssMb, "< 50",
                verdict(rssMb < kMemoryGoalMb));
    std::printf("\nWake-ups: voluntary context switches of all the tool's threads (%.2f/s\n"
                "more were preemptions by other work on the machine); CPU: utime + stime\n"
                "at %ld ticks a second.%s\n",
                preempted / elapsed, sysconf(_SC_CLK_TCK),
                stillIdle ? "" : "\nNOTE: the tool used its port during the measurement.");
    return 0;
}
