#include "engine/firmware_image.h"

namespace FirmwareImage {

namespace {
int digitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

Parsed refused(const QString& why) {
    return {{}, QStringLiteral("The firmware image cannot be used: %1 Nothing was sent.").arg(why)};
}
} // namespace

Parsed parse(QByteArrayView text, int expectedBytes) {
    QByteArray bytes;
    bytes.reserve(expectedBytes);
    qint64 digits = 0;
    int line = 1;
    int high = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n')
            ++line;
        if (static_cast<unsigned char>(c) < 0x20)
            continue;
        const int v = digitValue(c);
        if (v < 0) {
            const QString shown =
                static_cast<unsigned char>(c) < 0x7F
                    ? QStringLiteral("'%1'").arg(QLatin1Char(c))
                    : QStringLiteral("byte 0x%1")
                          .arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0'));
            return refused(
                QStringLiteral("%1 in line %2 is not a hexadecimal digit.").arg(shown).arg(line));
        }
        ++digits;
        if (high < 0) {
            high = v;
            continue;
        }
        // Past the firmware's size the digits are only counted.
        if (bytes.size() <= expectedBytes)
            bytes.append(static_cast<char>(high * 16 + v));
        high = -1;
    }
    if (digits % 2 != 0)
        return refused(QStringLiteral("it has an odd number of hexadecimal digits (%1), so its "
                                      "last byte is cut in half.")
                           .arg(digits));
    if (digits != 2LL * expectedBytes)
        return refused(QStringLiteral("it holds %1 bytes; a module firmware is %2 bytes (%3 "
                                      "hexadecimal digits).")
                           .arg(digits / 2)
                           .arg(expectedBytes)
                           .arg(2 * expectedBytes));
    return {bytes, {}};
}

} // namespace FirmwareImage
