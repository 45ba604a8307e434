#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>

// Encodings the older modules share: Contact ID digits one per byte, the
// on/off flag in the first byte of an event code, and the editing rules of the
// code fields.
namespace LegacyCodes {

// Written for a character that is no digit and for every position past the
// end of a shorter text (the letter X).
inline constexpr uint8_t kNoDigit = 88;
// Added to an event's first byte when the event is switched off.
inline constexpr uint8_t kOffFlag = 128;

// "1" ... "9" as 1 ... 9, "A" ... "F" as 10 ... 15 (either case); anything
// else and the positions past the text as 88. The digit 0 is entered as "A".
QByteArray encodeDigits(const QString& text, int length);
// Each byte loses 128 when above 128; 1 ... 15 give "1" ... "9", "A" ... "F",
// any other value gives no character.
QString decodeDigits(const QByteArray& bytes);

// An event code with its on/off flag: the digits, 128 added to the first byte
// when the event is off.
QByteArray encodeEvent(const QString& text, int length, bool on);

// Which first bytes mean "on": the GPRS module takes any byte below 127, the
// converter any byte with bit 7 clear.
enum class FlagRule { Below127, Bit7Clear };
bool eventOn(uint8_t firstByte, FlagRule rule);

// Field rules run after every change of the text; they give the text to keep.
// Event code: a trailing "0" becomes "A", upper case, and the last character
// goes while anything but 1-9 and A-F is left.
QString eventFieldRule(const QString& text);
// Account code: the last character goes while anything but 1-9 and A-F is left
// (0 is not a digit here), upper case from four characters, at most four.
QString accountFieldRule(const QString& text);

// One character per byte up to the first `terminator`, at most `maxChars`.
QString textUntil(const QByteArray& bytes, int from, int maxChars, uint8_t terminator);
// Whether `text` is plain printable ASCII without the byte that ends its field
// (APN names, addresses and phone numbers need nothing else).
bool printableAscii(const QString& text, uint8_t terminator);

} // namespace LegacyCodes
