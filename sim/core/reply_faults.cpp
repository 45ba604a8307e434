#include "core/reply_faults.h"

#include <algorithm>

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

bool ReplyFaults::hitAt(const std::vector<std::uint32_t>& addresses,
                        std::map<std::uint32_t, int>& hitsSoFar,
                        std::optional<std::uint32_t> address) {
    if (!address || std::find(addresses.begin(), addresses.end(), *address) == addresses.end())
        return false;
    int& n = hitsSoFar[*address];
    if (options_.atTimes > 0 && n >= options_.atTimes)
        return false;
    ++n;
    return true;
}

FaultedReply ReplyFaults::apply(Bytes reply, std::optional<std::uint32_t> address) {
    FaultedReply out;
    if (reply.empty())
        return out;
    ++count_;
    // Each targeted fault counts its own hits, so a lost reply does not use
    // up the late or duplicate hit meant for the same address.
    const bool dropTarget = hitAt(options_.dropAt, droppedAt_, address);
    if (hits(options_.dropEvery, count_) || dropTarget)
        return out;
    if (options_.badComplement || hits(options_.corruptComplementEvery, count_))
        corruptComplement(reply);
    if (hits(options_.corruptCheckEvery, count_))
        corruptCheck(reply);
    if (hits(options_.splitEvery, count_) && reply.size() > 1)
        out.split = reply.size() / 2;
    out.late = hitAt(options_.lateAt, lateAt_, address) || hits(options_.lateEvery, count_);
    out.duplicate = hitAt(options_.duplicateAt, duplicatedAt_, address) ||
                    hits(options_.duplicateEvery, count_);
    out.bytes = std::move(reply);
    return out;
}

std::vector<Transmission> ReplyFaults::schedule(const FaultedReply& reply, int delayMs) const {
    std::vector<Transmission> out;
    if (reply.bytes.empty())
        return out;
    const int start = delayMs + (reply.late ? options_.lateMs : 0);
    int end = start;
    if (reply.split > 0 && reply.split < reply.bytes.size()) {
        const auto mid = reply.bytes.begin() + static_cast<std::ptrdiff_t>(reply.split);
        out.push_back({start, Bytes(reply.bytes.begin(), mid), reply.late, false});
        end = start + kSplitGapMs;
        out.push_back({end, Bytes(mid, reply.bytes.end()), reply.late, false});
    } else {
        out.push_back({start, reply.bytes, reply.late, false});
    }
    if (reply.duplicate)
        out.push_back({end + options_.duplicateGapMs, reply.bytes, reply.late, true});
    return out;
}

} // namespace alvento::sim
