#pragma once
// Faults of the module's memory itself rather than of the line: a write that
// the module acknowledges as usual but does not store. A read afterwards
// returns what the address held before, so only reading back shows it.

#include <cstdint>
#include <string>
#include <vector>

namespace alvento::sim {

class WriteFaults {
  public:
    explicit WriteFaults(std::vector<std::uint32_t> dropAt = {}) : dropAt_(std::move(dropAt)) {}

    // Whether a write to this memory address is to be lost; every write there is.
    bool drops(std::uint32_t address) const;
    // Notes a lost write, to be told with the exchange that carried it.
    void noteDropped(std::uint32_t address);
    // "DROPWRITE <address>" for each write lost since the last call.
    std::vector<std::string> takeEvents();

  private:
    std::vector<std::uint32_t> dropAt_;
    std::vector<std::uint32_t> dropped_;
};

} // namespace alvento::sim
