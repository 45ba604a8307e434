#pragma once
// The protocol vocabulary the engine speaks beyond the byte frames of
// serial/memory_frame.h: the marks of the module's answers, the command bytes
// of its other requests, and the 8-bit sum that checks blocks and records.

#include <cstdint>

namespace Protocol {

inline constexpr uint8_t kReplyMark = 0xAB; // byte 0 of every module answer
inline constexpr uint8_t kClockAck = 0xAA;  // byte 1 of the clock acknowledgement
inline constexpr uint8_t kModeAck = 0xAC;   // byte 1 of a mode acknowledgement

inline constexpr uint8_t kCmdLifeSignal = 0x04;
inline constexpr uint8_t kCmdRecordRead = 0x40;
inline constexpr uint8_t kCmdRecordWrite = 0x80;
inline constexpr uint8_t kCmdBlockWrite = 0xF6;
inline constexpr uint8_t kCmdBlockRead = 0xF7;
inline constexpr uint8_t kCmdProcessor = 0xF8;
inline constexpr uint8_t kCmdLoad = 0xF9;
inline constexpr uint8_t kCmdStreamStart = 0xFA;
inline constexpr uint8_t kCmdModeLeave = 0xFB; // also monitor mode on and off
inline constexpr uint8_t kCmdClock = 0xFC;
inline constexpr uint8_t kCmdModemMode = 0xFD;

inline constexpr int kFrameSize = 6;
inline constexpr int kBlockSize = 256;

// The sum of n bytes, modulo 256.
inline uint8_t sumOf(const uint8_t* bytes, int n) {
    unsigned sum = 0;
    for (int i = 0; i < n; ++i)
        sum += bytes[i];
    return static_cast<uint8_t>(sum);
}

} // namespace Protocol
