#include "legacy/record_assembler.h"

RecordAssembler::Result RecordAssembler::receive(const QByteArray& bytes) {
    held_ += bytes;
    if (held_.size() > kReplySize) {
        held_.clear();
        return Result::Overflow;
    }
    if (held_.size() < kReplySize)
        return Result::Incomplete;
    reply_ = held_;
    held_.clear();
    unsigned sum = 0;
    for (int i = 0; i < kRecordSize; ++i)
        sum += static_cast<uint8_t>(reply_[i]);
    return static_cast<uint8_t>(sum) == static_cast<uint8_t>(reply_[kRecordSize]) ? Result::Good
                                                                                  : Result::BadSum;
}
