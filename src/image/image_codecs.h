#pragma once
#include "image/config_image.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <array>
#include <cstdint>

// The field encodings shared by every page group. Each comes as a pair: one
// direction into bytes, the other back out.

// TargetMask: one byte, bit i set = phone number i + 1 selected.
using TargetList = std::array<bool, 8>;
uint8_t packTargetMask(const TargetList& targets);
TargetList unpackTargetMask(uint8_t mask);

// Option bits of an InputRecord's fourth byte. Bits 1 and 7 are never set.
struct InputOptions {
    bool restoreToo = false;       // bit 0: report the restore as well
    bool siren = false;            // bit 2
    bool voiceMessage = false;     // bit 3
    bool remoteMonitoring = false; // bit 4: report by Contact ID
    bool noPickUp = false;         // bit 5: the called party need not answer
    bool dtmfAck = false;          // bit 6: acknowledge a call with DTMF
    bool operator==(const InputOptions&) const = default;
};
uint8_t packInputOptions(const InputOptions& options);
InputOptions unpackInputOptions(uint8_t byte);

// InputRecord: 4 bytes [type | inverted << 7, SMS mask, call mask, options].
// A type of -1 (no selection) stores 0xFF, or 0x7F with the inverted flag;
// decoding gives back the 7-bit type as stored, validity is the page's business.
struct InputRecord {
    int type = 0;
    bool inverted = false;
    TargetList sms{};
    TargetList voice{};
    InputOptions options;
    bool operator==(const InputRecord&) const = default;
};
std::array<uint8_t, 4> encodeInputRecord(const InputRecord& record);
InputRecord decodeInputRecord(const std::array<uint8_t, 4>& bytes);
void writeInputRecord(ConfigImage& image, int address, const InputRecord& record);
InputRecord readInputRecord(const ConfigImage& image, int address);

// 16-bit value, high byte at the lower address.
void writeWord(ConfigImage& image, int address, int value);
int readWord(const ConfigImage& image, int address);

// Phone number slot of 16 bytes: only '0'..'9' and '+' are kept, up to the
// first other character, which becomes the 0xFF terminator. The scan covers 17
// positions, so a full 16-digit number puts its terminator into the first byte
// of the following field, which that field then overwrites.
void writePhoneNumber(ConfigImage& image, int address, const QString& text);
QString readPhoneNumber(const ConfigImage& image, int address);

// Plain ASCII field of a fixed width: characters as given, 0xFF after a shorter
// text, nothing after a text that fills the width. Longer texts are cut to the width.
void writeAsciiField(ConfigImage& image, int address, int width, const QString& text);
QString readAsciiField(const ConfigImage& image, int address, int width);

// Single-byte text in code page 1250, the module's character set; every byte
// value has a character and comes back as the same byte.
QByteArray toCodePage1250(const QString& text);
QString fromCodePage1250(QByteArrayView bytes);

// ImageText: code page 1250 with á é ó í stored as 0xE0 0xE8 0xF2 0xEC, which the
// module's character set shows as those letters.
QByteArray toImageTextBytes(const QString& text);
QString fromImageTextBytes(const QByteArray& bytes);
inline constexpr int kSmsTextSize = 32;
// Stores at most `limit` bytes, then 0xFF when shorter. Returns the address after
// the last stored character, where the terminator stands.
int writeImageText(ConfigImage& image, int address, const QString& text, int limit = kSmsTextSize);
// Reads at most `limit` bytes up to 0xFF. The replaced letters are mapped back
// in the image itself as well; an empty text comes back as " ".
QString readImageText(ConfigImage& image, int address, int limit = kSmsTextSize);

// DigitCode: one byte per Contact ID character. '0' and 'A' share 10, '3' and
// 'R' share 3; anything outside the alphabet is 255 and decodes as 'x'.
uint8_t digitCode(QChar c);
QChar digitChar(uint8_t code);
// A shorter code leaves 255 in every missing position.
void writeDigitCodes(ConfigImage& image, int address, int width, const QString& code);
QString readDigitCodes(const ConfigImage& image, int address, int width);

// Clock hour: two ASCII digits, tens first.
std::array<uint8_t, 2> encodeClockHour(int hour);
int decodeClockHour(const std::array<uint8_t, 2>& bytes);

// Edition tag at 384..399: the starred company value without its star, else the
// edition's own tag. ASCII with 0xFF after it; kept to 15 characters so the
// terminator stays inside the 16-byte region.
QString editionTag(const QString& company, int brandCode);
void writeEditionTag(ConfigImage& image, const QString& company, int brandCode);
