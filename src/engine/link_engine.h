#pragma once
#include "engine/link_view.h"
#include "engine/maintenance_listener.h"
#include "engine/modem_results.h"
#include "image/config_image.h"
#include "serial/serial_channel.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "engine/caller_id_memory.h"
#include "engine/sound_upload.h"
#include "engine/upload_view.h"

// Command codes the engine understands. An operation is a sequence of these;
// 0 is idle.
namespace LinkCode {
inline constexpr int32_t kIdle = 0;
inline constexpr int32_t kLifeSignal = 10;
// Modem pass-through: the module stops its GSM program (20), the modem
// answers AT (21), then the operation's own codes; 81 gives the module back
// its GSM program.
inline constexpr int32_t kModemEnter = 20;
inline constexpr int32_t kModemCheck = 21;
inline constexpr int32_t kPhonebookSelectForRead = 29;
inline constexpr int32_t kPhonebookRead = 30;
inline constexpr int32_t kPinSend = 35;
inline constexpr int32_t kPinWait = 36;
inline constexpr int32_t kPinLockOff = 37;
inline constexpr int32_t kPinLockOffWait = 38;
inline constexpr int32_t kPhonebookSelectForWrite = 39;
inline constexpr int32_t kPhonebookWrite = 40;
inline constexpr int32_t kSmsCentre = 50;
inline constexpr int32_t kModeLeave = 81;
inline constexpr int32_t kVersionQuery = 99;
inline constexpr int32_t kByteRead = 100;
inline constexpr int32_t kByteWrite = 101;
inline constexpr int32_t kRecordWrite = 102;
inline constexpr int32_t kRecordRead = 103;
inline constexpr int32_t kBlockRead = 110;
inline constexpr int32_t kBlockWrite = 111;
// A block read that took a block equal to one already taken ends with a fence:
// a version query whose answer must come with nothing before it.
inline constexpr int32_t kBlockFence = 112;
// Caller-ID memory (upload_commands.cpp), and the sound upload's raw blocks
// that follow its start frame (kUploadStart).
inline constexpr int32_t kCallerIdRead = 115;
inline constexpr int32_t kCallerIdWrite = 116;
inline constexpr int32_t kUploadBlock = 1001;
inline constexpr int32_t kBalanceQuery = 130;
inline constexpr int32_t kRestart = 200;
inline constexpr int32_t kClockSync = 210;
inline constexpr int32_t kDataCallTest = 260;
inline constexpr int32_t kVoiceCallTest = 270;
inline constexpr int32_t kSmsTestHeader = 280;
inline constexpr int32_t kSmsTestText = 281;
inline constexpr int32_t kImeiQuery = 290;
inline constexpr int32_t kUploadStart = 1000;
inline constexpr int32_t kFirmwareStreamStart = 1100;
// Maintenance: the live status poll, the end of the installer's test, monitor
// mode, and the firmware download (maintenance_commands.cpp).
inline constexpr int32_t kStatusPoll = 5;
inline constexpr int32_t kMonitorEnter = 80;
inline constexpr int32_t kMonitorRunning = 82;
inline constexpr int32_t kTestEnd = 250;
inline constexpr int32_t kProcessorQuery = 1099;
inline constexpr int32_t kFirmwareBlock = 1101;
inline constexpr int32_t kFirmwareLoad = 1102;
} // namespace LinkCode

// The engine's state, named as the system names it. Maintenance windows that
// drive the engine (status poll, firmware download) set some of it directly.
struct LinkEngineState {
    static constexpr int kTxSize = 262;
    static constexpr int kRxSize = 5003;

    int32_t LinkCommand = 0;
    int32_t NextCommand = 0;
    int32_t Pace = 0;
    bool LinkPortOpen = false;
    std::array<uint8_t, kTxSize> TxBuffer{};
    int32_t TxLength = 0; // bytes of TxBuffer that the last request wrote
    std::array<uint8_t, kRxSize> RxBuffer{};
    int32_t RxCount = 0;
    int32_t ModuleAddress = 0;
    bool StatusReadMode = false;
    int32_t ImagePos = 0;
    int32_t Remaining = 0;
    int32_t ModuleVersion = 0;
    int VersionPopup = 0; // 2 asked by the menu, 1 show on next tick, 3 firmware window waits
    bool ClockSyncOnly = false;
    bool PstnPending = false;

    // Sound upload stream.
    int32_t StreamAddress = 0;  // address field of the stream start frame
    int32_t BlocksLeft = 0;     // blocks still allowed, from 255
    int32_t StreamSequence = 0; // acknowledgement byte expected for the next block
    bool StreamError = false;   // an acknowledgement was wrong or missing

    // Modem pass-through.
    int32_t PhonebookIndex = 0;  // SIM slot being read or written, from 1
    int32_t PhonebookEnd = 100;  // last slot: 100 or 250
    int32_t PhonebookRow = 0;    // rows of the SIM names grid a read has filled
    QString SimPin;              // the four digits of the PIN switch-off
    int32_t AnswerCountdown = 0; // send steps left while a PIN answer is awaited
    QString TestNumber;          // number of a call or SMS test

    // Firmware download.
    int32_t FirmwareBlock = 0;   // next 256-byte block, 0..511
    int32_t FirmwareAddress = 0; // address field of the next block write, from 0x3E00
    int32_t FirmwareRetries = 0; // transmissions of the current block without acknowledgement
    bool FirmwareError = false;  // a stream answer named the wrong block
};

struct LinkEngineConfig {
    int modelCode = 70;          // 70, 71, 80, 90 or 100
    bool companyStarred = false; // "company" begins with '*': the edition tag is written
    int language = 0;            // 0 Hungarian, 1 English, 2 German, 3 Slovenian
    // The port to open, asked each time the port is opened (the owner's
    // override or stored choice); empty or unset means "COM1".
    std::function<QString()> portName;
    std::function<QDateTime()> clock;            // local time; default: the PC clock
    std::function<bool()> startWindowIdleClosed; // default: always set
    // A steady clock in milliseconds, for how long an answer took; default:
    // the system's monotonic clock.
    std::function<int64_t()> elapsedMs;
};

// The configurator's link engine: one pending command, advanced by tick()
// (all five window timers call it) and receive() (the serial receive event).
// It opens the port only while a command is pending.
class LinkEngine {
  public:
    LinkEngine(SerialChannel& channel, LinkView& view, ConfigImage& image,
               LinkEngineConfig config = {});

    void tick();
    void receive(const QByteArray& bytes);

    // Operations. Each replaces whatever was pending; when a command was
    // pending and its tick has already opened the port, the first request goes
    // out at once, otherwise the next tick opens the port and sends it.
    void startReadAll();
    // base: the module's bytes as a read made just before this write found
    // them. With it only what differs goes out: the positions of a byte or
    // record write whose value changes, the blocks of a block write that
    // change; the clock is synchronised as always. Without it (the full
    // write) every position is written.
    void startWriteAll(const ConfigImage* base = nullptr);
    // Reads the bytes that identify the attached module, its version (254)
    // and model (255), into the image: two short exchanges that every module
    // answers whatever its transfer method. Ends as a read-all ends (decode).
    void startIdentify();
    // fromMenu: the version menu item, which also asks for a message box.
    // Otherwise the window's activation, which queries only while idle.
    void startVersionQuery(bool fromMenu);
    void startRestart(); // after the window's Yes
    void startClockSync();
    void startLifeSignal();
    // Writes bytes 94 and 95 (telephone-line gains) and then syncs the clock.
    void startPstnSend();

    // Sound uploads (upload_commands.cpp). The file is checked first: one that
    // cannot be read, has no "data" tag in its first 256 bytes, holds no
    // samples or more than 255 blocks take gets a message and nothing is sent.
    bool startSoundUpload(const QString& path, int32_t streamAddress);
    // Leaving "Hangok": a running upload is abandoned.
    void abandonSoundUpload();
    bool uploadRunning() const {
        return s_.LinkCommand == LinkCode::kUploadStart || s_.LinkCommand == LinkCode::kUploadBlock;
    }
    // Caller-ID memory: the 19 blocks read into the copy (and shown), or the
    // copy written after the window has encoded its grid into it.
    void startCallerIdRead();
    void startCallerIdWrite();
    CallerIdMemory& callerIdMemory() { return callerIds_; }
    void setUploadView(UploadView* view) { uploadView_ = view ? view : &noUploadView_; }

    // Modem pass-through. Each operation first stops the module's GSM program
    // and checks that the modem answers; all but the call and SMS tests give
    // the module its GSM program back at their end, and so does every failure.
    // lastSlot: 100, or 250 with "250db szám ir/olvas" checked.
    void startPhonebookRead(int lastSlot);
    // rows[i] is grid row i + 1, written to SIM slot i + 1; rows without a
    // number are left alone.
    void startPhonebookWrite(const std::vector<PhonebookEntry>& rows, int lastSlot);
    // Refused with the "Bad PIN" message unless the PIN is four digits.
    bool startPinSwitchOff(const QString& pin);
    // Refused (false, nothing sent) when the number has no digits. Sent by the next tick.
    bool startSmsCentre(const QString& number);
    void startBalanceQuery();
    void startDataCallTest(const QString& number);
    void startVoiceCallTest(const QString& number);
    void startSmsTest(const QString& number);
    void startImeiQuery();
    // The SMS centre and balance windows close: whatever they started ends and
    // the module gets its GSM program back, if it may have stopped it.
    void leaveModemMode();
    // The module may be in modem mode: entered and not yet seen to leave it.
    bool modemModeMayBeOn() const { return modemMayBeOn_; }

    void addModemListener(ModemListener* listener);
    void removeModemListener(ModemListener* listener);

    // Maintenance (maintenance_commands.cpp). The status poll reads the live
    // status block into a buffer of its own, never into the ConfigImage.
    void startStatusPoll();
    void startTestEnd();
    void startMonitor();
    // Monitor mode ends: the module is told to leave it.
    void leaveMonitor();
    void startProcessorQuery();
    // image: the firmware to download, at most 512 blocks; the rest of the 512
    // blocks goes out as zeros.
    void startFirmwareDownload(std::span<const uint8_t> image);
    // A maintenance window closes: whatever runs ends (LinkCommand := 0),
    // unless it is a write of the configuration, which goes on.
    void stopCommand();
    std::span<const uint8_t> statusBlock() const { return statusBlock_; }
    void addMaintenanceListener(MaintenanceListener* listener);
    void removeMaintenanceListener(MaintenanceListener* listener);

    // Runs once when a write-all has ended: its clock synchronisation was
    // acknowledged. Never for a write-all that another operation replaced or
    // whose port was lost.
    void setWriteAllDoneHandler(std::function<void()> handler) {
        writeAllDone_ = std::move(handler);
    }

    // The channel reports that the port has gone (adapter pulled). The running
    // operation ends with a status saying so, never with success, and the next
    // operation opens the port again.
    void portLost();

    // A write to the module is on its way: a write-all or PSTN send with its
    // clock synchronisation, a caller-ID write, a sound upload, a firmware
    // download (up to the loaded module's answer), or the safety net's backup
    // read that comes before a write-all. Nothing may cut it short: every
    // operation started meanwhile is refused with a message.
    bool writeRunning() const;
    // Shows why an operation cannot start now and returns true while a write runs.
    bool refuseWhileWriting();
    // The safety net reads the module on an engine of its own before a write:
    // from then until the write-all starts, this engine counts as writing.
    void setWriteComing(bool coming) { writeComing_ = coming; }
    // Another engine over the same port takes it over: the port as it is, and
    // what the line may still deliver for requests this engine has sent (so
    // that no late answer is taken by the other). Whatever this engine ran ends.
    void passLinkTo(LinkEngine& next);
    // The version query that activation asks is dropped (another engine reads
    // the module, which tells the version anyway). A version query from the
    // menu stays.
    void dropActivationQuery();
    void setModuleVersion(int32_t version) { s_.ModuleVersion = version; }

    const LinkEngineState& state() const { return s_; }
    LinkEngineState& state() { return s_; }
    bool busy() const { return s_.LinkCommand != LinkCode::kIdle; }
    // An operation is pending but its port would not open: it is tried again
    // from time to time.
    bool waitingForPort() const { return busy() && !s_.LinkPortOpen && reopenWait_ > 0; }
    // Whether tick() has anything to do: a command pending, the port still
    // held after one, or the version message waiting for its tick. While it is
    // false ticks change nothing, and every operation that starts calls the
    // view's ticksNeeded() first.
    bool needsTicks() const { return busy() || s_.LinkPortOpen || s_.VersionPopup == 1; }

    void setModelCode(int modelCode) { config_.modelCode = modelCode; }
    int modelCode() const { return config_.modelCode; }
    void setCompanyStarred(bool starred) { config_.companyStarred = starred; }
    void setLanguage(int language) { config_.language = language; }

    // Received bytes that found no room in RxBuffer and were discarded.
    int64_t rxBytesDropped() const { return rxDropped_; }

    // Whether a request is on the wire that a reply may still answer.
    bool awaitingReply() const { return pending_.command != LinkCode::kIdle; }

  private:
    enum class ReplyShape {
        None,    // nothing awaited
        Frame,   // a 6-byte MemoryFrame
        Record,  // 39 bytes: header, 32 data bytes, their sum
        Block,   // 257 bytes: 256 data bytes, their sum
        OneByte, // a single acknowledgement byte of any value
        // A 6-byte frame of the module somewhere in what arrived: entering and
        // leaving modem mode, where modem text may stand before or after it.
        ModeFrame,
        // Text lines of the modem: the echo of the command line, the answer,
        // a final result code.
        ModemText,
    };

    // One row of the command table. send builds and writes the request and
    // returns false when it wrote nothing (a skipped position); onReply
    // returns whether it consumed the reply. A request sent `sends` times
    // without an answer is given up by onNoAnswer; rows without it repeat
    // until the user starts something else.
    struct CommandEntry {
        int32_t code;
        bool (LinkEngine::*send)();
        ReplyShape reply;
        bool (LinkEngine::*onReply)();
        const char* statusKey; // status panel text when sent, or nullptr
        int32_t pace;
        bool clearAfterSend;
        int32_t sends = 0;
        void (LinkEngine::*onNoAnswer)() = nullptr;
    };
    // The one request a reply may answer: the command it was sent for and the
    // shape of the reply it waits for. Set by every send that awaits a reply;
    // cleared when a position is skipped, when a reply is accepted, when an
    // operation starts, when the port is lost and when the engine goes idle. A
    // reply that arrives with nothing pending is never accepted: it would be a
    // late or repeated answer to a request already dealt with.
    struct PendingRequest {
        int32_t command = LinkCode::kIdle;
        ReplyShape shape = ReplyShape::None;
    };

    static std::span<const CommandEntry> commandTable();
    static const CommandEntry* findCommand(int32_t code);
    static int replyLength(ReplyShape shape);
    // A block and a block's acknowledgement say nothing of what they answer.
    static bool carriesNoAddress(ReplyShape shape);

    void sendStep();
    bool openPort();
    // Hands a reply to its rule if it answers the pending request.
    void acceptReply(const CommandEntry* entry);
    void clearRx();
    void storeReceived(const QByteArray& bytes);
    void handleFrameReply(const CommandEntry* entry);
    void writeTx(const uint8_t* bytes, int length);
    void writeFrame(uint16_t address, uint8_t command, uint8_t data);
    void writeHeader(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3);
    bool sendsAtOnce() const;
    bool startOperation(int32_t firstCode); // stores the code; returns sendsAtOnce() before it
    // An operation that talks to the module itself: when the module may still
    // be in modem mode, it leaves it first and the operation follows.
    void leaveModemModeFirst();
    void beginOperation(); // what every operation does before its first code
    bool frameIs(uint8_t b0) const { return s_.RxBuffer[0] == b0; }

    void status(const char* key);
    QString text(const char* key) const;
    void resetGauge(int maximum);
    void advanceGauge();
    void finishTransfer();       // buttons back, gauge hidden
    void beginClockAfterWrite(); // the last step of every byte or record write-all
    void beginClockSync();
    bool skippedPosition(int32_t pos) const;
    // Whether the module already holds these bytes of the image, as the base
    // of this write found them (never without a base).
    bool unchangedOnModule(int first, int count) const;
    // Requests the running write-all will send from this position on.
    int byteWritesLeft() const;
    int recordWritesFrom(int first) const;
    int blockWritesFrom(int first) const;
    // The six blocks are written: ModelCode 100's code name records follow,
    // otherwise the clock.
    void blocksWritten();

    // Requests.
    bool sendLifeSignal();
    bool sendVersionQuery();
    bool sendByteRead();
    bool sendByteWrite();
    bool sendRecordWrite();
    bool sendRecordRead();
    bool sendBlockRead();
    bool sendBlockWrite();
    bool sendRestart();
    bool sendClock();
    bool sendStreamStart();
    bool sendStreamBlock();
    bool sendCallerIdRead();
    bool sendCallerIdWrite();

    // Modem pass-through requests.
    bool sendModemEnter();
    bool sendModemCheck();
    bool sendPhonebookSelect();
    bool sendPhonebookRead();
    bool sendPin();
    bool sendPinLockOff();
    bool countDownPinAnswer();
    bool sendPhonebookWrite();
    bool sendSmsCentre();
    bool sendModeLeave();
    bool sendBalanceDial();
    bool sendDataCall();
    bool sendVoiceCall();
    bool sendSmsHeader();
    bool sendSmsText();
    bool sendImeiQuery();

    // Reply rules.
    bool onVersionReply();
    bool onByteReadReply();
    bool onByteWriteReply();
    bool onRecordWriteReply();
    bool onRecordReadReply();
    bool onBlockReadReply();
    bool onBlockWriteReply();
    bool onClockReply();
    bool onCallerIdBlockRead();
    bool onCallerIdBlockWritten();
    // Stream answers are raw bytes: taken here before any other rule.
    bool receiveStream();
    void finishStream();
    void finishCallerId();
    bool onModemEntered();
    bool onModemChecked();
    bool onPhonebookSelected();
    bool onPhonebookSlot();
    bool onPinAnswer();
    bool onPinLockOffAnswer();
    bool onPhonebookWritten();
    bool onSmsCentreAnswer();
    bool onModeLeft();
    bool onBalanceAnswer();
    bool onImeiAnswer();

    // Maintenance (maintenance_commands.cpp). receiveMaintenance takes what
    // arrives for the commands whose replies are not frames of the table and
    // returns whether it did.
    bool receiveMaintenance(const QByteArray& bytes);
    bool sendStatusRead();
    bool onStatusByte();
    bool sendTestEnd();
    bool onTestEnded();
    bool sendMonitorEnter();
    bool onMonitorEntered();
    bool sendProcessorQuery();
    bool onProcessorReply();
    bool takeProcessorAnswer(bool checked);
    bool sendFirmwareStart();
    bool sendFirmwareBlock();
    bool onFirmwareBlockAck();
    void onFirmwareStreamAnswer();
    bool sendFirmwareLoad();
    void firmwareFailed(FirmwareFailure failure);
    template <class F> void notifyMaintenance(F f);

    // Requests given up.
    void modemNotEntered();
    void modemSilent();
    void modeNotLeft();

    // Modem pass-through helpers (modem_commands.cpp).
    void startModemOperation(int32_t firstCode, bool sendAtOnce);
    void writeCommandLine(const QByteArray& line);
    QByteArrayView commandLine() const; // the command line last sent, without CR LF
    QByteArrayView received() const;
    bool receivedFull() const;
    void enterNextModemStep();
    void nextPhonebookSlot();
    void finishModemOperation(); // 81: the module gets its GSM program back
    // A modem operation failed: status text, message for the windows that
    // listen, then the module leaves modem mode.
    void modemFailed(const char* reasonKey, const QString& detail = {});
    // The failure told to the status panel, the listening window and the page.
    void failModemOperation(const char* reasonKey, const QString& detail);
    void pinFailed();
    void finishPhonebookWrite();
    void notify(const ModemResult& r);
    bool findModeFrame();
    void storeText(const QByteArray& bytes);

    void finishByteWrite();
    // A module frame answering a read or write of the address whose low byte
    // is given: the reply mark, the address echoed, and not one of the
    // acknowledgements of the engine's own commands (a late clock
    // acknowledgement reads like the answer 0 for address 0).
    static bool answersAddress(const uint8_t* rx, uint8_t addressLow);
    // Block replies carry no address; see link_engine.cpp. Returns whether
    // the block read goes on (false: it ends with the fence, already sent).
    bool holdBlockReply(const uint8_t* data);
    // Whether the answer now in RxBuffer came no sooner than the request and
    // its answer take on the wire at the port's speed.
    bool answerTookWireTime() const;
    bool blockReadEnds(void (LinkEngine::*finish)());
    bool sendFence();
    void receiveFence();
    void finishBlockRead();
    void finishCallerIdRead();
    // Byte replies carry only the low address byte; see link_engine.cpp.
    bool takeFrameAnswer(const CommandEntry* entry);
    void noteOwedAnswer();
    void requestNextBlock();
    void waitForQuietLine(int ticks);
    // A complete read-all: the module's own bytes are kept for the block writes.
    void readAllDone();

    SerialChannel& channel_;
    LinkView& view_;
    ConfigImage& image_;
    LinkEngineConfig config_;
    LinkEngineState s_;
    PendingRequest pending_;
    // Sound upload and caller-ID memory.
    UploadView noUploadView_;
    UploadView* uploadView_ = &noUploadView_;
    std::vector<SoundUpload::Block> streamBlocks_;
    size_t streamNext_ = 0;        // next block to send
    bool streamStartSent_ = false; // the start frame is on the wire
    bool streamAwaitingAck_ = false;
    int uploadGauge_ = 0;
    CallerIdMemory callerIds_;
    // The module's own bytes (75, 254, 255) as the last complete read-all found
    // them. A block write carries them, so it sends these rather than whatever
    // the image holds there.
    std::optional<std::array<uint8_t, 3>> moduleOwned_;
    // The module's bytes the running write-all compares with; unset: a full write.
    std::optional<ConfigImage> writeBase_;
    int reopenWait_ = 0;           // ticks before a port that would not open is tried again
    int shownSecond_ = -1;         // of the day, in the time label
    int32_t recordWriteEnd_ = 256; // one past the last record a record write-all sends
    int sendsUnanswered_ = 0;      // times the pending request has gone out without an answer
    bool requestRepeated_ = false; // the request last sent had gone out before, unanswered
    // While above 0, the next request waits until the line has been quiet for
    // this many ticks; whatever arrives meanwhile is dropped.
    int quietTicks_ = 0;
    // The blocks taken so far in the running block read, and the address of
    // the first one that equalled a block taken before it (-1: none), from
    // which the read goes again when the fence finds a block answered twice.
    std::vector<std::array<uint8_t, 256>> takenBlocks_;
    int32_t provisionalFrom_ = -1;
    bool confirmingBlock_ = false;                 // the block now asked for is asked again
    int64_t sentAtMs_ = 0;                         // when the last request went out
    int32_t fencedCommand_ = 0;                    // the block read the fence ends
    void (LinkEngine::*fencedFinish_)() = nullptr; // how it ends when the fence is clean
    // Byte requests (command 0, 1 or 2) that went out, got no byte back before
    // they were sent again or given up, and so may still be answered: command
    // and address low byte each.
    struct OwedAnswer {
        uint8_t command;
        uint8_t addressLow;
        uint32_t request; // the request it answers (requestNumber_ when sent)
        bool sameKey(const OwedAnswer& o) const {
            return command == o.command && addressLow == o.addressLow;
        }
    };
    std::vector<OwedAnswer> owed_;
    bool bytesSinceSend_ = false; // anything arrived since the last request went out
    uint32_t requestNumber_ = 0;  // counts requests; a repeat keeps its number
    // An answer to a request whose key is owed, held until another equals it.
    std::optional<std::array<uint8_t, 6>> heldAnswer_;
    bool heldAsked_ = false; // the held request has gone out once more
    // Quiet ticks the first block request of the next operation waits for: an
    // answer without an address may still come for a request already done.
    int owedWait_ = 0;
    bool writeComing_ = false;
    // The last block the operation before this one took: a copy of it may
    // still come while this one asks for its first block.
    std::optional<std::array<uint8_t, 256>> previousBlock_;
    // Quiet ticks the first block request or block write of this operation
    // waits for: the operation it replaced was waiting for a block or an
    // acknowledgement, which may still come.
    int replacedWait_ = 0;
    // Modem pass-through.
    bool modemMayBeOn_ = false;
    int32_t modemOperation_ = 0; // first own code of the running modem operation
    QByteArray modemNumber_;     // SMS centre number, as it goes out
    bool reenterOnce_ = false;   // an unanswered entry leaves modem mode and tries once more
    int32_t afterLeave_ = 0;     // code to run once modem mode has been left (re-entry)
    std::array<uint8_t, 6> modeFrame_{}; // the module frame found among modem text
    std::vector<PhonebookEntry> writeRows_;
    std::vector<int> refusedSlots_;
    int phonebookGauge_ = 0;
    std::vector<ModemListener*> listeners_;
    int gauge_ = 0;
    int64_t rxDropped_ = 0;
    std::function<void()> writeAllDone_;
    bool writeAllClock_ = false; // the pending clock synchronisation ends a write-all
    // Maintenance.
    std::array<uint8_t, 32> statusBlock_{};
    std::vector<uint8_t> firmware_; // the 512 blocks of a firmware download
    std::vector<MaintenanceListener*> maintenanceListeners_;
};
