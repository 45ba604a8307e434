#pragma once
// Faults the simulated line puts on the module's replies. The "every N"
// faults count over all replies (the Nth, 2Nth, ... reply is hit); the
// targeted ones hit the replies to requests at chosen module addresses.
// Requests are never altered.

#include "core/sim_module.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace alvento::sim {

// Second half of a split reply follows the first after this gap.
inline constexpr int kSplitGapMs = 30;

struct FaultOptions {
    int dropEvery = 0;
    int corruptCheckEvery = 0;
    int corruptComplementEvery = 0;
    int splitEvery = 0;
    int duplicateEvery = 0;
    int lateEvery = 0;
    // Every six-byte frame keeps its check but carries a wrong complement.
    bool badComplement = false;
    // Module addresses whose replies are lost / held back / sent twice. Only
    // the first atTimes replies per address are hit; 0 hits every one.
    std::vector<std::uint32_t> dropAt;
    std::vector<std::uint32_t> lateAt;
    std::vector<std::uint32_t> duplicateAt;
    int atTimes = 1;
    // A late reply goes out this long after its request; long enough that the
    // tool has given up waiting and repeated the request.
    int lateMs = 400;
    // The copy of a duplicated reply follows the end of the original after this gap.
    int duplicateGapMs = 10;
};

struct FaultedReply {
    Bytes bytes;           // what goes on the line (empty when dropped)
    std::size_t split = 0; // > 0: send bytes [0, split) first, the rest after a gap
    bool late = false;
    bool duplicate = false;
};

// One write to the line, atMs after the request was taken in.
struct Transmission {
    int atMs = 0;
    Bytes bytes;
    bool late = false; // part of a held-back reply
    bool copy = false; // the second sending of a duplicated reply
};

class ReplyFaults {
  public:
    explicit ReplyFaults(const FaultOptions& options) : options_(options) {}
    // address: the module address the request carried, when it has one.
    FaultedReply apply(Bytes reply, std::optional<std::uint32_t> address = {});
    // When each part of a faulted reply goes out; delayMs applies to every reply.
    std::vector<Transmission> schedule(const FaultedReply& reply, int delayMs = 0) const;

  private:
    bool hitAt(const std::vector<std::uint32_t>& addresses, std::map<std::uint32_t, int>& hitsSoFar,
               std::optional<std::uint32_t> address);

    FaultOptions options_;
    long count_ = 0;
    std::map<std::uint32_t, int> droppedAt_, lateAt_, duplicatedAt_;
};

} // namespace alvento::sim
