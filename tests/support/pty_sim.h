#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs alvento-sim (path from $ALVENTO_SIM) as a child process and collects what
// it prints. The first line it prints names its pseudo-terminal ("PTY <path>");
// afterwards it reports every request it receives ("RX <hex bytes>").
class PtySim {
  public:
    explicit PtySim(const QStringList& args);
    ~PtySim();

    bool started() const { return !path_.isEmpty(); }
    QString path() const { return path_; }
    // Lines printed so far (stdout), without the PTY line.
    QStringList lines();
    // Waits (running the event loop) until a printed line contains `needle`.
    bool waitForLine(const QString& needle, int timeoutMs);
    int countLines(const QString& needle);
    // Ends the simulator (SIGTERM, so it can save its memory) and waits.
    void stop();
    // Sends a signal to the simulator (SIGUSR1 pulls its port, SIGUSR2 puts it back).
    void signal(int sig);

  private:
    void pump();
    QProcess proc_;
    QString path_;
    QStringList lines_;
    QByteArray partial_;
};
