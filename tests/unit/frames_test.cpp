#include "serial/block_transfer.h"
#include "serial/frame_assembler.h"
#include "serial/memory_frame.h"
#include "serial/port_names.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QByteArray hex(const char* s) {
    return QByteArray::fromHex(s);
}
QByteArray frameBytes(const MemoryFrame& f) {
    return f.toByteArray();
}
} // namespace

TEST(MemoryFrame, WorkedFrames) {
    struct Case {
        uint16_t address;
        uint8_t command;
        const char* expected;
    } cases[] = {
        {0x00FF, 0x00, "0000FF0001FE"}, {0xA000, 0xFE, "A0FE0000629D"},
        {0x00FE, 0x00, "0000FE0002FD"}, {0x00AA, 0xFF, "00FFAA0057A8"},
        {0x00BB, 0xFE, "00FEBB0047B8"}, {0x00BB, 0xFD, "00FDBB0048B7"},
    };
    for (const auto& c : cases) {
        const MemoryFrame f = MemoryFrame::build(c.address, c.command, 0);
        EXPECT_EQ(frameBytes(f), hex(c.expected)) << c.expected;
        EXPECT_EQ(validateFrame(frameBytes(f)), FrameCheck::Valid);
    }
    EXPECT_EQ(frameBytes(Frames::identifyRead()), hex("0000FF0001FE"));
    EXPECT_EQ(frameBytes(Frames::identifyWake()), hex("A0FE0000629D"));
}

TEST(MemoryFrame, CheckBytesAlwaysAddUpTo255AndAddressCarries) {
    for (int a : {0, 1, 0xFF, 0x100, 0x1234, 0xFFFF})
        for (int d : {0, 1, 0x80, 0xFF}) {
            const MemoryFrame f =
                MemoryFrame::build(static_cast<uint16_t>(a), 0x01, static_cast<uint8_t>(d));
            EXPECT_EQ(f.bytes[4] + f.bytes[5], 255);
        }
    const MemoryFrame next = MemoryFrame::build(0x00FF + 1, 0x00);
    EXPECT_EQ(next.bytes[0], 1);
    EXPECT_EQ(next.bytes[2], 0);
}

TEST(MemoryFrame, ValidationTellsBadComplementFromBadCheck) {
    QByteArray good = hex("0000FF0001FE");
    QByteArray badComplement = good;
    badComplement[4] = 0x02;
    QByteArray badCheck = good;
    badCheck[5] = static_cast<char>(0xFD);
    EXPECT_EQ(validateFrame(good), FrameCheck::Valid);
    EXPECT_EQ(validateFrame(badComplement), FrameCheck::BadComplement);
    EXPECT_EQ(validateFrame(badCheck), FrameCheck::BadCheck);
}

TEST(FrameAssembler, AssemblesSplitDropsOverlongAndRestartsAfterSend) {
    const QByteArray reply = frameBytes(MemoryFrame::build(0x00FF, 0, 71));
    using R = FrameAssembler::Result;

    FrameAssembler a;
    EXPECT_EQ(a.receive(reply.left(4)), R::Incomplete);
    EXPECT_EQ(a.receive(reply.mid(4)), R::Valid);
    EXPECT_EQ(a.byte(3), 71);
    EXPECT_EQ(a.fill(), 6); // held until cleared or a send

    // Seven bytes in one event are thrown away; the next six make a frame.
    FrameAssembler b;
    EXPECT_EQ(b.receive(reply + QByteArray(1, '\x00')), R::Overflow);
    EXPECT_EQ(b.fill(), 0);
    EXPECT_EQ(b.receive(reply), R::Valid);

    // A held frame that was never cleared: the next send starts over at 0.
    const QByteArray other = frameBytes(MemoryFrame::build(0x00FF, 0, 80));
    b.frameSent();
    EXPECT_EQ(b.receive(other), R::Valid);
    EXPECT_EQ(b.byte(3), 80);

    // Without a send, more bytes after a held frame overflow it.
    EXPECT_EQ(b.receive(other.left(1)), R::Overflow);

    FrameAssembler c;
    QByteArray bad = reply;
    bad[5] = static_cast<char>(bad[5] + 1);
    EXPECT_EQ(c.receive(bad), R::BadCheck);
    EXPECT_EQ(c.fill(), 0);
    c.clear();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(c.byte(i), 255);
}

namespace {
QByteArray replyTo(const MemoryFrame& req, uint8_t data) {
    return frameBytes(MemoryFrame::build(req.address(), req.command(), data));
}
} // namespace

TEST(BlockTransfer, HoldOffThenRepeatsEveryTickWithoutLimit) {
    BlockTransfer t;
    t.start(BlockTransfer::kReading, 0x00FE, 3, 0);
    FrameAssembler rx;
    ASSERT_TRUE(t.tick()); // nothing held off yet: the request is due
    const MemoryFrame req = t.request();
    EXPECT_EQ(frameBytes(req), hex("0000FE0002FD"));
    ASSERT_EQ(rx.receive(replyTo(req, 0x11)), FrameAssembler::Result::Valid);
    EXPECT_EQ(t.onValidFrame(rx.buffer()), BlockTransfer::Step::Next);
    EXPECT_EQ(t.Address, 0x00FF);

    // Three silent ticks after a valid reply, then the request on every tick.
    EXPECT_FALSE(t.tick());
    EXPECT_FALSE(t.tick());
    EXPECT_FALSE(t.tick());
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(t.tick());
    // The address carries across the 256 boundary.
    rx.frameSent();
    rx.receive(replyTo(t.request(), 0x22));
    EXPECT_EQ(t.onValidFrame(rx.buffer()), BlockTransfer::Step::Next);
    EXPECT_EQ(t.request().bytes[0], 1);
    EXPECT_EQ(t.request().bytes[2], 0);
    rx.frameSent();
    rx.receive(replyTo(t.request(), 0x33));
    EXPECT_EQ(t.onValidFrame(rx.buffer()), BlockTransfer::Step::Done);
    EXPECT_EQ(t.LinkState, 0);
    EXPECT_EQ(t.BlockBuffer.left(3), hex("112233"));
}

TEST(BlockTransfer, AcceptRulesPerWindow) {
    struct Case {
        BlockTransfer::AcceptRule rule;
        int state;
        QByteArray reply; // to a request at 0x0010 writing 0x5A / reading
        bool accepted;
    };
    auto frame = [](uint8_t b0, uint8_t cmd, uint8_t lo, uint8_t data) {
        return MemoryFrame::fromHeader(b0, cmd, lo, data).toByteArray();
    };
    using AR = BlockTransfer::AcceptRule;
    const Case cases[] = {
        {AR::AnyValid, BlockTransfer::kWriting, frame(0, 1, 0x10, 0x00), true},
        {AR::EchoWrittenData, BlockTransfer::kWriting, frame(0, 1, 0x10, 0x00), false},
        {AR::EchoWrittenData, BlockTransfer::kWriting, frame(0, 1, 0x10, 0x5A), true},
        {AR::MarkedEcho, BlockTransfer::kWriting, frame(0, 1, 0x10, 0x5A), false},
        {AR::MarkedEcho, BlockTransfer::kWriting, frame(0xAB, 1, 0x10, 0x5A), true},
        {AR::MarkedEcho, BlockTransfer::kReading, frame(0xAB, 0, 0x11, 0x01), false},
        {AR::MarkedEcho, BlockTransfer::kReading, frame(0xAB, 0, 0x10, 0x01), true},
    };
    for (const auto& c : cases) {
        BlockTransfer t(c.rule);
        t.BlockBuffer[0] = 0x5A;
        t.start(c.state, 0x0010, 2, 0);
        FrameAssembler rx;
        ASSERT_EQ(rx.receive(c.reply), FrameAssembler::Result::Valid);
        const auto step = t.onValidFrame(rx.buffer());
        EXPECT_EQ(step == BlockTransfer::Step::Next, c.accepted) << c.reply.toHex().constData();
        EXPECT_EQ(t.HoldOff, 3); // every valid frame holds off, accepted or not
    }
}

TEST(PortNames, StoredDisplayedAndResolved) {
    EXPECT_EQ(PortNames::display(QStringLiteral("\\\\.\\COM17")), QStringLiteral("COM17"));
    EXPECT_EQ(PortNames::display(QStringLiteral("COM3")), QStringLiteral("COM3"));
    EXPECT_EQ(PortNames::stored(8), QStringLiteral("COM8"));
    EXPECT_EQ(PortNames::stored(9), QStringLiteral("\\\\.\\COM9"));
#ifndef Q_OS_WIN
    qunsetenv("ALVENTO_COM_DIR");
    EXPECT_EQ(PortNames::device(QStringLiteral("COM1")), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(PortNames::device(QStringLiteral("\\\\.\\COM17")), QStringLiteral("/dev/ttyS16"));
    EXPECT_EQ(PortNames::device(QStringLiteral("/dev/ttyUSB0")), QStringLiteral("/dev/ttyUSB0"));
    QTemporaryDir dir;
    qputenv("ALVENTO_COM_DIR", dir.path().toUtf8());
    EXPECT_EQ(PortNames::device(QStringLiteral("\\\\.\\COM4")),
              dir.path() + QStringLiteral("/COM4"));
    qunsetenv("ALVENTO_COM_DIR");
#endif
}
