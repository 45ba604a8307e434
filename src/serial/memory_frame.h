#pragma once
#include <QByteArray>
#include <array>
#include <cstdint>

// The six-byte request/reply unit every module speaks:
// [address high, command, address low, data, 255 - check, check],
// check = (byte0 + byte1 + byte2 + byte3 - 1) mod 256.
struct MemoryFrame {
    std::array<uint8_t, 6> bytes{};

    static MemoryFrame build(uint16_t address, uint8_t command, uint8_t data = 0);
    // Header of a longer frame: bytes 0..3 given as they stand, check bytes added.
    static MemoryFrame fromHeader(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3);

    static uint8_t checkOf(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
        return static_cast<uint8_t>(b0 + b1 + b2 + b3 - 1);
    }

    QByteArray toByteArray() const;
    uint16_t address() const { return static_cast<uint16_t>(bytes[0] << 8 | bytes[2]); }
    uint8_t command() const { return bytes[1]; }
    uint8_t data() const { return bytes[3]; }
};

enum class FrameCheck {
    Valid,
    BadComplement, // check byte right, complement wrong: counted as bad by discovery
    BadCheck,      // check byte wrong: dropped without counting
};

FrameCheck validateFrame(const uint8_t* six);
// Fewer than six bytes are no frame at all; only the first six are looked at.
inline FrameCheck validateFrame(const QByteArray& six) {
    if (six.size() < 6)
        return FrameCheck::BadCheck;
    return validateFrame(reinterpret_cast<const uint8_t*>(six.constData()));
}

// Request forms in use.
namespace Frames {
inline constexpr uint8_t kRead = 0x00;
inline constexpr uint8_t kWrite = 0x01;
inline constexpr uint8_t kStatusRead = 0x02;
inline MemoryFrame identifyRead() {
    return MemoryFrame::build(0x00FF, kRead);
}
inline MemoryFrame identifyWake() {
    return MemoryFrame::build(0xA000, 0xFE);
}
inline MemoryFrame versionRead() {
    return MemoryFrame::build(0x00FE, kRead);
}
inline MemoryFrame restart() {
    return MemoryFrame::build(0x00AA, 0xFF);
}
} // namespace Frames
