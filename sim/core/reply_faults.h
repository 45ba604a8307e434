#pragma once
// Faults the simulated line puts on the module's replies, counted over all
// replies (the Nth, 2Nth, ... reply is hit). Requests are never altered.

#include "core/sim_module.h"

namespace alvento::sim {

struct FaultOptions {
    int dropEvery = 0;
    int corruptCheckEvery = 0;
    int corruptComplementEvery = 0;
    int splitEvery = 0;
    // Every six-byte frame keeps its check but carries a wrong complement.
    bool badComplement = false;
};

struct FaultedReply {
    Bytes bytes;           // what goes on the line (empty when dropped)
    std::size_t split = 0; // > 0: send bytes [0, split) first, the rest after a gap
};

class ReplyFaults {
  public:
    explicit ReplyFaults(const FaultOptions& options) : options_(options) {}
    FaultedReply apply(Bytes reply);

  private:
    FaultOptions options_;
    long count_ = 0;
};

} // namespace alvento::sim
