// The six-byte frame assembler of the start window and the older device
// windows, and the byte-by-byte block transfer that acts on its frames. The
// input is a stream of receive events of any size, sends, buffer clears and
// send-timer ticks. Checked on every step: the assembler against a plain model
// of the receive rules, and the transfer's counters against its bounds.

#include "fuzz_input.h"
#include "serial/block_transfer.h"
#include "serial/frame_assembler.h"
#include "serial/memory_frame.h"

#include <array>

namespace {

// The receive rules, written out once more: bytes land at the fill position,
// bytes past the sixth are lost with the partial frame, a complete frame is
// checked and kept only when valid.
struct ReferenceAssembler {
    std::array<uint8_t, 6> buf{255, 255, 255, 255, 255, 255};
    int fill = 0;

    FrameAssembler::Result receive(const QByteArray& bytes) {
        using R = FrameAssembler::Result;
        for (qsizetype i = 0; i < bytes.size(); ++i)
            if (fill + i < 6)
                buf[static_cast<size_t>(fill + i)] = static_cast<uint8_t>(bytes[i]);
        fill += static_cast<int>(bytes.size());
        if (fill > 6) {
            fill = 0;
            return R::Overflow;
        }
        if (fill < 6)
            return R::Incomplete;
        const uint8_t check = static_cast<uint8_t>(buf[0] + buf[1] + buf[2] + buf[3] - 1);
        if (buf[5] != check) {
            fill = 0;
            return R::BadCheck;
        }
        if (buf[4] != static_cast<uint8_t>(255 - check)) {
            fill = 0;
            return R::BadComplement;
        }
        return R::Valid;
    }
};

const BlockTransfer::AcceptRule kRules[] = {BlockTransfer::AcceptRule::AnyValid,
                                            BlockTransfer::AcceptRule::EchoWrittenData,
                                            BlockTransfer::AcceptRule::MarkedEcho};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t setup = in.byte();
    const int bufferSize = 1 + in.byte() * 40; // up to 10201: more and less than the memory
    BlockTransfer transfer(kRules[setup % 3], bufferSize);
    transfer.BlockBuffer.fill(static_cast<char>(setup));
    const int state = setup & 4 ? BlockTransfer::kWriting : BlockTransfer::kReading;
    const uint16_t address = static_cast<uint16_t>(in.byte() << 8 | in.byte());
    const int count = 1 + in.byte() * 4;
    const int startIndex = in.byte() * 48; // may lie beyond a small buffer
    const int nextState = 7;
    transfer.start(state, address, count, nextState, startIndex);

    FrameAssembler assembler;
    ReferenceAssembler model;
    int accepted = 0;
    while (!in.done()) {
        const uint8_t op = in.byte();
        switch (op % 5) {
        case 0:
        case 1: {
            const QByteArray chunk = in.bytes(op / 5 % 16);
            const auto result = assembler.receive(chunk);
            FUZZ_CHECK(result == model.receive(chunk));
            FUZZ_CHECK(assembler.fill() == model.fill);
            FUZZ_CHECK(assembler.fill() >= 0 && assembler.fill() <= 6);
            if (result == FrameAssembler::Result::Valid) {
                FUZZ_CHECK(assembler.buffer() == model.buf);
                FUZZ_CHECK(validateFrame(assembler.buffer().data()) == FrameCheck::Valid);
                const bool wasBusy = transfer.busy();
                const int remaining = transfer.Remaining;
                const auto step = transfer.onValidFrame(assembler.buffer());
                FUZZ_CHECK(transfer.HoldOff == BlockTransfer::kHoldOffTicks);
                if (!wasBusy)
                    FUZZ_CHECK(step == BlockTransfer::Step::Ignored);
                if (step != BlockTransfer::Step::Ignored) {
                    ++accepted;
                    FUZZ_CHECK(transfer.Remaining == remaining - 1);
                }
                if (step == BlockTransfer::Step::Done)
                    FUZZ_CHECK(transfer.LinkState == nextState && transfer.Remaining == 0);
            } else {
                FUZZ_CHECK(result != FrameAssembler::Result::Overflow || assembler.fill() == 0);
            }
            break;
        }
        case 2:
            assembler.frameSent();
            model.fill = 0;
            break;
        case 3:
            assembler.clear();
            model = ReferenceAssembler{};
            break;
        case 4: {
            const bool due = transfer.tick();
            FUZZ_CHECK(transfer.HoldOff >= 0 && transfer.HoldOff <= BlockTransfer::kHoldOffTicks);
            if (due && transfer.busy()) {
                const MemoryFrame request = transfer.request();
                FUZZ_CHECK(validateFrame(request.bytes.data()) == FrameCheck::Valid);
                FUZZ_CHECK(request.address() == transfer.Address);
                assembler.frameSent();
                model.fill = 0;
            }
            break;
        }
        }
        FUZZ_CHECK(transfer.Index == startIndex + accepted);
        FUZZ_CHECK(transfer.Remaining == count - accepted);
        FUZZ_CHECK(transfer.Remaining >= 0);
        FUZZ_CHECK(transfer.BlockBuffer.size() == bufferSize);
        FUZZ_CHECK(static_cast<uint16_t>(address + accepted) == transfer.Address);
    }
    return 0;
}
