#include "core/write_faults.h"

#include <algorithm>

namespace alvento::sim {

bool WriteFaults::drops(std::uint32_t address) const {
    return std::find(dropAt_.begin(), dropAt_.end(), address) != dropAt_.end();
}

void WriteFaults::noteDropped(std::uint32_t address) {
    dropped_.push_back(address);
}

std::vector<std::string> WriteFaults::takeEvents() {
    std::vector<std::string> out;
    for (const std::uint32_t a : dropped_)
        out.push_back("DROPWRITE " + std::to_string(a));
    dropped_.clear();
    return out;
}

} // namespace alvento::sim
