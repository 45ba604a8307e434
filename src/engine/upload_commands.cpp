// The link engine's bulk transfers outside the configuration image: sound
// files streamed to the module as raw 256-byte blocks (1000, 1001), and the
// caller-ID memory read and written as 256-byte blocks (115, 116).
#include "engine/link_engine.h"

#include "engine/protocol.h"

#include "i18n/messages.h"
#include "serial/memory_frame.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace {
using namespace Protocol;
constexpr int kStreamEndPace = 10;
// After an acknowledged block the next goes out at once; this only paces the
// send step that follows when an acknowledgement is missing.
constexpr int kAckPace = 100;

} // namespace

// ---------------------------------------------------------------- sound upload

bool LinkEngine::startSoundUpload(const QString& path, int32_t streamAddress) {
    if (refuseWhileWriting())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        view_.showMessage(
            text("upload.file_error").arg(QFileInfo(path).fileName(), file.errorString()));
        return false;
    }
    const SoundUpload::Sound sound = SoundUpload::fromFile(file.read(SoundUpload::kMaxFileRead));
    switch (sound.problem) {
    case SoundUpload::Problem::None:
        break;
    case SoundUpload::Problem::NoDataTag:
        view_.showMessage(text("upload.bad_format"));
        return false;
    case SoundUpload::Problem::Empty:
        view_.showMessage(text("upload.sound_empty"));
        return false;
    case SoundUpload::Problem::TooLong:
        view_.showMessage(text("upload.sound_too_long").arg(SoundUpload::kMaxSamples));
        return false;
    }

    beginOperation();
    const bool atOnce = sendsAtOnce();
    streamBlocks_ = SoundUpload::makeBlocks(sound.samples);
    streamNext_ = 0;
    streamStartSent_ = false;
    streamAwaitingAck_ = false;
    s_.StreamAddress = streamAddress;
    s_.BlocksLeft = SoundUpload::kMaxBlocks;
    s_.StreamError = false;
    s_.StreamSequence = streamAddress % 256;
    uploadGauge_ = 0;
    uploadView_->setUploadGaugeMaximum(static_cast<int>(streamBlocks_.size()));
    uploadView_->setUploadGaugeValue(0);
    uploadView_->setUploadGaugeVisible(true);
    s_.LinkCommand = LinkCode::kUploadStart;
    clearRx();
    leaveModemModeFirst();
    if (atOnce)
        sendStep();
    return true;
}

void LinkEngine::abandonSoundUpload() {
    if (!uploadRunning())
        return;
    s_.LinkCommand = LinkCode::kIdle;
    pending_ = {};
    streamBlocks_.clear();
    streamAwaitingAck_ = false;
    streamStartSent_ = false;
    uploadView_->setUploadGaugeVisible(false);
}

bool LinkEngine::sendStreamStart() {
    writeHeader(0, kCmdStreamStart, static_cast<uint8_t>(s_.StreamAddress >> 8),
                static_cast<uint8_t>(s_.StreamAddress));
    streamStartSent_ = true;
    return true;
}

bool LinkEngine::sendStreamBlock() {
    // The block before went unanswered: the module may not have it. Blocks are
    // never sent twice (the module would play the repeat), so the stream goes
    // on and the installer is told at its end.
    if (streamAwaitingAck_) {
        s_.StreamError = true;
        streamAwaitingAck_ = false;
    }
    if (streamNext_ >= streamBlocks_.size() || s_.BlocksLeft <= 0) {
        finishStream();
        return false;
    }
    const SoundUpload::Block& block = streamBlocks_[streamNext_++];
    writeTx(block.data(), kBlockSize);
    --s_.BlocksLeft;
    streamAwaitingAck_ = true;
    return true;
}

bool LinkEngine::receiveStream() {
    if (s_.LinkCommand == LinkCode::kUploadStart) {
        // Bytes before the start frame went out answer something else.
        if (!streamStartSent_) {
            clearRx();
            return true;
        }
        // Any answer starts the stream, but a module frame is taken whole: a
        // rest of it arriving later would pass for the first block's
        // acknowledgement.
        if (s_.RxBuffer[0] == kReplyMark && s_.RxCount < kFrameSize)
            return true;
        s_.LinkCommand = LinkCode::kUploadBlock;
        s_.RxCount = 0;
        sendStep();
        return true;
    }
    if (s_.LinkCommand != LinkCode::kUploadBlock)
        return false;
    if (!streamAwaitingAck_) {
        s_.RxCount = 0;
        return true;
    }
    // One acknowledgement per block: its first byte counts.
    const uint8_t ack = s_.RxBuffer[0];
    s_.RxCount = 0;
    if (ack != static_cast<uint8_t>(s_.StreamSequence))
        s_.StreamError = true;
    s_.StreamSequence = (s_.StreamSequence + 1) % 256;
    streamAwaitingAck_ = false;
    uploadView_->setUploadGaugeValue(++uploadGauge_);
    if (streamNext_ >= streamBlocks_.size()) {
        finishStream();
        return true;
    }
    s_.Pace = kAckPace;
    sendStep();
    return true;
}

// The last block has been acknowledged (or its acknowledgement did not come):
// the module holds the sound up to its end mark.
void LinkEngine::finishStream() {
    s_.RxCount = 0;
    s_.Pace = kStreamEndPace;
    s_.LinkCommand = LinkCode::kIdle;
    streamBlocks_.clear();
    streamAwaitingAck_ = false;
    streamStartSent_ = false;
    uploadView_->setUploadGaugeVisible(false);
    if (s_.StreamError)
        view_.showMessage(text("upload.bad_transfer"));
}

// ---------------------------------------------------------------- caller-ID memory

void LinkEngine::startCallerIdRead() {
    if (refuseWhileWriting())
        return;
    beginOperation();
    const bool atOnce = sendsAtOnce();
    uploadView_->setCallerIdButtonsEnabled(false);
    uploadView_->setCallerIdGaugeValue(0);
    uploadView_->setCallerIdGaugeVisible(true);
    uploadGauge_ = 0;
    s_.LinkCommand = LinkCode::kCallerIdRead;
    s_.ImagePos = CallerIdMemory::kFirstAddress;
    clearRx();
    s_.Pace = 2;
    leaveModemModeFirst();
    if (atOnce)
        sendStep();
}

void LinkEngine::startCallerIdWrite() {
    if (refuseWhileWriting())
        return;
    beginOperation();
    const bool atOnce = sendsAtOnce();
    uploadView_->setCallerIdButtonsEnabled(false);
    uploadView_->setCallerIdGaugeValue(0);
    uploadView_->setCallerIdGaugeVisible(true);
    uploadGauge_ = 0;
    s_.LinkCommand = LinkCode::kCallerIdWrite;
    s_.ImagePos = CallerIdMemory::kFirstAddress;
    clearRx();
    s_.Pace = 2;
    leaveModemModeFirst();
    if (atOnce)
        sendStep();
}

bool LinkEngine::sendCallerIdRead() {
    // Block reads carry their address low byte first.
    writeHeader(0, kCmdBlockRead, static_cast<uint8_t>(s_.ImagePos),
                static_cast<uint8_t>(s_.ImagePos >> 8));
    return true;
}

bool LinkEngine::sendCallerIdWrite() {
    // Block writes carry their address high byte first and the data sum in byte 0.
    const uint8_t* data = callerIds_.block(CallerIdMemory::blockOfAddress(s_.ImagePos));
    std::array<uint8_t, kFrameSize + kBlockSize> tx{};
    const MemoryFrame h = MemoryFrame::fromHeader(sumOf(data, kBlockSize), kCmdBlockWrite,
                                                  static_cast<uint8_t>(s_.ImagePos >> 8),
                                                  static_cast<uint8_t>(s_.ImagePos));
    std::copy(h.bytes.begin(), h.bytes.end(), tx.begin());
    std::memcpy(tx.data() + kFrameSize, data, kBlockSize);
    writeTx(tx.data(), static_cast<int>(tx.size()));
    return true;
}

bool LinkEngine::onCallerIdBlockRead() {
    const uint8_t* data = s_.RxBuffer.data();
    if (data[kBlockSize] != sumOf(data, kBlockSize))
        return false;
    if (holdBlockReply(data))
        return true;
    const int block = CallerIdMemory::blockOfAddress(s_.ImagePos);
    callerIds_.storeBlock(block, data);
    uploadView_->showCallerIdBlock(callerIds_, block);
    s_.ImagePos += CallerIdMemory::kAddressStep;
    uploadView_->setCallerIdGaugeValue(++uploadGauge_);
    if (s_.ImagePos < CallerIdMemory::kEndAddress) {
        requestNextBlock();
        return true;
    }
    blockReadEnds(&LinkEngine::finishCallerIdRead);
    return true;
}

void LinkEngine::finishCallerIdRead() {
    status("engine.readout_done");
    finishCallerId();
    uploadView_->callerIdReadDone();
}

bool LinkEngine::onCallerIdBlockWritten() {
    // The module answers a block write with the data sum it received.
    if (s_.RxBuffer[0] != s_.TxBuffer[0])
        return false;
    s_.ImagePos += CallerIdMemory::kAddressStep;
    uploadView_->setCallerIdGaugeValue(++uploadGauge_);
    if (s_.ImagePos < CallerIdMemory::kEndAddress) {
        requestNextBlock();
        return true;
    }
    finishCallerId();
    return true;
}

void LinkEngine::finishCallerId() {
    s_.LinkCommand = LinkCode::kIdle;
    uploadView_->setCallerIdGaugeValue(0);
    uploadView_->setCallerIdGaugeVisible(false);
    uploadView_->setCallerIdButtonsEnabled(true);
}
