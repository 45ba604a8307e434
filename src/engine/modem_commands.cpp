// The modem pass-through operations of the link engine: the module stops its
// GSM program and passes bytes between the port and its GSM modem, which is
// then driven with AT command lines.
#include "engine/link_engine.h"

#include "engine/protocol.h"

#include "engine/modem_replies.h"
#include "i18n/messages.h"
#include "image/image_codecs.h"
#include "serial/memory_frame.h"

#include <algorithm>
#include <cstring>

namespace {
using namespace Protocol;
constexpr uint8_t kStatusReply = 0x02; // byte 1 of its answer to a status read
constexpr uint16_t kStatusAddress = 0x0200;

constexpr int32_t kPhonebookSlots = 250;
constexpr int kNameLength = 12;
// Longer numbers do not fit a SIM entry; they are refused here rather than
// building a command line the modem can only refuse.
constexpr int kMaxPhonebookNumber = 40;
constexpr int kMaxSmsCentreDigits = 20;
constexpr int kMaxDialString = 80;
constexpr int kPinAnswerSends = 50;
constexpr int kLockOffAnswerSends = 10;
constexpr int kPinLockOffPace = 10;
constexpr char kCtrlZ = 0x1A;
constexpr int kAfterLeavePace = 3;

bool isModemCode(int32_t code) {
    switch (code) {
    case LinkCode::kModemEnter:
    case LinkCode::kModemCheck:
    case LinkCode::kPhonebookSelectForRead:
    case LinkCode::kPhonebookRead:
    case LinkCode::kPinSend:
    case LinkCode::kPinWait:
    case LinkCode::kPinLockOff:
    case LinkCode::kPinLockOffWait:
    case LinkCode::kPhonebookSelectForWrite:
    case LinkCode::kPhonebookWrite:
    case LinkCode::kSmsCentre:
    case LinkCode::kModeLeave:
    case LinkCode::kBalanceQuery:
    case LinkCode::kDataCallTest:
    case LinkCode::kVoiceCallTest:
    case LinkCode::kSmsTestHeader:
    case LinkCode::kSmsTestText:
    case LinkCode::kImeiQuery:
        return true;
    default:
        return false;
    }
}

bool isPhonebookOperation(int32_t op) {
    return op == LinkCode::kPhonebookSelectForRead || op == LinkCode::kPhonebookSelectForWrite;
}

// Text that goes between the quotes of a command line: a quote would end the
// field early and a control character (CR above all) would end the line.
QByteArray quotedField(const QString& text) {
    QByteArray bytes = toCodePage1250(text);
    QByteArray out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        if (c == '"')
            out.append('\'');
        else if (static_cast<uint8_t>(c) >= 0x20)
            out.append(c);
    }
    return out;
}

// What a dial string may hold: digits, + for the international prefix, the
// service characters * and #, pauses and the DTMF letters. Spaces and dashes
// people type between digit groups are left out.
QByteArray dialString(const QString& number) {
    QByteArray out;
    for (QChar c : number) {
        const char16_t u = c.unicode();
        if ((u >= '0' && u <= '9') || u == '+' || u == '*' || u == '#' || u == ',' ||
            QStringLiteral("ABCDabcdPpWw").contains(c))
            out.append(static_cast<char>(u));
    }
    return out.left(kMaxDialString);
}

QByteArray slotDigits(int slot) {
    return QByteArray::number(slot).rightJustified(3, '0');
}
} // namespace

// ---------------------------------------------------------------- starting

void LinkEngine::startModemOperation(int32_t firstCode, bool sendAtOnce) {
    beginOperation();
    const bool atOnce = sendsAtOnce();
    s_.NextCommand = firstCode;
    s_.LinkCommand = LinkCode::kModemEnter;
    modemOperation_ = firstCode;
    reenterOnce_ = true;
    afterLeave_ = LinkCode::kIdle;
    clearRx();
    if (atOnce && sendAtOnce)
        sendStep();
}

void LinkEngine::startPhonebookRead(int lastSlot) {
    if (refuseWhileWriting())
        return;
    s_.PhonebookEnd = std::clamp(lastSlot, 1, kPhonebookSlots);
    s_.PhonebookIndex = 1;
    s_.PhonebookRow = 0;
    phonebookGauge_ = 0;
    view_.setPhonebookGaugeMaximum(s_.PhonebookEnd);
    view_.setPhonebookGaugeValue(0);
    view_.setPhonebookGaugeVisible(true);
    view_.setPhonebookButtonsEnabled(false, false);
    startModemOperation(LinkCode::kPhonebookSelectForRead, true);
}

void LinkEngine::startPhonebookWrite(const std::vector<PhonebookEntry>& rows, int lastSlot) {
    if (refuseWhileWriting())
        return;
    s_.PhonebookEnd = std::clamp(lastSlot, 1, kPhonebookSlots);
    s_.PhonebookIndex = 1;
    writeRows_ = rows;
    refusedSlots_.clear();
    const auto last = std::min<size_t>(writeRows_.size(), static_cast<size_t>(s_.PhonebookEnd));
    const auto toWrite = std::count_if(writeRows_.begin(), writeRows_.begin() + last,
                                       [](const PhonebookEntry& e) { return !e.number.isEmpty(); });
    phonebookGauge_ = 0;
    view_.setPhonebookGaugeMaximum(static_cast<int>(toWrite));
    view_.setPhonebookGaugeValue(0);
    view_.setPhonebookGaugeVisible(true);
    view_.setPhonebookButtonsEnabled(false, false);
    startModemOperation(LinkCode::kPhonebookSelectForWrite, true);
}

bool LinkEngine::startPinSwitchOff(const QString& pin) {
    if (refuseWhileWriting())
        return false;
    // A SIM PIN is digits; anything else would also end up inside the quotes
    // of the command line.
    const bool digits = pin.size() == 4 && std::all_of(pin.begin(), pin.end(), [](QChar c) {
                            return c.isDigit() && c.unicode() < 0x80;
                        });
    if (!digits) {
        view_.showMessage(text("engine.bad_pin"));
        return false;
    }
    s_.SimPin = pin;
    startModemOperation(LinkCode::kPinSend, true);
    return true;
}

bool LinkEngine::startSmsCentre(const QString& number) {
    if (refuseWhileWriting())
        return false;
    QByteArray digits;
    for (QChar c : number) {
        if (c.isSpace() || c == QLatin1Char('-'))
            continue;
        digits.append(static_cast<char>(c.unicode() < 0x80 ? c.unicode() : '?'));
    }
    const QByteArrayView body = digits.startsWith('+') ? QByteArrayView(digits).sliced(1) : digits;
    const bool valid =
        !body.isEmpty() && body.size() <= kMaxSmsCentreDigits &&
        std::all_of(body.begin(), body.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!valid)
        return false;
    modemNumber_ = digits;
    startModemOperation(LinkCode::kSmsCentre, false);
    return true;
}

void LinkEngine::startBalanceQuery() {
    if (refuseWhileWriting())
        return;
    startModemOperation(LinkCode::kBalanceQuery, true);
}

void LinkEngine::startDataCallTest(const QString& number) {
    if (refuseWhileWriting())
        return;
    s_.TestNumber = number;
    startModemOperation(LinkCode::kDataCallTest, true);
}

void LinkEngine::startVoiceCallTest(const QString& number) {
    if (refuseWhileWriting())
        return;
    s_.TestNumber = number;
    startModemOperation(LinkCode::kVoiceCallTest, true);
}

void LinkEngine::startSmsTest(const QString& number) {
    if (refuseWhileWriting())
        return;
    s_.TestNumber = number;
    startModemOperation(LinkCode::kSmsTestHeader, true);
}

void LinkEngine::startImeiQuery() {
    if (refuseWhileWriting())
        return;
    startModemOperation(LinkCode::kImeiQuery, true);
}

void LinkEngine::leaveModemMode() {
    // A write waiting for the module to leave modem mode leaves it itself.
    if (writeRunning())
        return;
    const bool modemRunning = isModemCode(s_.LinkCommand);
    if (s_.LinkCommand == LinkCode::kModeLeave && afterLeave_ == LinkCode::kIdle)
        return;
    if (!modemRunning && !modemMayBeOn_)
        return;
    beginOperation();
    const bool atOnce = sendsAtOnce();
    s_.LinkCommand = LinkCode::kModeLeave;
    afterLeave_ = LinkCode::kIdle;
    modemOperation_ = LinkCode::kIdle; // nobody waits for its result any more
    clearRx();
    if (atOnce)
        sendStep();
}

void LinkEngine::addModemListener(ModemListener* listener) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void LinkEngine::removeModemListener(ModemListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void LinkEngine::notify(const ModemResult& r) {
    const int32_t op = modemOperation_;
    // A copy: a listener may go away while it is told.
    const std::vector<ModemListener*> listeners = listeners_;
    for (ModemListener* l : listeners)
        l->modemOperationDone(op, r);
}

// ---------------------------------------------------------------- helpers

void LinkEngine::writeCommandLine(const QByteArray& line) {
    writeTx(reinterpret_cast<const uint8_t*>(line.constData()), static_cast<int>(line.size()));
}

QByteArrayView LinkEngine::commandLine() const {
    QByteArrayView line(reinterpret_cast<const char*>(s_.TxBuffer.data()), s_.TxLength);
    while (!line.isEmpty() && (line.back() == '\r' || line.back() == '\n' || line.back() == kCtrlZ))
        line.chop(1);
    return line;
}

QByteArrayView LinkEngine::received() const {
    return {reinterpret_cast<const char*>(s_.RxBuffer.data()), s_.RxCount};
}

bool LinkEngine::receivedFull() const {
    return s_.RxCount >= LinkEngineState::kRxSize;
}

void LinkEngine::finishModemOperation() {
    s_.LinkCommand = LinkCode::kModeLeave;
    afterLeave_ = LinkCode::kIdle;
    s_.Pace = 0; // the next tick sends it
}

void LinkEngine::failModemOperation(const char* reasonKey, const QString& detail) {
    const QString why = detail.isEmpty() ? text(reasonKey) : text(reasonKey).arg(detail);
    view_.showStatus(why);
    ModemResult r;
    r.reasonKey = reasonKey;
    r.detail = detail;
    notify(r);
    if (isPhonebookOperation(modemOperation_)) {
        view_.setPhonebookGaugeVisible(false);
        // A read that stopped half-way has not given the grid the SIM's
        // contents, so it does not open the way to a write.
        view_.setPhonebookButtonsEnabled(true,
                                         modemOperation_ == LinkCode::kPhonebookSelectForWrite);
    }
    modemOperation_ = LinkCode::kIdle;
}

void LinkEngine::modemFailed(const char* reasonKey, const QString& detail) {
    failModemOperation(reasonKey, detail);
    clearRx();
    finishModemOperation();
}

// ---------------------------------------------------------------- entering and leaving

bool LinkEngine::sendModemEnter() {
    const int32_t pos = s_.ImagePos >= 0 && s_.ImagePos < ConfigImage::kSize ? s_.ImagePos : 0;
    writeFrame(0x0000, kCmdModemMode, image_[pos]);
    // From now on the module may be passing bytes to its modem, whether or not
    // its acknowledgement comes back.
    modemMayBeOn_ = true;
    return true;
}

bool LinkEngine::findModeFrame() {
    const uint8_t* rx = s_.RxBuffer.data();
    for (int i = 0; i + 6 <= s_.RxCount; ++i) {
        if (rx[i] != kReplyMark || validateFrame(rx + i) != FrameCheck::Valid)
            continue;
        const uint8_t kind = rx[i + 1];
        const bool wanted =
            kind == kModeAck || (s_.LinkCommand == LinkCode::kModeLeave && kind == kStatusReply);
        if (!wanted)
            continue;
        std::memcpy(modeFrame_.data(), rx + i, 6);
        return true;
    }
    return false;
}

bool LinkEngine::onModemEntered() {
    if (modeFrame_[1] != kModeAck)
        return false;
    s_.LinkCommand = LinkCode::kModemCheck;
    status("engine.modem_mode");
    clearRx();
    return true;
}

void LinkEngine::modemNotEntered() {
    if (reenterOnce_) {
        // A module still in modem mode from before passes the entry frame to
        // its modem instead of answering it: take it out, then enter again.
        reenterOnce_ = false;
        afterLeave_ = LinkCode::kModemEnter;
        s_.LinkCommand = LinkCode::kModeLeave;
        clearRx();
        sendStep();
        return;
    }
    modemFailed("engine.modem_not_entered");
}

bool LinkEngine::sendModemCheck() {
    writeCommandLine(QByteArrayLiteral("AT\r"));
    return true;
}

bool LinkEngine::onModemChecked() {
    const ModemReplies::Answer a = ModemReplies::parseAnswer(received(), commandLine());
    // An error to a bare AT means the modem had noise in its line buffer; the
    // repeat gets a clean answer.
    if (a.outcome != ModemReplies::Outcome::Ok)
        return false;
    enterNextModemStep();
    return true;
}

void LinkEngine::enterNextModemStep() {
    s_.LinkCommand = s_.NextCommand;
    status("engine.modem_mode_ok");
    clearRx();
    sendStep();
}

void LinkEngine::modemSilent() {
    modemFailed("engine.modem_no_answer");
}

bool LinkEngine::sendModeLeave() {
    writeFrame(0x0000, kCmdModeLeave, 0);
    return true;
}

bool LinkEngine::onModeLeft() {
    if (modeFrame_[1] == kModeAck) {
        // The module is back in its own program; its status read follows.
        clearRx();
        writeFrame(kStatusAddress, Frames::kStatusRead, 0);
    } else {
        clearRx();
    }
    modemMayBeOn_ = false;
    s_.LinkCommand = afterLeave_;
    afterLeave_ = LinkCode::kIdle;
    // What was waiting for the module goes on once the answer to the status
    // read has come and gone: no request is pending for it to be taken as.
    if (s_.LinkCommand != LinkCode::kIdle)
        s_.Pace = kAfterLeavePace;
    return true;
}

void LinkEngine::modeNotLeft() {
    s_.LinkCommand = LinkCode::kIdle;
    clearRx();
    const int32_t waiting = afterLeave_;
    afterLeave_ = LinkCode::kIdle;
    if (waiting == LinkCode::kModemEnter) {
        // It was the second try at entering modem mode: the module answers
        // neither entering nor leaving.
        failModemOperation("engine.modem_not_entered", {});
        return;
    }
    if (waiting != LinkCode::kIdle) {
        // The module answers no leave frame: it may have been restarted or
        // replaced since. The operation that waited goes ahead.
        modemMayBeOn_ = false;
        s_.LinkCommand = waiting;
        s_.Pace = 0;
        return;
    }
    status("engine.modem_not_left");
}

// ---------------------------------------------------------------- phonebook

bool LinkEngine::sendPhonebookSelect() {
    writeCommandLine(QByteArrayLiteral("AT+CPBS=\"SM\"\r\n"));
    s_.PhonebookIndex = 1;
    return true;
}

bool LinkEngine::onPhonebookSelected() {
    const ModemReplies::Answer a = ModemReplies::parseAnswer(received(), commandLine());
    if (a.outcome == ModemReplies::Outcome::Pending)
        return false;
    if (a.outcome == ModemReplies::Outcome::Error) {
        // Locked or missing SIM: every slot would read as refused, which would
        // pass for an empty phonebook.
        modemFailed("engine.phonebook_unavailable", QString::fromLatin1(a.result));
        return true;
    }
    s_.LinkCommand = s_.LinkCommand == LinkCode::kPhonebookSelectForRead
                         ? LinkCode::kPhonebookRead
                         : LinkCode::kPhonebookWrite;
    clearRx();
    sendStep();
    return true;
}

bool LinkEngine::sendPhonebookRead() {
    writeCommandLine("AT+CPBR=" + slotDigits(s_.PhonebookIndex) + '\r');
    return true;
}

bool LinkEngine::onPhonebookSlot() {
    using State = ModemReplies::SlotRead::State;
    const ModemReplies::SlotRead r =
        ModemReplies::parseSlotRead(received(), commandLine(), s_.PhonebookIndex);
    if (r.state == State::Pending)
        return false;
    PhonebookEntry entry;
    entry.slot = s_.PhonebookIndex;
    if (r.state == State::Occupied) {
        entry.number = fromCodePage1250(r.entry.number);
        entry.name = fromCodePage1250(r.entry.name);
        s_.PhonebookRow = s_.PhonebookIndex;
    }
    view_.showPhonebookSlot(entry);
    clearRx();
    view_.setPhonebookGaugeValue(++phonebookGauge_);
    ++s_.PhonebookIndex;
    nextPhonebookSlot();
    return true;
}

void LinkEngine::nextPhonebookSlot() {
    if (s_.PhonebookIndex <= s_.PhonebookEnd) {
        sendStep();
        return;
    }
    status("engine.phonebook_read_ready");
    view_.setPhonebookGaugeVisible(false);
    view_.setPhonebookButtonsEnabled(true, true);
    finishModemOperation();
}

bool LinkEngine::sendPhonebookWrite() {
    while (s_.PhonebookIndex <= s_.PhonebookEnd) {
        const auto row = static_cast<size_t>(s_.PhonebookIndex - 1);
        if (row >= writeRows_.size() || writeRows_[row].number.isEmpty()) {
            ++s_.PhonebookIndex;
            continue;
        }
        const PhonebookEntry& e = writeRows_[row];
        const QByteArray number = quotedField(e.number);
        if (number.isEmpty() || number.size() > kMaxPhonebookNumber) {
            refusedSlots_.push_back(s_.PhonebookIndex);
            view_.setPhonebookGaugeValue(++phonebookGauge_);
            ++s_.PhonebookIndex;
            continue;
        }
        const QString name =
            e.name.isEmpty() ? QStringLiteral("SIM%1").arg(s_.PhonebookIndex) : e.name;
        const QByteArray line = "AT+CPBW=" + slotDigits(s_.PhonebookIndex) + ",\"" + number +
                                "\",129,\"" + quotedField(name.left(kNameLength)) + "\"\r";
        writeCommandLine(line);
        clearRx();
        return true;
    }
    finishPhonebookWrite();
    return false;
}

void LinkEngine::finishPhonebookWrite() {
    view_.setPhonebookGaugeVisible(false);
    view_.setPhonebookButtonsEnabled(true, true);
    if (refusedSlots_.empty()) {
        status("engine.phonebook_write_ok");
    } else {
        // Not a success: say which slots kept their old contents.
        QStringList refused;
        for (int slot : refusedSlots_)
            refused << QString::number(slot);
        const QString why =
            text("engine.phonebook_write_refused").arg(refused.join(QStringLiteral(", ")));
        view_.showStatus(why);
        view_.showMessage(why);
    }
    modemOperation_ = LinkCode::kIdle;
    finishModemOperation();
}

bool LinkEngine::onPhonebookWritten() {
    const ModemReplies::Answer a = ModemReplies::parseAnswer(received(), commandLine());
    if (a.outcome == ModemReplies::Outcome::Pending)
        return false;
    // A refused slot (bad slot, number or name too long) is refused again on
    // every repeat; it is noted and the write goes on.
    if (a.outcome == ModemReplies::Outcome::Error)
        refusedSlots_.push_back(s_.PhonebookIndex);
    ++s_.PhonebookIndex;
    view_.setPhonebookGaugeValue(++phonebookGauge_);
    clearRx();
    sendStep();
    return true;
}

// ---------------------------------------------------------------- SIM PIN

bool LinkEngine::sendPin() {
    writeCommandLine("AT+CPIN=\"" + s_.SimPin.toLatin1() + "\"\r");
    // The PIN goes out once: a repeat would spend another of the SIM's tries.
    s_.LinkCommand = LinkCode::kPinWait;
    s_.AnswerCountdown = kPinAnswerSends;
    pending_ = {LinkCode::kPinWait, ReplyShape::ModemText};
    return true;
}

bool LinkEngine::sendPinLockOff() {
    writeCommandLine("AT+CLCK=\"SC\",0,\"" + s_.SimPin.toLatin1() + "\"\r");
    s_.LinkCommand = LinkCode::kPinLockOffWait;
    s_.AnswerCountdown = kLockOffAnswerSends;
    pending_ = {LinkCode::kPinLockOffWait, ReplyShape::ModemText};
    return true;
}

bool LinkEngine::countDownPinAnswer() {
    if (--s_.AnswerCountdown <= 0)
        pinFailed();
    return false; // nothing is sent while the answer is awaited
}

void LinkEngine::pinFailed() {
    status("engine.pin_off_error");
    view_.showMessage(text("engine.pin_error"));
    modemOperation_ = LinkCode::kIdle;
    pending_ = {};
    clearRx();
    finishModemOperation();
}

bool LinkEngine::onPinAnswer() {
    const ModemReplies::Answer a = ModemReplies::parseAnswer(received(), commandLine());
    if (a.outcome == ModemReplies::Outcome::Pending)
        return false;
    if (a.outcome == ModemReplies::Outcome::Error) {
        pinFailed();
        return true;
    }
    s_.LinkCommand = LinkCode::kPinLockOff;
    status("engine.pin_ok");
    clearRx();
    s_.Pace = kPinLockOffPace;
    return true;
}

bool LinkEngine::onPinLockOffAnswer() {
    const ModemReplies::Answer a = ModemReplies::parseAnswer(received(), commandLine());
    if (a.outcome == ModemReplies::Outcome::Pending)
        return false;
    if (a.outcome == ModemReplies::Outcome::Error) {
        pinFailed();
        return true;
    }
    status("engine.pin_off");
    modemOperation_ = LinkCode::kIdle;
    clearRx();
    finishModemOperation();
    return true;
}

// ---------------------------------------------------------------- SMS centre

bool LinkEngine::sendSmsCentre() {
    writeCommandLine("AT+CSCA=\"" + modemNumber_ + "\",145\r\n");
    return true;
}

bool LinkEngine::onSmsCentreAnswer() {
    const ModemReplies::Answer a = ModemReplies::parseAnswer(received(), commandLine());
    if (a.outcome == ModemReplies::Outcome::Pending)
        return false;
    if (a.outcome == ModemReplies::Outcome::Error) {
        modemFailed("engine.modem_error", QString::fromLatin1(a.result));
        return true;
    }
    ModemResult r;
    r.ok = true;
    notify(r);
    modemOperation_ = LinkCode::kIdle;
    clearRx();
    finishModemOperation();
    return true;
}

// ---------------------------------------------------------------- balance

bool LinkEngine::sendBalanceDial() {
    writeCommandLine(QByteArrayLiteral("ATD*102#;\r\n"));
    return true;
}

bool LinkEngine::onBalanceAnswer() {
    using State = ModemReplies::BalanceReply::State;
    const ModemReplies::BalanceReply b =
        ModemReplies::parseBalance(received(), commandLine(), receivedFull());
    switch (b.state) {
    case State::Pending:
        return false;
    case State::Error:
        modemFailed("engine.modem_error", QString::fromLatin1(b.result));
        return true;
    case State::NoText:
        modemFailed("engine.balance_no_text", QString::fromLatin1(b.result));
        return true;
    case State::Text:
        break;
    }
    ModemResult r;
    r.ok = true;
    r.text = ModemReplies::balanceText(b.text);
    notify(r);
    modemOperation_ = LinkCode::kIdle;
    clearRx();
    finishModemOperation();
    return true;
}

// ---------------------------------------------------------------- tests and IMEI

bool LinkEngine::sendDataCall() {
    writeCommandLine("ATD" + dialString(s_.TestNumber) + '\r');
    s_.LinkCommand = LinkCode::kIdle; // the call's outcome is not awaited
    return true;
}

bool LinkEngine::sendVoiceCall() {
    writeCommandLine("ATD" + dialString(s_.TestNumber) + ";\r");
    s_.LinkCommand = LinkCode::kIdle;
    return true;
}

bool LinkEngine::sendSmsHeader() {
    writeCommandLine("AT+CMGS=\"" + dialString(s_.TestNumber) + "\"\r");
    // The text follows a pace later, by when the modem shows its prompt.
    s_.LinkCommand = LinkCode::kSmsTestText;
    return true;
}

bool LinkEngine::sendSmsText() {
    writeCommandLine(quotedField(text("engine.test_sms_text")) + kCtrlZ);
    s_.LinkCommand = LinkCode::kIdle;
    return true;
}

bool LinkEngine::sendImeiQuery() {
    writeCommandLine(QByteArrayLiteral("AT+CGSN\r"));
    return true;
}

bool LinkEngine::onImeiAnswer() {
    const ModemReplies::Answer a = ModemReplies::parseAnswer(received(), commandLine());
    if (a.outcome == ModemReplies::Outcome::Pending)
        return false;
    if (a.outcome == ModemReplies::Outcome::Error) {
        modemFailed("engine.modem_error", QString::fromLatin1(a.result));
        return true;
    }
    const auto imei = ModemReplies::parseImei(a);
    if (!imei) {
        modemFailed("engine.imei_unreadable");
        return true;
    }
    view_.showMessage(text("engine.imei_number") + QString::fromLatin1(*imei));
    // The listening windows keep it (a commissioning report names the module by it).
    ModemResult r;
    r.ok = true;
    r.text = QString::fromLatin1(*imei).trimmed();
    notify(r);
    modemOperation_ = LinkCode::kIdle;
    clearRx();
    finishModemOperation();
    return true;
}
