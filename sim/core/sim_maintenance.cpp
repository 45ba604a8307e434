// The module's maintenance side: it tells its processor and versions, takes a
// new firmware into its firmware memory (block writes from 0x3E00 on newer
// firmware, a raw stream of 256-byte blocks on older), loads it when told and
// then runs the new version; it keeps a live status block and, in monitor
// mode, sends its diagnostic text.

#include "core/sim_module.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace alvento::sim {

namespace {
constexpr std::uint8_t kMarker = 0xAB;
constexpr std::uint8_t kModeAck = 0xAC;
constexpr std::size_t kHeader = 6;
constexpr std::size_t kFirmwareBlock = 256;
constexpr int kFirmwareBlocks = 512;
constexpr std::uint32_t kFirmwareBase = 0x3E00;
constexpr int kBlockProtocolVersion = 38;
constexpr std::uint8_t kCmdBlockWrite = 0xF6;
constexpr std::uint8_t kCmdProcessor = 0xF8;
constexpr std::uint8_t kCmdLoad = 0xF9;
constexpr std::uint8_t kCmdStreamStart = 0xFA;
constexpr std::uint8_t kCmdMode = 0xFB;
constexpr std::uint32_t kLoadAddress = 0x00BB;
constexpr std::uint32_t kMonitorOnAddress = 0x0001;
// Status bytes: S[0] inputs, S[1] registration, S[3] signal, S[5..8] the
// clock as HHMM digits, S[16..31] the last Contact ID message.
constexpr int kClockByte = 5;
constexpr int kMessageByte = 16;
constexpr int kMessageDigits = 16;

std::uint8_t digitCode(char c) {
    if (c == '0')
        return 10;
    if (c >= '1' && c <= '9')
        return static_cast<std::uint8_t>(c - '0');
    if (c >= 'B' && c <= 'F')
        return static_cast<std::uint8_t>(c - 'B' + 11);
    if (c == '?')
        return 63;
    return 0xFF;
}
} // namespace

int SimModule::firmwareBlocksReceived() const {
    return static_cast<int>(std::count(firmwareSeen_.begin(), firmwareSeen_.end(), true));
}

void SimModule::setContactIdMessage(const std::string& digits) {
    for (int i = 0; i < kMessageDigits; ++i)
        status_[kMessageByte + i] = i < static_cast<int>(digits.size())
                                        ? digitCode(digits[static_cast<std::size_t>(i)])
                                        : 0xFF;
}

void SimModule::refreshStatusClock() {
    std::string hhmm = options_.statusClock;
    if (hhmm.size() != 4) {
        const std::time_t t = std::time(nullptr);
        std::tm local{};
        localtime_r(&t, &local);
        char buf[8];
        std::snprintf(buf, sizeof buf, "%02d%02d", local.tm_hour, local.tm_min);
        hhmm = buf;
    }
    for (int i = 0; i < 4; ++i)
        status_[kClockByte + i] = static_cast<std::uint8_t>(hhmm[static_cast<std::size_t>(i)]);
}

std::string SimModule::nextMonitorLine() {
    ++monitorLines_;
    char buf[96];
    std::snprintf(buf, sizeof buf, "MON %05d IN=%X REG=%u ERR=%u CSQ=%u PWR=%02X\r\n",
                  monitorLines_, status_[0] & 0x0F, status_[1], status_[2], status_[3], status_[4]);
    return buf;
}

bool SimModule::handleMaintenance(const Bytes& req, Exchange& ex) {
    if (!configurator())
        return false;
    const std::uint8_t cmd = req[1];
    const std::uint32_t address = (req[0] << 8) | req[2];
    switch (cmd) {
    case kCmdProcessor:
        ex.reply = makeFrame(static_cast<std::uint8_t>(options_.processor),
                             static_cast<std::uint8_t>(options_.hardware),
                             static_cast<std::uint8_t>(options_.version),
                             static_cast<std::uint8_t>(options_.third));
        ex.events.push_back("PROCESSOR");
        return true;
    case kCmdBlockWrite: {
        // Block writes carry the block's address high byte first; from 0x3E00
        // on they are blocks of the firmware memory.
        const std::uint32_t field = (req[2] << 8) | req[3];
        if (field < kFirmwareBase)
            return false;
        if (options_.version < kBlockProtocolVersion || field >= kFirmwareBase + kFirmwareBlocks)
            return true; // not a block this firmware takes: no answer
        const auto payload = std::span(req).subspan(kHeader);
        if (sum8(payload) != req[0]) {
            ex.events.push_back("BADSUM");
            return true;
        }
        const std::size_t block = field - kFirmwareBase;
        if (firmware_.empty()) {
            firmware_.assign(kFirmwareBlock * kFirmwareBlocks, 0xFF);
            firmwareSeen_.assign(kFirmwareBlocks, false);
        }
        std::copy(payload.begin(), payload.end(),
                  firmware_.begin() + static_cast<std::ptrdiff_t>(block * kFirmwareBlock));
        firmwareSeen_[block] = true;
        ex.reply = {req[0]};
        return true;
    }
    case kCmdStreamStart:
        // The stream start carries its address in bytes 2 (high) and 3 (low).
        if (((req[2] << 8) | req[3]) != kFirmwareBase || options_.version >= kBlockProtocolVersion)
            return false;
        firmwareStream_ = true;
        streamBlocks_ = 0;
        streamBlock_.clear();
        firmware_.assign(kFirmwareBlock * kFirmwareBlocks, 0xFF);
        firmwareSeen_.assign(kFirmwareBlocks, false);
        ex.reply = {kMarker};
        ex.events.push_back("FIRMWARE STREAM");
        return true;
    case kCmdLoad:
        if (address != kLoadAddress || req[3] != 0)
            return false;
        if (firmwareBlocksReceived() < kFirmwareBlocks) {
            // Loading half a firmware would leave a dead module: it refuses.
            ex.events.push_back("FIRMWARE INCOMPLETE " + std::to_string(firmwareBlocksReceived()));
            return true;
        }
        options_.version = options_.firmwareVersion;
        memory_[kVersionAddress] = static_cast<std::uint8_t>(options_.version);
        loadSilent_ = options_.loadSilentQueries;
        ex.events.push_back("FIRMWARE LOAD");
        return true;
    case 0x00:
        // While it loads the new firmware the module answers nothing.
        if (address == kVersionAddress && loadSilent_ > 0) {
            --loadSilent_;
            return true;
        }
        return false;
    case 0x02:
        refreshStatusClock();
        return false;
    case kCmdMode:
        if (address == kMonitorOnAddress && req[3] == 0) {
            monitorMode_ = true;
            ex.reply = makeFrame(kMarker, kModeAck, 0, 0);
            ex.events.push_back("MONITOR ON");
            return true;
        }
        if (address == 0 && req[3] == 0 && monitorMode_) {
            monitorMode_ = false;
            ex.reply = makeFrame(kMarker, kModeAck, 0, 0);
            ex.events.push_back("MONITOR OFF");
            return true;
        }
        return false;
    default:
        return false;
    }
}

std::size_t SimModule::feedFirmwareStream(std::span<const std::uint8_t> bytes,
                                          std::vector<Exchange>& out) {
    std::size_t used = 0;
    while (used < bytes.size() && firmwareStream_) {
        const std::size_t take =
            std::min(kFirmwareBlock - streamBlock_.size(), bytes.size() - used);
        streamBlock_.insert(streamBlock_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(used),
                            bytes.begin() + static_cast<std::ptrdiff_t>(used + take));
        used += take;
        if (streamBlock_.size() < kFirmwareBlock)
            break;
        const int block = streamBlocks_++;
        std::copy(streamBlock_.begin(), streamBlock_.end(),
                  firmware_.begin() + static_cast<std::ptrdiff_t>(block * kFirmwareBlock));
        firmwareSeen_[static_cast<std::size_t>(block)] = true;
        Exchange ex;
        ex.request.swap(streamBlock_);
        // Each block is answered with its number, modulo 256.
        ex.reply = {static_cast<std::uint8_t>(block)};
        if (streamBlocks_ == kFirmwareBlocks) {
            firmwareStream_ = false;
            ex.events.push_back("FIRMWARE STREAM END");
        }
        out.push_back(std::move(ex));
    }
    return used;
}

} // namespace alvento::sim
