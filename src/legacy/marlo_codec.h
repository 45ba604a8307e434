#pragma once
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// The Marlo GPS module (ModelCode 61): the phone number it notifies and its
// table of 64 position areas, kept in 32 records of 64 bytes.
namespace Marlo {

inline constexpr int kBlockSize = 50; // read from address 0
inline constexpr int kPhoneAddress = 30;
inline constexpr int kPhoneLength = 16;
inline constexpr char kPhoneEnd = '*';

inline constexpr int kRecords = 32;
inline constexpr int kRecordSize = 64;
inline constexpr int kRows = 64;
inline constexpr int kValues = 4; // latitude min, longitude min, latitude max, longitude max
inline constexpr int kSlotSize = 8;
// The odd bytes of a value's slot.
inline constexpr uint8_t kSlotFiller = 12;
// Coordinates are kept as whole ten-thousandths of a degree.
inline constexpr int kScale = 10000;

// Record n sits at high byte 114 + n / 4, low byte 0, 64, 128 or 192.
uint8_t recordHigh(int n);
uint8_t recordLow(int n);

// The number from address 30 up to the "*" within its 16 bytes.
QString phone(const QByteArray& block);
// The block with a changed number in it: its characters, then "*" unless it
// fills all 16 bytes; the bytes after the "*" stay as they are.
QByteArray withPhone(const QByteArray& block, const QString& number);
// A number the module can be given: up to 16 digits, "+" allowed in front.
bool phoneValid(const QString& number);

// A value's slot: its four bytes little-endian in the even bytes, 12 in the odd ones.
int32_t slotValue(const char* slot);
void putSlot(char* slot, int32_t value);

// How a cell shows a value: sign, whole degrees, "." and four decimals
// (0 is "0.0000", -5 is "-0.0005").
QString cellText(int32_t value);
// A cell's value: empty and "0." are 0; otherwise optional "-", digits, "."
// and exactly four digits, within `maxDegrees`. Anything else has no value.
std::optional<int32_t> cellValue(const QString& text, int maxDegrees);
// Latitudes are within 90 degrees, longitudes within 180.
int maxDegrees(int valueIndex);

using Grid = std::array<std::array<QString, kValues>, kRows>;
// The cells for the 32 records read (2048 bytes, record 0 first).
Grid decodeGrid(const QByteArray& records);
// The records with the grid in them; a cell still showing what was read
// leaves its slot as it is. Every changed cell must have a value.
QByteArray encodeGrid(const Grid& grid, const QByteArray& records);
// The first changed cell, row by row, that has no value.
struct Cell {
    int row;   // 0 ... 63
    int value; // 0 ... 3
};
std::optional<Cell> firstBadCell(const Grid& grid, const QByteArray& records);

} // namespace Marlo
