// The start window's search for a module: send-timer ticks and receive events
// of any size and content in any order. Checked on every step: the ten-tick
// cycle (four reads of 0x00FF, a silent tick, four identify frames, a silent
// tick), the hold-off after a valid reply, the counters, and that a ModelCode
// is taken only from a valid reply while reads of 0x00FF are going out.

#include "discovery/identify_handshake.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    IdentifyHandshake h;
    // The cycle as it should run.
    int state = IdentifyHandshake::kIdentifyRead;
    int phase = 0;
    int holdOff = 0;
    int tx = 0, rx = 0, bad = 0;
    const MemoryFrame read = Frames::identifyRead();
    const MemoryFrame wake = Frames::identifyWake();

    while (!in.done()) {
        const uint8_t op = in.byte();
        switch (op % 4) {
        case 0:
        case 1: {
            const auto t = h.tick();
            if (holdOff > 0) {
                --holdOff;
                FUZZ_CHECK(!t.senderCalled && !t.frame);
                break;
            }
            FUZZ_CHECK(t.senderCalled);
            ++tx;
            const int was = phase++;
            if (was == 4) {
                phase = 0;
                state = state == IdentifyHandshake::kIdentifyRead
                            ? IdentifyHandshake::kIdentifyWake
                            : IdentifyHandshake::kIdentifyRead;
                FUZZ_CHECK(!t.frame);
            } else {
                FUZZ_CHECK(t.frame);
                const MemoryFrame& expected =
                    state == IdentifyHandshake::kIdentifyRead ? read : wake;
                FUZZ_CHECK(t.frame->bytes == expected.bytes);
                // Every frame sent starts the next reply at position 0.
                FUZZ_CHECK(h.Assembler.fill() == 0);
            }
            break;
        }
        case 2: {
            const int stateBefore = h.LinkState;
            const QByteArray chunk = in.bytes(op / 4 % 16);
            const auto r = h.receive(chunk);
            FUZZ_CHECK(r.frames >= 0 && r.frames <= 1);
            FUZZ_CHECK(r.valid <= r.frames && r.bad <= r.frames && r.valid + r.bad <= 1);
            rx += r.frames;
            bad += r.bad;
            if (r.valid) {
                holdOff = 3;
                FUZZ_CHECK(validateFrame(h.Assembler.buffer().data()) == FrameCheck::Valid);
            }
            if (r.modelCode) {
                FUZZ_CHECK(r.valid && stateBefore == IdentifyHandshake::kIdentifyRead);
                FUZZ_CHECK(*r.modelCode == h.Assembler.byte(3) && h.ModelCode == *r.modelCode);
            } else {
                FUZZ_CHECK(!r.valid || stateBefore != IdentifyHandshake::kIdentifyRead);
            }
            break;
        }
        case 3:
            h.restart();
            state = IdentifyHandshake::kIdentifyRead;
            break;
        }
        FUZZ_CHECK(h.LinkState == state && h.Phase == phase && h.HoldOff == holdOff);
        FUZZ_CHECK(h.TxCount == tx && h.RxCount == rx && h.BadCount == bad);
        FUZZ_CHECK(h.Assembler.fill() >= 0 && h.Assembler.fill() <= 6);
    }
    return 0;
}
