#pragma once
#include "serial/memory_frame.h"
#include <QByteArray>
#include <array>

// Collects six-byte frames in the start window, the port chooser and the older
// device windows. Bytes beyond the sixth position of a receive event are thrown
// away together with the partial frame; a complete frame stays held (RxFill = 6)
// until the window clears the buffer or sends.
class FrameAssembler {
  public:
    enum class Result { Incomplete, Overflow, Valid, BadComplement, BadCheck };

    // One receive event's bytes.
    Result receive(const QByteArray& bytes);

    // Every frame sent starts the next reply at position 0 (the bytes stay).
    void frameSent() { RxFill = 0; }
    // Fill with 255 and start over.
    void clear();

    const std::array<uint8_t, 6>& buffer() const { return RxBuffer; }
    uint8_t byte(int i) const { return RxBuffer[static_cast<size_t>(i)]; }
    int fill() const { return RxFill; }

  private:
    std::array<uint8_t, 6> RxBuffer{255, 255, 255, 255, 255, 255};
    int RxFill = 0;
};
