#include "engine/link_engine.h"

#include <algorithm>

// The engine's vocabulary: what each code sends, which reply it waits for,
// and how long the tick waits before sending it again (Pace + 1 ticks).
// Codes without a row send nothing and consume no reply.
std::span<const LinkEngine::CommandEntry> LinkEngine::commandTable() {
    using E = LinkEngine;
    using R = ReplyShape;
    static const CommandEntry kTable[] = {
        // code            send                  reply      reply rule              status text when
        // sent  pace clear
        {LinkCode::kLifeSignal, &E::sendLifeSignal, R::None, nullptr, nullptr, 5, true},
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
        {LinkCode::kBlockWrite, &E::sendBlockWrite, R::OneByte, &E::onBlockWriteReply, nullptr, 50,
         true},
        {LinkCode::kRestart, &E::sendRestart, R::None, nullptr, nullptr, 5, true},
        {LinkCode::kClockSync, &E::sendClock, R::Frame, &E::onClockReply, nullptr, 20, true},
    };
    return kTable;
}

const LinkEngine::CommandEntry* LinkEngine::findCommand(int32_t code) {
    const auto table = commandTable();
    const auto it = std::find_if(table.begin(), table.end(),
                                 [code](const CommandEntry& e) { return e.code == code; });
    return it == table.end() ? nullptr : &*it;
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
        break;
    }
    return 0;
}
