// The module's sound memory and caller-ID list as the configurator fills
// them: a sound arrives as a stream of raw 256-byte blocks after its start
// frame, each acknowledged with its number; the module plays it up to the
// first 0xFF. The caller-ID list lives in 19 blocks from block address 0x3600
// and is read and written with the ordinary block commands.

#include "core/memory_file.h"
#include "core/sim_module.h"

#include <algorithm>
#include <cstdio>

namespace alvento::sim {

namespace {
constexpr std::uint8_t kMarker = 0xAB;
constexpr std::uint8_t kCmdStreamStart = 0xFA;
constexpr std::size_t kBlock = 256;
constexpr std::size_t kEndMarkFrom = 253;
constexpr std::uint8_t kEnd = 0xFF;
// The stream start at this address is the firmware's, not a sound.
constexpr std::uint32_t kFirmwareStream = 0x3E00;
constexpr std::uint32_t kCallerIdBase = 0x3600 * 16; // byte address of record 0
constexpr int kCallerIdRecords = 304;
constexpr std::size_t kCallerIdRecord = 16;
constexpr std::size_t kCallerIdNumber = 14;

std::string hex4(std::uint32_t v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", v & 0xFFFF);
    return buf;
}
} // namespace

bool SimModule::startSoundStream(const Bytes& req, Exchange& ex) {
    const std::uint32_t address = (req[2] << 8) | req[3];
    if (!configurator() || req[0] != 0 || address == kFirmwareStream)
        return false;
    soundStream_ = true;
    sounds_.push_back(ReceivedSound{address, {}, {}, false});
    ex.reply = makeFrame(kMarker, kCmdStreamStart, req[2], req[3]);
    ex.events.push_back("SOUND START " + hex4(address));
    return true;
}

void SimModule::takeSoundBlock(std::vector<Exchange>& out) {
    if (pending_.size() < kBlock)
        return;
    ReceivedSound& sound = sounds_.back();
    Exchange ex;
    ex.request.assign(pending_.begin(), pending_.begin() + kBlock);
    pending_.erase(pending_.begin(), pending_.begin() + kBlock);
    // Each block is acknowledged with its number in the stream, from the low
    // byte of the stream's address.
    ex.reply = {static_cast<std::uint8_t>(sound.address + sound.blocks.size())};
    sound.blocks.push_back(ex.request);
    if (!sound.complete) {
        const auto end = std::find(ex.request.begin(), ex.request.end(), kEnd);
        sound.samples.insert(sound.samples.end(), ex.request.begin(), end);
        sound.complete = end != ex.request.end();
    }
    // The last block carries the end mark in its bytes 253..255.
    if (std::all_of(ex.request.begin() + kEndMarkFrom, ex.request.end(),
                    [](std::uint8_t b) { return b == kEnd; })) {
        soundStream_ = false;
        ex.events.push_back("SOUND END " + hex4(sound.address) + " BLOCKS " +
                            std::to_string(sound.blocks.size()) + " BYTES " +
                            std::to_string(sound.samples.size()));
        ex.transactionEnd = true;
    }
    out.push_back(std::move(ex));
}

void SimModule::setCallerId(int record, const std::string& number) {
    if (record < 0 || record >= kCallerIdRecords)
        return;
    const std::uint32_t base = kCallerIdBase + static_cast<std::uint32_t>(record) * kCallerIdRecord;
    const std::size_t n = std::min(number.size(), kCallerIdNumber);
    for (std::size_t i = 0; i < kCallerIdNumber; ++i)
        storeByte(base + static_cast<std::uint32_t>(i),
                  i < n ? static_cast<std::uint8_t>(number[i]) : kEnd);
    storeByte(base + 14, 0);
    storeByte(base + 15, 0);
}

std::string SimModule::callerId(int record) const {
    if (record < 0 || record >= kCallerIdRecords)
        return {};
    const std::uint32_t base = kCallerIdBase + static_cast<std::uint32_t>(record) * kCallerIdRecord;
    std::string number;
    for (std::uint32_t i = 0; i < kCallerIdNumber; ++i) {
        const std::uint8_t b = byteAt(base + i);
        if (b == kEnd || b == 0)
            break;
        number.push_back(static_cast<char>(b));
    }
    return number;
}

std::string saveSound(const std::string& dir, const ReceivedSound& sound) {
    const std::string base = dir + "/sound-" + hex4(sound.address);
    Bytes blocks;
    for (const Bytes& b : sound.blocks)
        blocks.insert(blocks.end(), b.begin(), b.end());
    std::string error = saveMemoryFile(base + ".blocks", blocks);
    if (error.empty())
        error = saveMemoryFile(base + ".raw", sound.samples);
    return error;
}

} // namespace alvento::sim
