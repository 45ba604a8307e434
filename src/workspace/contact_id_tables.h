#pragma once
#include "image/image_values.h"

#include <QList>
#include <QString>

// The two name tables of the page "CID/SMS" as the installer edits them, their
// input rules, and the built-in lists their popup menus load. No widgets here:
// the page applies these to its grids.
namespace ContactIdTables {

// Partition names table: rows 1..16, code "PPZZZ" (partition and zone) and name.
inline constexpr int kPartitionRows = kPartitionRecordRows;
inline constexpr int kPartitionCodeLength = 5;
// Contact ID code names table: rows 1..159, code "E130"/"R130" and name.
inline constexpr int kCodeRows = kVisibleCodeRecordRows;
inline constexpr int kEventCodeLength = 4;
inline constexpr int kNameLength = 26;

struct Entry {
    QString code;
    QString name;
    bool operator==(const Entry&) const = default;
};

// What a cell holds after the installer has typed `text`: longer texts are cut
// to the limit; a code of exactly its full length is put in upper case.
QString partitionCodeInput(const QString& text);
QString eventCodeInput(const QString& text);
QString nameInput(const QString& text);

// The built-in lists, in row order from row 1 (duplicates as they stand).
const QList<Entry>& partitionTemplate();     // 16 entries
const QList<Entry>& defaultContactIdCodes(); // 100 entries

// Parses a table file: one "code<TAB>name" per line, '#' lines and blank lines
// skipped. Lines without a tab are an error (the line number, from 1, in *badLine).
QList<Entry> parseTable(const QByteArray& utf8, int* badLine = nullptr);

// SMS targets of one code row: bit i - 1 = phone number i.
inline bool targetTicked(int targets, int phone) {
    return (targets >> (phone - 1)) & 1;
}
inline int withTarget(int targets, int phone, bool ticked) {
    const int bit = 1 << (phone - 1);
    return ticked ? (targets | bit) : (targets & ~bit);
}

} // namespace ContactIdTables
