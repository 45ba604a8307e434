#include "engine/link_engine.h"

#include <algorithm>

// The engine's vocabulary: what each code sends, which reply it waits for,
// and how long the tick waits before sending it again (Pace + 1 ticks).
// Codes without a row send nothing and consume no reply.
std::span<const LinkEngine::CommandEntry> LinkEngine::commandTable() {
    using E = LinkEngine;
    using R = ReplyShape;
    static const CommandEntry kTable[] = {
        // code, send, reply, reply rule, status text when sent, pace, clear
        // after sending, [sends before giving up, what giving up does]
        {LinkCode::kLifeSignal, &E::sendLifeSignal, R::None, nullptr, nullptr, 5, true},
        // Modem pass-through. The AT commands are repeated a few times at most:
        // a modem that stays silent ends the operation and the module gets its
        // GSM program back. The PIN goes out once (35, 37); 36 and 38 only
        // count the send steps while its answer is awaited.
        {LinkCode::kModemEnter, &E::sendModemEnter, R::ModeFrame, &E::onModemEntered,
         "engine.modem_shutdown", 5, true, 3, &E::modemNotEntered},
        {LinkCode::kModemCheck, &E::sendModemCheck, R::ModemText, &E::onModemChecked,
         "engine.route_check", 5, true, 8, &E::modemSilent},
        {LinkCode::kPhonebookSelectForRead, &E::sendPhonebookSelect, R::ModemText,
         &E::onPhonebookSelected, nullptr, 20, true, 4, &E::modemSilent},
        {LinkCode::kPhonebookRead, &E::sendPhonebookRead, R::ModemText, &E::onPhonebookSlot,
         "engine.phonebook_read", 20, true, 4, &E::modemSilent},
        {LinkCode::kPinSend, &E::sendPin, R::None, nullptr, "engine.pin_off_waiting", 5, true},
        {LinkCode::kPinWait, &E::countDownPinAnswer, R::ModemText, &E::onPinAnswer, nullptr, 5,
         false},
        {LinkCode::kPinLockOff, &E::sendPinLockOff, R::None, nullptr, "engine.pin_off_waiting", 5,
         true},
        {LinkCode::kPinLockOffWait, &E::countDownPinAnswer, R::ModemText, &E::onPinLockOffAnswer,
         nullptr, 5, false},
        {LinkCode::kPhonebookSelectForWrite, &E::sendPhonebookSelect, R::ModemText,
         &E::onPhonebookSelected, nullptr, 20, true, 4, &E::modemSilent},
        {LinkCode::kPhonebookWrite, &E::sendPhonebookWrite, R::ModemText, &E::onPhonebookWritten,
         "engine.phonebook_write", 20, true, 4, &E::modemSilent},
        {LinkCode::kSmsCentre, &E::sendSmsCentre, R::ModemText, &E::onSmsCentreAnswer, nullptr, 20,
         true, 4, &E::modemSilent},
        {LinkCode::kModeLeave, &E::sendModeLeave, R::ModeFrame, &E::onModeLeft, nullptr, 5, true, 3,
         &E::modeNotLeft},
        {LinkCode::kVersionQuery, &E::sendVersionQuery, R::Frame, &E::onVersionReply,
         "engine.module_check", 5, true},
        {LinkCode::kByteRead, &E::sendByteRead, R::Frame, &E::onByteReadReply, nullptr, 5, false},
        {LinkCode::kByteWrite, &E::sendByteWrite, R::Frame, &E::onByteWriteReply, nullptr, 5,
         false},
        {LinkCode::kRecordWrite, &E::sendRecordWrite, R::Frame, &E::onRecordWriteReply, nullptr, 10,
         false},
        {LinkCode::kRecordRead, &E::sendRecordRead, R::Record, &E::onRecordReadReply, nullptr, 10,
         true},
        {LinkCode::kBlockRead, &E::sendBlockRead, R::Block, &E::onBlockReadReply, nullptr, 50,
         true},
        // The fence ends a block read that took a block equal to an earlier
        // one; receiveFence takes what arrives for it.
        {LinkCode::kBlockFence, &E::sendFence, R::Frame, nullptr, nullptr, 5, true},
        {LinkCode::kBlockWrite, &E::sendBlockWrite, R::OneByte, &E::onBlockWriteReply, nullptr, 50,
         true},
        {LinkCode::kCallerIdRead, &E::sendCallerIdRead, R::Block, &E::onCallerIdBlockRead, nullptr,
         50, true},
        {LinkCode::kCallerIdWrite, &E::sendCallerIdWrite, R::OneByte, &E::onCallerIdBlockWritten,
         nullptr, 50, true},
        // Sound upload: the start frame, then raw blocks; their answers are
        // taken by receiveStream, ahead of every reply shape.
        {LinkCode::kUploadStart, &E::sendStreamStart, R::None, nullptr, nullptr, 50, true},
        {LinkCode::kUploadBlock, &E::sendStreamBlock, R::None, nullptr, nullptr, 120, true},
        // The network's answer takes seconds; the dial is repeated once.
        {LinkCode::kBalanceQuery, &E::sendBalanceDial, R::ModemText, &E::onBalanceAnswer, nullptr,
         300, true, 2, &E::modemSilent},
        {LinkCode::kRestart, &E::sendRestart, R::None, nullptr, nullptr, 5, true},
        {LinkCode::kClockSync, &E::sendClock, R::Frame, &E::onClockReply, nullptr, 20, true},
        // Call and SMS tests do not wait for the modem: the call or message
        // goes on in the modem after the engine is idle.
        {LinkCode::kDataCallTest, &E::sendDataCall, R::None, nullptr, "engine.test_send", 5, true},
        {LinkCode::kVoiceCallTest, &E::sendVoiceCall, R::None, nullptr, "engine.test_send", 5,
         true},
        {LinkCode::kSmsTestHeader, &E::sendSmsHeader, R::None, nullptr, nullptr, 5, true},
        {LinkCode::kSmsTestText, &E::sendSmsText, R::None, nullptr, "engine.test_sms", 5, true},
        {LinkCode::kImeiQuery, &E::sendImeiQuery, R::ModemText, &E::onImeiAnswer, nullptr, 5, true,
         5, &E::modemSilent},
        // Maintenance (maintenance_commands.cpp). The status poll and the
        // monitor entry repeat until their window closes; the firmware blocks
        // count their own transmissions.
        {LinkCode::kStatusPoll, &E::sendStatusRead, R::Frame, &E::onStatusByte, nullptr, 5, true},
        {LinkCode::kMonitorEnter, &E::sendMonitorEnter, R::ModeFrame, &E::onMonitorEntered, nullptr,
         5, true},
        {LinkCode::kTestEnd, &E::sendTestEnd, R::Frame, &E::onTestEnded, nullptr, 5, true},
        {LinkCode::kProcessorQuery, &E::sendProcessorQuery, R::Frame, &E::onProcessorReply, nullptr,
         5, true},
        {LinkCode::kFirmwareStreamStart, &E::sendFirmwareStart, R::OneByte, nullptr, nullptr, 50,
         true},
        {LinkCode::kFirmwareBlock, &E::sendFirmwareBlock, R::OneByte, &E::onFirmwareBlockAck,
         nullptr, 10, true},
        {LinkCode::kFirmwareLoad, &E::sendFirmwareLoad, R::None, nullptr, nullptr, 120, true},
    };
    return kTable;
}

const LinkEngine::CommandEntry* LinkEngine::findCommand(int32_t code) {
    const auto table = commandTable();
    const auto it = std::find_if(table.begin(), table.end(),
                                 [code](const CommandEntry& e) { return e.code == code; });
    return it == table.end() ? nullptr : &*it;
}

bool LinkEngine::carriesNoAddress(ReplyShape shape) {
    return shape == ReplyShape::Block || shape == ReplyShape::OneByte;
}

int LinkEngine::replyLength(ReplyShape shape) {
    switch (shape) {
    case ReplyShape::Frame:
        return 6;
    case ReplyShape::Record:
        return 39;
    case ReplyShape::Block:
        return 257;
    case ReplyShape::OneByte:
        return 1;
    case ReplyShape::None:
    case ReplyShape::ModeFrame:
    case ReplyShape::ModemText:
        break;
    }
    return 0;
}
