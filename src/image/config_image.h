#pragma once
#include <array>
#include <cstdint>

// The configurator's byte-for-byte copy of the module's configuration memory.
// Offsets 0..1023 are the module addresses of the byte transfer; blocks cover
// 0..1535 and the records of ModelCode 100 the whole 8192 bytes.
struct ConfigImage {
    static constexpr int kSize = 8192;
    std::array<uint8_t, kSize> bytes{};

    uint8_t& operator[](int i) { return bytes[static_cast<size_t>(i)]; }
    uint8_t operator[](int i) const { return bytes[static_cast<size_t>(i)]; }
    uint8_t* data() { return bytes.data(); }
    const uint8_t* data() const { return bytes.data(); }
};
