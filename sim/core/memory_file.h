#pragma once
// The module's memory kept in a file between runs and for the tests to read.

#include <cstdint>
#include <span>
#include <string>

namespace alvento::sim {

// Replaces the file at path with bytes, so that a reader sees either the old
// file or the whole new one: the bytes go to a fresh file beside it, reach
// the disk, and are renamed over it. On failure the file at path is left as
// it was, nothing else is left behind, and the reason is returned; an empty
// result means saved.
std::string saveMemoryFile(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace alvento::sim
