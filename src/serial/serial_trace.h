#pragma once
// A serial trace for support: every byte the program writes to a module and
// every byte it reads back, in plain text, one line per request or reply:
//
//   14:03:07.512  /dev/ttyUSB0  TX    6  00 00 FE 00 02 FD
//   14:03:07.531  /dev/ttyUSB0  RX    6  AB 00 FE 2B D3 2B
//
// time of day to the millisecond, port, direction, byte count, the bytes in
// hexadecimal. A reply reaches the program in several pieces; received bytes
// stay on one line until the program writes again or the line has been quiet
// for kQuietMs, so a reply split by the module, or a late or doubled one, shows
// as lines of its own with their own times. Port events (opened, closed, gone)
// get lines with "--" in the direction column.
//
// One trace serves the whole program: every serial channel writes to the
// active one, and with none active the channel's only cost is a null check.

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTimer>
#include <memory>
#include <utility>

class SerialTrace {
  public:
    // The inter-byte time-out of the serial line: a longer pause ends a reply.
    static constexpr int kQuietMs = 20;

    SerialTrace() = default;
    SerialTrace(const SerialTrace&) = delete;
    SerialTrace& operator=(const SerialTrace&) = delete;
    ~SerialTrace() { close(); }

    // Creates (or empties) the trace file; false with the reason when it
    // cannot be written.
    bool open(const QString& path, QString* error = nullptr) {
        close();
        file_.setFileName(path);
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            if (error)
                *error = file_.errorString();
            return false;
        }
        sinceRx_.start();
        writeLine(QStringLiteral("# alvento serial trace of %1: time, port, TX (sent) or RX "
                                 "(received), byte count, bytes in hex")
                      .arg(QDate::currentDate().toString(Qt::ISODate)));
        return true;
    }
    bool isOpen() const { return file_.isOpen(); }
    // Writes what is still held and closes the file.
    void close() {
        if (!file_.isOpen())
            return;
        flushReceived();
        writeLine(QStringLiteral("# end of trace"));
        file_.close();
    }

    void portOpened(const QString& port, int baud, bool ok, const QString& why = {}) {
        event(port, ok ? QStringLiteral("opened at %1 baud").arg(baud)
                       : QStringLiteral("could not be opened: %1").arg(why));
    }
    void portClosed(const QString& port) { event(port, QStringLiteral("closed")); }
    void portLost(const QString& port) {
        event(port, QStringLiteral("gone (device removed or hung up)"));
    }

    // A write of `bytes`, of which the port took `accepted` (0: dropped, the
    // previous write was still going out or the port is closed).
    void sent(const QString& port, const QByteArray& bytes, int accepted) {
        if (!file_.isOpen())
            return;
        flushReceived();
        QString line = dataLine(stamp(), port, QStringLiteral("TX"), bytes);
        if (accepted <= 0)
            line += QStringLiteral("  (not sent: port closed or previous write still going out)");
        else if (accepted < bytes.size())
            line += QStringLiteral("  (only %1 sent)").arg(accepted);
        writeLine(line);
    }

    void received(const QString& port, const QByteArray& bytes) {
        if (!file_.isOpen() || bytes.isEmpty())
            return;
        if (!rx_.isEmpty() && (port != rxPort_ || sinceRx_.elapsed() > kQuietMs))
            flushReceived();
        if (rx_.isEmpty()) {
            rxStamp_ = stamp();
            rxPort_ = port;
        }
        rx_ += bytes;
        sinceRx_.restart();
        if (!quiet_) {
            // Made on first use: the trace may be opened before the
            // application object exists.
            quiet_ = std::make_unique<QTimer>();
            quiet_->setSingleShot(true);
            quiet_->setInterval(kQuietMs);
            QObject::connect(quiet_.get(), &QTimer::timeout, [this] { flushReceived(); });
        }
        quiet_->start();
    }

    // The trace every serial channel writes to; nullptr while tracing is off.
    static SerialTrace* active() { return active_; }
    // Starts the program's trace into `path`, replacing a running one.
    static bool start(const QString& path, QString* error = nullptr) {
        auto trace = std::make_unique<SerialTrace>();
        if (!trace->open(path, error))
            return false;
        stop();
        active_ = trace.release();
        return true;
    }
    // Ends the program's trace, writing what it still holds.
    static void stop() { std::unique_ptr<SerialTrace> ended(std::exchange(active_, nullptr)); }

  private:
    static QString stamp() { return QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")); }

    static QString dataLine(const QString& when, const QString& port, const QString& direction,
                            const QByteArray& bytes) {
        return QStringLiteral("%1  %2  %3  %4  %5")
            .arg(when, port, direction)
            .arg(bytes.size(), 3)
            .arg(QString::fromLatin1(bytes.toHex(' ').toUpper()));
    }

    void event(const QString& port, const QString& what) {
        if (!file_.isOpen())
            return;
        flushReceived();
        writeLine(QStringLiteral("%1  %2  --  %3").arg(stamp(), port, what));
    }

    void flushReceived() {
        if (quiet_)
            quiet_->stop();
        if (rx_.isEmpty())
            return;
        const QByteArray bytes = std::exchange(rx_, QByteArray());
        writeLine(dataLine(rxStamp_, rxPort_, QStringLiteral("RX"), bytes));
    }

    void writeLine(const QString& line) {
        file_.write(line.toUtf8() + '\n');
        // Each line reaches the file at once, so a trace of a session that hung
        // or crashed is complete up to that point.
        file_.flush();
    }

    static inline SerialTrace* active_ = nullptr;

    QFile file_;
    QByteArray rx_; // received bytes not yet written
    QString rxPort_;
    QString rxStamp_; // time of their first piece
    QElapsedTimer sinceRx_;
    std::unique_ptr<QTimer> quiet_;
};
