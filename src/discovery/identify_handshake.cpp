#include "discovery/identify_handshake.h"

IdentifyHandshake::Tick IdentifyHandshake::tick() {
    Tick t;
    if (HoldOff > 0) {
        --HoldOff;
        return t;
    }
    t.senderCalled = true;
    t.frame = sender();
    return t;
}

std::optional<MemoryFrame> IdentifyHandshake::sender() {
    ++TxCount;
    if (LinkState != kIdentifyRead && LinkState != kIdentifyWake)
        return std::nullopt;
    const int was = Phase++;
    if (was == 4) {
        Phase = 0;
        LinkState = LinkState == kIdentifyRead ? kIdentifyWake : kIdentifyRead;
        return std::nullopt;
    }
    Assembler.frameSent();
    return LinkState == kIdentifyRead ? Frames::identifyRead() : Frames::identifyWake();
}

IdentifyHandshake::Received IdentifyHandshake::receive(const QByteArray& bytes) {
    Received r;
    using R = FrameAssembler::Result;
    switch (Assembler.receive(bytes)) {
    case R::Incomplete:
    case R::Overflow:
        return r;
    case R::BadComplement:
        ++r.bad;
        ++BadCount;
        [[fallthrough]];
    case R::BadCheck:
        ++r.frames;
        ++RxCount;
        return r;
    case R::Valid:
        break;
    }
    ++r.frames;
    ++r.valid;
    ++RxCount;
    HoldOff = 3;
    if (LinkState == kIdentifyRead) {
        ModelCode = Assembler.byte(3);
        r.modelCode = ModelCode;
    }
    return r;
}
