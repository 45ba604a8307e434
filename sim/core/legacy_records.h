#pragma once
// Where the GPS modules keep their 64-byte records, and the record store kept
// in a file between runs: the Marlo's table of 64 position areas (32 records
// from high byte 114) and the TREKKA's single record of its older firmware
// (high byte 98). The records are read and written with commands 0x40 and
// 0x80 at their byte address; the file holds them one after the other.

#include "core/sim_module.h"

#include <cstdint>
#include <optional>
#include <span>

namespace alvento::sim {

inline constexpr std::size_t kGpsRecordSize = 64;

struct RecordArea {
    std::uint32_t first; // byte address of the first record
    std::size_t records; // consecutive records of 64 bytes
    std::size_t size() const { return records * kGpsRecordSize; }
};

// The record area of a GPS model; other models keep no records.
std::optional<RecordArea> recordArea(int model);

// Puts bytes into the area (shorter input leaves the rest as it is) the way
// the module takes them: as record writes.
void loadRecords(SimModule& module, const RecordArea& area, std::span<const std::uint8_t> bytes);
// The area's bytes as the module holds them now.
Bytes recordBytes(const SimModule& module, const RecordArea& area);

} // namespace alvento::sim
