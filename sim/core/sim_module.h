#pragma once
// The communicator module as seen from its serial line: its memory and the
// request/reply protocol, with no I/O of its own. Bytes go in through feed();
// each complete request comes back as an Exchange holding the reply to send.

#include "core/gsm_modem.h"
#include "core/write_faults.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace alvento::sim {

inline constexpr int kMemorySize = 8192;
// Module-owned bytes: the configurator reads them but a write never changes them.
inline constexpr int kBuildAddress = 252;
inline constexpr int kVersionAddress = 254;
inline constexpr int kModelAddress = 255;
// First byte of the live status block read with command 0x02.
inline constexpr int kStatusAddress = 512;
inline constexpr int kStatusSize = 32;
// Erased memory reads as 0xFF, which the configuration image also uses for
// "no value" and "end of text", so a fresh module reads back as empty.
inline constexpr std::uint8_t kErased = 0xFF;

// The check of a six-byte header: sum of bytes 0..3 minus one; byte 4 holds
// its complement and byte 5 the check itself.
std::uint8_t frameCheck(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);
Bytes makeFrame(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);
bool frameValid(std::span<const std::uint8_t> frame);
std::uint8_t sum8(std::span<const std::uint8_t> bytes);

// A sound streamed to the module: the blocks as they arrived and the samples
// the module plays (everything before the first 0xFF).
struct ReceivedSound {
    std::uint32_t address = 0; // address field of the stream start frame
    std::vector<Bytes> blocks;
    Bytes samples;
    bool complete = false; // an 0xFF has ended the samples
};

// Writes DIR/sound-<address>.blocks (every block received) and
// DIR/sound-<address>.raw (the samples). Empty result: saved.
std::string saveSound(const std::string& dir, const ReceivedSound& sound);

struct ModuleOptions {
    int model = 71;
    int version = 43; // software version x 10
    int build = 1;
    // Answers the 0xFE identify frame but never the read of 0x00FF.
    bool identifyOnly = false;
    // The GSM modem behind the module, reached in modem mode.
    ModemOptions modem;
    // Memory addresses whose writes are acknowledged but not stored.
    std::vector<std::uint32_t> dropWriteAt;
    // Firmware download: the processor type the module reports (10 "J10",
    // 11 "J11"), its hardware and third version bytes, the version it runs
    // after loading a complete new firmware, and how many version queries it
    // leaves unanswered while it loads.
    int processor = 10;
    int hardware = 1;
    int third = 6;
    int firmwareVersion = 43;
    int loadSilentQueries = 0;
    // Live status: the clock as HHMM, or empty for the PC's local time.
    std::string statusClock;
};

struct Exchange {
    Bytes request;
    Bytes reply; // empty: the module stays silent
    // The address the request carries: the module address of a byte read or
    // write, the address field of a block (16-byte units, in the block's own
    // byte order), the record number of a 32-byte record, the byte address of
    // a 64-byte record. Empty for the other commands.
    std::optional<std::uint32_t> address;
    std::vector<std::string> events; // "CLOCK <digits>", "RESTART", "LIFESIGNAL", ...
    bool memoryWritten = false;      // a write request changed (or rewrote) memory
    bool transactionEnd = false;     // a block/record write or the clock frame completed
    // Bytes that went to the modem in modem mode; reply is what the modem
    // sends back, delayMs after they came in.
    bool modem = false;
    int delayMs = 0;
    bool phonebookChanged = false;
};

class SimModule {
  public:
    explicit SimModule(const ModuleOptions& options);

    // Takes received bytes in any split; returns the requests they complete.
    std::vector<Exchange> feed(std::span<const std::uint8_t> bytes);
    // The line went quiet in the middle of a request: forget the partial bytes.
    void lineIdle();
    bool hasPartial() const { return !pending_.empty() || !streamBlock_.empty(); }
    // Bytes thrown away while looking for a valid request header.
    Bytes takeDropped();

    // Loads an image from offset 0 (shorter images leave the rest erased);
    // the module-owned bytes keep the module's own values.
    void loadMemory(std::span<const std::uint8_t> image);
    const std::array<std::uint8_t, kMemorySize>& memory() const { return memory_; }
    std::uint8_t byteAt(std::uint32_t address) const;
    void setStatusByte(int index, std::uint8_t value) { status_.at(index) = value; }
    const std::string& clockDigits() const { return clock_; }
    const ModuleOptions& options() const { return options_; }

    // Which class of reply the model gives.
    bool configurator() const { return options_.model >= 70; }
    bool markedReplies() const { return configurator() || options_.model == 60; }
    bool gpsRecords() const { return options_.model == 60 || options_.model == 61; }

    // Modem mode: the module's GSM program is stopped and bytes pass between
    // the line and the modem, until the leave frame.
    bool modemMode() const { return modemMode_; }
    GsmModem& modem() { return modem_; }

    // Maintenance (sim_maintenance.cpp). Monitor mode: the module sends its
    // diagnostic text, a line at a time, until the leave frame.
    bool monitorMode() const { return monitorMode_; }
    std::string nextMonitorLine();
    // The firmware memory, 512 blocks of 256 bytes, as downloaded so far.
    const Bytes& firmware() const { return firmware_; }
    int firmwareBlocksReceived() const;
    // The 16 digits of the last Contact ID message ("0".."9", "B".."F", "?"),
    // kept in status bytes 16..31 one digit code each.
    void setContactIdMessage(const std::string& digits);

    // Sounds (sim_sounds.cpp): every stream started so far, the last one
    // still arriving while soundStreamOpen().
    const std::vector<ReceivedSound>& sounds() const { return sounds_; }
    bool soundStreamOpen() const { return soundStream_; }
    // Caller-ID record 0..303 as the module keeps it (up to 14 characters,
    // 0xFF after a shorter number, zeros in bytes 14 and 15).
    void setCallerId(int record, const std::string& number);
    std::string callerId(int record) const;

  private:
    std::size_t expectedLength(std::uint8_t command) const;
    std::optional<std::uint32_t> requestAddress(const Bytes& request) const;
    Exchange handle(const Bytes& request);
    void handleFrame(const Bytes& req, Exchange& ex);
    Bytes byteReply(std::uint8_t hi, std::uint8_t cmd, std::uint8_t lo, std::uint8_t data) const;
    void storeByte(std::uint32_t address, std::uint8_t value);
    void restoreOwnedBytes();
    void parseFrames(std::vector<Exchange>& out);
    bool startSoundStream(const Bytes& req, Exchange& ex);
    void takeSoundBlock(std::vector<Exchange>& out);
    std::size_t feedModem(std::span<const std::uint8_t> bytes, std::vector<Exchange>& out);
    bool handleMaintenance(const Bytes& req, Exchange& ex);
    std::size_t feedFirmwareStream(std::span<const std::uint8_t> bytes, std::vector<Exchange>& out);
    void refreshStatusClock();

    ModuleOptions options_;
    std::array<std::uint8_t, kMemorySize> memory_{};
    std::array<std::uint8_t, kStatusSize> status_{};
    // Storage above the configuration memory (caller-ID blocks, GPS records),
    // kept in 256-byte pages, erased until written.
    std::map<std::uint32_t, std::array<std::uint8_t, 256>> extended_;
    Bytes pending_;
    Bytes dropped_;
    std::string clock_;
    GsmModem modem_;
    WriteFaults writeFaults_;
    bool modemMode_ = false;
    std::uint8_t statusBeforeModem_ = 0;
    Bytes held_; // what may be the start of the leave frame, kept from the modem
    // Maintenance.
    bool monitorMode_ = false;
    int monitorLines_ = 0;
    Bytes firmware_;
    std::vector<bool> firmwareSeen_;
    bool firmwareStream_ = false;
    int streamBlocks_ = 0;
    Bytes streamBlock_;
    int loadSilent_ = 0;
    // A sound stream: raw blocks gather in pending_ until 256 have come.
    bool soundStream_ = false;
    std::vector<ReceivedSound> sounds_;
};

} // namespace alvento::sim
