#include "maintenance/fault_report.h"

#include "i18n/messages.h"
#include "image/file_text.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>

namespace FaultReport {

namespace {

ServerCheck refused(ServerFault fault, const QString& part = {}) {
    return {std::nullopt, fault, part};
}

// A host name (letters, digits and hyphens in dot-separated labels) or, when
// every label is a number, a dotted IPv4 address.
bool validHost(const QString& host) {
    static const QRegularExpression label(
        QStringLiteral("^[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?$"));
    static const QRegularExpression number(QStringLiteral("^[0-9]+$"));
    if (host.size() > 253)
        return false;
    const QStringList labels = host.split(QLatin1Char('.'));
    bool allNumbers = true;
    for (const QString& l : labels) {
        if (!label.match(l).hasMatch())
            return false;
        allNumbers = allNumbers && number.match(l).hasMatch();
    }
    if (allNumbers) {
        QHostAddress address;
        return labels.size() == 4 && address.setAddress(host) &&
               address.protocol() == QAbstractSocket::IPv4Protocol;
    }
    return true;
}

std::optional<quint16> validPort(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const uint port = text.toUInt();
    if (port == 0 || port > 65535)
        return std::nullopt;
    return static_cast<quint16>(port);
}

} // namespace

ServerCheck checkServer(const QString& setting) {
    const QString s = setting.trimmed();
    if (s.isEmpty())
        return refused(ServerFault::Empty);
    Server server;
    QString portText;
    bool hasPort = false;
    if (s.startsWith(QLatin1Char('['))) {
        const qsizetype close = s.indexOf(QLatin1Char(']'));
        if (close < 0)
            return refused(ServerFault::UnclosedBracket);
        server.host = s.mid(1, close - 1);
        const QString rest = s.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char(':')))
                return refused(ServerFault::AfterBracket, rest);
            hasPort = true;
            portText = rest.mid(1);
        }
        if (server.host.isEmpty())
            return refused(ServerFault::NoHost);
        QHostAddress address;
        if (!address.setAddress(server.host) || address.protocol() != QAbstractSocket::IPv6Protocol)
            return refused(ServerFault::BadIpv6, server.host);
    } else {
        const qsizetype colons = s.count(QLatin1Char(':'));
        if (colons > 1) {
            QHostAddress address;
            const bool v6 =
                address.setAddress(s) && address.protocol() == QAbstractSocket::IPv6Protocol;
            return refused(v6 ? ServerFault::Ipv6NoBrackets : ServerFault::BadHost, s);
        }
        if (colons == 1) {
            const qsizetype colon = s.indexOf(QLatin1Char(':'));
            server.host = s.left(colon);
            hasPort = true;
            portText = s.mid(colon + 1);
        } else {
            server.host = s;
        }
        if (server.host.isEmpty())
            return refused(ServerFault::NoHost);
        if (!validHost(server.host))
            return refused(ServerFault::BadHost, server.host);
    }
    if (hasPort) {
        const std::optional<quint16> port = validPort(portText);
        if (!port)
            return refused(ServerFault::BadPort, portText);
        server.port = *port;
    }
    return {server, ServerFault::None, {}};
}

std::optional<Server> parseServer(const QString& setting) {
    return checkServer(setting).server;
}

QString faultText(const ServerCheck& check, int language) {
    // clang-format off
    static const struct { ServerFault fault; const char* key; } kTexts[] = {
        {ServerFault::Empty,           "monitor.no_server"},
        {ServerFault::NoHost,          "report_server.no_host"},
        {ServerFault::BadHost,         "report_server.bad_host"},
        {ServerFault::BadIpv6,         "report_server.bad_ipv6"},
        {ServerFault::UnclosedBracket, "report_server.unclosed_bracket"},
        {ServerFault::AfterBracket,    "report_server.after_bracket"},
        {ServerFault::BadPort,         "report_server.bad_port"},
        {ServerFault::Ipv6NoBrackets,  "report_server.ipv6_brackets"},
    };
    // clang-format on
    for (const auto& t : kTexts)
        if (t.fault == check.fault) {
            const QString text = message(t.key, language);
            return text.contains(QLatin1String("%1")) ? text.arg(check.part) : text;
        }
    return {};
}

QByteArray build(const QString& imei, int moduleVersion, const QString& description,
                 const QString& monitorText) {
    QByteArray out = QByteArrayLiteral("QTX_START");
    out += toFileText(imei);
    out += toFileText(QStringLiteral(" Szoftver verzió:"));
    out += QByteArray::number(moduleVersion);
    out += '\n';
    out += toFileText(description);
    out += '\n';
    out += toFileText(monitorText);
    out += QByteArrayLiteral("QTX_STOP");
    return out;
}

} // namespace FaultReport

FaultReportSender::FaultReportSender(QObject* parent)
    : QObject(parent), socket_(new QTcpSocket(this)), timeout_(new QTimer(this)) {
    timeout_->setSingleShot(true);
    timeout_->setInterval(kTimeoutMs);
    connect(timeout_, &QTimer::timeout, this, [this] { end(false); });
    connect(socket_, &QTcpSocket::connected, this, [this] {
        // Everything in one write, flushed at the end.
        socket_->write(payload_);
        socket_->flush();
        written_ = true;
        socket_->disconnectFromHost();
    });
    connect(socket_, &QTcpSocket::disconnected, this, [this] {
        if (running_)
            end(written_ && socket_->bytesToWrite() == 0);
    });
    connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        // The server closing after it has everything is how a report ends.
        if (e == QAbstractSocket::RemoteHostClosedError && written_ && socket_->bytesToWrite() == 0)
            return;
        if (running_)
            end(false);
    });
}

void FaultReportSender::send(const FaultReport::Server& server, const QByteArray& payload) {
    if (running_)
        return;
    payload_ = payload;
    written_ = false;
    running_ = true;
    timeout_->start();
    socket_->abort();
    socket_->connectToHost(server.host, server.port);
}

void FaultReportSender::end(bool ok) {
    if (!running_)
        return;
    running_ = false;
    timeout_->stop();
    if (!ok)
        socket_->abort();
    emit finished(ok);
}
