#include "legacy/legacy_codes.h"

namespace LegacyCodes {

namespace {
int digitValue(QChar c) {
    const char16_t u = c.toUpper().unicode();
    if (u >= u'1' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

bool allDigits(const QString& text) {
    for (QChar c : text)
        if (digitValue(c) < 0)
            return false;
    return true;
}
} // namespace

QByteArray encodeDigits(const QString& text, int length) {
    QByteArray out(length, static_cast<char>(kNoDigit));
    for (int i = 0; i < length && i < text.size(); ++i) {
        const int v = digitValue(text[i]);
        if (v > 0)
            out[i] = static_cast<char>(v);
    }
    return out;
}

QString decodeDigits(const QByteArray& bytes) {
    static const char kChars[] = "123456789ABCDEF";
    QString out;
    for (char b : bytes) {
        int v = static_cast<uint8_t>(b);
        if (v > 128)
            v -= 128;
        if (v >= 1 && v <= 15)
            out += QLatin1Char(kChars[v - 1]);
    }
    return out;
}

QByteArray encodeEvent(const QString& text, int length, bool on) {
    QByteArray out = encodeDigits(text, length);
    if (!on && length > 0)
        out[0] = static_cast<char>(static_cast<uint8_t>(out[0]) + kOffFlag);
    return out;
}

bool eventOn(uint8_t firstByte, FlagRule rule) {
    return rule == FlagRule::Below127 ? firstByte < 127 : (firstByte & 0x80) == 0;
}

QString eventFieldRule(const QString& text) {
    // Each correction is itself a change of the text, so the rule runs again
    // until nothing is left to correct.
    QString t = text;
    for (;;) {
        if (t.endsWith(QLatin1Char('0')))
            t[t.size() - 1] = QLatin1Char('A');
        t = t.toUpper();
        if (allDigits(t))
            return t;
        t.chop(1);
    }
}

QString accountFieldRule(const QString& text) {
    QString t = text;
    while (!allDigits(t))
        t.chop(1);
    if (t.size() > 3)
        t = t.toUpper();
    if (t.size() > 4)
        t.truncate(4);
    return t;
}

QString textUntil(const QByteArray& bytes, int from, int maxChars, uint8_t terminator) {
    QString out;
    for (int i = from; i < bytes.size() && out.size() < maxChars; ++i) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        if (b == terminator)
            break;
        out += QChar(b);
    }
    return out;
}

bool printableAscii(const QString& text, uint8_t terminator) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u >= 0x7F || u == terminator)
            return false;
    }
    return true;
}

} // namespace LegacyCodes
