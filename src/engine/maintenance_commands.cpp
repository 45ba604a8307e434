// The maintenance operations of the link engine: the live status poll and the
// end of the installer's test, monitor mode, and the firmware download with
// its processor query, memory download and load command.
#include "engine/link_engine.h"

#include "engine/protocol.h"

#include "serial/memory_frame.h"

#include <algorithm>
#include <cstring>

namespace {
using namespace Protocol;

// Live status block: 16 bytes at module address 512; ModelCode 100 from
// version 2.5 adds the last Contact ID message in 16 more.
constexpr int32_t kStatusAddress = 0x0200;
constexpr int kStatusShort = 16;
constexpr int kStatusLong = 32;
constexpr int kLongStatusModel = 100;
constexpr int32_t kLongStatusVersion = 25;

// The installer's test ends with 0xBB written to address 75.
constexpr uint16_t kTestEndAddress = 75;
constexpr uint8_t kTestEndValue = 0xBB;

constexpr uint16_t kMonitorOnAddress = 0x0001;

constexpr uint8_t kLoadAddressLow = 0xBB;
constexpr uint8_t kProcessorJ10 = 10;
constexpr uint8_t kProcessorJ11 = 11;

// Firmware memory: 512 blocks of 256 bytes; the block write's address field
// counts blocks from 0x3E00.
constexpr int kFirmwareBlockSize = 256;
constexpr int kFirmwareBlocks = 512;
constexpr int32_t kFirmwareBase = 0x3E00;
constexpr int32_t kBlockProtocolVersion = 38;
// Transmissions of one block before the download gives up.
constexpr int32_t kFirmwareSends = 30;
constexpr int kBlockPace = 10;
// A stream block is answered once the module has stored it: 121 ticks in all
// before the download gives up.
constexpr int kStreamWait = 120;
constexpr int kStreamFirstWait = kBlockPace + 1;

bool answersUnchecked(int32_t version) {
    // These firmware versions answer the processor query with bad check bytes.
    return version == 29 || version == 68;
}

} // namespace

void LinkEngine::addMaintenanceListener(MaintenanceListener* listener) {
    if (std::find(maintenanceListeners_.begin(), maintenanceListeners_.end(), listener) ==
        maintenanceListeners_.end())
        maintenanceListeners_.push_back(listener);
}

void LinkEngine::removeMaintenanceListener(MaintenanceListener* listener) {
    maintenanceListeners_.erase(
        std::remove(maintenanceListeners_.begin(), maintenanceListeners_.end(), listener),
        maintenanceListeners_.end());
}

template <class F> void LinkEngine::notifyMaintenance(F f) {
    // A copy: a listener may go away while it is told.
    const std::vector<MaintenanceListener*> listeners = maintenanceListeners_;
    for (MaintenanceListener* l : listeners)
        f(*l);
}

void LinkEngine::stopCommand() {
    const int32_t c = s_.LinkCommand;
    const bool firmware = c == LinkCode::kFirmwareStreamStart || c == LinkCode::kFirmwareBlock ||
                          c == LinkCode::kFirmwareLoad ||
                          (c == LinkCode::kVersionQuery && s_.VersionPopup == 3);
    if (writeRunning() && !firmware)
        return;
    beginOperation();
    s_.StatusReadMode = false;
    s_.LinkCommand = LinkCode::kIdle;
    if (s_.VersionPopup == 3)
        s_.VersionPopup = 0;
    clearRx();
}

// What arrives for monitor mode, the processor query of the modules that
// answer it unchecked, and the stream download is taken here; everything else
// goes through the command table.
bool LinkEngine::receiveMaintenance(const QByteArray& bytes) {
    switch (s_.LinkCommand) {
    case LinkCode::kMonitorRunning:
        s_.RxCount = 0;
        if (!bytes.isEmpty())
            notifyMaintenance([&](MaintenanceListener& l) { l.monitorText(bytes); });
        return true;
    case LinkCode::kProcessorQuery: {
        if (!answersUnchecked(s_.ModuleVersion))
            return false;
        storeReceived(bytes);
        if (s_.RxCount > 6) {
            clearRx();
        } else if (s_.RxCount == 6) {
            const uint8_t type = s_.RxBuffer[0];
            if (pending_.command == LinkCode::kProcessorQuery &&
                (type == kProcessorJ10 || type == kProcessorJ11)) {
                pending_ = {};
                takeProcessorAnswer(false);
            } else {
                handleFrameReply(findCommand(s_.LinkCommand));
            }
        }
        return true;
    }
    case LinkCode::kFirmwareStreamStart:
        // Only the answer to the stream start frame counts; the block protocol
        // sends nothing here, so whatever comes is stale.
        if (pending_.command != LinkCode::kFirmwareStreamStart) {
            clearRx();
            return true;
        }
        pending_ = {};
        s_.LinkCommand = LinkCode::kFirmwareBlock;
        clearRx();
        sendStep();
        s_.RxCount = 0;
        return true;
    case LinkCode::kFirmwareBlock:
        if (s_.ModuleVersion >= kBlockProtocolVersion)
            return false;
        if (pending_.command == LinkCode::kFirmwareBlock && !bytes.isEmpty()) {
            s_.RxBuffer[0] = static_cast<uint8_t>(bytes[0]);
            onFirmwareStreamAnswer();
        }
        s_.RxCount = 0;
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- status poll

void LinkEngine::startStatusPoll() {
    if (refuseWhileWriting())
        return;
    beginOperation();
    const bool atOnce = sendsAtOnce();
    s_.LinkCommand = LinkCode::kStatusPoll;
    s_.StatusReadMode = true;
    s_.ModuleAddress = kStatusAddress;
    s_.ImagePos = 0;
    const bool longBlock =
        config_.modelCode == kLongStatusModel && s_.ModuleVersion >= kLongStatusVersion;
    s_.Remaining = longBlock ? kStatusLong : kStatusShort;
    clearRx();
    leaveModemModeFirst();
    if (atOnce)
        sendStep();
}

bool LinkEngine::sendStatusRead() {
    writeFrame(static_cast<uint16_t>(s_.ModuleAddress), Frames::kStatusRead, 0);
    return true;
}

bool LinkEngine::onStatusByte() {
    const auto& rx = s_.RxBuffer;
    if (!answersAddress(rx.data(), s_.TxBuffer[2]))
        return false;
    if (s_.ImagePos >= 0 && s_.ImagePos < static_cast<int32_t>(statusBlock_.size()))
        statusBlock_[static_cast<size_t>(s_.ImagePos)] = rx[3];
    ++s_.ImagePos;
    ++s_.ModuleAddress;
    --s_.Remaining;
    clearRx();
    if (s_.Remaining > 0) {
        sendStep();
        return true;
    }
    const int length = std::clamp(s_.ImagePos, 0, static_cast<int32_t>(statusBlock_.size()));
    s_.ModuleAddress = kStatusAddress;
    s_.ImagePos = 0;
    s_.Remaining = config_.modelCode == kLongStatusModel && s_.ModuleVersion >= kLongStatusVersion
                       ? kStatusLong
                       : kStatusShort;
    // The next poll starts when the pace runs out.
    const std::array<uint8_t, 32> block = statusBlock_;
    notifyMaintenance([&](MaintenanceListener& l) {
        l.statusBlockRead(std::span<const uint8_t>(block.data(), static_cast<size_t>(length)));
    });
    return true;
}

void LinkEngine::startTestEnd() {
    if (refuseWhileWriting())
        return;
    if (startOperation(LinkCode::kTestEnd))
        sendStep();
}

bool LinkEngine::sendTestEnd() {
    writeFrame(kTestEndAddress, Frames::kWrite, kTestEndValue);
    return true;
}

bool LinkEngine::onTestEnded() {
    if (s_.RxBuffer[0] != kReplyMark)
        return false;
    clearRx();
    s_.LinkCommand = LinkCode::kIdle;
    notifyMaintenance([](MaintenanceListener& l) { l.testEndAcknowledged(); });
    return true;
}

// ---------------------------------------------------------------- monitor

void LinkEngine::startMonitor() {
    if (refuseWhileWriting())
        return;
    if (startOperation(LinkCode::kMonitorEnter))
        sendStep();
}

bool LinkEngine::sendMonitorEnter() {
    writeFrame(kMonitorOnAddress, kCmdModeLeave, 0);
    return true;
}

bool LinkEngine::onMonitorEntered() {
    if (modeFrame_[1] != kModeAck)
        return false;
    // Text the module sent right behind its acknowledgement is monitor text.
    QByteArray after;
    const QByteArrayView held = received();
    const QByteArrayView frame(reinterpret_cast<const char*>(modeFrame_.data()), 6);
    const qsizetype at = held.indexOf(frame);
    if (at >= 0)
        after = held.sliced(at + 6).toByteArray();
    s_.RxCount = 0;
    s_.LinkCommand = LinkCode::kMonitorRunning;
    notifyMaintenance([](MaintenanceListener& l) { l.monitorEntered(); });
    if (!after.isEmpty())
        notifyMaintenance([&](MaintenanceListener& l) { l.monitorText(after); });
    return true;
}

void LinkEngine::leaveMonitor() {
    if (writeRunning())
        return; // monitor mode was never entered: the write refused it
    beginOperation();
    const bool atOnce = sendsAtOnce();
    s_.LinkCommand = LinkCode::kModeLeave;
    afterLeave_ = LinkCode::kIdle;
    clearRx();
    if (atOnce)
        sendStep();
}

// ---------------------------------------------------------------- firmware

void LinkEngine::startProcessorQuery() {
    // A download on its way, or a load waiting for the module's version, is
    // never cut short by the window coming to the front again.
    const int32_t c = s_.LinkCommand;
    if (c == LinkCode::kFirmwareStreamStart || c == LinkCode::kFirmwareBlock ||
        c == LinkCode::kFirmwareLoad || (c == LinkCode::kVersionQuery && s_.VersionPopup == 3))
        return;
    if (refuseWhileWriting())
        return;
    if (startOperation(LinkCode::kProcessorQuery))
        sendStep();
}

bool LinkEngine::sendProcessorQuery() {
    writeHeader(0, kCmdProcessor, 0, 0);
    return true;
}

bool LinkEngine::onProcessorReply() {
    return takeProcessorAnswer(true);
}

bool LinkEngine::takeProcessorAnswer(bool checked) {
    const auto& rx = s_.RxBuffer;
    if (rx[0] != kProcessorJ10 && rx[0] != kProcessorJ11)
        return false;
    ProcessorAnswer a;
    a.processor = rx[0];
    a.withoutVersions = !checked;
    if (checked) {
        a.hardware = rx[1];
        a.software = rx[2];
        a.third = rx[3];
    }
    clearRx();
    s_.LinkCommand = LinkCode::kIdle;
    s_.Pace = 2;
    notifyMaintenance([&](MaintenanceListener& l) { l.processorAnswered(a); });
    return true;
}

void LinkEngine::startFirmwareDownload(std::span<const uint8_t> image) {
    if (refuseWhileWriting())
        return;
    firmware_.assign(static_cast<size_t>(kFirmwareBlockSize) * kFirmwareBlocks, 0);
    std::copy_n(image.begin(), std::min(image.size(), firmware_.size()), firmware_.begin());
    s_.FirmwareBlock = 0;
    s_.FirmwareRetries = 0;
    s_.FirmwareError = false;
    s_.FirmwareAddress = kFirmwareBase;
    clearRx();
    if (startOperation(LinkCode::kFirmwareStreamStart))
        sendStep();
}

bool LinkEngine::sendFirmwareStart() {
    notifyMaintenance([](MaintenanceListener& l) { l.firmwareDownloadStarted(); });
    s_.FirmwareBlock = 0;
    s_.FirmwareRetries = 0;
    s_.FirmwareError = false;
    s_.RxCount = 0;
    if (s_.ModuleVersion >= kBlockProtocolVersion) {
        // Block protocol: nothing to announce; the first block follows.
        s_.FirmwareAddress = kFirmwareBase;
        s_.LinkCommand = LinkCode::kFirmwareBlock;
        s_.Pace = kBlockPace;
        return false;
    }
    writeHeader(0, kCmdStreamStart, static_cast<uint8_t>(kFirmwareBase >> 8),
                static_cast<uint8_t>(kFirmwareBase));
    return true;
}

bool LinkEngine::sendFirmwareBlock() {
    if (s_.FirmwareBlock < 0 || s_.FirmwareBlock >= kFirmwareBlocks ||
        firmware_.size() < static_cast<size_t>(kFirmwareBlockSize) * kFirmwareBlocks) {
        s_.LinkCommand = LinkCode::kIdle;
        return false;
    }
    const uint8_t* data =
        firmware_.data() + static_cast<size_t>(kFirmwareBlockSize) * s_.FirmwareBlock;
    if (s_.ModuleVersion < kBlockProtocolVersion) {
        // A raw stream has no addresses: a block sent twice would be stored as
        // the next one. A block left unanswered ends the download instead.
        if (s_.FirmwareRetries == 1) {
            s_.FirmwareRetries = 2;
            s_.Pace = kStreamWait - kStreamFirstWait;
            return false;
        }
        if (s_.FirmwareRetries > 1 || s_.FirmwareError) {
            s_.FirmwareError = true;
            firmwareFailed(FirmwareFailure::StreamAnswerWrong);
            return false;
        }
        const int block = s_.FirmwareBlock;
        notifyMaintenance([&](MaintenanceListener& l) { l.firmwareBlockSent(block); });
        s_.FirmwareRetries = 1;
        writeTx(data, kFirmwareBlockSize);
        return true;
    }
    if (s_.FirmwareRetries >= kFirmwareSends) {
        // The last of the transmissions has had its full wait.
        firmwareFailed(FirmwareFailure::BlockNotAcknowledged);
        return false;
    }
    const int block = s_.FirmwareBlock;
    notifyMaintenance([&](MaintenanceListener& l) { l.firmwareBlockSent(block); });
    std::array<uint8_t, LinkEngineState::kTxSize> tx{};
    const MemoryFrame h = MemoryFrame::fromHeader(sumOf(data, kFirmwareBlockSize), kCmdBlockWrite,
                                                  static_cast<uint8_t>(s_.FirmwareAddress >> 8),
                                                  static_cast<uint8_t>(s_.FirmwareAddress));
    std::copy(h.bytes.begin(), h.bytes.end(), tx.begin());
    std::memcpy(tx.data() + 6, data, kFirmwareBlockSize);
    ++s_.FirmwareRetries;
    writeTx(tx.data(), static_cast<int>(tx.size()));
    return true;
}

bool LinkEngine::onFirmwareBlockAck() {
    if (s_.RxCount != 1 || s_.RxBuffer[0] != s_.TxBuffer[0])
        return false;
    s_.FirmwareRetries = 0;
    const int block = s_.FirmwareBlock;
    ++s_.FirmwareBlock;
    ++s_.FirmwareAddress;
    s_.RxCount = 0;
    notifyMaintenance([&](MaintenanceListener& l) { l.firmwareBlockAcknowledged(block); });
    if (s_.FirmwareBlock >= kFirmwareBlocks) {
        s_.Pace = kBlockPace;
        s_.LinkCommand = LinkCode::kFirmwareLoad;
        return true;
    }
    // The acknowledgement is the block's sum, and blocks of one content (the
    // zeros after the image) have equal sums: after a block sent more than
    // once, the other transmission's acknowledgement may still come and would
    // pass for the next block's. The next block waits for a quiet line.
    requestNextBlock();
    return true;
}

void LinkEngine::onFirmwareStreamAnswer() {
    // The module answers each block with its number; one byte holds it modulo 256.
    if (s_.RxBuffer[0] != static_cast<uint8_t>(s_.FirmwareBlock)) {
        s_.FirmwareError = true;
        firmwareFailed(FirmwareFailure::StreamAnswerWrong);
        return;
    }
    pending_ = {};
    s_.FirmwareRetries = 0;
    const int block = s_.FirmwareBlock;
    ++s_.FirmwareBlock;
    notifyMaintenance([&](MaintenanceListener& l) { l.firmwareBlockAcknowledged(block); });
    if (s_.FirmwareBlock >= kFirmwareBlocks) {
        s_.Pace = kBlockPace;
        s_.LinkCommand = LinkCode::kFirmwareLoad;
        return;
    }
    sendStep();
}

void LinkEngine::firmwareFailed(FirmwareFailure failure) {
    s_.LinkCommand = LinkCode::kIdle;
    s_.FirmwareRetries = 0;
    pending_ = {};
    clearRx();
    notifyMaintenance([&](MaintenanceListener& l) { l.firmwareFailed(failure); });
}

bool LinkEngine::sendFirmwareLoad() {
    notifyMaintenance([](MaintenanceListener& l) { l.firmwareLoadSent(); });
    writeHeader(0, kCmdLoad, kLoadAddressLow, 0);
    // The module loads the new firmware for about two minutes; its version
    // answer then closes the firmware window.
    s_.LinkCommand = LinkCode::kVersionQuery;
    s_.VersionPopup = 3;
    return true;
}
