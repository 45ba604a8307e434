#include "image/image_codecs.h"
#include "settings/edition.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {
constexpr uint8_t kEnd = 0xFF;

// Code page 1250 byte of the letter -> byte the module stores for it.
constexpr std::array<std::pair<uint8_t, uint8_t>, 4> kLetterReplacements{{
    {0xE1, 0xE0}, // á
    {0xE9, 0xE8}, // é
    {0xF3, 0xF2}, // ó
    {0xED, 0xEC}, // í
}};

constexpr std::array<int, 6> kOptionBits{0, 2, 3, 4, 5, 6};

// Code page 1250, bytes 0x80..0xFF; below 0x80 it is ASCII. The five bytes the
// code page leaves unassigned stand for the control character of the same
// number, so any byte read as text is written back as it was.
constexpr std::array<char16_t, 128> kHighHalf{
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};
constexpr uint8_t kSubstitute = 0x1A;

bool phoneCharacter(QChar c) {
    return (c >= u'0' && c <= u'9') || c == u'+';
}
} // namespace

uint8_t packTargetMask(const TargetList& targets) {
    uint8_t mask = 0;
    for (size_t i = 0; i < targets.size(); ++i)
        if (targets[i])
            mask |= static_cast<uint8_t>(1u << i);
    return mask;
}

TargetList unpackTargetMask(uint8_t mask) {
    TargetList targets{};
    for (size_t i = 0; i < targets.size(); ++i)
        targets[i] = (mask >> i) & 1u;
    return targets;
}

uint8_t packInputOptions(const InputOptions& o) {
    const std::array<bool, 6> flags{o.restoreToo,       o.siren,    o.voiceMessage,
                                    o.remoteMonitoring, o.noPickUp, o.dtmfAck};
    uint8_t byte = 0;
    for (size_t i = 0; i < flags.size(); ++i)
        if (flags[i])
            byte |= static_cast<uint8_t>(1u << kOptionBits[i]);
    return byte;
}

InputOptions unpackInputOptions(uint8_t byte) {
    auto bit = [byte](size_t i) { return ((byte >> kOptionBits[i]) & 1u) != 0; };
    return {bit(0), bit(1), bit(2), bit(3), bit(4), bit(5)};
}

std::array<uint8_t, 4> encodeInputRecord(const InputRecord& r) {
    return {static_cast<uint8_t>(r.type + (r.inverted ? 128 : 0)), packTargetMask(r.sms),
            packTargetMask(r.voice), packInputOptions(r.options)};
}

InputRecord decodeInputRecord(const std::array<uint8_t, 4>& b) {
    return {b[0] & 0x7F, (b[0] & 0x80) != 0, unpackTargetMask(b[1]), unpackTargetMask(b[2]),
            unpackInputOptions(b[3])};
}

void writeInputRecord(ConfigImage& image, int address, const InputRecord& record) {
    const auto bytes = encodeInputRecord(record);
    for (int i = 0; i < 4; ++i)
        image[address + i] = bytes[static_cast<size_t>(i)];
}

InputRecord readInputRecord(const ConfigImage& image, int address) {
    return decodeInputRecord(
        {image[address], image[address + 1], image[address + 2], image[address + 3]});
}

void writeWord(ConfigImage& image, int address, int value) {
    image[address] = static_cast<uint8_t>((value >> 8) & 0xFF);
    image[address + 1] = static_cast<uint8_t>(value & 0xFF);
}

int readWord(const ConfigImage& image, int address) {
    return image[address] << 8 | image[address + 1];
}

void writePhoneNumber(ConfigImage& image, int address, const QString& text) {
    for (int i = 0; i <= ImageAddress::kPhoneSlotSize && address + i < ConfigImage::kSize; ++i) {
        if (i == ImageAddress::kPhoneSlotSize || i >= text.size() || !phoneCharacter(text[i])) {
            image[address + i] = kEnd;
            return;
        }
        image[address + i] = static_cast<uint8_t>(text[i].unicode());
    }
}

QString readPhoneNumber(const ConfigImage& image, int address) {
    return readAsciiField(image, address, ImageAddress::kPhoneSlotSize);
}

void writeAsciiField(ConfigImage& image, int address, int width, const QString& text) {
    const QByteArray bytes = text.left(width).toLatin1();
    for (int i = 0; i < bytes.size(); ++i)
        image[address + i] = static_cast<uint8_t>(bytes[i]);
    if (bytes.size() < width)
        image[address + static_cast<int>(bytes.size())] = kEnd;
}

QString readAsciiField(const ConfigImage& image, int address, int width) {
    QString text;
    for (int i = 0; i < width && image[address + i] != kEnd; ++i)
        text += QChar(image[address + i]);
    return text;
}

QByteArray toCodePage1250(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            bytes += static_cast<char>(unit);
            continue;
        }
        // A character outside the code page, a surrogate pair as one, becomes
        // the code page's substitute.
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i;
        const auto* found = std::find(kHighHalf.begin(), kHighHalf.end(), unit);
        bytes += found == kHighHalf.end()
                     ? static_cast<char>(kSubstitute)
                     : static_cast<char>(0x80 + (found - kHighHalf.begin()));
    }
    return bytes;
}

QString fromCodePage1250(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        *out++ = QChar(byte < 0x80 ? char16_t{byte} : kHighHalf[byte - 0x80]);
    }
    return text;
}

QByteArray toImageTextBytes(const QString& text) {
    QByteArray bytes = toCodePage1250(text);
    for (char& c : bytes)
        for (const auto& [letter, stored] : kLetterReplacements)
            if (static_cast<uint8_t>(c) == letter)
                c = static_cast<char>(stored);
    return bytes;
}

QString fromImageTextBytes(const QByteArray& bytes) {
    QByteArray letters = bytes;
    for (char& c : letters)
        for (const auto& [letter, stored] : kLetterReplacements)
            if (static_cast<uint8_t>(c) == stored)
                c = static_cast<char>(letter);
    return fromCodePage1250(letters);
}

int writeImageText(ConfigImage& image, int address, const QString& text, int limit) {
    const QByteArray bytes = toImageTextBytes(text).left(limit);
    const int count = static_cast<int>(bytes.size());
    for (int i = 0; i < count; ++i)
        image[address + i] = static_cast<uint8_t>(bytes[i]);
    if (count < limit)
        image[address + count] = kEnd;
    return address + count;
}

QString readImageText(ConfigImage& image, int address, int limit) {
    QByteArray stored;
    for (int i = 0; i < limit && image[address + i] != kEnd; ++i)
        stored += static_cast<char>(image[address + i]);
    const QString text = fromImageTextBytes(stored);
    // The image keeps the plain code page 1250 letters from now on.
    for (int i = 0; i < stored.size(); ++i)
        for (const auto& [letter, replaced] : kLetterReplacements)
            if (image[address + i] == replaced)
                image[address + i] = letter;
    return text.isEmpty() ? QStringLiteral(" ") : text;
}

uint8_t digitCode(QChar c) {
    const char16_t u = c.unicode();
    if (u == u'0' || u == u'A')
        return 10;
    if (u >= u'1' && u <= u'9')
        return static_cast<uint8_t>(u - u'0');
    if (u >= u'B' && u <= u'F')
        return static_cast<uint8_t>(11 + (u - u'B'));
    if (u == u'R')
        return 3;
    if (u == u'?')
        return 63;
    return 255;
}

QChar digitChar(uint8_t code) {
    if (code == 10)
        return u'0';
    if (code >= 1 && code <= 9)
        return QChar(u'0' + code);
    if (code >= 11 && code <= 15)
        return QChar(u'B' + (code - 11));
    if (code == 63)
        return u'?';
    return u'x';
}

void writeDigitCodes(ConfigImage& image, int address, int width, const QString& code) {
    for (int i = 0; i < width; ++i)
        image[address + i] = i < code.size() ? digitCode(code[i]) : 255;
}

QString readDigitCodes(const ConfigImage& image, int address, int width) {
    QString code;
    for (int i = 0; i < width; ++i)
        code += digitChar(image[address + i]);
    return code;
}

std::array<uint8_t, 2> encodeClockHour(int hour) {
    return {static_cast<uint8_t>('0' + hour / 10), static_cast<uint8_t>('0' + hour % 10)};
}

int decodeClockHour(const std::array<uint8_t, 2>& bytes) {
    return 10 * (bytes[0] - '0') + (bytes[1] - '0');
}

QString editionTag(const QString& company, int brandCode) {
    if (company.startsWith(u'*'))
        return company.mid(1);
    return QString::fromLatin1(edition(brandCode).editionTag);
}

void writeEditionTag(ConfigImage& image, const QString& company, int brandCode) {
    // One byte less than the region, so the terminator never lands on the server text at 400.
    const QString tag = editionTag(company, brandCode).left(ImageAddress::kEditionTagSize - 1);
    writeAsciiField(image, ImageAddress::kEditionTag, ImageAddress::kEditionTagSize, tag);
}
