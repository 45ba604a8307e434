#include "engine/firmware_image.h"

#include "i18n/messages.h"

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
} // namespace

Parsed parse(QByteArrayView text, int expectedBytes) {
    Parsed p;
    p.expectedBytes = expectedBytes;
    QByteArray bytes;
    bytes.reserve(expectedBytes);
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
            p.fault = Fault::NotADigit;
            p.line = line;
            p.character = c;
            return p;
        }
        ++p.digits;
        if (high < 0) {
            high = v;
            continue;
        }
        // Past the firmware's size the digits are only counted.
        if (bytes.size() <= expectedBytes)
            bytes.append(static_cast<char>(high * 16 + v));
        high = -1;
    }
    if (p.digits % 2 != 0) {
        p.fault = Fault::OddDigits;
        return p;
    }
    if (p.digits != 2LL * expectedBytes) {
        p.fault = Fault::WrongSize;
        return p;
    }
    p.fault = Fault::None;
    p.bytes = bytes;
    return p;
}

QString fault(const Parsed& p, int language) {
    switch (p.fault) {
    case Fault::None:
        return {};
    case Fault::NotADigit: {
        const auto c = static_cast<unsigned char>(p.character);
        if (c < 0x7F)
            return message("firmware.fault_character", language)
                .arg(QString(QLatin1Char(p.character)), QString::number(p.line));
        return message("firmware.fault_byte", language).arg(c, 2, 16, QLatin1Char('0')).arg(p.line);
    }
    case Fault::OddDigits:
        return message("firmware.fault_odd", language).arg(p.digits);
    case Fault::WrongSize:
        return message("firmware.fault_size", language)
            .arg(p.digits / 2)
            .arg(p.expectedBytes)
            .arg(2LL * p.expectedBytes);
    }
    return {};
}

} // namespace FirmwareImage
