// Sound uploads and the caller-ID memory in the link engine, driven tick by
// tick against a recording port: the header check, the stream's blocks and end
// mark, the acknowledgements, and the caller-ID block frames and records.
#include "engine/caller_id_memory.h"
#include "engine/link_engine.h"
#include "engine/sound_upload.h"
#include "i18n/messages.h"
#include "serial/memory_frame.h"
#include "support/fake_link.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace {

uint8_t at(const QByteArray& b, int i) {
    return static_cast<uint8_t>(b[i]);
}

QByteArray frame(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    return MemoryFrame::fromHeader(b0, b1, b2, b3).toByteArray();
}

class View : public RecordingView, public UploadView {
  public:
    void setUploadGaugeMaximum(int m) override { uploadMax = m; }
    void setUploadGaugeValue(int v) override { uploadValue = v; }
    void setUploadGaugeVisible(bool v) override { uploadVisible = v; }
    void showCallerIdBlock(const CallerIdMemory& m, int block) override {
        for (int r = 0; r < CallerIdMemory::kRecordsPerBlock; ++r) {
            const int k = block * CallerIdMemory::kRecordsPerBlock + r;
            rows[k + 1] = m.recordText(k);
        }
    }
    void callerIdReadDone() override { ++readsDone; }
    void setCallerIdGaugeValue(int v) override { callerGauge = v; }
    void setCallerIdGaugeVisible(bool v) override { callerGaugeVisible = v; }
    void setCallerIdButtonsEnabled(bool e) override { callerButtons = e; }

    int uploadMax = -1, uploadValue = -1, callerGauge = -1, readsDone = 0;
    bool uploadVisible = false, callerGaugeVisible = false, callerButtons = true;
    std::map<int, QString> rows; // grid row (from 1) -> text
};

// A WAV file: RIFF header with the "data" tag at `tagAt`, then its length
// field and the samples.
QByteArray wav(const QByteArray& samples, int tagAt = 36) {
    QByteArray f("RIFF");
    f.append(QByteArray(tagAt - 4, 'h'));
    f.append("data");
    const quint32 n = static_cast<quint32>(samples.size());
    f.append(reinterpret_cast<const char*>(&n), 4);
    f.append(samples);
    return f;
}

QByteArray ramp(int n, int start = 0) {
    QByteArray s;
    for (int i = 0; i < n; ++i)
        s.append(static_cast<char>((start + i) % 251)); // never 0xFF
    return s;
}

struct Rig {
    Rig() : engine(port, view, image, config()) { engine.setUploadView(&view); }
    static LinkEngineConfig config() {
        LinkEngineConfig c;
        c.portName = [] { return QStringLiteral("/dev/null"); };
        return c;
    }
    QString file(const QByteArray& bytes, const char* name = "sound.wav") {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    // Ticks until something is written (at most n ticks); the new writes.
    std::vector<QByteArray> tickUntilWrite(int n = 200) {
        const size_t before = port.writes.size();
        for (int i = 0; i < n && port.writes.size() == before; ++i)
            engine.tick();
        return {port.writes.begin() + static_cast<long>(before), port.writes.end()};
    }
    int ticksUntilWrite(int n = 400) {
        const size_t before = port.writes.size();
        for (int i = 1; i <= n; ++i) {
            engine.tick();
            if (port.writes.size() != before)
                return i;
        }
        return -1;
    }
    // Runs an upload with the module acknowledging every block with `ack(k)`;
    // returns the blocks sent.
    std::vector<QByteArray> upload(
        const QString& path, int address,
        const std::function<int(int)>& ack = [](int k) { return k; }) {
        EXPECT_TRUE(engine.startSoundUpload(path, address));
        auto start = tickUntilWrite();
        EXPECT_EQ(start.size(), 1u);
        engine.receive(
            frame(0xAB, 0xFA, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)));
        std::vector<QByteArray> blocks;
        for (int k = 0; engine.uploadRunning() && k < 300; ++k) {
            blocks.push_back(port.writes.back());
            const int a = ack(k);
            if (a >= 0)
                engine.receive(QByteArray(1, static_cast<char>(a)));
            else
                tickUntilWrite(); // the module stays silent: the send step goes on
        }
        return blocks;
    }

    QTemporaryDir dir;
    RecordingChannel port;
    View view;
    ConfigImage image;
    LinkEngine engine;
};

QByteArray blockBytes(const SoundUpload::Block& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), SoundUpload::kBlockSize);
}

} // namespace

// ---------------------------------------------------------------- file check and blocks

TEST(SoundFile, SamplesStartNineBytesAfterTheDataTag) {
    struct Case {
        int tagAt;
        int firstFileOffset;
    };
    for (const Case c : {Case{36, 45}, Case{12, 21}, Case{250, 259}}) {
        QByteArray file = wav(ramp(600), c.tagAt);
        const SoundUpload::Sound s = SoundUpload::fromFile(file);
        ASSERT_EQ(s.problem, SoundUpload::Problem::None) << c.tagAt;
        EXPECT_EQ(s.dataTag, c.tagAt);
        EXPECT_EQ(s.samples, file.mid(c.firstFileOffset)) << c.tagAt;
    }
}

TEST(SoundFile, RefusesWhatIsNotASoundOfTheModule) {
    struct Case {
        const char* what;
        QByteArray file;
        SoundUpload::Problem problem;
    };
    QByteArray tagTooLate("RIFF");
    tagTooLate.append(QByteArray(250, 'x')).append("data").append(ramp(100));
    const Case cases[] = {
        {"empty file", QByteArray(), SoundUpload::Problem::NoDataTag},
        {"text file", QByteArray("just some text, no tag"), SoundUpload::Problem::NoDataTag},
        {"tag beyond byte 255", tagTooLate, SoundUpload::Problem::NoDataTag},
        {"tag without samples", wav(QByteArray()), SoundUpload::Problem::Empty},
        {"only the first sample", wav(QByteArray(1, 'a')), SoundUpload::Problem::Empty},
        {"one block too many", wav(ramp(SoundUpload::kMaxSamples + 2)),
         SoundUpload::Problem::TooLong},
        {"255 full blocks", wav(ramp(255 * 256 + 1)), SoundUpload::Problem::TooLong},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SoundUpload::fromFile(c.file).problem, c.problem) << c.what;
    // The longest that fits: 254 full blocks and 255 samples in the last.
    EXPECT_EQ(SoundUpload::fromFile(wav(ramp(SoundUpload::kMaxSamples + 1))).problem,
              SoundUpload::Problem::None);
}

TEST(SoundBlocks, FullBlocksThenAShortBlockWithItsEndMark) {
    struct Case {
        int samples;
        size_t blocks;
        int lastHolds; // samples in the last block
    };
    const Case cases[] = {{1000, 4, 232}, {1, 1, 1},     {255, 1, 255}, {256, 2, 0},
                          {512, 3, 0},    {253, 1, 253}, {257, 2, 1},   {65279, 255, 255}};
    for (const Case c : cases) {
        QByteArray samples = ramp(c.samples);
        const auto blocks = SoundUpload::makeBlocks(samples);
        ASSERT_EQ(blocks.size(), c.blocks) << c.samples;
        for (size_t i = 0; i + 1 < blocks.size(); ++i)
            EXPECT_EQ(blockBytes(blocks[i]), samples.mid(int(i) * 256, 256)) << c.samples;
        const QByteArray last = blockBytes(blocks.back());
        const int held = std::min(c.lastHolds, SoundUpload::kEndMarkFrom);
        EXPECT_EQ(last.left(held), samples.right(c.lastHolds).left(held)) << c.samples;
        EXPECT_EQ(last.mid(held), QByteArray(256 - held, '\xFF')) << c.samples;
        EXPECT_LE(blocks.size(), size_t(SoundUpload::kMaxBlocks));
    }
}

// A full-scale sample would end the sound where it stands, in the last block
// as anywhere: every one goes out as 0xFE, and the module plays all samples.
TEST(SoundBlocks, FullScaleSamplesBecomeFEInEveryBlock) {
    QByteArray samples = ramp(1000);
    for (int i : {0, 100, 255, 256, 767})
        samples[i] = '\xFF';
    samples[800] = '\xFF'; // in the last, short block
    const auto blocks = SoundUpload::makeBlocks(samples);
    ASSERT_EQ(blocks.size(), 4u);
    QByteArray sent;
    for (int b = 0; b < 3; ++b)
        sent += blockBytes(blocks[size_t(b)]);
    QByteArray expected = samples.left(768);
    expected.replace('\xFF', '\xFE');
    EXPECT_EQ(sent, expected);
    EXPECT_FALSE(sent.contains('\xFF'));
    EXPECT_EQ(at(blockBytes(blocks[3]), 800 - 768), 0xFE);
    QByteArray played = samples;
    played.replace('\xFF', '\xFE');
    EXPECT_EQ(SoundUpload::playedSamples(blocks), played);
}

// ---------------------------------------------------------------- engine: sound upload

TEST(SoundUploadEngine, StartFrameCarriesThePresetAddress) {
    struct Case {
        int address;
        QByteArray frame;
    };
    const Case cases[] = {
        {0x0300, QByteArray::fromHex("00FA030003FC")},
        {0x0400, frame(0, 0xFA, 4, 0)},
        {0x0500, frame(0, 0xFA, 5, 0)},
        {0x0600, frame(0, 0xFA, 6, 0)},
        {0x0F00, frame(0, 0xFA, 0x0F, 0)},
        {0x0FE0, frame(0, 0xFA, 0x0F, 0xE0)},
    };
    for (const Case& c : cases) {
        Rig r;
        ASSERT_TRUE(r.engine.startSoundUpload(r.file(wav(ramp(300))), c.address));
        EXPECT_EQ(r.engine.state().StreamSequence, c.address % 256);
        const auto w = r.tickUntilWrite();
        ASSERT_EQ(w.size(), 1u);
        EXPECT_EQ(w[0], c.frame) << c.address;
    }
}

TEST(SoundUploadEngine, ThousandSamplesGoAsThreeFullBlocksAndAMarkedFourth) {
    Rig r;
    QByteArray samples = ramp(1000);
    samples[10] = '\xFF';
    QByteArray file = wav(QByteArray(1, 's') + samples); // the first sample is skipped
    const auto blocks = r.upload(r.file(file), 0x0300);
    ASSERT_EQ(blocks.size(), 4u);
    for (const QByteArray& b : blocks)
        EXPECT_EQ(b.size(), 256);
    QByteArray full = samples.left(768);
    full.replace('\xFF', '\xFE');
    EXPECT_EQ(blocks[0] + blocks[1] + blocks[2], full);
    EXPECT_EQ(blocks[3].left(232), samples.mid(768));
    EXPECT_EQ(blocks[3].mid(232), QByteArray(24, '\xFF'));
    EXPECT_FALSE(r.engine.busy());
    EXPECT_TRUE(r.view.messages.isEmpty());
    EXPECT_FALSE(r.view.uploadVisible);
    EXPECT_EQ(r.view.uploadValue, 4);
}

// A sound that ends exactly with a full block still gets its end mark: one
// more block holding only 0xFF.
TEST(SoundUploadEngine, SoundEndingOnABlockBoundaryGetsAnEndMarkBlock) {
    Rig r;
    const QByteArray samples = ramp(512);
    const auto blocks = r.upload(r.file(wav(QByteArray(1, 's') + samples)), 0x0400);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0] + blocks[1], samples);
    EXPECT_EQ(blocks[2], QByteArray(256, '\xFF'));
    EXPECT_FALSE(r.engine.busy());
}

TEST(SoundUploadEngine, WrongOrMissingAcknowledgementEndsWithBadTransfer) {
    struct Case {
        const char* what;
        std::function<int(int)> ack;
        bool error;
    };
    const Case cases[] = {
        {"all right", [](int k) { return k; }, false},
        {"second wrong", [](int k) { return k == 1 ? 7 : k; }, true},
        {"one missing", [](int k) { return k == 1 ? -1 : k - (k > 1); }, true},
        {"last missing", [](int k) { return k == 3 ? -1 : k; }, true},
    };
    for (const Case& c : cases) {
        Rig r;
        const auto blocks = r.upload(r.file(wav(ramp(1001))), 0x0300, c.ack);
        EXPECT_EQ(blocks.size(), 4u) << c.what; // a block is never sent twice
        EXPECT_FALSE(r.engine.busy()) << c.what;
        if (c.error)
            EXPECT_EQ(r.view.messages, QStringList{QStringLiteral("Hibás átvitel")}) << c.what;
        else
            EXPECT_TRUE(r.view.messages.isEmpty()) << c.what;
    }
}

// Without an acknowledgement the next block goes out 121 ticks later.
TEST(SoundUploadEngine, UnansweredBlockIsFollowedByTheNextAfterItsPace) {
    Rig r;
    ASSERT_TRUE(r.engine.startSoundUpload(r.file(wav(ramp(2000))), 0x0300));
    r.tickUntilWrite();
    r.engine.receive(QByteArray(1, '\x00'));
    const QByteArray first = r.port.writes.back();
    EXPECT_EQ(r.ticksUntilWrite(), 121);
    EXPECT_NE(r.port.writes.back(), first);
    EXPECT_EQ(r.port.writes.back().size(), 256);
}

TEST(SoundUploadEngine, BadFilesGetAMessageAndNothingIsSent) {
    struct Case {
        const char* what;
        QByteArray file;
        const char* messageKey;
    };
    const Case cases[] = {
        {"not a wav", QByteArray("hello"), "upload.bad_format"},
        {"empty", QByteArray(), "upload.bad_format"},
        {"no samples", wav(QByteArray()), "upload.sound_empty"},
        {"too long", wav(ramp(70000)), "upload.sound_too_long"},
    };
    for (const Case& c : cases) {
        Rig r;
        EXPECT_FALSE(r.engine.startSoundUpload(r.file(c.file), 0x0300)) << c.what;
        ASSERT_EQ(r.view.messages.size(), 1) << c.what;
        EXPECT_TRUE(r.view.messages[0].startsWith(message(c.messageKey, 0).left(12))) << c.what;
        EXPECT_FALSE(r.engine.busy());
        r.tickUntilWrite(50);
        EXPECT_TRUE(r.port.writes.empty()) << c.what;
    }
    Rig r;
    EXPECT_FALSE(r.engine.startSoundUpload(r.dir.filePath(QStringLiteral("missing.wav")), 0x300));
    EXPECT_EQ(r.view.messages.size(), 1);
    EXPECT_TRUE(r.view.messages[0].contains(QStringLiteral("missing.wav")));
}

TEST(SoundUploadEngine, StrayBytesAndSplitStartAnswerDoNotStartBlocksEarly) {
    Rig r;
    ASSERT_TRUE(r.engine.startSoundUpload(r.file(wav(ramp(600))), 0x0300));
    r.engine.receive(QByteArray(1, '\x55')); // before the start frame is out
    const auto w = r.tickUntilWrite();
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].size(), 6);
    const QByteArray answer = frame(0xAB, 0xFA, 3, 0);
    r.engine.receive(answer.left(2));
    EXPECT_EQ(r.port.writes.size(), 1u); // the rest of the module's frame is awaited
    r.engine.receive(answer.mid(2));
    ASSERT_EQ(r.port.writes.size(), 2u);
    EXPECT_EQ(r.port.writes.back().size(), 256);
    EXPECT_EQ(r.engine.state().LinkCommand, LinkCode::kUploadBlock);
}

TEST(SoundUploadEngine, AbandonedUploadSendsNoMore) {
    Rig r;
    ASSERT_TRUE(r.engine.startSoundUpload(r.file(wav(ramp(2000))), 0x0300));
    r.tickUntilWrite();
    r.engine.receive(frame(0xAB, 0xFA, 3, 0));
    ASSERT_TRUE(r.view.uploadVisible);
    r.engine.abandonSoundUpload();
    EXPECT_FALSE(r.engine.busy());
    EXPECT_FALSE(r.view.uploadVisible);
    const size_t sent = r.port.writes.size();
    r.engine.receive(QByteArray(1, '\x00'));
    for (int i = 0; i < 300; ++i)
        r.engine.tick();
    EXPECT_EQ(r.port.writes.size(), sent);
}

// ---------------------------------------------------------------- caller-ID memory

TEST(CallerIdRecords, NumbersAreStoredAsTheModuleKeepsThem) {
    CallerIdMemory m;
    const uint8_t* r = m.block(0);
    m.setRecord(0, QStringLiteral("+36301234567890")); // 15 characters
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(r), 16),
              QByteArray("+3630123456789") + QByteArray(2, '\0'));
    m.setRecord(0, QStringLiteral("123"));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(r), 16),
              QByteArray("123\xFF") + QByteArray("0123456789") + QByteArray(2, '\0'));
    EXPECT_EQ(m.recordText(0), QStringLiteral("123"));
    m.setRecord(0, QString());
    EXPECT_EQ(r[0], 0xFF);
    EXPECT_EQ(r[1], '2'); // an empty record keeps its other bytes
    EXPECT_EQ(m.recordText(0), QString());
    m.setRecord(303, QStringLiteral("06201234567890"));
    EXPECT_EQ(m.recordText(303), QStringLiteral("06201234567890"));
    EXPECT_EQ(m.block(18)[255], 0);
}

TEST(CallerIdEngine, ReadsTheNineteenBlocksIntoTheGrid) {
    Rig r;
    std::vector<QByteArray> module(19, QByteArray(256, '\xFF'));
    auto put = [&](int k, const QByteArray& number) {
        QByteArray& b = module[size_t(k / 16)];
        QByteArray rec = number.leftJustified(14, '\xFF', true) + QByteArray(2, '\0');
        b.replace((k % 16) * 16, 16, rec);
    };
    put(0, "+36301111111");
    put(288, "06202222222");
    put(303, "12345678901234");
    // Every block different from the one before (equal blocks: below).
    for (int b = 1; b < 18; ++b)
        put(16 * b + 7, "555" + QByteArray::number(b));
    r.engine.startCallerIdRead();
    EXPECT_FALSE(r.view.callerButtons);
    EXPECT_TRUE(r.view.callerGaugeVisible);
    ASSERT_EQ(r.tickUntilWrite().size(), 1u);
    for (int b = 0; b < 19; ++b) {
        const std::vector<QByteArray> w{r.port.writes.back()};
        const int address = 0x3600 + 16 * b;
        EXPECT_EQ(w[0], frame(0, 0xF7, uint8_t(address), uint8_t(address >> 8))) << b;
        QByteArray reply = module[size_t(b)];
        unsigned sum = 0;
        for (char c : reply)
            sum += uint8_t(c);
        if (b == 5) { // a bad sum waits for the repeat
            r.engine.receive(reply + char(sum + 1));
            const auto again = r.tickUntilWrite();
            ASSERT_EQ(again.size(), 1u);
            EXPECT_EQ(again[0], w[0]);
        }
        const size_t sent = r.port.writes.size();
        r.engine.receive(reply + char(sum));
        if (b == 5) {
            // The module may still answer the first request: the next one
            // waits until the line has been quiet as long as an answer takes.
            EXPECT_EQ(r.port.writes.size(), sent);
            EXPECT_EQ(r.ticksUntilWrite(), 51);
            continue;
        }
        EXPECT_EQ(r.port.writes.size(), sent + (b < 18)) << b; // the next request at once
    }
    EXPECT_EQ(r.port.writes.front(), QByteArray::fromHex("00F70036D32C"));
    EXPECT_FALSE(r.engine.busy());
    EXPECT_EQ(r.view.rows[1], QStringLiteral("+36301111111"));
    EXPECT_EQ(r.view.rows[289], QStringLiteral("06202222222"));
    EXPECT_EQ(r.view.rows[304], QStringLiteral("12345678901234"));
    EXPECT_EQ(r.view.rows[2], QString());
    EXPECT_EQ(r.view.rows[16 * 17 + 8], QStringLiteral("55517"));
    EXPECT_EQ(r.view.rows.size(), 304u);
    EXPECT_EQ(r.view.status(), message("engine.readout_done", 0));
    EXPECT_TRUE(r.view.callerButtons);
    EXPECT_FALSE(r.view.callerGaugeVisible);
    EXPECT_EQ(r.view.readsDone, 1);
}

TEST(CallerIdEngine, WritesTheCopyBlockByBlockUntilEachIsAcknowledged) {
    Rig r;
    r.engine.callerIdMemory().setRecord(0, QStringLiteral("+3630"));
    r.engine.startCallerIdWrite();
    ASSERT_EQ(r.tickUntilWrite().size(), 1u);
    for (int b = 0; b < 19; ++b) {
        const QByteArray tx = r.port.writes.back();
        ASSERT_EQ(tx.size(), 262);
        const int address = 0x3600 + 16 * b;
        EXPECT_EQ(at(tx, 1), 0xF6);
        EXPECT_EQ(at(tx, 2), address >> 8);
        EXPECT_EQ(at(tx, 3), address & 0xFF);
        const uint8_t* block = r.engine.callerIdMemory().block(b);
        EXPECT_EQ(tx.mid(6), QByteArray(reinterpret_cast<const char*>(block), 256));
        if (b == 2) { // a wrong acknowledgement: the same block again, 51 ticks later
            r.engine.receive(QByteArray(1, char(at(tx, 0) + 1)));
            EXPECT_EQ(r.ticksUntilWrite(), 51);
            EXPECT_EQ(r.port.writes.back(), tx);
        }
        if (b == 4) { // two bytes at once are no acknowledgement either
            r.engine.receive(QByteArray(2, char(at(tx, 0))));
            EXPECT_EQ(r.ticksUntilWrite(), 51);
            EXPECT_EQ(r.port.writes.back(), tx);
        }
        const size_t sent = r.port.writes.size();
        r.engine.receive(QByteArray(1, char(at(tx, 0))));
        if (b == 2 || b == 4) { // after a repeat, the next block waits for a quiet line
            EXPECT_EQ(r.port.writes.size(), sent);
            EXPECT_EQ(r.ticksUntilWrite(), 51);
            continue;
        }
        EXPECT_EQ(r.port.writes.size(), sent + (b < 18)) << b;
    }
    EXPECT_EQ(r.port.writes.front().mid(1, 3), QByteArray::fromHex("F63600"));
    EXPECT_EQ(r.port.writes.front().mid(6, 6), QByteArray("+3630\xFF"));
    EXPECT_FALSE(r.engine.busy());
    EXPECT_TRUE(r.view.callerButtons);
    EXPECT_FALSE(r.view.callerGaugeVisible);
}
