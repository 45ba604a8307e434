#pragma once
// Runs the command-line tool to its end while the simulator's output keeps
// being collected (its pipe must not fill up), and keeps what it printed.
#include "support/pty_sim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>
#include <optional>

struct CliRun {
    int exitCode = -1; // -1: the tool did not end normally
    QString out;
    QString err;
};

struct CliRunOptions {
    PtySim* sim = nullptr;
    int limitMs = 120000;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Given: written to the tool's standard input, which is then closed.
    std::optional<QByteArray> input;
};

inline CliRun runAlvento(const QStringList& args, const CliRunOptions& o = {}) {
    QProcess p;
    p.setProcessEnvironment(o.env);
    p.start(qEnvironmentVariable("ALVENTO_EXE"), args);
    EXPECT_TRUE(p.waitForStarted(5000));
    if (o.input) {
        p.write(*o.input);
        p.closeWriteChannel();
    }
    QElapsedTimer t;
    t.start();
    while (p.state() != QProcess::NotRunning && t.elapsed() < o.limitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (o.sim)
            o.sim->lines();
        p.waitForFinished(10);
    }
    if (p.state() != QProcess::NotRunning) {
        ADD_FAILURE() << "alvento " << args.join(' ').toStdString() << " did not end";
        p.kill();
        p.waitForFinished(2000);
    }
    CliRun r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}
