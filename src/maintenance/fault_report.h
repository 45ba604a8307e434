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

// What is wrong with a "reportserver" value, if anything.
enum class ServerFault {
    None,
    Empty,
    NoHost,          // ":5000", "[]"
    BadHost,         // not a host name or an IPv4 address; `part` is the host
    BadIpv6,         // the text in brackets is not an IPv6 address; `part` is it
    UnclosedBracket, // "[::1"
    AfterBracket,    // "[::1]x": only ":port" may follow; `part` is what follows
    BadPort,         // not a number 1..65535; `part` is the port text
    Ipv6NoBrackets,  // "2001:db8::1:5000" would be ambiguous
};

struct ServerCheck {
    std::optional<Server> server;
    ServerFault fault = ServerFault::None;
    QString part; // the piece of the value the fault is about
};

// The settings value "reportserver": "host" or "host:port", "[v6]" or
// "[v6]:port" for an IPv6 address; spaces around it do not count. The host is
// a host name or a dotted IPv4 address; the port 1..65535.
ServerCheck checkServer(const QString& setting);
// The server of a value checkServer accepts; none for any other.
std::optional<Server> parseServer(const QString& setting);
// What is wrong with a refused value, in the language (empty when nothing is).
QString faultText(const ServerCheck& check, int language);

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
