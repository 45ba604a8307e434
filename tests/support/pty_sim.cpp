#include "support/pty_sim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <signal.h>

PtySim::PtySim(const QStringList& args) {
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc_.start(qEnvironmentVariable("ALVENTO_SIM"), args);
    if (!proc_.waitForStarted(5000))
        return;
    QElapsedTimer t;
    t.start();
    while (path_.isEmpty() && t.elapsed() < 10000) {
        proc_.waitForReadyRead(100);
        pump();
    }
}

PtySim::~PtySim() {
    stop();
}

void PtySim::pump() {
    partial_ += proc_.readAllStandardOutput();
    int nl;
    while ((nl = static_cast<int>(partial_.indexOf('\n'))) >= 0) {
        const QString line = QString::fromUtf8(partial_.left(nl)).trimmed();
        partial_.remove(0, nl + 1);
        if (path_.isEmpty() && line.startsWith(QLatin1String("PTY ")))
            path_ = line.mid(4);
        else
            lines_ << line;
    }
}

QStringList PtySim::lines() {
    pump();
    return lines_;
}

int PtySim::countLines(const QString& needle) {
    pump();
    int n = 0;
    for (const auto& l : lines_)
        if (l.contains(needle))
            ++n;
    return n;
}

bool PtySim::waitForLine(const QString& needle, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (countLines(needle) > 0)
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return countLines(needle) > 0;
}

void PtySim::stop() {
    if (proc_.state() == QProcess::NotRunning)
        return;
    proc_.terminate();
    if (!proc_.waitForFinished(5000)) {
        proc_.kill();
        proc_.waitForFinished(2000);
    }
    pump();
}

void PtySim::signal(int sig) {
    if (proc_.state() != QProcess::NotRunning)
        ::kill(static_cast<pid_t>(proc_.processId()), sig);
}
