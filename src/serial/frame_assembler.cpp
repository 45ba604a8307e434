#include "serial/frame_assembler.h"

FrameAssembler::Result FrameAssembler::receive(const QByteArray& bytes) {
    const int count = static_cast<int>(bytes.size());
    for (int i = 0; i < count; ++i) {
        const int pos = RxFill + i;
        if (pos < 6)
            RxBuffer[static_cast<size_t>(pos)] = static_cast<uint8_t>(bytes[i]);
    }
    RxFill += count;
    if (RxFill > 6) {
        RxFill = 0;
        return Result::Overflow;
    }
    if (RxFill < 6)
        return Result::Incomplete;
    switch (validateFrame(RxBuffer.data())) {
    case FrameCheck::Valid:
        return Result::Valid;
    case FrameCheck::BadComplement:
        RxFill = 0;
        return Result::BadComplement;
    case FrameCheck::BadCheck:
        break;
    }
    RxFill = 0;
    return Result::BadCheck;
}

void FrameAssembler::clear() {
    RxBuffer.fill(255);
    RxFill = 0;
}
