#include "core/legacy_records.h"

#include <algorithm>

namespace alvento::sim {

namespace {
constexpr std::uint8_t kRecordWrite = 0x80;
constexpr int kTrekkaModel = 60;
constexpr int kMarloModel = 61;
} // namespace

std::optional<RecordArea> recordArea(int model) {
    switch (model) {
    case kTrekkaModel:
        return RecordArea{98u << 8, 1};
    case kMarloModel:
        return RecordArea{114u << 8, 32};
    default:
        return std::nullopt;
    }
}

void loadRecords(SimModule& module, const RecordArea& area, std::span<const std::uint8_t> bytes) {
    for (std::size_t n = 0; n < area.records; ++n) {
        const std::size_t from = n * kGpsRecordSize;
        if (from >= bytes.size())
            break;
        const std::uint32_t address = area.first + static_cast<std::uint32_t>(from);
        Bytes request = makeFrame(0, kRecordWrite, static_cast<std::uint8_t>(address >> 8),
                                  static_cast<std::uint8_t>(address & 0xFF));
        Bytes record = recordBytes(module, RecordArea{address, 1});
        const std::size_t n64 = std::min(kGpsRecordSize, bytes.size() - from);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(from), n64, record.begin());
        request.insert(request.end(), record.begin(), record.end());
        request.push_back(sum8(record));
        module.feed(request);
    }
}

Bytes recordBytes(const SimModule& module, const RecordArea& area) {
    Bytes out;
    out.reserve(area.size());
    for (std::size_t i = 0; i < area.size(); ++i)
        out.push_back(module.byteAt(area.first + static_cast<std::uint32_t>(i)));
    return out;
}

} // namespace alvento::sim
