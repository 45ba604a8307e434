#pragma once
#include "serial/memory_frame.h"
#include <QByteArray>
#include <array>

// The byte-by-byte block transfer of the start window and the older device
// windows: one request outstanding, repeated on every send-timer tick once the
// hold-off after the last valid reply has run out, with no retry limit.
class BlockTransfer {
  public:
    static constexpr int kReading = 100;
    static constexpr int kWriting = 101;
    static constexpr int kHoldOffTicks = 3;

    // Which replies a window takes as the answer to its request.
    enum class AcceptRule {
        AnyValid,        // start window: any valid frame (a write needs no echo)
        EchoWrittenData, // converter, Marlo: a write must echo the byte written
        MarkedEcho,      // TREKKA: byte 0 = 0xAB, read echoes address low, write echoes data
    };
    enum class Step { Ignored, Next, Done };

    explicit BlockTransfer(AcceptRule rule = AcceptRule::AnyValid, int bufferSize = 8192)
        : BlockBuffer(bufferSize, '\0'), rule_(rule) {}

    // Begins reading (100) or writing (101) `count` bytes from `address`, stored
    // at BlockBuffer[startIndex ..]; ends in `nextState`.
    void start(int state, uint16_t address, int count, int nextState, int startIndex = 0);

    // The request of the current state: read or write of the current address.
    MemoryFrame request() const;

    // Send-timer tick: true when the request is due (the hold-off has run out).
    bool tick();

    // A frame that passed the check arrived. Sets the hold-off; when the reply is
    // the answer, stores read data and moves on. Done sets LinkState = NextState.
    Step onValidFrame(const std::array<uint8_t, 6>& frame);

    bool busy() const { return LinkState == kReading || LinkState == kWriting; }

    int LinkState = 0;
    int HoldOff = 0;
    int Remaining = 0;
    int NextState = 0;
    uint16_t Address = 0;
    int Index = 0;
    QByteArray BlockBuffer;

  private:
    AcceptRule rule_;
};
