#include "core/reply_faults.h"

namespace alvento::sim {

namespace {
bool hits(int every, long count) {
    return every > 0 && count % every == 0;
}

// A six-byte frame carries check and complement at 4 and 5; a record reply
// has the same header in front of its data; longer replies and the one-byte
// block acknowledgement end in their sum, which stands in for the check.
constexpr std::size_t kFrame = 6;
constexpr std::size_t kRecordReply = 39;

void corruptCheck(Bytes& r) {
    if (r.size() == kFrame)
        r[5] ^= 0x01;
    else
        r.back() ^= 0x01;
}

void corruptComplement(Bytes& r) {
    if (r.size() == kFrame || r.size() == kRecordReply)
        r[4] ^= 0x01;
}
} // namespace

FaultedReply ReplyFaults::apply(Bytes reply) {
    FaultedReply out;
    if (reply.empty())
        return out;
    ++count_;
    if (hits(options_.dropEvery, count_))
        return out;
    if (options_.badComplement || hits(options_.corruptComplementEvery, count_))
        corruptComplement(reply);
    if (hits(options_.corruptCheckEvery, count_))
        corruptCheck(reply);
    if (hits(options_.splitEvery, count_) && reply.size() > 1)
        out.split = reply.size() / 2;
    out.bytes = std::move(reply);
    return out;
}

} // namespace alvento::sim
