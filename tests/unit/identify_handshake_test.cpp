#include "discovery/identify_handshake.h"
#include "discovery/model_table.h"

#include <gtest/gtest.h>

namespace {
QByteArray reply(uint8_t data, bool badComplement = false, bool badCheck = false) {
    QByteArray f = MemoryFrame::fromHeader(0xAB, 0x00, 0xFF, data).toByteArray();
    if (badComplement)
        f[4] = static_cast<char>(f[4] ^ 0x10);
    if (badCheck)
        f[5] = static_cast<char>(f[5] + 1);
    return f;
}

// What each of n ticks puts on the wire: 'R' read of 0x00FF, 'I' identify, '.' nothing.
std::string wire(IdentifyHandshake& h, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        const auto t = h.tick();
        if (!t.frame)
            s += '.';
        else if (t.frame->toByteArray() == Frames::identifyRead().toByteArray())
            s += 'R';
        else if (t.frame->toByteArray() == Frames::identifyWake().toByteArray())
            s += 'I';
        else
            s += '?';
    }
    return s;
}
} // namespace

TEST(IdentifyHandshake, TenTickCycleOfReadsAndIdentifyFrames) {
    IdentifyHandshake h;
    EXPECT_EQ(wire(h, 20), "RRRR.IIII.RRRR.IIII.");
    EXPECT_EQ(h.TxCount, 20); // silent ticks call the sender too
}

TEST(IdentifyHandshake, ValidReplyHoldsOffThreeTicksAndReportsModel) {
    IdentifyHandshake h;
    EXPECT_EQ(wire(h, 1), "R");
    const auto r = h.receive(reply(71));
    ASSERT_TRUE(r.modelCode.has_value());
    EXPECT_EQ(*r.modelCode, 71);
    EXPECT_EQ(h.ModelCode, 71);
    const int tx = h.TxCount;
    EXPECT_EQ(wire(h, 5), "...RR");
    EXPECT_EQ(h.TxCount, tx + 2); // held-off ticks do not call the sender
}

TEST(IdentifyHandshake, CountersAndWhatCounts) {
    IdentifyHandshake h;
    h.tick();
    // Split reply: one frame.
    EXPECT_EQ(h.receive(reply(80).left(2)).frames, 0);
    EXPECT_EQ(h.receive(reply(80).mid(2)).frames, 1);
    h.Assembler.frameSent();
    // Good check, bad complement: counted as received and bad, model not taken.
    auto r = h.receive(reply(90, true));
    EXPECT_EQ(r.bad, 1);
    EXPECT_FALSE(r.modelCode.has_value());
    // Bad check: received but not bad.
    r = h.receive(reply(90, false, true));
    EXPECT_EQ(r.frames, 1);
    EXPECT_EQ(r.bad, 0);
    EXPECT_EQ(h.RxCount, 3);
    EXPECT_EQ(h.BadCount, 1);
    EXPECT_EQ(h.ModelCode, 80);
}

TEST(IdentifyHandshake, RepliesDuringIdentifyPhaseAreNotModelCodes) {
    IdentifyHandshake h;
    wire(h, 6); // into the identify phase
    ASSERT_EQ(h.LinkState, IdentifyHandshake::kIdentifyWake);
    const auto r = h.receive(reply(71));
    EXPECT_FALSE(r.modelCode.has_value());
    EXPECT_EQ(r.valid, 1);
    EXPECT_EQ(h.HoldOff, 3);
}

TEST(ModelTable, WhichCodesDispatchAndTheirNames) {
    for (int code : {30, 50, 60, 61, 70, 71, 80, 90, 100})
        EXPECT_TRUE(discoveryDispatches(code)) << code;
    for (int code : {0, 10, 72, 253})
        EXPECT_FALSE(discoveryDispatches(code)) << code;
    EXPECT_EQ(modelLabel3(71, 40), QStringLiteral("Norvik"));
    EXPECT_EQ(modelStatusName(80, 30), QStringLiteral("Ferrolt"));
    EXPECT_EQ(modelLabel3(90, 10), QStringLiteral("AV-GPS"));
    EXPECT_EQ(modelStatusName(90, 10), QStringLiteral("Olmira GPS"));
    EXPECT_EQ(modelStatusName(80, 40), QStringLiteral("AV-1_PC"));
    EXPECT_EQ(modelLabel3(30, 10), QStringLiteral("Olmira GPRS-CID found"));
}
