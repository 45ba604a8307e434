#include "serial/block_transfer.h"

void BlockTransfer::start(int state, uint16_t address, int count, int nextState, int startIndex) {
    LinkState = state;
    Address = address;
    Remaining = count;
    NextState = nextState;
    Index = startIndex;
}

MemoryFrame BlockTransfer::request() const {
    if (LinkState == kWriting) {
        const uint8_t data =
            Index >= 0 && Index < BlockBuffer.size() ? static_cast<uint8_t>(BlockBuffer[Index]) : 0;
        return MemoryFrame::build(Address, Frames::kWrite, data);
    }
    return MemoryFrame::build(Address, Frames::kRead, 0);
}

bool BlockTransfer::tick() {
    if (HoldOff > 0) {
        --HoldOff;
        return false;
    }
    return true;
}

BlockTransfer::Step BlockTransfer::onValidFrame(const std::array<uint8_t, 6>& f) {
    HoldOff = kHoldOffTicks;
    if (!busy())
        return Step::Ignored;
    const bool writing = LinkState == kWriting;
    const uint8_t written =
        writing && Index < BlockBuffer.size() ? static_cast<uint8_t>(BlockBuffer[Index]) : 0;
    switch (rule_) {
    case AcceptRule::AnyValid:
        break;
    case AcceptRule::EchoWrittenData:
        if (writing && f[3] != written)
            return Step::Ignored;
        break;
    case AcceptRule::MarkedEcho:
        if (f[0] != 0xAB)
            return Step::Ignored;
        if (writing ? f[3] != written : f[2] != (Address & 0xFF))
            return Step::Ignored;
        break;
    }
    if (!writing && Index < BlockBuffer.size())
        BlockBuffer[Index] = static_cast<char>(f[3]);
    ++Index;
    --Remaining;
    ++Address;
    if (Remaining > 0)
        return Step::Next;
    LinkState = NextState;
    return Step::Done;
}
