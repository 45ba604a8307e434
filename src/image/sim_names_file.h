#pragma once
#include <QByteArray>
#include <QString>
#include <array>
#include <span>

// A SIM names file (".sim"): text lines ended by CR LF in code page 1250. The
// first line is the row count of the SIM names grid (its header row
// included); then, for grid rows 1 to 250, the row's phone number and its name
// on a line each, whatever the row count. The grid's SIM slot column is not
// stored.
namespace SimNamesFile {

inline constexpr int kRows = 250;
inline constexpr int kLines = 1 + 2 * kRows;
// The header row plus one row per SIM slot.
inline constexpr int kMaxRowCount = 1 + kRows;
// No file of ours comes near this; anything larger is not read.
inline constexpr int kMaxFileSize = 1 << 20;

struct Row {
    QString number;
    QString name;
    bool operator==(const Row&) const = default;
};

struct Content {
    int rowCount = 1;
    std::array<Row, kRows> rows; // grid rows 1..250
};

// The file's bytes: always 501 lines. Rows past the 250th are not stored;
// missing ones are empty lines. A line break inside a cell would shift every
// line after it, so each CR or LF in a cell is stored as a space.
QByteArray build(int rowCount, std::span<const Row> rows);

enum class Problem {
    None,
    NotAnInteger, // the first line is not a whole number
    TooManyLines, // more than 501 lines with text: not a SIM names file
};

struct Parsed {
    Problem problem = Problem::None;
    QString firstLine; // as read, for the message about it
    Content content;   // filled when there is no problem
};

// Lines may end with CR LF or LF; lines missing at the end read as empty, and
// so do empty lines past the 501st. The count is a decimal integer with an
// optional sign and surrounding blanks; it is kept within 1 .. 251, as a grid
// has its header row and at most one row per SIM slot.
Parsed parse(const QByteArray& file);

} // namespace SimNamesFile
