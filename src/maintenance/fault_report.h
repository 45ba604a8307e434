#pragma once
// The fault report: the monitor text with the device's IMEI, the module's
// software version and the installer's description, sent to the maker's
// fault-report server over TCP. The server answers nothing.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>

class QTcpSocket;
class QTimer;

namespace FaultReport {

inline constexpr quint16 kDefaultPort = 49000;
inline constexpr int kImeiLength = 15;

struct Server {
    QString host;
    quint16 port = kDefaultPort;
};

// The settings value "reportserver": "host" or "host:port" ("[v6]:port" for
// an IPv6 address). Empty, or a port that is not 1..65535: none.
std::optional<Server> parseServer(const QString& setting);

// The bytes the server receives, in this order, without length prefixes:
// "QTX_START", the IMEI, " Szoftver verzió:" and the version as a decimal
// number, LF, the description, LF, the monitor text, "QTX_STOP". Texts are
// single-byte code page 1250.
QByteArray build(const QString& imei, int moduleVersion, const QString& description,
                 const QString& monitorText);

} // namespace FaultReport

// One report on its way: connect, write everything, disconnect. finished(true)
// once the server has all of it, finished(false) on any failure or when the
// server does not take it within the time allowed.
class FaultReportSender : public QObject {
    Q_OBJECT
  public:
    explicit FaultReportSender(QObject* parent = nullptr);
    void send(const FaultReport::Server& server, const QByteArray& payload);
    bool running() const { return running_; }
    static constexpr int kTimeoutMs = 15000;

  signals:
    void finished(bool ok);

  private:
    void end(bool ok);

    QTcpSocket* socket_;
    QTimer* timeout_;
    QByteArray payload_;
    bool running_ = false;
    bool written_ = false;
};
