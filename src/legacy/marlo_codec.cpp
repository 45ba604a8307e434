#include "legacy/marlo_codec.h"
#include "legacy/legacy_codes.h"

#include <QRegularExpression>

namespace Marlo {

namespace {
constexpr uint8_t kFirstRecordHigh = 114;
constexpr int kRecordsPerHigh = 4;

int slotOffset(int row, int value) {
    return (row / 2) * kRecordSize + (row % 2) * (kValues * kSlotSize) + value * kSlotSize;
}
} // namespace

uint8_t recordHigh(int n) {
    return static_cast<uint8_t>(kFirstRecordHigh + n / kRecordsPerHigh);
}

uint8_t recordLow(int n) {
    return static_cast<uint8_t>((n % kRecordsPerHigh) * kRecordSize);
}

QString phone(const QByteArray& block) {
    return LegacyCodes::textUntil(block.left(kPhoneAddress + kPhoneLength), kPhoneAddress,
                                  kPhoneLength, kPhoneEnd);
}

QByteArray withPhone(const QByteArray& block, const QString& number) {
    QByteArray out = block;
    const QByteArray text = number.left(kPhoneLength).toLatin1();
    out.replace(kPhoneAddress, text.size(), text);
    if (text.size() < kPhoneLength)
        out[kPhoneAddress + text.size()] = kPhoneEnd;
    return out;
}

bool phoneValid(const QString& number) {
    static const QRegularExpression kPhone(QStringLiteral("^\\+?[0-9]*$"));
    return number.size() <= kPhoneLength && kPhone.match(number).hasMatch();
}

int32_t slotValue(const char* slot) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(static_cast<uint8_t>(slot[2 * i])) << (8 * i);
    return static_cast<int32_t>(v);
}

void putSlot(char* slot, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        slot[2 * i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        slot[2 * i + 1] = static_cast<char>(kSlotFiller);
    }
}

QString cellText(int32_t value) {
    const int64_t v = value;
    const int64_t magnitude = v < 0 ? -v : v;
    return QStringLiteral("%1%2.%3")
        .arg(v < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / kScale)
        .arg(magnitude % kScale, 4, 10, QLatin1Char('0'));
}

std::optional<int32_t> cellValue(const QString& text, int maxDegrees) {
    if (text.isEmpty() || text == QLatin1String("0."))
        return 0;
    // No more than three whole-degree digits: nothing beyond 180 degrees is a
    // coordinate, and longer digit strings would not fit the stored value.
    static const QRegularExpression kCell(QStringLiteral("^(-?)([0-9]{0,3})\\.([0-9]{4})$"));
    const QRegularExpressionMatch m = kCell.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int64_t magnitude = m.captured(2).toLongLong() * kScale + m.captured(3).toLongLong();
    if (magnitude > static_cast<int64_t>(maxDegrees) * kScale)
        return std::nullopt;
    return static_cast<int32_t>(m.captured(1).isEmpty() ? magnitude : -magnitude);
}

int maxDegrees(int valueIndex) {
    return valueIndex % 2 == 0 ? 90 : 180;
}

Grid decodeGrid(const QByteArray& records) {
    Grid g;
    for (int r = 0; r < kRows; ++r)
        for (int j = 0; j < kValues; ++j)
            g[r][j] = cellText(slotValue(records.constData() + slotOffset(r, j)));
    return g;
}

QByteArray encodeGrid(const Grid& grid, const QByteArray& records) {
    QByteArray out = records;
    const Grid was = decodeGrid(records);
    for (int r = 0; r < kRows; ++r)
        for (int j = 0; j < kValues; ++j) {
            if (grid[r][j] == was[r][j])
                continue;
            putSlot(out.data() + slotOffset(r, j),
                    cellValue(grid[r][j], maxDegrees(j)).value_or(0));
        }
    return out;
}

std::optional<Cell> firstBadCell(const Grid& grid, const QByteArray& records) {
    const Grid was = decodeGrid(records);
    for (int r = 0; r < kRows; ++r)
        for (int j = 0; j < kValues; ++j)
            if (grid[r][j] != was[r][j] && !cellValue(grid[r][j], maxDegrees(j)))
                return Cell{r, j};
    return std::nullopt;
}

} // namespace Marlo
