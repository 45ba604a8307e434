// The maintenance side of the link engine (status poll, test end, monitor
// mode, firmware download by blocks and by stream) stepped tick by tick, the
// firmware image's text parser and the status block's meaning.
#include "engine/firmware_image.h"
#include "engine/link_engine.h"
#include "engine/listener_subscription.h"
#include "engine/status_block.h"
#include "serial/memory_frame.h"
#include "support/fake_link.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <vector>

namespace {

uint8_t at(const QByteArray& b, int i) {
    return static_cast<uint8_t>(b[i]);
}

QByteArray frame(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    return MemoryFrame::fromHeader(b0, b1, b2, b3).toByteArray();
}

QByteArray bytesOf(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

class Listener : public MaintenanceListener {
  public:
    void statusBlockRead(std::span<const uint8_t> b) override {
        blocks.emplace_back(b.begin(), b.end());
    }
    void testEndAcknowledged() override { ++testEnds; }
    void monitorEntered() override { ++monitorEntries; }
    void monitorText(const QByteArray& bytes) override { text += bytes; }
    void processorAnswered(const ProcessorAnswer& a) override { answers.push_back(a); }
    void firmwareBlockAcknowledged(int block) override { acked.push_back(block); }
    void firmwareLoadSent() override { ++loads; }
    void firmwareFailed(FirmwareFailure f) override { failures.push_back(f); }
    std::vector<std::vector<uint8_t>> blocks;
    int testEnds = 0, monitorEntries = 0, loads = 0;
    QByteArray text;
    std::vector<ProcessorAnswer> answers;
    std::vector<int> acked;
    std::vector<FirmwareFailure> failures;
};

struct Rig {
    explicit Rig(int model = 71, int version = 43) : engine(channel, view, image, config(model)) {
        engine.state().ModuleVersion = version;
        engine.addMaintenanceListener(&listener);
    }
    static LinkEngineConfig config(int model) {
        LinkEngineConfig c;
        c.modelCode = model;
        c.portName = [] { return QStringLiteral("ttyTEST"); };
        return c;
    }
    // Ticks until something is written (at most `limit` ticks); the number of
    // ticks it took, or -1.
    int ticksToWrite(int limit = 400) {
        const size_t before = channel.writes.size();
        for (int i = 1; i <= limit; ++i) {
            engine.tick();
            if (channel.writes.size() > before)
                return i;
        }
        return -1;
    }
    QByteArray last() const {
        return channel.writes.empty() ? QByteArray() : channel.writes.back();
    }

    RecordingChannel channel;
    RecordingView view;
    ConfigImage image;
    LinkEngine engine;
    Listener listener;
};

std::vector<uint8_t> testImage(int n) {
    std::vector<uint8_t> image(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        image[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 7 + i / 256);
    return image;
}

} // namespace

// ---------------------------------------------------------------- firmware text

TEST(FirmwareText, DigitsAcrossLinesMakeOneByte) {
    const FirmwareImage::Parsed p = FirmwareImage::parse("0A\r\n1\r\nF\r\n", 2);
    ASSERT_TRUE(p.ok()) << FirmwareImage::fault(p, 1).toStdString();
    EXPECT_EQ(p.bytes, bytesOf({0x0A, 0x1F}));
    const FirmwareImage::Parsed lower = FirmwareImage::parse("ab\ncD", 2);
    ASSERT_TRUE(lower.ok());
    EXPECT_EQ(lower.bytes, bytesOf({0xAB, 0xCD}));
}

TEST(FirmwareText, MalformedTextIsRefusedWithItsReason) {
    const struct {
        const char* text;
        int size;
        const char* reason;
    } kCases[] = {
        {"0A1", 2, "odd number"},
        {"0A\n1G", 2, "'G' in line 2"},
        {"0A 1F", 2, "' ' in line 1"},
        {"0A1F22", 2, "holds 3 bytes"},
        {"0A", 2, "holds 1 bytes"},
        {"", 2, "holds 0 bytes"},
        {"0A\xF3"
         "1",
         2, "byte 0xf3"},
    };
    for (const auto& c : kCases) {
        const FirmwareImage::Parsed p = FirmwareImage::parse(QByteArrayView(c.text), c.size);
        EXPECT_FALSE(p.ok()) << c.text;
        EXPECT_TRUE(p.bytes.isEmpty()) << c.text;
        const QString english = FirmwareImage::fault(p, 1);
        EXPECT_TRUE(english.contains(QLatin1String(c.reason))) << english.toStdString();
        // Every language says it in its own words, with the same numbers filled in.
        QStringList texts;
        for (int language = 0; language < 4; ++language) {
            const QString t = FirmwareImage::fault(p, language);
            EXPECT_FALSE(t.isEmpty());
            EXPECT_FALSE(t.contains(QRegularExpression(QStringLiteral("%\\d")))) << t.toStdString();
            EXPECT_FALSE(texts.contains(t)) << t.toStdString();
            texts << t;
        }
    }
    EXPECT_TRUE(FirmwareImage::fault(FirmwareImage::parse("0A1F", 2), 1).isEmpty());
}

TEST(FirmwareText, TestPlaceholderIsAWholeImage) {
    QFile f(QStringLiteral(ALVENTO_TEST_FIRMWARE));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_EQ(text.count('\n'), 6076);
    const FirmwareImage::Parsed p = FirmwareImage::parse(text);
    ASSERT_TRUE(p.ok()) << FirmwareImage::fault(p, 1).toStdString();
    EXPECT_EQ(p.bytes.size(), FirmwareImage::kImageBytes);
    EXPECT_TRUE(p.bytes.startsWith("ALVENTO PLACEHOLDER FIRMWARE"));
}

// ---------------------------------------------------------------- status block

TEST(StatusBlockDecode, SignalColoursAndTemperature) {
    const struct {
        int signal;
        StatusBlock::GaugeColour colour;
    } kSignals[] = {{0, StatusBlock::GaugeColour::Red},    {5, StatusBlock::GaugeColour::Red},
                    {6, StatusBlock::GaugeColour::Yellow}, {10, StatusBlock::GaugeColour::Yellow},
                    {11, StatusBlock::GaugeColour::Blue},  {15, StatusBlock::GaugeColour::Blue},
                    {16, StatusBlock::GaugeColour::Green}, {20, StatusBlock::GaugeColour::Green},
                    {21, StatusBlock::GaugeColour::Lime},  {31, StatusBlock::GaugeColour::Lime},
                    {255, StatusBlock::GaugeColour::Lime}};
    for (const auto& c : kSignals) {
        std::array<uint8_t, 16> s{};
        s[3] = static_cast<uint8_t>(c.signal);
        const auto d = StatusBlock::decode(s, 71, 43, 0);
        EXPECT_EQ(d.signal, c.signal);
        EXPECT_EQ(d.signalColour, c.colour) << c.signal;
    }
    std::array<uint8_t, 16> s{};
    s[9] = 0x85;
    EXPECT_EQ(StatusBlock::decode(s, 71, 43, 0).temperature, -5);
    s[9] = 0x05;
    EXPECT_EQ(StatusBlock::decode(s, 71, 43, 0).temperature, 5);
    EXPECT_FALSE(StatusBlock::decode(s, 71, 17, 0).temperature.has_value());
}

TEST(StatusBlockDecode, TextsOfErrorsStatesAndClock) {
    const struct {
        uint8_t error, cidState, network;
        int language;
        const char* errorText;
        const char* networkText;
    } kCases[] = {
        {0, 0, 1, 0, "Nincs hiba", "Saját hálózatra feljelentkezve"},
        {0, 0, 0, 1, "", "Not registered on network"},
        {3, 0, 3, 1, "SIM Card not inserted", "Registered on roaming network"},
        {12, 0, 2, 0, "GSM monitor mode", "Hálozatra nincs feljelentkezve, előző roaming volt"},
        {99, 0, 7, 0, "Ismeretlen hiba: 99", "Ismeretlen állapot: 7"},
        {0, 2, 1, 1, "CID: Felvéve a vonal/ Handshake várása", "Registered on home network"},
        {0, 6, 1, 0, "Nincs hiba", "Saját hálózatra feljelentkezve"},
        {4, 5, 1, 0, "SIM kártya PIN kóddal zárolva", "Saját hálózatra feljelentkezve"},
    };
    for (const auto& c : kCases) {
        std::array<uint8_t, 16> s{};
        s[1] = c.network;
        s[2] = c.error;
        s[11] = c.cidState;
        const auto d = StatusBlock::decode(s, 70, 43, c.language);
        EXPECT_EQ(d.errorText, QString::fromUtf8(c.errorText));
        EXPECT_EQ(d.networkText, QString::fromUtf8(c.networkText));
    }
    std::array<uint8_t, 16> s{};
    s[5] = '0';
    s[6] = '9';
    s[7] = '4';
    s[8] = '5';
    EXPECT_EQ(StatusBlock::decode(s, 70, 43, 2).clockText, QStringLiteral("GSM Zeit: 09:45"));
    EXPECT_TRUE(StatusBlock::decode(s, 100, 43, 0).clockText.isEmpty());
}

TEST(StatusBlockDecode, LampsPerModel) {
    using L = StatusBlock::Lamp;
    std::array<uint8_t, 16> s{};
    s[0] = 0x0F;
    s[4] = 0x1F; // tamper, supply, output 1, output 2, arming; no memory check
    const auto m80 = StatusBlock::decode(s, 80, 43, 0);
    EXPECT_EQ(m80.inputs, (std::array<L, 4>{L::Set, L::Set, L::Absent, L::Absent}));
    EXPECT_EQ(m80.supply, L::Absent);
    EXPECT_EQ(m80.output2, L::Absent);
    EXPECT_EQ(m80.tamper, L::Set);
    EXPECT_EQ(m80.output1, L::Set);
    const auto m71 = StatusBlock::decode(s, 71, 43, 0);
    EXPECT_EQ(m71.inputs, (std::array<L, 4>{L::Set, L::Set, L::Set, L::Set}));
    EXPECT_EQ(m71.supply, L::Set);
    EXPECT_EQ(m71.errorText, QStringLiteral("MEMORY FAULT"));
    s[4] = 0x80 | 0x10;
    const auto ok71 = StatusBlock::decode(s, 71, 43, 0);
    EXPECT_EQ(ok71.errorText, QStringLiteral("Nincs hiba"));
    EXPECT_EQ(ok71.output1, L::Clear);
    EXPECT_EQ(ok71.arming, L::Set);
    s[4] = 0x04;
    const auto m100 = StatusBlock::decode(s, 100, 43, 0);
    EXPECT_EQ(m100.inputs, (std::array<L, 4>{L::Absent, L::Absent, L::Absent, L::Absent}));
    EXPECT_EQ(m100.output1, L::Absent);
    EXPECT_TRUE(m100.output1Active); // the service indicator still sees it
}

TEST(StatusBlockDecode, LastContactIdMessage) {
    std::array<uint8_t, 32> s{};
    const uint8_t digits[] = {5, 2, 7, 9, 1, 8, 1, 1, 3, 10, 10, 1, 10, 10, 3, 1};
    std::copy(std::begin(digits), std::end(digits), s.begin() + 16);
    const auto d = StatusBlock::decode(s, 100, 25, 0);
    ASSERT_TRUE(d.contactIdShown);
    EXPECT_EQ(d.lastContactId, QStringLiteral("5279181130010031"));
    EXPECT_EQ(d.account, QStringLiteral("5279"));
    EXPECT_EQ(d.partitionZone, QStringLiteral("01003"));
    EXPECT_EQ(d.eventCode, QStringLiteral("E130"));
    s[22] = 3;
    EXPECT_EQ(StatusBlock::decode(s, 100, 25, 0).eventCode, QStringLiteral("R130"));
    s[22] = 2;
    EXPECT_TRUE(StatusBlock::decode(s, 100, 25, 0).eventCode.isEmpty());
    s[16] = 0xFF;
    const auto none = StatusBlock::decode(s, 100, 25, 0);
    EXPECT_EQ(none.lastContactId, QStringLiteral("Not"));
    EXPECT_TRUE(none.account.isEmpty() && none.partitionZone.isEmpty() && none.eventCode.isEmpty());
    EXPECT_FALSE(StatusBlock::decode(s, 100, 24, 0).contactIdShown);
    EXPECT_FALSE(StatusBlock::decode(s, 71, 43, 0).contactIdShown);
    EXPECT_EQ(StatusBlock::digitCharacter(63), QLatin1Char('?'));
    EXPECT_EQ(StatusBlock::digitCharacter(15), QLatin1Char('F'));
    EXPECT_EQ(StatusBlock::digitCharacter(0), QLatin1Char('x'));
}

// ---------------------------------------------------------------- status poll

// The poll reads with command 0x02 from 512 into its own buffer: the image
// keeps every byte it held.
TEST(MaintenanceEngine, StatusPollFillsItsOwnBufferNotTheImage) {
    for (const auto& [model, version, length] :
         {std::tuple{71, 43, 16}, std::tuple{100, 24, 16}, std::tuple{100, 25, 32}}) {
        Rig r(model, version);
        for (int i = 0; i < 64; ++i)
            r.image[i] = static_cast<uint8_t>(0xC0 + i);
        const ConfigImage before = r.image;
        r.engine.startStatusPoll();
        for (int round = 0; round < 2; ++round) {
            ASSERT_GT(r.ticksToWrite(), 0);
            for (int i = 0; i < length; ++i) {
                const QByteArray req = r.last();
                ASSERT_EQ(req, frame(0x02, 0x02, static_cast<uint8_t>(i), 0)) << i;
                r.engine.receive(frame(0xAB, 0x02, static_cast<uint8_t>(i),
                                       static_cast<uint8_t>(round * 100 + i)));
            }
            ASSERT_EQ(r.listener.blocks.size(), size_t(round + 1));
            const auto& block = r.listener.blocks.back();
            ASSERT_EQ(block.size(), size_t(length));
            EXPECT_EQ(block[3], round * 100 + 3);
        }
        EXPECT_TRUE(std::equal(before.data(), before.data() + 8192, r.image.data()));
        EXPECT_EQ(r.engine.state().LinkCommand, LinkCode::kStatusPoll);
    }
}

TEST(MaintenanceEngine, StatusByteWithWrongEchoIsAskedAgain) {
    Rig r;
    r.engine.startStatusPoll();
    ASSERT_GT(r.ticksToWrite(), 0);
    r.engine.receive(frame(0xAB, 0x02, 0x05, 0x11)); // another address's answer
    r.engine.receive(frame(0x00, 0x02, 0x00, 0x11)); // not the module's mark
    EXPECT_EQ(r.ticksToWrite(), 6);
    EXPECT_EQ(r.last(), frame(0x02, 0x02, 0x00, 0x00));
    EXPECT_TRUE(r.listener.blocks.empty());
}

TEST(MaintenanceEngine, TestEndWritesBBToAddress75AndEndsThePoll) {
    Rig r;
    r.engine.startStatusPoll();
    ASSERT_GT(r.ticksToWrite(), 0);
    r.engine.startTestEnd(); // the port is open: at once
    EXPECT_EQ(r.last(), bytesOf({0x00, 0x01, 0x4B, 0xBB, 0xF9, 0x06}));
    r.engine.receive(frame(0xAB, 0x01, 0x4B, 0xBB));
    EXPECT_EQ(r.listener.testEnds, 1);
    EXPECT_EQ(r.engine.state().LinkCommand, LinkCode::kIdle);
}

// ---------------------------------------------------------------- monitor

TEST(MaintenanceEngine, MonitorModeHandsOnEveryByteThenLeaves) {
    Rig r;
    r.engine.startMonitor();
    ASSERT_GT(r.ticksToWrite(), 0);
    EXPECT_EQ(r.last(), bytesOf({0x00, 0xFB, 0x01, 0x00, 0x04, 0xFB}));
    // Unanswered: asked again after 6 ticks, without end.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(r.ticksToWrite(), 6);
    r.engine.receive(frame(0xAB, 0xAC, 0, 0) + QByteArray("first"));
    EXPECT_EQ(r.listener.monitorEntries, 1);
    EXPECT_EQ(r.engine.state().LinkCommand, LinkCode::kMonitorRunning);
    QByteArray noise(6000, 'x'); // more than the receive buffer holds
    noise[10] = '\xAB';
    r.engine.receive(QByteArray(" line\r\n"));
    r.engine.receive(noise);
    EXPECT_EQ(r.listener.text, QByteArray("first line\r\n") + noise);
    EXPECT_EQ(r.engine.state().RxCount, 0);
    EXPECT_EQ(r.ticksToWrite(30), -1); // nothing is sent while monitoring
    r.engine.leaveMonitor();
    EXPECT_EQ(r.last(), bytesOf({0x00, 0xFB, 0x00, 0x00, 0x05, 0xFA}));
    r.engine.receive(QByteArray("tail") + frame(0xAB, 0xAC, 0, 0));
    EXPECT_EQ(r.last(), bytesOf({0x02, 0x02, 0x00, 0x00, 0xFC, 0x03}));
    EXPECT_EQ(r.engine.state().LinkCommand, LinkCode::kIdle);
}

// A window's subscription: reports reach it only while it is active, and
// never once it is gone, even when it was never switched off.
TEST(MaintenanceEngine, SubscriptionReportsOnlyWhileActiveAndNeverAfterItGoes) {
    Rig r;
    r.engine.startMonitor();
    ASSERT_GT(r.ticksToWrite(), 0);
    r.engine.receive(frame(0xAB, 0xAC, 0, 0));
    Listener window;
    {
        ListenerSubscription subscription(r.engine, &window);
        r.engine.receive(QByteArray("a"));
        subscription.setActive(true);
        subscription.setActive(true);
        EXPECT_TRUE(subscription.active());
        r.engine.receive(QByteArray("b"));
        subscription.setActive(false);
        r.engine.receive(QByteArray("c"));
        subscription.setActive(true);
        r.engine.receive(QByteArray("d"));
    }
    r.engine.receive(QByteArray("e"));
    EXPECT_EQ(window.text, QByteArray("bd"));
    EXPECT_EQ(r.listener.text, QByteArray("abcde"));
}

// ---------------------------------------------------------------- firmware

TEST(MaintenanceEngine, ProcessorQueryAndItsAnswer) {
    Rig r(71, 43);
    r.engine.startProcessorQuery();
    ASSERT_GT(r.ticksToWrite(), 0);
    EXPECT_EQ(r.last(), bytesOf({0x00, 0xF8, 0x00, 0x00, 0x08, 0xF7}));
    EXPECT_EQ(r.ticksToWrite(), 6);
    QByteArray bad = frame(10, 2, 44, 7);
    bad[5] = static_cast<char>(bad[5] + 1);
    r.engine.receive(bad); // a bad check is dropped
    EXPECT_TRUE(r.listener.answers.empty());
    r.engine.receive(frame(0x20, 2, 44, 7)); // no processor type
    EXPECT_TRUE(r.listener.answers.empty());
    r.engine.receive(frame(10, 2, 44, 7));
    ASSERT_EQ(r.listener.answers.size(), 1u);
    const ProcessorAnswer& a = r.listener.answers[0];
    EXPECT_EQ(a.processor, 10);
    EXPECT_EQ(a.hardware, 2);
    EXPECT_EQ(a.software, 44);
    EXPECT_EQ(a.third, 7);
    EXPECT_FALSE(a.withoutVersions);
    EXPECT_EQ(r.engine.state().LinkCommand, LinkCode::kIdle);
}

// Firmware 2.9 answers with bad check bytes and starts the download at once.
TEST(MaintenanceEngine, OldestModulesAnswerUnchecked) {
    for (int version : {29, 68}) {
        Rig r(71, version);
        r.engine.startProcessorQuery();
        ASSERT_GT(r.ticksToWrite(), 0);
        r.engine.receive(bytesOf({10, 0, 0}));
        r.engine.receive(bytesOf({0, 0, 0}));
        ASSERT_EQ(r.listener.answers.size(), 1u) << version;
        EXPECT_TRUE(r.listener.answers[0].withoutVersions);
    }
    Rig r(71, 30);
    r.engine.startProcessorQuery();
    ASSERT_GT(r.ticksToWrite(), 0);
    r.engine.receive(bytesOf({10, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(r.listener.answers.empty());
}

TEST(MaintenanceEngine, BlockDownloadFromStartToVersionAnswer) {
    Rig r(71, 43);
    const std::vector<uint8_t> image = testImage(FirmwareImage::kImageBytes);
    r.engine.startFirmwareDownload(image);
    // The first block goes out once the start step has waited its pace.
    ASSERT_GT(r.ticksToWrite(), 0);
    std::vector<uint8_t> received;
    for (int block = 0; block < 512; ++block) {
        const QByteArray w = r.last();
        ASSERT_EQ(w.size(), 262) << block;
        const int address = 0x3E00 + block;
        ASSERT_EQ(at(w, 1), 0xF6);
        ASSERT_EQ(at(w, 2), address >> 8);
        ASSERT_EQ(at(w, 3), address & 0xFF);
        ASSERT_EQ(w.left(6), frame(at(w, 0), 0xF6, at(w, 2), at(w, 3)));
        unsigned sum = 0;
        for (int i = 6; i < 262; ++i) {
            sum += at(w, i);
            received.push_back(at(w, i));
        }
        ASSERT_EQ(at(w, 0), sum & 0xFF);
        r.engine.receive(w.left(1));
    }
    EXPECT_EQ(r.listener.acked.size(), 512u);
    std::vector<uint8_t> expected = image;
    expected.resize(512 * 256, 0);
    EXPECT_EQ(received, expected);
    // The load command after its pace, then the version query two minutes on.
    EXPECT_EQ(r.ticksToWrite(), 11);
    EXPECT_EQ(r.last(), bytesOf({0x00, 0xF9, 0xBB, 0x00, 0x4C, 0xB3}));
    EXPECT_EQ(r.listener.loads, 1);
    EXPECT_EQ(r.ticksToWrite(), 121);
    EXPECT_EQ(r.last(), frame(0x00, 0x00, 0xFE, 0x00));
    EXPECT_EQ(r.ticksToWrite(), 6);
    r.engine.receive(frame(0xAB, 0x00, 0xFE, 44));
    EXPECT_EQ(r.view.firmwareClosed, 1);
    EXPECT_EQ(r.engine.state().ModuleVersion, 44);
}

// A wrong or doubled acknowledgement counts as none; thirty transmissions of
// one block end the download with one message and nothing more is sent.
TEST(MaintenanceEngine, UnacknowledgedBlockGivesUpAfterThirtySends) {
    Rig r(71, 43);
    r.engine.startFirmwareDownload(testImage(1000));
    ASSERT_GT(r.ticksToWrite(), 0);
    const QByteArray first = r.last();
    r.engine.receive(first.left(1));
    ASSERT_EQ(r.listener.acked, std::vector<int>{0});
    const QByteArray second = r.last();
    EXPECT_EQ(at(second, 3), 0x01);
    r.engine.receive(QByteArray(1, static_cast<char>(at(second, 0) + 1)));
    EXPECT_EQ(r.ticksToWrite(), 11);
    r.engine.receive(second.left(1) + second.left(1));
    EXPECT_EQ(r.ticksToWrite(), 11);
    EXPECT_EQ(r.last(), second);
    int sends = 3;
    while (r.ticksToWrite(20) > 0)
        ++sends;
    EXPECT_EQ(sends, 30);
    ASSERT_EQ(r.listener.failures.size(), 1u);
    EXPECT_EQ(r.listener.failures[0], FirmwareFailure::BlockNotAcknowledged);
    EXPECT_EQ(r.engine.state().LinkCommand, LinkCode::kIdle);
    r.engine.receive(second.left(1)); // too late
    EXPECT_EQ(r.listener.acked.size(), 1u);
}

// A block's acknowledgement is its sum, and the zeros after the image all
// sum to 0. After a block went out twice, the other transmission's
// acknowledgement may still come: it must not pass for the next block's,
// which goes out once the line has been quiet.
TEST(MaintenanceEngine, ALateAcknowledgementIsNotTakenForTheNextBlock) {
    Rig r(71, 43);
    r.engine.startFirmwareDownload(testImage(1000));
    ASSERT_GT(r.ticksToWrite(), 0);
    for (int block = 0; block < 5; ++block)
        r.engine.receive(r.last().left(1));
    const QByteArray block5 = r.last();
    ASSERT_EQ(at(block5, 3), 5);
    ASSERT_EQ(r.ticksToWrite(), 11); // unanswered: it goes out again
    ASSERT_EQ(r.last(), block5);
    r.engine.receive(block5.left(1)); // one transmission's acknowledgement
    r.engine.receive(block5.left(1)); // and the other's, late
    EXPECT_EQ(r.listener.acked, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    ASSERT_GT(r.ticksToWrite(), 0);
    const QByteArray block6 = r.last();
    ASSERT_EQ(at(block6, 3), 6);
    EXPECT_EQ(at(block6, 0), at(block5, 0));
    r.engine.receive(block6.left(1));
    EXPECT_EQ(r.listener.acked, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(MaintenanceEngine, StreamDownloadBelowVersion38) {
    Rig r(71, 35);
    const std::vector<uint8_t> image = testImage(FirmwareImage::kImageBytes);
    r.engine.startFirmwareDownload(image);
    ASSERT_GT(r.ticksToWrite(), 0);
    EXPECT_EQ(r.last(), bytesOf({0x00, 0xFA, 0x3E, 0x00, 0xC8, 0x37}));
    r.engine.receive(bytesOf({0xAB}));
    std::vector<uint8_t> received;
    for (int block = 0; block < 512; ++block) {
        const QByteArray w = r.last();
        ASSERT_EQ(w.size(), 256) << block;
        received.insert(received.end(), w.begin(), w.end());
        r.engine.receive(QByteArray(1, static_cast<char>(block & 0xFF)));
    }
    std::vector<uint8_t> expected = image;
    expected.resize(512 * 256, 0);
    EXPECT_EQ(received, expected);
    EXPECT_EQ(r.ticksToWrite(), 11);
    EXPECT_EQ(r.last(), bytesOf({0x00, 0xF9, 0xBB, 0x00, 0x4C, 0xB3}));
}

TEST(MaintenanceEngine, StreamAnswersThatDoNotFitEndTheDownload) {
    {
        Rig r(71, 35);
        r.engine.startFirmwareDownload(testImage(600));
        ASSERT_GT(r.ticksToWrite(), 0);
        r.engine.receive(bytesOf({0xAB}));
        r.engine.receive(bytesOf({0}));
        const size_t writes = r.channel.writes.size();
        r.engine.receive(bytesOf({7})); // block 1 answered as 7
        ASSERT_EQ(r.listener.failures.size(), 1u);
        EXPECT_EQ(r.listener.failures[0], FirmwareFailure::StreamAnswerWrong);
        EXPECT_EQ(r.channel.writes.size(), writes);
        EXPECT_EQ(r.ticksToWrite(200), -1);
    }
    {
        // A block left unanswered is never sent twice: the module would take
        // it for the next one.
        Rig r(71, 35);
        r.engine.startFirmwareDownload(testImage(600));
        ASSERT_GT(r.ticksToWrite(), 0);
        r.engine.receive(bytesOf({0xAB}));
        EXPECT_EQ(r.ticksToWrite(400), -1);
        ASSERT_EQ(r.listener.failures.size(), 1u);
        EXPECT_EQ(r.engine.state().LinkCommand, LinkCode::kIdle);
    }
}

// Coming back to the window must not cut a download short.
TEST(MaintenanceEngine, ProcessorQueryWaitsForARunningDownload) {
    Rig r(71, 43);
    r.engine.startFirmwareDownload(testImage(600));
    ASSERT_GT(r.ticksToWrite(), 0);
    r.engine.startProcessorQuery();
    EXPECT_EQ(r.engine.state().LinkCommand, LinkCode::kFirmwareBlock);
    r.engine.stopCommand();
    EXPECT_EQ(r.engine.state().LinkCommand, LinkCode::kIdle);
}
