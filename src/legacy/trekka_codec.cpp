#include "legacy/trekka_codec.h"
#include "legacy/legacy_codes.h"

#include <QStringList>

namespace Trekka {

namespace {
uint8_t at(const QByteArray& image, int address) {
    return static_cast<uint8_t>(image.at(address));
}

void putText(QByteArray& image, int address, const QString& text, int field) {
    const QByteArray bytes = text.left(field).toLatin1();
    image.replace(address, bytes.size(), bytes);
    if (bytes.size() < field)
        image[address + bytes.size()] = static_cast<char>(kTextEnd);
}

bool allDigits(const QString& s) {
    for (QChar c : s)
        if (!c.isDigit() || c.unicode() > 0x7F)
            return false;
    return !s.isEmpty();
}

} // namespace

Values decode(const QByteArray& image) {
    using LegacyCodes::textUntil;
    Values v;
    v.gSensorOff = at(image, kGSensorAddress) != 0;
    v.ip = textUntil(image, kIpAddress, kIpChars, kTextEnd);
    v.port = textUntil(image, kPortAddress, kPortChars, kTextEnd);
    v.apn = textUntil(image, kApnAddress, kApnChars, kTextEnd);
    return v;
}

QByteArray encode(const Values& values, const QByteArray& image) {
    QByteArray out = image;
    const Values was = decode(image);
    if (values.gSensorOff != was.gSensorOff)
        out[kGSensorAddress] = static_cast<char>(values.gSensorOff ? 1 : 0);
    if (values.ip != was.ip)
        out.replace(kIpAddress, kIpChars, values.ip.left(kIpChars).toLatin1());
    if (values.port != was.port)
        out.replace(kPortAddress, kPortChars, values.port.left(kPortChars).toLatin1());
    if (values.ip != was.ip || values.port != was.port)
        out[kSlashAddress] = '/';
    if (values.apn != was.apn)
        putText(out, kApnAddress, values.apn, kApnChars);
    return out;
}

QString recordIp(const QByteArray& record) {
    QString ip;
    for (int i = 0; i < kIpChars; ++i)
        ip += QChar(static_cast<uint8_t>(record.at(kRecordIpOffset + 2 * i)));
    return ip;
}

QByteArray withRecordIp(const QByteArray& record, const QString& ip) {
    QByteArray out = record;
    const QByteArray text = ip.toLatin1();
    for (int i = 0; i < kIpChars && i < text.size(); ++i)
        out[kRecordIpOffset + 2 * i] = text[i];
    return out;
}

QString ipProblem(const QString& ip, bool changed) {
    if (ip.size() != kIpChars)
        return QStringLiteral("Nem megfelelő hosszúságú a megadott IP cim");
    for (int dot : {3, 7, 11})
        if (ip[dot] != QLatin1Char('.'))
            return QStringLiteral("Tizedespont nem megfelelő helyen...");
    if (changed) {
        for (const QString& group : ip.split(QLatin1Char('.')))
            if (!allDigits(group) || group.toInt() > 255)
                return QStringLiteral("Az IP cim számcsoportjai 000 és 255 közöttiek lehetnek.");
    }
    return {};
}

QString portProblem(const QString& port, bool changed) {
    if (port.size() != kPortChars)
        return QStringLiteral("Nem megfelelő hosszúságú a megadott PORT cim");
    if (changed && (!allDigits(port) || port.toInt() < 1 || port.toInt() > 65535))
        return QStringLiteral("A PORT cim 00001 és 65535 közötti szám lehet.");
    return {};
}

QString apnProblem(const QString& apn, bool changed) {
    if (apn.size() > kApnChars)
        return QStringLiteral(
            "Túl hosszú APN név Kérem vegye fel a kapcsolatot a fejlesztőkkel...");
    if (changed && !LegacyCodes::printableAscii(apn, kTextEnd))
        return QStringLiteral(
            "Az APN név csak ékezet nélküli betűket, számokat és írásjeleket tartalmazhat.");
    return {};
}

bool ipCharacter(QChar c) {
    return c == QLatin1Char('.') || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

} // namespace Trekka
