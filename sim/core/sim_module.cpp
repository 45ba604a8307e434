#include "core/sim_module.h"

#include <algorithm>
#include <numeric>

namespace alvento::sim {

namespace {
constexpr std::uint8_t kMarker = 0xAB;
constexpr std::uint8_t kAckCommand = 0xAA;
constexpr std::size_t kHeader = 6;
constexpr std::size_t kBlock = 256;
constexpr std::size_t kRecord = 32;
constexpr std::size_t kGpsRecord = 64;
// Block addresses count 16-byte units, so one address step is a 16th of a block.
constexpr std::uint32_t kBlockUnit = 16;
constexpr int kFirstBlockVersion = 33;
constexpr int kRecordModel = 100;
constexpr std::uint32_t kIdentifyAddress = 0xA000;
constexpr std::uint32_t kRestartAddress = 0x00AA;
constexpr std::uint32_t kModeAddress = 0x00BB;
constexpr std::size_t kClockDigits = 12;
constexpr std::uint8_t kModeAck = 0xAC;
// Stops the module's GSM program and passes the line through to the modem.
constexpr std::uint8_t kCmdModemMode = 0xFD;
// Mode frame at address 0 with data 0: back to the module's own program.
constexpr std::uint8_t kCmdMode = 0xFB;
const Bytes kLeaveFrame = makeFrame(0x00, kCmdMode, 0x00, 0x00);
// Live status byte 2, the GSM state: 10 while the modem is passed through.
constexpr int kGsmStateByte = 2;
constexpr std::uint8_t kGsmStateModemMode = 10;

bool ownedByModule(std::uint32_t address) {
    return address == kBuildAddress || address == kVersionAddress || address == kModelAddress;
}
} // namespace

std::uint8_t frameCheck(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    return static_cast<std::uint8_t>(b0 + b1 + b2 + b3 - 1);
}

Bytes makeFrame(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    const std::uint8_t check = frameCheck(b0, b1, b2, b3);
    return {b0, b1, b2, b3, static_cast<std::uint8_t>(255 - check), check};
}

bool frameValid(std::span<const std::uint8_t> f) {
    if (f.size() < kHeader)
        return false;
    const std::uint8_t check = frameCheck(f[0], f[1], f[2], f[3]);
    return f[5] == check && f[4] == 255 - check;
}

std::uint8_t sum8(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint8_t>(std::accumulate(bytes.begin(), bytes.end(), 0u));
}

SimModule::SimModule(const ModuleOptions& options)
    : options_(options), modem_(options.modem), writeFaults_(options.dropWriteAt) {
    memory_.fill(kErased);
    restoreOwnedBytes();
}

void SimModule::restoreOwnedBytes() {
    memory_[kBuildAddress] = static_cast<std::uint8_t>(options_.build);
    memory_[kVersionAddress] = static_cast<std::uint8_t>(options_.version);
    memory_[kModelAddress] = static_cast<std::uint8_t>(options_.model);
}

void SimModule::loadMemory(std::span<const std::uint8_t> image) {
    memory_.fill(kErased);
    std::copy_n(image.begin(), std::min<std::size_t>(image.size(), kMemorySize), memory_.begin());
    restoreOwnedBytes();
}

std::uint8_t SimModule::byteAt(std::uint32_t address) const {
    if (address < kMemorySize)
        return memory_[address];
    const auto page = extended_.find(address / 256);
    return page == extended_.end() ? kErased : page->second[address % 256];
}

void SimModule::storeByte(std::uint32_t address, std::uint8_t value) {
    if (ownedByModule(address))
        return;
    if (writeFaults_.drops(address)) {
        writeFaults_.noteDropped(address);
        return;
    }
    if (address < kMemorySize) {
        memory_[address] = value;
        return;
    }
    auto [page, fresh] = extended_.try_emplace(address / 256);
    if (fresh)
        page->second.fill(kErased);
    page->second[address % 256] = value;
}

Bytes SimModule::takeDropped() {
    Bytes out;
    out.swap(dropped_);
    return out;
}

void SimModule::lineIdle() {
    // A sound stream whose bytes stop short of a block has been given up by
    // the configurator (or what came is a request): the module leaves the
    // stream, keeps the blocks it has and takes frames again.
    if (soundStream_ && !pending_.empty())
        soundStream_ = false;
    dropped_.insert(dropped_.end(), pending_.begin(), pending_.end());
    pending_.clear();
    // A stream block cut short is lost; the module waits for a whole one.
    streamBlock_.clear();
}

std::size_t SimModule::expectedLength(std::uint8_t command) const {
    switch (command) {
    case 0x80: // record write: header, record bytes, their sum
        return kHeader + (gpsRecords() ? kGpsRecord : kRecord) + 1;
    case 0xF6: // block write: header (sum in byte 0), then the block
        return kHeader + kBlock;
    case 0xFC: // clock: header, then YYMMDDhhmmss as ASCII digits
        return kHeader + kClockDigits;
    default:
        return kHeader;
    }
}

std::vector<Exchange> SimModule::feed(std::span<const std::uint8_t> bytes) {
    std::vector<Exchange> out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (modemMode_) {
            i += feedModem(bytes.subspan(i), out);
            continue;
        }
        if (firmwareStream_) {
            i += feedFirmwareStream(bytes.subspan(i), out);
            continue;
        }
        // A byte at a time: what follows the frame that starts modem mode is
        // the modem's.
        pending_.push_back(bytes[i++]);
        parseFrames(out);
        if (firmwareStream_ && !pending_.empty()) {
            Bytes rest;
            rest.swap(pending_);
            const std::size_t used = feedFirmwareStream(rest, out);
            pending_.assign(rest.begin() + static_cast<std::ptrdiff_t>(used), rest.end());
        }
        if (modemMode_ && !pending_.empty()) {
            Bytes rest;
            rest.swap(pending_);
            std::size_t used = 0;
            while (used < rest.size() && modemMode_)
                used += feedModem(std::span(rest).subspan(used), out);
            pending_.assign(rest.begin() + static_cast<std::ptrdiff_t>(used), rest.end());
        }
    }
    return out;
}

std::size_t SimModule::feedModem(std::span<const std::uint8_t> bytes, std::vector<Exchange>& out) {
    Bytes toModem;
    auto pass = [&] {
        if (toModem.empty())
            return;
        ModemOutput m = modem_.feed(toModem);
        Exchange ex;
        ex.modem = true;
        ex.request = toModem;
        ex.reply = std::move(m.now);
        ex.events = std::move(m.events);
        ex.phonebookChanged = m.phonebookChanged;
        out.push_back(std::move(ex));
        if (!m.later.empty()) {
            Exchange later;
            later.modem = true;
            later.reply = std::move(m.later);
            later.delayMs = m.laterMs;
            out.push_back(std::move(later));
        }
        toModem.clear();
    };
    auto isLeavePrefix = [this] {
        return std::equal(held_.begin(), held_.end(), kLeaveFrame.begin());
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        held_.push_back(bytes[i]);
        while (!held_.empty() && !isLeavePrefix()) {
            toModem.push_back(held_.front());
            held_.erase(held_.begin());
        }
        if (held_.size() < kLeaveFrame.size())
            continue;
        // The module watches the line for its leave frame and keeps it from
        // the modem.
        pass();
        held_.clear();
        modemMode_ = false;
        status_[kGsmStateByte] = statusBeforeModem_;
        Exchange ex;
        ex.request = kLeaveFrame;
        ex.reply = makeFrame(kMarker, kModeAck, 0, 0);
        ex.events.push_back("MODEM OFF");
        out.push_back(std::move(ex));
        return i + 1;
    }
    pass();
    return bytes.size();
}

void SimModule::parseFrames(std::vector<Exchange>& out) {
    while (!modemMode_ && pending_.size() >= kHeader) {
        if (soundStream_)
            return takeSoundBlock(out);
        // Without a valid header there is no telling where a request starts:
        // slide one byte and look again.
        if (!frameValid(pending_)) {
            dropped_.push_back(pending_.front());
            pending_.erase(pending_.begin());
            continue;
        }
        const std::size_t length = expectedLength(pending_[1]);
        if (pending_.size() < length)
            break;
        const Bytes request(pending_.begin(), pending_.begin() + length);
        pending_.erase(pending_.begin(), pending_.begin() + length);
        out.push_back(handle(request));
    }
}

Bytes SimModule::byteReply(std::uint8_t hi, std::uint8_t cmd, std::uint8_t lo,
                           std::uint8_t data) const {
    return makeFrame(markedReplies() ? kMarker : hi, cmd, lo, data);
}

std::optional<std::uint32_t> SimModule::requestAddress(const Bytes& req) const {
    switch (req[1]) {
    case 0x00:
    case 0x01:
    case 0x02:
        return (req[0] << 8) | req[2];
    case 0x40:
    case 0x80:
        return gpsRecords() ? (req[2] << 8) | req[3] : req[2];
    case 0xF6:
        return (req[2] << 8) | req[3];
    case 0xF7:
        return (req[3] << 8) | req[2];
    default:
        return std::nullopt;
    }
}

Exchange SimModule::handle(const Bytes& req) {
    Exchange ex;
    ex.request = req;
    ex.address = requestAddress(req);
    if (handleMaintenance(req, ex))
        return ex;
    const auto payload = std::span(req).subspan(kHeader);
    switch (req[1]) {
    case 0xF6: { // block write, address high byte first
        if (!configurator() || options_.version < kFirstBlockVersion)
            break;
        if (sum8(payload) != req[0]) {
            ex.events.push_back("BADSUM");
            break;
        }
        const std::uint32_t base = *ex.address * kBlockUnit;
        for (std::size_t i = 0; i < kBlock; ++i)
            storeByte(base + i, payload[i]);
        ex.reply = {req[0]};
        ex.memoryWritten = ex.transactionEnd = true;
        break;
    }
    case 0x80: { // record write
        if (gpsRecords()) {
            // The GPS windows send the record's sum as it was read (or 0),
            // so the module does not hold them to it.
            const std::uint32_t base = (req[2] << 8) | req[3];
            for (std::size_t i = 0; i < kGpsRecord; ++i)
                storeByte(base + i, payload[i]);
            ex.reply = byteReply(req[0], 0x80, req[2], req[3]);
        } else if (options_.model == kRecordModel) {
            const auto data = payload.first(kRecord);
            if (sum8(data) != payload[kRecord]) {
                ex.events.push_back("BADSUM");
                break;
            }
            const std::uint8_t n = req[2];
            for (std::size_t i = 0; i < kRecord; ++i)
                storeByte(n * kRecord + i, data[i]);
            ex.reply = makeFrame(kMarker, n, n, 0);
        } else {
            break;
        }
        ex.memoryWritten = ex.transactionEnd = true;
        break;
    }
    case 0xFC: { // clock
        if (!configurator())
            break;
        const std::string digits(payload.begin(), payload.end());
        if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            break;
        clock_ = digits;
        ex.events.push_back("CLOCK " + digits);
        ex.reply = makeFrame(kMarker, kAckCommand, 0, 0);
        ex.transactionEnd = true;
        break;
    }
    default:
        handleFrame(req, ex);
    }
    for (std::string& e : writeFaults_.takeEvents())
        ex.events.push_back(std::move(e));
    return ex;
}

void SimModule::handleFrame(const Bytes& req, Exchange& ex) {
    const std::uint8_t cmd = req[1];
    const std::uint32_t address = (req[0] << 8) | req[2];
    switch (cmd) {
    case 0x00: // byte read; 0x00FF is the model code, 0x00FE the version
        if (options_.identifyOnly && address == kModelAddress)
            return;
        ex.reply = byteReply(req[0], cmd, req[2], byteAt(address));
        return;
    case 0x01: // byte write, answered with the byte written
        storeByte(address, req[3]);
        ex.reply = byteReply(req[0], cmd, req[2], req[3]);
        ex.memoryWritten = true;
        return;
    case 0x02: { // live status byte
        const std::uint32_t index = address - kStatusAddress;
        ex.reply = byteReply(req[0], cmd, req[2], index < kStatusSize ? status_[index] : 0);
        return;
    }
    case 0x04:
        ex.events.push_back("LIFESIGNAL");
        return;
    case 0x40: // record read
        if (gpsRecords()) {
            const std::uint32_t base = (req[2] << 8) | req[3];
            for (std::size_t i = 0; i < kGpsRecord; ++i)
                ex.reply.push_back(byteAt(base + i));
            ex.reply.push_back(sum8(ex.reply));
        } else if (options_.model == kRecordModel) {
            const std::uint8_t n = req[2];
            ex.reply = makeFrame(kMarker, cmd, n, 0);
            for (std::size_t i = 0; i < kRecord; ++i)
                ex.reply.push_back(byteAt(n * kRecord + i));
            ex.reply.push_back(sum8(std::span(ex.reply).subspan(kHeader)));
        }
        return;
    case 0xF7: { // block read, address low byte first
        if (!configurator() || options_.version < kFirstBlockVersion)
            return;
        const std::uint32_t base = ((req[3] << 8) | req[2]) * kBlockUnit;
        for (std::size_t i = 0; i < kBlock; ++i)
            ex.reply.push_back(byteAt(base + i));
        ex.reply.push_back(sum8(ex.reply));
        return;
    }
    case 0xFE:
        if (address == kIdentifyAddress)
            // Data 0 rather than the model code: a late answer landing in the
            // tool's read phase must not pass for a model code.
            ex.reply = byteReply(req[0], cmd, req[2], 0);
        else if (address == kModeAddress)
            ex.events.push_back("TELNET");
        return;
    case kCmdModemMode:
        if (address == kModeAddress) {
            ex.events.push_back("GSMROUTE");
        } else if (configurator()) {
            modemMode_ = true;
            held_.clear();
            statusBeforeModem_ = status_[kGsmStateByte];
            status_[kGsmStateByte] = kGsmStateModemMode;
            ex.reply = makeFrame(kMarker, kModeAck, 0, 0);
            ex.events.push_back("MODEM ON");
        }
        return;
    case kCmdMode:
        // Back to the module's own program: it already runs it.
        if (configurator() && address == 0 && req[3] == 0)
            ex.reply = makeFrame(kMarker, kModeAck, 0, 0);
        return;
    case 0xFF:
        if (address == kRestartAddress)
            ex.events.push_back("RESTART");
        return;
    case 0xFA: // sound stream start, address high byte first
        startSoundStream(req, ex);
        return;
    default:
        return;
    }
}

} // namespace alvento::sim
