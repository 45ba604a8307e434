#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// The configurator's byte-for-byte copy of the module's configuration memory.
// Offsets 0..1023 are the module addresses of the byte transfer; blocks cover
// 0..1535 and the records of ModelCode 100 the whole 8192 bytes.
struct ConfigImage {
    static constexpr int kSize = 8192;
    std::array<uint8_t, kSize> bytes{};

    uint8_t& operator[](int i) { return bytes[static_cast<std::size_t>(i)]; }
    uint8_t operator[](int i) const { return bytes[static_cast<std::size_t>(i)]; }
    uint8_t* data() { return bytes.data(); }
    const uint8_t* data() const { return bytes.data(); }

    void fill(uint8_t value, int first, int count) {
        for (int i = first; i < first + count && i < kSize; ++i)
            bytes[static_cast<std::size_t>(i)] = value;
    }
};

// Fixed addresses the conversions and the transfers both rely on.
namespace ImageAddress {
inline constexpr int kSecurityCode = 0;   // 4 ASCII characters
inline constexpr int kZeroedRecords = 24; // 24..63 are cleared before the records are written
inline constexpr int kZeroedRecordsEnd = 63;
inline constexpr int kModuleOwnedByte = 75;  // the module keeps its own state here
inline constexpr int kClearedOnDecode = 120; // 120 and 121
inline constexpr int kBuildNumber = 252;
inline constexpr int kModuleVersion = 254;
inline constexpr int kModelCode = 255;
inline constexpr int kPhoneNumbers = 256; // eight 16-byte slots
inline constexpr int kPhoneSlotSize = 16;
inline constexpr int kEditionTag = 384; // 384..399
inline constexpr int kEditionTagSize = 16;
} // namespace ImageAddress
