#include "settings/presets.h"

namespace Presets {

namespace {
bool plainAscii(const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x21 || c.unicode() > 0x7E)
            return false;
    return true;
}

// A host name or access point the module can store: printable ASCII without
// blanks, quotes or commas (the module keeps it between quotes in a list).
bool storableName(const QString& text, int maxLength) {
    return !text.isEmpty() && text.size() <= maxLength && plainAscii(text) &&
           !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char(','));
}

ServerPair pair(const AppContext& ctx, const char* nameKey, const char* addressKey, int maxName) {
    ServerPair p;
    p.first = ctx.read(QString::fromLatin1(nameKey)).trimmed();
    const auto address = ipv4(ctx.read(QString::fromLatin1(addressKey)).trimmed());
    if (!storableName(p.first, maxName))
        p.missing << QString::fromLatin1(nameKey);
    if (address)
        p.second = *address;
    else
        p.missing << QString::fromLatin1(addressKey);
    return p;
}
} // namespace

std::optional<QString> ipv4(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    QStringList numbers;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return std::nullopt;
        for (QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
        const int n = part.toInt();
        if (n > 255)
            return std::nullopt;
        numbers << QString::number(n);
    }
    return numbers.join(QLatin1Char('.'));
}

QString paddedIpv4(const QString& address) {
    QStringList parts = address.split(QLatin1Char('.'));
    for (QString& part : parts)
        part = part.rightJustified(3, QLatin1Char('0'));
    return parts.join(QLatin1Char('.'));
}

ServerPair varonetApn(const AppContext& ctx, int maxAccessPoint) {
    return pair(ctx, kVaronetApn, kVaronetServer, maxAccessPoint);
}

ServerPair defaultServer(const AppContext& ctx, int maxHost) {
    return pair(ctx, kDefaultServerHost, kDefaultServerAddress, maxHost);
}

QString trekkaServerName(int index) {
    return QString::fromLatin1(index == 0 ? kTrekkaServer1 : kTrekkaServer2);
}

std::optional<QString> trekkaServer(const AppContext& ctx, int index) {
    return ipv4(ctx.read(trekkaServerName(index)).trimmed());
}

} // namespace Presets
