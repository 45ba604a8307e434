#include "engine/link_engine.h"

#include "engine/protocol.h"

#include "i18n/messages.h"
#include "image/image_extent.h"
#include "serial/memory_frame.h"
#include "serial/port_names.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace {
using namespace Protocol;
constexpr uint16_t kLifeSignalAddress = 0x0210;
constexpr uint16_t kVersionAddress = 0x00FE;

constexpr int kRecordSize = 32;
constexpr int kRecordCount = 256;
constexpr int kFirstCodeRecord = 32; // records below lie over bytes 0..1023, written byte by byte
// ModelCode 100's Contact ID code names: records 48..208, above the six blocks.
constexpr int kFirstRecordAboveBlocks = 48;
constexpr int kLastCodeNameRecord = 208;
constexpr int kBlockCount = 6;
constexpr int kBlockAddressStep = 16; // block address field counts 16-byte units
constexpr int kByteTransferLength = 1024;
constexpr int32_t kDatedClockVersion = 28;
constexpr int kIdleTickInterval = 50;
constexpr int kDefaultPace = 5;
constexpr int kRxClearSpan = 256;
// A port that would not open is tried again after this many ticks (about a second).
constexpr int kReopenTicks = 20;
// Late byte answers remembered at most; the oldest is forgotten first.
constexpr size_t kMaxOwed = 32;

// PSTN send: the two telephone-line gain bytes.
constexpr int32_t kPstnGainAddress = 94;
constexpr int32_t kPstnGainCount = 2;

constexpr int kModelWithRecords = 100;

} // namespace

LinkEngine::LinkEngine(SerialChannel& channel, LinkView& view, ConfigImage& image,
                       LinkEngineConfig config)
    : channel_(channel), view_(view), image_(image), config_(std::move(config)) {
    if (!config_.clock)
        config_.clock = [] { return QDateTime::currentDateTime(); };
    if (!config_.startWindowIdleClosed)
        config_.startWindowIdleClosed = [] { return true; };
    if (!config_.elapsedMs)
        config_.elapsedMs = [] {
            static QElapsedTimer timer;
            if (!timer.isValid())
                timer.start();
            return timer.elapsed();
        };
}

QString LinkEngine::text(const char* key) const {
    return message(key, config_.language);
}

void LinkEngine::status(const char* key) {
    view_.showStatus(text(key));
}

void LinkEngine::resetGauge(int maximum) {
    view_.setGaugeMaximum(maximum);
    gauge_ = 0;
    view_.setGaugeValue(0);
}

void LinkEngine::advanceGauge() {
    view_.setGaugeValue(++gauge_);
}

void LinkEngine::finishTransfer() {
    view_.setTransferButtonsEnabled(true);
    view_.setGaugeVisible(false);
}

void LinkEngine::clearRx() {
    s_.RxCount = 0;
    std::fill_n(s_.RxBuffer.begin(), kRxClearSpan, uint8_t{0xFF});
}

// ---------------------------------------------------------------- tick

void LinkEngine::tick() {
    // The label shows whole seconds; formatting the time on every tick would
    // cost more than the rest of the tick.
    const QTime now = config_.clock().time();
    if (const int second = now.msecsSinceStartOfDay() / 1000; second != shownSecond_) {
        shownSecond_ = second;
        view_.showTime(now.toString(QStringLiteral("HH:mm:ss")));
    }
    // Until the start window has let go of the port, the configurator must not
    // open it: both would fight over one device.
    if (!config_.startWindowIdleClosed())
        return;

    if (s_.VersionPopup == 1) {
        s_.VersionPopup = 0;
        view_.showMessage(text("engine.module_version") + versionNumberText(s_.ModuleVersion));
    }

    if (s_.LinkCommand != LinkCode::kIdle) {
        if (!s_.LinkPortOpen) {
            if (reopenWait_ > 0) {
                --reopenWait_;
                return;
            }
            if (!openPort()) {
                reopenWait_ = kReopenTicks;
                return;
            }
        }
        view_.setTickInterval(kIdleTickInterval);
        if (s_.Pace > 0)
            --s_.Pace;
        else if (s_.LinkCommand != LinkCode::kIdle)
            sendStep();
    } else {
        pending_ = {};
        if (!s_.LinkPortOpen)
            return;
        // Keep the port a little after the last command, so that a quick next
        // operation need not reopen it.
        if (s_.Pace > 0) {
            --s_.Pace;
        } else {
            s_.LinkPortOpen = false;
            channel_.close();
            // Whatever the module still owed is lost with the closed port.
            owed_.clear();
        }
    }
}

bool LinkEngine::openPort() {
    QString name = config_.portName ? config_.portName() : QString();
    if (name.isEmpty())
        name = QStringLiteral("COM1");
    channel_.setDeviceName(name);
    channel_.setBaudRate(9600);
    channel_.open();
    view_.showPortName(PortNames::display(name));
    if (!channel_.isOpen()) {
        // Sending into a closed port would look like a module that does not
        // answer; say what is wrong and keep the operation until it opens.
        view_.showStatus(text("engine.port_unavailable").arg(PortNames::display(name)));
        return false;
    }
    s_.LinkPortOpen = true;
    return true;
}

void LinkEngine::portLost() {
    const bool wasBusy = busy();
    writeAllClock_ = false;
    s_.LinkPortOpen = false;
    pending_ = {};
    quietTicks_ = 0;
    replacedWait_ = 0;
    owedWait_ = 0;
    owed_.clear();
    heldAnswer_.reset();
    heldAsked_ = false;
    writeComing_ = false;
    clearRx();
    channel_.close();
    if (!wasBusy)
        return;
    s_.LinkCommand = LinkCode::kIdle;
    s_.NextCommand = LinkCode::kIdle;
    s_.ClockSyncOnly = false;
    s_.PstnPending = false;
    if (s_.VersionPopup == 2)
        s_.VersionPopup = 0;
    afterLeave_ = LinkCode::kIdle;
    if (modemOperation_ != LinkCode::kIdle)
        failModemOperation("engine.port_lost", {});
    status("engine.port_lost");
    finishTransfer();
}

// ---------------------------------------------------------------- send step

void LinkEngine::sendStep() {
    s_.Pace = kDefaultPace;
    quietTicks_ = 0;
    const CommandEntry* entry = findCommand(s_.LinkCommand);
    if (!entry || !entry->send)
        return;
    if (replacedWait_ > 0 && carriesNoAddress(entry->reply)) {
        waitForQuietLine(std::exchange(replacedWait_, 0));
        return;
    }
    // The request is still pending when its own pace has run out: this send
    // is a repeat, and the module may yet answer both.
    const bool repeat = pending_.command == entry->code;
    requestRepeated_ = repeat;
    if (repeat)
        noteOwedAnswer();
    else
        ++requestNumber_;
    if (entry->sends > 0) {
        sendsUnanswered_ = repeat ? sendsUnanswered_ + 1 : 1;
        if (sendsUnanswered_ > entry->sends) {
            pending_ = {};
            sendsUnanswered_ = 0;
            (this->*entry->onNoAnswer)();
            return;
        }
    }
    if (!(this->*entry->send)())
        return;
    // Unanswered commands (restart, life signal) have already gone idle.
    if (entry->reply != ReplyShape::None && s_.LinkCommand == entry->code)
        pending_ = {entry->code, entry->reply};
    if (entry->clearAfterSend)
        s_.RxCount = 0;
    s_.Pace = entry->pace;
    if (entry->statusKey)
        status(entry->statusKey);
}

void LinkEngine::writeTx(const uint8_t* bytes, int length) {
    bytesSinceSend_ = false;
    sentAtMs_ = config_.elapsedMs();
    length = std::clamp(length, 0, LinkEngineState::kTxSize);
    std::memcpy(s_.TxBuffer.data(), bytes, static_cast<size_t>(length));
    s_.TxLength = length;
    channel_.write(QByteArray(reinterpret_cast<const char*>(s_.TxBuffer.data()), length));
}

void LinkEngine::writeFrame(uint16_t address, uint8_t command, uint8_t data) {
    const MemoryFrame f = MemoryFrame::build(address, command, data);
    writeTx(f.bytes.data(), 6);
}

void LinkEngine::writeHeader(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    const MemoryFrame f = MemoryFrame::fromHeader(b0, b1, b2, b3);
    writeTx(f.bytes.data(), 6);
}

bool LinkEngine::sendLifeSignal() {
    writeFrame(kLifeSignalAddress, kCmdLifeSignal, 1);
    s_.LinkCommand = LinkCode::kIdle; // the module does not answer
    return true;
}

bool LinkEngine::sendRestart() {
    const MemoryFrame f = Frames::restart();
    writeTx(f.bytes.data(), 6);
    s_.LinkCommand = LinkCode::kIdle; // the module restarts instead of answering
    return true;
}

bool LinkEngine::sendVersionQuery() {
    writeFrame(kVersionAddress, Frames::kRead, 0);
    return true;
}

bool LinkEngine::sendByteRead() {
    writeFrame(static_cast<uint16_t>(s_.ModuleAddress),
               s_.StatusReadMode ? Frames::kStatusRead : Frames::kRead, 0);
    return true;
}

bool LinkEngine::skippedPosition(int32_t pos) const {
    return skippedOnByteWrite(pos, config_.companyStarred);
}

bool LinkEngine::unchangedOnModule(int first, int count) const {
    return writeBase_ && std::equal(image_.data() + first, image_.data() + first + count,
                                    writeBase_->data() + first);
}

int LinkEngine::byteWritesLeft() const {
    int n = 0;
    for (int pos = s_.ImagePos; pos < s_.ImagePos + s_.Remaining; ++pos)
        n += !skippedPosition(pos) && !unchangedOnModule(pos, 1);
    return n;
}

int LinkEngine::recordWritesFrom(int first) const {
    int n = 0;
    for (int r = first; r < recordWriteEnd_; ++r)
        n += !unchangedOnModule(kRecordSize * r, kRecordSize);
    return n;
}

int LinkEngine::blockWritesFrom(int first) const {
    int n = 0;
    for (int b = first; b < kBlockCount; ++b)
        n += !unchangedOnModule(kBlockSize * b, kBlockSize);
    return n;
}

bool LinkEngine::sendByteWrite() {
    // Positions the module keeps for itself, and those it already holds as
    // the image has them, are passed over at once: nothing goes out for them,
    // so there is no answer to wait for, and the line stays as busy as the
    // module allows.
    while (skippedPosition(s_.ImagePos) || unchangedOnModule(s_.ImagePos, 1)) {
        // Nothing goes out for this position, so nothing may be taken as its
        // answer: a late copy of the previous reply would otherwise pass for it.
        pending_ = {};
        ++s_.ImagePos;
        --s_.Remaining;
        ++s_.ModuleAddress;
        clearRx();
        if (s_.Remaining <= 0) {
            s_.Pace = 0;
            finishByteWrite();
            return false;
        }
    }
    writeFrame(static_cast<uint16_t>(s_.ModuleAddress), Frames::kWrite, image_[s_.ImagePos]);
    return true;
}

bool LinkEngine::sendRecordWrite() {
    if (unchangedOnModule(kRecordSize * s_.Remaining, kRecordSize)) {
        // As for the bytes: nothing goes out, so nothing may be taken as an answer.
        pending_ = {};
        while (s_.Remaining < recordWriteEnd_ &&
               unchangedOnModule(kRecordSize * s_.Remaining, kRecordSize))
            ++s_.Remaining;
        if (s_.Remaining >= recordWriteEnd_) {
            clearRx();
            s_.Pace = 0;
            beginClockAfterWrite();
            return false;
        }
    }
    const int n = s_.Remaining;
    std::array<uint8_t, 6 + kRecordSize + 1> tx{};
    const MemoryFrame h = MemoryFrame::fromHeader(0, kCmdRecordWrite, static_cast<uint8_t>(n), 0);
    std::copy(h.bytes.begin(), h.bytes.end(), tx.begin());
    std::memcpy(tx.data() + 6, image_.data() + kRecordSize * n, kRecordSize);
    tx[6 + kRecordSize] = sumOf(tx.data() + 6, kRecordSize);
    writeTx(tx.data(), static_cast<int>(tx.size()));
    return true;
}

bool LinkEngine::sendRecordRead() {
    writeHeader(0, kCmdRecordRead, static_cast<uint8_t>(s_.ImagePos), 0);
    return true;
}

bool LinkEngine::sendBlockRead() {
    // The block read carries its address low byte first.
    writeHeader(0, kCmdBlockRead, static_cast<uint8_t>(s_.ImagePos),
                static_cast<uint8_t>(s_.ImagePos >> 8));
    return true;
}

bool LinkEngine::sendBlockWrite() {
    if (unchangedOnModule(kBlockSize * s_.ImagePos, kBlockSize)) {
        pending_ = {};
        while (s_.ImagePos < kBlockCount && unchangedOnModule(kBlockSize * s_.ImagePos, kBlockSize))
            ++s_.ImagePos;
        if (s_.ImagePos >= kBlockCount) {
            s_.Pace = 0;
            blocksWritten();
            return false;
        }
    }
    // The block write carries its address high byte first, and the data sum in
    // byte 0.
    const uint8_t* data = image_.data() + kBlockSize * s_.ImagePos;
    const int address = kBlockAddressStep * s_.ImagePos;
    std::array<uint8_t, LinkEngineState::kTxSize> tx{};
    const MemoryFrame h =
        MemoryFrame::fromHeader(sumOf(data, kBlockSize), kCmdBlockWrite,
                                static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address));
    std::copy(h.bytes.begin(), h.bytes.end(), tx.begin());
    std::memcpy(tx.data() + 6, data, kBlockSize);
    writeTx(tx.data(), static_cast<int>(tx.size()));
    return true;
}

bool LinkEngine::sendClock() {
    // Built afresh on every repeat, so a repeat carries the time of that moment.
    const QDateTime now = config_.clock();
    const QDate d = now.date();
    const QTime t = now.time();
    QByteArray digits;
    if (s_.ModuleVersion >= kDatedClockVersion)
        digits = QByteArray::number(d.year() % 100).rightJustified(2, '0') +
                 QByteArray::number(d.month()).rightJustified(2, '0') +
                 QByteArray::number(d.day()).rightJustified(2, '0');
    else
        digits = QByteArray(6, '1'); // older modules keep no date
    digits += QByteArray::number(t.hour()).rightJustified(2, '0') +
              QByteArray::number(t.minute()).rightJustified(2, '0') +
              QByteArray::number(t.second()).rightJustified(2, '0');

    std::array<uint8_t, 18> tx{};
    const MemoryFrame h = MemoryFrame::fromHeader(0, kCmdClock, 0, 0);
    std::copy(h.bytes.begin(), h.bytes.end(), tx.begin());
    std::memcpy(tx.data() + 6, digits.constData(), 12);
    writeTx(tx.data(), static_cast<int>(tx.size()));
    return true;
}

// ---------------------------------------------------------------- receive step

void LinkEngine::storeReceived(const QByteArray& bytes) {
    // RxBuffer has a fixed size; bytes beyond it are discarded rather than
    // written past its end. No reply the engine waits for is that long, so a
    // full buffer is never taken as a reply.
    const int room = LinkEngineState::kRxSize - s_.RxCount;
    const int n = std::min<int>(room, static_cast<int>(bytes.size()));
    if (n > 0) {
        std::memcpy(s_.RxBuffer.data() + s_.RxCount, bytes.constData(), static_cast<size_t>(n));
        s_.RxCount += n;
    }
    rxDropped_ += bytes.size() - std::max(n, 0);
}

void LinkEngine::storeText(const QByteArray& bytes) {
    // Modem text has no fixed length. When it outgrows the buffer, what
    // cannot be part of the awaited answer goes first: everything before the
    // echo of the command line sent (with no such echo, every complete line),
    // then the complete lines after the echo, oldest first. Bytes that still
    // find no room are dropped. The engine's own state lives outside the
    // buffer and is never touched.
    if (bytes.size() <= LinkEngineState::kRxSize - s_.RxCount)
        return storeReceived(bytes);
    auto drop = [this](qsizetype from, qsizetype to) {
        if (to <= from)
            return;
        std::memmove(s_.RxBuffer.data() + from, s_.RxBuffer.data() + to,
                     static_cast<size_t>(s_.RxCount - to));
        s_.RxCount -= static_cast<int32_t>(to - from);
        rxDropped_ += to - from;
    };
    auto lastLineEnd = [this] {
        const QByteArrayView held = received();
        return std::max(held.lastIndexOf('\r'), held.lastIndexOf('\n')) + 1;
    };
    if (findCommand(s_.LinkCommand)->reply == ReplyShape::ModeFrame) {
        // Five bytes may be the start of the module's frame.
        drop(0, std::max(0, s_.RxCount - 5));
        return storeReceived(bytes);
    }
    const QByteArrayView line = commandLine();
    const qsizetype echo = line.isEmpty() ? -1 : received().lastIndexOf(line);
    qsizetype kept = 0; // the echo line, with its line end, stays in front
    if (echo < 0) {
        drop(0, lastLineEnd());
    } else {
        drop(0, echo);
        const QByteArrayView held = received();
        kept = line.size();
        while (kept < held.size() && held[kept] != '\r' && held[kept] != '\n')
            ++kept;
        kept = std::min(kept + 1, held.size());
    }
    auto room = [this] { return LinkEngineState::kRxSize - s_.RxCount; };
    if (bytes.size() > room())
        drop(kept, lastLineEnd());
    // A line longer than the buffer loses its beginning.
    if (bytes.size() > room())
        drop(kept, std::min<qsizetype>(s_.RxCount, kept + bytes.size() - room()));
    storeReceived(bytes);
}

void LinkEngine::receive(const QByteArray& bytes) {
    if (!bytes.isEmpty())
        bytesSinceSend_ = true;
    if (receiveMaintenance(bytes))
        return;
    if (s_.LinkCommand == LinkCode::kBlockFence) {
        storeReceived(bytes);
        receiveFence();
        return;
    }
    const CommandEntry* entry = findCommand(s_.LinkCommand);
    const ReplyShape shape = entry ? entry->reply : ReplyShape::None;
    if (quietTicks_ > 0 && carriesNoAddress(shape)) {
        // Waiting for a quiet line: these bytes answer a request already dealt
        // with, and the wait starts again after them.
        rxDropped_ += bytes.size();
        clearRx();
        s_.Pace = quietTicks_;
        return;
    }
    if (shape == ReplyShape::ModemText || shape == ReplyShape::ModeFrame)
        storeText(bytes);
    else
        storeReceived(bytes);

    if (shape == ReplyShape::ModemText) {
        // Text is looked at again with every piece until its rule takes it.
        acceptReply(entry);
        return;
    }
    if (shape == ReplyShape::ModeFrame) {
        if (findModeFrame())
            acceptReply(entry);
        else if (pending_.command != s_.LinkCommand)
            clearRx();
        return;
    }
    if (receiveStream())
        return;
    if (s_.LinkCommand == LinkCode::kUploadStart ||
        s_.LinkCommand == LinkCode::kFirmwareStreamStart) {
        ++s_.LinkCommand;
        sendStep();
        s_.RxCount = 0;
        return;
    }

    if (entry && entry->reply != ReplyShape::Frame && entry->reply != ReplyShape::None) {
        // Block and record replies count only when exactly complete; anything
        // else waits for the repeat, whose send clears the buffer.
        if (s_.RxCount == replyLength(entry->reply))
            acceptReply(entry);
        return;
    }
    handleFrameReply(entry);
}

void LinkEngine::acceptReply(const CommandEntry* entry) {
    if (!entry || !entry->onReply || pending_.command != s_.LinkCommand ||
        pending_.shape != entry->reply) {
        clearRx();
        return;
    }
    if (entry->reply == ReplyShape::Frame || entry->reply == ReplyShape::ModeFrame)
        s_.Pace = kDefaultPace;
    // Cleared first: the rule may send the next request, which sets its own.
    const PendingRequest answered = pending_;
    const bool repeated = requestRepeated_;
    pending_ = {};
    heldAnswer_.reset();
    heldAsked_ = false;
    if (carriesNoAddress(answered.shape))
        // The answer to a request sent more than once: the module may answer
        // the other transmission too, after this operation has ended.
        owedWait_ = repeated ? entry->pace : 0;
    if (!(this->*entry->onReply)()) {
        pending_ = answered;
        // A frame that matches no rule is dropped; a block or record reply of
        // the wrong content waits for the repeat, whose send clears the buffer.
        if (entry->reply == ReplyShape::Frame)
            clearRx();
    }
}

void LinkEngine::handleFrameReply(const CommandEntry* entry) {
    constexpr int kFrame = 6;
    if (s_.RxCount < kFrame)
        return;
    // The reply is the last six bytes received. Bytes ahead of them (a stray
    // byte, the rest of a garbled reply) are dropped; when the last six are no
    // frame, the last five are kept, since a reply arriving a byte at a time
    // may end in them. Clearing everything instead would leave a stray byte's
    // offset in every later six bytes, and the transfer would never get an
    // answer again.
    uint8_t* rx = s_.RxBuffer.data();
    const uint8_t* last = rx + s_.RxCount - kFrame;
    if (validateFrame(last) != FrameCheck::Valid) {
        std::memmove(rx, last + 1, kFrame - 1);
        s_.RxCount = kFrame - 1;
        return;
    }
    std::memmove(rx, last, kFrame);
    s_.RxCount = kFrame;
    if (takeFrameAnswer(entry))
        acceptReply(entry);
}

// A byte answer names its address by the low byte alone, so the answer to a
// request for address A and a late answer to an earlier request for A - 256,
// A - 512 or A - 768 look the same. Timing cannot tell them apart: the late
// one may leave the module after the new request has reached it, and it then
// arrives just as early as the real answer would (twelve bytes on the wire,
// 12.5 ms at 9600 baud); a simulator or a USB adapter may answer faster than
// the wire allows at all. What the engine can know is which requests may
// still be answered: the rule is
// - a byte request that went out and got not a single byte back before it was
//   sent again (or before the operation that sent it was replaced) leaves an
//   answer owed for its command and address low byte;
// - an owed answer that arrives while another address is asked for is
//   dropped, and is owed no longer;
// - an answer to a request whose own command and low byte are owed by another
//   request (not by an earlier transmission of itself) may be either. It is
//   held, and the request goes out once more at once. The held answer is
//   taken when another answer for the request equals it byte for byte (a
//   late answer that equals the real one says the same). An answer that
//   differs proves the owed one has come: it is owed no longer, and the
//   answers that follow are taken as they come.
// A transfer without lost answers owes nothing and never sends more; each
// lost answer costs at most one more request for each of the three addresses
// it aliases. Reading or writing a byte twice changes nothing in the module.
bool LinkEngine::takeFrameAnswer(const CommandEntry* entry) {
    const uint8_t* rx = s_.RxBuffer.data();
    if (rx[0] != kReplyMark || rx[1] > Frames::kStatusRead || owed_.empty())
        return true;
    const OwedAnswer key{rx[1], rx[2], requestNumber_};
    const auto owed = std::find_if(owed_.begin(), owed_.end(),
                                   [&key](const OwedAnswer& o) { return o.sameKey(key); });
    if (owed == owed_.end())
        return true;
    const bool forRequest = entry && pending_.command == s_.LinkCommand &&
                            pending_.command != LinkCode::kIdle && s_.TxLength == 6 &&
                            s_.TxBuffer[1] == key.command && s_.TxBuffer[2] == key.addressLow;
    // Either transmission of the request itself answers it alike.
    if (forRequest && std::all_of(owed_.begin(), owed_.end(), [&key](const OwedAnswer& o) {
            return !o.sameKey(key) || o.request == key.request;
        }))
        return true;
    if (!forRequest) {
        owed_.erase(owed);
        clearRx();
        return false;
    }
    std::array<uint8_t, 6> answer{};
    std::copy_n(rx, answer.size(), answer.begin());
    if (heldAnswer_ == answer) {
        heldAnswer_.reset();
        return true;
    }
    clearRx();
    if (heldAnswer_)
        owed_.erase(owed);
    heldAnswer_ = answer;
    if (!std::exchange(heldAsked_, true))
        sendStep();
    return false;
}

void LinkEngine::noteOwedAnswer() {
    // Not a byte of answer since the request went out: it may yet come.
    if (bytesSinceSend_ || s_.TxLength != 6 || s_.TxBuffer[1] > Frames::kStatusRead)
        return;
    if (pending_.shape != ReplyShape::Frame)
        return;
    if (owed_.size() >= kMaxOwed)
        owed_.erase(owed_.begin());
    owed_.push_back({s_.TxBuffer[1], s_.TxBuffer[2], requestNumber_});
}

// A block reply carries no address. A second answer to a block request (the
// request went out again because the first answer was late, or the answer
// came twice) looks exactly like the next block, which has been asked for the
// moment the first one was taken; taken as it, every later block would shift
// by one. These rules keep the blocks where they belong:
// - after an answer to a repeated request the next request waits until the
//   line has been quiet for as long as a reply is waited for, dropping the
//   second answer on the way; so does the first block request of the next
//   operation when the last one ended so (or was replaced while waiting);
// - a copy of an answer equals a block already taken (in this read, or the
//   last block of the operation before, whose copy may still be on its way).
//   Such a block that came sooner than the request and a block take on the
//   wire cannot be the answer to the request: it is not taken, and once the
//   line has been quiet for a moment the block is asked for again, and the
//   answer to that is taken even when equal;
// - such a block that took its time may be a real one (an erased memory is
//   all alike) or a copy sent after its original: it is taken, and the read
//   remembers the first one. A read that took one ends with a fence: a
//   version query, whose answer must come with nothing before it. The module
//   answers in order, so a block answered twice leaves one answer more on the
//   line, which arrives ahead of the fence's; then the read drops what comes
//   until the line is quiet and reads again from the first such block.
// Alike blocks thus cost one short exchange per read on a line that runs at
// its speed, not a second request each; a copy costs a second request or a
// read again from where it landed.
bool LinkEngine::answerTookWireTime() const {
    // Ten bits a byte; a millisecond less for the clock's resolution.
    const int64_t bytes = int64_t{s_.TxLength} + s_.RxCount;
    const int64_t baud = channel_.baudRate() > 0 ? channel_.baudRate() : 9600;
    const int64_t wireMs = bytes * 10 * 1000 / baud - 1;
    return config_.elapsedMs() - sentAtMs_ >= wireMs;
}

bool LinkEngine::holdBlockReply(const uint8_t* data) {
    const auto equal = [data](const auto& b) { return std::equal(b.begin(), b.end(), data); };
    const bool seen = std::any_of(takenBlocks_.begin(), takenBlocks_.end(), equal) ||
                      (takenBlocks_.empty() && previousBlock_ && equal(*previousBlock_));
    // The answer to a block asked again is taken, equal or not.
    const bool confirming = std::exchange(confirmingBlock_, false);
    if (seen && !confirming) {
        if (!answerTookWireTime()) {
            confirmingBlock_ = true;
            waitForQuietLine(kDefaultPace);
            return true;
        }
        if (provisionalFrom_ < 0)
            provisionalFrom_ = s_.ImagePos;
    }
    std::copy_n(data, kBlockSize, takenBlocks_.emplace_back().begin());
    return false;
}

bool LinkEngine::blockReadEnds(void (LinkEngine::*finish)()) {
    if (provisionalFrom_ < 0) {
        (this->*finish)();
        return true;
    }
    fencedCommand_ = s_.LinkCommand;
    fencedFinish_ = finish;
    s_.LinkCommand = LinkCode::kBlockFence;
    clearRx();
    sendStep();
    return false;
}

bool LinkEngine::sendFence() {
    writeFrame(kVersionAddress, Frames::kRead, 0);
    return true;
}

void LinkEngine::receiveFence() {
    constexpr int kFrame = 6;
    const uint8_t* rx = s_.RxBuffer.data();
    if (s_.RxCount < kFrame)
        return;
    if (s_.RxCount == kFrame) {
        if (validateFrame(rx) != FrameCheck::Valid)
            return; // the start of a block, or a broken answer: what follows tells
        if (pending_.command == LinkCode::kBlockFence &&
            answersAddress(rx, kVersionAddress & 0xFF)) {
            pending_ = {};
            clearRx();
            provisionalFrom_ = -1;
            s_.LinkCommand = fencedCommand_;
            (this->*fencedFinish_)();
            return;
        }
    }
    // Something came before the fence's answer: a block was answered twice.
    const CommandEntry* read = findCommand(fencedCommand_);
    s_.LinkCommand = fencedCommand_;
    const int32_t from = std::exchange(provisionalFrom_, -1);
    confirmingBlock_ = false;
    if (fencedCommand_ == LinkCode::kBlockRead)
        gauge_ = from / kBlockAddressStep;
    else
        uploadGauge_ = CallerIdMemory::blockOfAddress(from);
    s_.ImagePos = from;
    waitForQuietLine(read ? read->pace : kDefaultPace);
}

void LinkEngine::requestNextBlock() {
    const CommandEntry* entry = findCommand(s_.LinkCommand);
    if (requestRepeated_ && entry)
        waitForQuietLine(entry->pace);
    else
        sendStep();
}

// The next request goes out after ticks + 1 quiet ticks, as a repeat would.
void LinkEngine::waitForQuietLine(int ticks) {
    pending_ = {};
    clearRx();
    quietTicks_ = ticks;
    s_.Pace = ticks;
}

// ---------------------------------------------------------------- reply rules

bool LinkEngine::answersAddress(const uint8_t* rx, uint8_t addressLow) {
    const bool acknowledgement =
        rx[1] == kModeAck || (rx[1] == kClockAck && rx[2] == 0 && rx[3] == 0);
    return rx[0] == kReplyMark && rx[2] == addressLow && !acknowledgement;
}

bool LinkEngine::onVersionReply() {
    const auto& rx = s_.RxBuffer;
    if (!answersAddress(rx.data(), kVersionAddress & 0xFF))
        return false;
    // Small values are not versions: a module still starting answers with them.
    if (rx[3] > 10)
        s_.ModuleVersion = rx[3];
    s_.RxCount = 0;
    s_.LinkCommand = LinkCode::kIdle;
    view_.showStatus(QString());
    view_.showModuleVersion(versionPanelText(s_.ModuleVersion));
    if (s_.VersionPopup == 2) {
        s_.VersionPopup = 1;
    } else if (s_.VersionPopup == 3) {
        s_.VersionPopup = 0;
        view_.closeFirmwareWindow();
    }
    view_.applyVersionRules();
    return true;
}

bool LinkEngine::onByteReadReply() {
    const auto& rx = s_.RxBuffer;
    if (!answersAddress(rx.data(), s_.TxBuffer[2]))
        return false;
    image_[s_.ImagePos] = rx[3];
    ++s_.ImagePos;
    --s_.Remaining;
    ++s_.ModuleAddress;
    clearRx();
    advanceGauge();
    if (s_.Remaining > 0) {
        sendStep();
        return true;
    }
    s_.LinkCommand = s_.NextCommand;
    readAllDone();
    status("engine.readout_done");
    finishTransfer();
    view_.decode();
    view_.resetOutput2TimeUnit();
    return true;
}

void LinkEngine::readAllDone() {
    moduleOwned_ = {image_[ImageAddress::kModuleOwnedByte], image_[ImageAddress::kModuleVersion],
                    image_[ImageAddress::kModelCode]};
}

bool LinkEngine::onByteWriteReply() {
    const auto& rx = s_.RxBuffer;
    if (!answersAddress(rx.data(), s_.TxBuffer[2]) || rx[3] != s_.TxBuffer[3])
        return false;
    ++s_.ImagePos;
    --s_.Remaining;
    ++s_.ModuleAddress;
    clearRx();
    if (s_.Remaining > 0) {
        sendStep();
        advanceGauge();
        return true;
    }
    finishByteWrite();
    return true;
}

void LinkEngine::finishByteWrite() {
    if (config_.modelCode == kModelWithRecords && !s_.PstnPending) {
        // The Contact ID code records above byte 1023 follow, the first at
        // once: the last byte's answer is in.
        s_.Remaining = kFirstCodeRecord;
        recordWriteEnd_ = kRecordCount;
        s_.LinkCommand = LinkCode::kRecordWrite;
        resetGauge(std::max(1, recordWritesFrom(kFirstCodeRecord)));
        status("engine.send_contact_id");
        sendStep();
        return;
    }
    s_.PstnPending = false;
    beginClockAfterWrite();
}

void LinkEngine::beginClockAfterWrite() {
    status("engine.clock_sync_running");
    s_.LinkCommand = LinkCode::kClockSync;
    sendStep();
}

bool LinkEngine::onRecordWriteReply() {
    const auto& rx = s_.RxBuffer;
    if (rx[0] != kReplyMark || rx[1] != static_cast<uint8_t>(s_.Remaining) ||
        rx[2] != static_cast<uint8_t>(s_.Remaining))
        return false;
    // Without this the next record's reply would land behind this one and be
    // dropped as an overlong frame, costing a repeat per record.
    clearRx();
    ++s_.Remaining;
    if (s_.Remaining >= recordWriteEnd_) {
        beginClockAfterWrite();
        return true;
    }
    sendStep();
    advanceGauge();
    return true;
}

bool LinkEngine::onRecordReadReply() {
    const auto& rx = s_.RxBuffer;
    const uint8_t* data = rx.data() + 6;
    if (rx[2] != static_cast<uint8_t>(s_.ImagePos) ||
        rx[6 + kRecordSize] != sumOf(data, kRecordSize))
        return false;
    std::memcpy(image_.data() + kRecordSize * s_.ImagePos, data, kRecordSize);
    advanceGauge();
    ++s_.ImagePos;
    clearRx();
    if (s_.ImagePos >= kRecordCount) {
        readAllDone();
        view_.decode();
        s_.LinkCommand = LinkCode::kIdle;
        status("engine.readout_done");
        finishTransfer();
        return true;
    }
    sendStep();
    return true;
}

bool LinkEngine::onBlockReadReply() {
    const uint8_t* data = s_.RxBuffer.data();
    if (data[kBlockSize] != sumOf(data, kBlockSize))
        return false;
    if (holdBlockReply(data))
        return true;
    std::memcpy(image_.data() + kBlockAddressStep * s_.ImagePos, data, kBlockSize);
    s_.ImagePos += kBlockAddressStep;
    advanceGauge();
    if (s_.ImagePos < kBlockAddressStep * kBlockCount) {
        requestNextBlock();
        return true;
    }
    blockReadEnds(&LinkEngine::finishBlockRead);
    return true;
}

void LinkEngine::finishBlockRead() {
    readAllDone();
    status("engine.readout_done");
    finishTransfer();
    view_.decode();
    view_.resetOutput2TimeUnit();
    s_.LinkCommand = LinkCode::kIdle;
}

bool LinkEngine::onBlockWriteReply() {
    advanceGauge();
    ++s_.ImagePos;
    if (s_.ImagePos < kBlockCount) {
        requestNextBlock();
        return true;
    }
    blocksWritten();
    return true;
}

void LinkEngine::blocksWritten() {
    if (config_.modelCode == kModelWithRecords) {
        // The six blocks end at 1535; the Contact ID code names and their SMS
        // targets live in the records above, which a block write alone would
        // leave unsent while reporting success.
        s_.Remaining = kFirstRecordAboveBlocks;
        recordWriteEnd_ = kLastCodeNameRecord + 1;
        s_.LinkCommand = LinkCode::kRecordWrite;
        resetGauge(std::max(1, recordWritesFrom(kFirstRecordAboveBlocks)));
        status("engine.send_contact_id");
        clearRx(); // the block's acknowledgement byte is not part of the record's reply
        sendStep();
        return;
    }
    finishTransfer();
    // The module has taken the last block, so the clock frame may follow at
    // once: with this command still pending on an open port, the clock
    // synchronisation sends as it starts.
    beginClockSync();
    writeAllClock_ = true;
}

bool LinkEngine::onClockReply() {
    const auto& rx = s_.RxBuffer;
    if (rx[0] != kReplyMark || rx[1] != kClockAck || rx[2] != 0 || rx[3] != 0)
        return false;
    s_.LinkCommand = s_.NextCommand;
    if (s_.ClockSyncOnly) {
        s_.ClockSyncOnly = false;
        status("engine.clock_sync_done");
    } else {
        status("engine.send_done");
        finishTransfer();
    }
    if (std::exchange(writeAllClock_, false) && writeAllDone_)
        writeAllDone_();
    return true;
}

// ---------------------------------------------------------------- operations

bool LinkEngine::sendsAtOnce() const {
    // A pending command normally means the port is open, but not before the
    // first tick of that command has opened it; a request sent then would go
    // to a closed port and wait a whole pace for its repeat.
    return s_.LinkCommand != LinkCode::kIdle && s_.LinkPortOpen;
}

void LinkEngine::beginOperation() {
    // Whatever was on the wire belongs to the operation being replaced. An
    // answer to it with an address cannot pass for the answer to another
    // request; a block or an acknowledgement carries none, so when one may
    // still come, the first request that takes such an answer waits for a
    // quiet line. A copy of the last block taken (a module may answer twice)
    // is caught as an equal block.
    if (carriesNoAddress(pending_.shape))
        if (const CommandEntry* replaced = findCommand(pending_.command))
            replacedWait_ = std::max(replacedWait_, replaced->pace);
    if (s_.LinkCommand == LinkCode::kBlockFence || provisionalFrom_ >= 0)
        replacedWait_ = std::max(replacedWait_, kDefaultPace);
    replacedWait_ = std::max({replacedWait_, quietTicks_, std::exchange(owedWait_, 0)});
    if (pending_.command != LinkCode::kIdle)
        noteOwedAnswer();
    previousBlock_.reset();
    if (!takenBlocks_.empty())
        previousBlock_ = takenBlocks_.back();
    pending_ = {};
    quietTicks_ = 0;
    takenBlocks_.clear();
    provisionalFrom_ = -1;
    confirmingBlock_ = false;
    heldAnswer_.reset();
    heldAsked_ = false;
    writeAllClock_ = false;
    writeBase_.reset();
    // A version query from the menu that is replaced must not pop up its
    // message at the next quiet activation.
    if (s_.VersionPopup == 2)
        s_.VersionPopup = 0;
    view_.ticksNeeded();
    view_.operationStarted();
}

bool LinkEngine::startOperation(int32_t firstCode) {
    beginOperation();
    const bool atOnce = sendsAtOnce();
    s_.LinkCommand = firstCode;
    leaveModemModeFirst();
    return atOnce;
}

void LinkEngine::leaveModemModeFirst() {
    // A module left in modem mode (a test call or SMS ends there) would pass
    // the frames to its modem and never answer them.
    if (!modemMayBeOn_ || s_.LinkCommand == LinkCode::kIdle ||
        s_.LinkCommand == LinkCode::kModeLeave)
        return;
    afterLeave_ = s_.LinkCommand;
    s_.LinkCommand = LinkCode::kModeLeave;
}

bool LinkEngine::writeRunning() const {
    if (writeComing_)
        return true;
    int32_t code = s_.LinkCommand;
    if (code == LinkCode::kModeLeave)
        code = afterLeave_; // the write waits for the module to leave modem mode
    switch (code) {
    case LinkCode::kByteWrite:
    case LinkCode::kRecordWrite:
    case LinkCode::kBlockWrite:
    case LinkCode::kCallerIdWrite:
    case LinkCode::kUploadStart:
    case LinkCode::kUploadBlock:
    case LinkCode::kFirmwareStreamStart:
    case LinkCode::kFirmwareBlock:
    case LinkCode::kFirmwareLoad:
        return true;
    case LinkCode::kClockSync:
        // The clock synchronisation that ends a write-all or a PSTN send.
        return !s_.ClockSyncOnly || writeAllClock_;
    case LinkCode::kVersionQuery:
        // The module is loading new firmware.
        return s_.VersionPopup == 3;
    default:
        return false;
    }
}

bool LinkEngine::refuseWhileWriting() {
    if (!writeRunning())
        return false;
    view_.showMessage(text("engine.busy_writing"));
    return true;
}

void LinkEngine::dropActivationQuery() {
    if (s_.LinkCommand == LinkCode::kVersionQuery && s_.VersionPopup == 0) {
        beginOperation();
        s_.LinkCommand = LinkCode::kIdle;
    }
}

void LinkEngine::passLinkTo(LinkEngine& next) {
    // What this engine had on the wire counts as replaced: its owed answers and
    // the wait for a quiet line go with the port.
    beginOperation();
    s_.LinkCommand = LinkCode::kIdle;
    s_.NextCommand = LinkCode::kIdle;
    clearRx();
    next.s_.LinkPortOpen = std::exchange(s_.LinkPortOpen, false);
    // An open port stays open a few ticks for the next engine, as after any
    // operation; a closed one is opened by its next tick.
    next.s_.Pace = next.s_.LinkPortOpen ? kDefaultPace : 0;
    next.clearRx();
    // Request numbers are each engine's own: on the other engine these answer
    // none of its requests.
    for (OwedAnswer a : owed_) {
        a.request = std::numeric_limits<uint32_t>::max();
        next.owed_.push_back(a);
    }
    owed_.clear();
    const int wait = std::exchange(replacedWait_, 0);
    if (next.busy())
        next.replacedWait_ = std::max(next.replacedWait_, wait);
    else
        next.owedWait_ = std::max(next.owedWait_, wait);
    // A copy of the last block this engine took may still come.
    if (previousBlock_) {
        next.takenBlocks_.assign(1, *previousBlock_);
        if (next.busy())
            next.previousBlock_ = previousBlock_;
    }
}

void LinkEngine::startReadAll() {
    if (refuseWhileWriting())
        return;
    beginOperation();
    status("engine.readout_running");
    s_.StatusReadMode = false;
    view_.setTransferButtonsEnabled(false);
    // The first request goes at once whenever the port is open, also while
    // idle: the port still open from the last command has nothing on the
    // wire, so the transfer need not wait for a tick.
    const bool atOnce = s_.LinkPortOpen;
    int gaugeMax = 0;
    if (config_.modelCode == kModelWithRecords) {
        s_.LinkCommand = LinkCode::kRecordRead;
        s_.ImagePos = 0;
        gaugeMax = kRecordCount;
    } else if (!transfersByBlocks(s_.ModuleVersion)) {
        s_.LinkCommand = LinkCode::kByteRead;
        s_.ModuleAddress = 0;
        s_.Remaining = kByteTransferLength;
        s_.NextCommand = LinkCode::kIdle;
        s_.ImagePos = 0;
        gaugeMax = kByteTransferLength;
    } else {
        s_.LinkCommand = LinkCode::kBlockRead;
        s_.ImagePos = 0;
        s_.Pace = 2;
        gaugeMax = kBlockCount;
    }
    resetGauge(gaugeMax);
    clearRx();
    leaveModemModeFirst();
    if (atOnce)
        sendStep();
    view_.setGaugeVisible(true);
}

void LinkEngine::startWriteAll(const ConfigImage* base) {
    if (!writeComing_ && refuseWhileWriting())
        return;
    writeComing_ = false;
    beginOperation();
    if (base)
        writeBase_ = *base;
    writeAllClock_ = true;
    status("engine.send_running");
    s_.ClockSyncOnly = false;
    view_.runPageShowLogic();
    s_.StatusReadMode = false;
    const bool atOnce = s_.LinkPortOpen; // as for read-all
    view_.encode();
    if (!transfersByBlocks(s_.ModuleVersion)) {
        s_.LinkCommand = LinkCode::kByteWrite;
        s_.ModuleAddress = 0;
        s_.Remaining = kByteTransferLength;
        s_.NextCommand = LinkCode::kIdle;
        s_.ImagePos = 0;
        resetGauge(std::max(1, byteWritesLeft()));
    } else {
        if (writeBase_) {
            // A block carries the module's own bytes: those it holds now.
            for (int a : {int(ImageAddress::kModuleOwnedByte), int(ImageAddress::kModuleVersion),
                          int(ImageAddress::kModelCode)})
                image_[a] = (*writeBase_)[a];
        } else if (moduleOwned_) {
            image_[ImageAddress::kModuleOwnedByte] = (*moduleOwned_)[0];
            image_[ImageAddress::kModuleVersion] = (*moduleOwned_)[1];
            image_[ImageAddress::kModelCode] = (*moduleOwned_)[2];
        }
        s_.Pace = 2;
        s_.LinkCommand = LinkCode::kBlockWrite;
        resetGauge(std::max(1, blockWritesFrom(0)));
    }
    s_.PstnPending = false;
    s_.ImagePos = 0;
    clearRx();
    leaveModemModeFirst();
    if (atOnce)
        sendStep();
    view_.setTransferButtonsEnabled(false);
    view_.setGaugeVisible(true);
}

void LinkEngine::startIdentify() {
    if (refuseWhileWriting())
        return;
    beginOperation();
    const bool atOnce = s_.LinkPortOpen; // as for read-all
    s_.StatusReadMode = false;
    s_.LinkCommand = LinkCode::kByteRead;
    s_.ModuleAddress = ImageAddress::kModuleVersion;
    s_.ImagePos = ImageAddress::kModuleVersion;
    s_.Remaining = 2;
    s_.NextCommand = LinkCode::kIdle;
    resetGauge(2);
    clearRx();
    leaveModemModeFirst();
    if (atOnce)
        sendStep();
}

void LinkEngine::startPstnSend() {
    if (refuseWhileWriting())
        return;
    beginOperation();
    view_.encode();
    const bool atOnce = sendsAtOnce();
    s_.PstnPending = true;
    s_.LinkCommand = LinkCode::kByteWrite;
    s_.ModuleAddress = kPstnGainAddress;
    s_.ImagePos = kPstnGainAddress;
    s_.Remaining = kPstnGainCount;
    s_.NextCommand = LinkCode::kIdle;
    s_.ClockSyncOnly = false;
    clearRx();
    view_.setTransferButtonsEnabled(false);
    resetGauge(kPstnGainCount);
    view_.setGaugeVisible(true);
    leaveModemModeFirst();
    if (atOnce)
        sendStep();
}

void LinkEngine::startVersionQuery(bool fromMenu) {
    if (!fromMenu) {
        // Activation asks only when nothing else is running.
        if (s_.LinkCommand == LinkCode::kIdle && !writeComing_) {
            s_.LinkCommand = LinkCode::kVersionQuery;
            leaveModemModeFirst();
            view_.ticksNeeded();
        }
        return;
    }
    if (refuseWhileWriting())
        return;
    const bool atOnce = startOperation(LinkCode::kVersionQuery);
    s_.VersionPopup = 2;
    if (atOnce)
        sendStep();
}

void LinkEngine::startRestart() {
    if (refuseWhileWriting())
        return;
    if (startOperation(LinkCode::kRestart))
        sendStep();
}

void LinkEngine::startClockSync() {
    if (refuseWhileWriting())
        return;
    beginClockSync();
}

void LinkEngine::beginClockSync() {
    status("engine.clock_sync_running");
    s_.ClockSyncOnly = true;
    s_.NextCommand = LinkCode::kIdle;
    if (startOperation(LinkCode::kClockSync))
        sendStep();
}

void LinkEngine::startLifeSignal() {
    if (refuseWhileWriting())
        return;
    if (startOperation(LinkCode::kLifeSignal))
        sendStep();
}
