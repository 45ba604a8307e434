#include "serial/memory_frame.h"

MemoryFrame MemoryFrame::build(uint16_t address, uint8_t command, uint8_t data) {
    return fromHeader(static_cast<uint8_t>(address >> 8), command,
                      static_cast<uint8_t>(address & 0xFF), data);
}

MemoryFrame MemoryFrame::fromHeader(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    MemoryFrame f;
    const uint8_t check = checkOf(b0, b1, b2, b3);
    f.bytes = {b0, b1, b2, b3, static_cast<uint8_t>(255 - check), check};
    return f;
}

QByteArray MemoryFrame::toByteArray() const {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), 6);
}

FrameCheck validateFrame(const uint8_t* b) {
    const uint8_t check = MemoryFrame::checkOf(b[0], b[1], b[2], b[3]);
    if (b[5] != check)
        return FrameCheck::BadCheck;
    if (b[4] != static_cast<uint8_t>(255 - check))
        return FrameCheck::BadComplement;
    return FrameCheck::Valid;
}
