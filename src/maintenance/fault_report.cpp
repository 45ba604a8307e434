#include "maintenance/fault_report.h"

#include "image/file_text.h"

#include <QTcpSocket>
#include <QTimer>

namespace FaultReport {

std::optional<Server> parseServer(const QString& setting) {
    const QString s = setting.trimmed();
    if (s.isEmpty())
        return std::nullopt;
    Server server;
    QString portText;
    if (s.startsWith(QLatin1Char('['))) {
        const qsizetype close = s.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        server.host = s.mid(1, close - 1);
        const QString rest = s.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char(':')))
                return std::nullopt;
            portText = rest.mid(1);
        }
    } else if (s.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = s.indexOf(QLatin1Char(':'));
        server.host = s.left(colon);
        portText = s.mid(colon + 1);
    } else {
        server.host = s; // a host name, an IPv4 address or a bare IPv6 address
    }
    if (server.host.isEmpty())
        return std::nullopt;
    if (!portText.isNull()) {
        bool ok = false;
        const uint port = portText.toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return std::nullopt;
        server.port = static_cast<quint16>(port);
    }
    return server;
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
