// Sound uploads and the caller-ID memory through the link engine on a real
// serial channel, against the simulated module over a pseudo-terminal. The
// sounds are WAV files made by SoX (uploads_data/make_fixtures.sh).
#include "engine/link_engine.h"
#include "serial/tasyncomm32.h"
#include "support/fake_link.h"
#include "support/pty_sim.h"
#include "support/wait.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>

namespace {

constexpr int kWaitMs = 60000;

QString fixture(const char* name) {
    return QStringLiteral(ALVENTO_UPLOADS_DATA "/") + QString::fromLatin1(name);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class View : public RecordingView, public UploadView {
  public:
    void setUploadGaugeValue(int v) override { uploadValue = v; }
    void showCallerIdBlock(const CallerIdMemory& m, int block) override {
        for (int r = 0; r < CallerIdMemory::kRecordsPerBlock; ++r) {
            const int k = block * CallerIdMemory::kRecordsPerBlock + r;
            rows[k + 1] = m.recordText(k);
        }
    }
    int uploadValue = 0;
    std::map<int, QString> rows;
};

// The configurator's engine without its window: the port's receive event
// feeds it, a 50 ms timer ticks it.
struct Session {
    explicit Session(const QString& portPath) : engine(port, view, image, config(portPath)) {
        engine.setUploadView(&view);
        QObject::connect(&port, &TAsynComm32::rxChar,
                         [this](int) { engine.receive(port.readAll()); });
        adas.setInterval(50);
        QObject::connect(&adas, &QTimer::timeout, [this] { engine.tick(); });
        adas.start();
    }
    ~Session() { port.close(); }
    static LinkEngineConfig config(const QString& path) {
        LinkEngineConfig c;
        c.portName = [path] { return path; };
        return c;
    }
    bool finish(int ms = kWaitMs) {
        return waitUntil([this] { return !engine.busy(); }, ms);
    }
    TAsynComm32 port;
    View view;
    ConfigImage image;
    LinkEngine engine;
    QTimer adas;
};

// What the module must receive for a sound: full blocks, then the rest, 0xFF
// fill and the end mark in bytes 253..255; 0xFF samples as 0xFE.
QByteArray expectedStream(QByteArray samples) {
    samples.replace('\xFF', '\xFE');
    const int full = static_cast<int>(samples.size()) / 256 * 256;
    QByteArray out = samples.left(full);
    QByteArray last = samples.mid(full).leftJustified(256, '\xFF');
    last[253] = last[254] = last[255] = '\xFF';
    return out + last;
}

} // namespace

class UploadsE2E : public ::testing::Test {
  protected:
    QStringList simArgs(QStringList more = {}) const {
        return QStringList{QStringLiteral("--model"),     QStringLiteral("71"),
                           QStringLiteral("--version"),   QStringLiteral("50"),
                           QStringLiteral("--sound-out"), dir.path()} +
               more;
    }
    QTemporaryDir dir;
};

// A SoX tone, "data" at 36: the stream carries the file from offset 45, its
// full-scale samples in the full blocks as 0xFE, and ends with the marked
// short block; the module acknowledges every block.
TEST_F(UploadsE2E, SoxToneArrivesAsTheModuleMustGetIt) {
    const QByteArray wav = readAll(fixture("tone.wav"));
    ASSERT_EQ(wav.indexOf("data"), 36);
    const QByteArray samples = wav.mid(45);
    // The fixture has full-scale samples in the full blocks and in the last.
    ASSERT_GT(samples.left(1792).count('\xFF'), 0);
    ASSERT_GT(samples.mid(1792).count('\xFF'), 0);
    PtySim sim(simArgs());
    ASSERT_TRUE(sim.started());
    Session s(sim.path());
    ASSERT_TRUE(s.engine.startSoundUpload(fixture("tone.wav"), 0x0300));
    // The module plays every sample: a full-scale one no longer ends the sound early.
    ASSERT_TRUE(sim.waitForLine(QStringLiteral("SOUND END 0300 BLOCKS 8 BYTES 1999"), kWaitMs));
    ASSERT_TRUE(s.finish());
    EXPECT_EQ(sim.countLines(QStringLiteral("RX 00 FA 03 00 03 FC")), 1);
    QByteArray played = samples;
    played.replace('\xFF', '\xFE');
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("sound-0300.raw"))), played);
    const QByteArray blocks = readAll(dir.filePath(QStringLiteral("sound-0300.blocks")));
    ASSERT_EQ(blocks.size(), 8 * 256);
    EXPECT_EQ(blocks, expectedStream(samples));
    EXPECT_EQ(blocks.left(256).replace('\xFE', '\xFF'), wav.mid(45, 256).replace('\xFE', '\xFF'));
    EXPECT_FALSE(blocks.left(7 * 256).contains('\xFF'));
    EXPECT_TRUE(s.view.messages.isEmpty()) << s.view.messages.join(u'|').toStdString();
    EXPECT_EQ(s.view.uploadValue, 8); // every block acknowledged
}

// 512 bytes after the skip: both blocks go out full and a block holding only
// the end mark follows, so the module stops where the sound ends.
TEST_F(UploadsE2E, SoundEndingOnABlockBoundaryIsEndMarked) {
    const QByteArray samples = readAll(fixture("boundary.wav")).mid(45);
    ASSERT_EQ(samples.size(), 512);
    PtySim sim(simArgs());
    ASSERT_TRUE(sim.started());
    Session s(sim.path());
    ASSERT_TRUE(s.engine.startSoundUpload(fixture("boundary.wav"), 0x0F00));
    ASSERT_TRUE(sim.waitForLine(QStringLiteral("SOUND END 0F00 BLOCKS 3 BYTES 512"), kWaitMs));
    ASSERT_TRUE(s.finish());
    const QByteArray blocks = readAll(dir.filePath(QStringLiteral("sound-0F00.blocks")));
    ASSERT_EQ(blocks.size(), 3 * 256);
    EXPECT_EQ(blocks.right(256), QByteArray(256, '\xFF'));
    QByteArray played = samples;
    played.replace('\xFF', '\xFE');
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("sound-0F00.raw"))), played);
    EXPECT_TRUE(s.view.messages.isEmpty());
}

// Lost acknowledgements: the stream goes on without repeating a block, the
// module still gets the whole sound, and the installer is told.
TEST_F(UploadsE2E, LostAcknowledgementsEndWithBadTransfer) {
    PtySim sim(simArgs({QStringLiteral("--drop-every"), QStringLiteral("3")}));
    ASSERT_TRUE(sim.started());
    Session s(sim.path());
    ASSERT_TRUE(s.engine.startSoundUpload(fixture("tone.wav"), 0x0400));
    ASSERT_TRUE(sim.waitForLine(QStringLiteral("SOUND END 0400 BLOCKS 8"), kWaitMs));
    ASSERT_TRUE(s.finish());
    const QByteArray samples = readAll(fixture("tone.wav")).mid(45);
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("sound-0400.blocks"))), expectedStream(samples));
    EXPECT_EQ(s.view.messages, QStringList{QStringLiteral("Hibás átvitel")});
}

// A file without the "data" tag (SoX's Sun audio) sends nothing.
TEST_F(UploadsE2E, FileWithoutDataTagSendsNothing) {
    PtySim sim(simArgs());
    ASSERT_TRUE(sim.started());
    Session s(sim.path());
    EXPECT_FALSE(s.engine.startSoundUpload(fixture("tone.au"), 0x0300));
    EXPECT_EQ(s.view.messages, QStringList{QStringLiteral("Rossz formátum")});
    // A version query afterwards is the first thing the module hears.
    s.engine.startVersionQuery(false);
    ASSERT_TRUE(s.finish());
    ASSERT_TRUE(sim.waitForLine(QStringLiteral("RX "), kWaitMs));
    EXPECT_EQ(sim.countLines(QStringLiteral("RX ")), 1);
    EXPECT_EQ(sim.countLines(QStringLiteral("RX 00 00 FE")), 1);
}

// The caller-ID list written from the configurator's copy and read back: the
// module holds the records as written, a fresh engine's read shows them in
// their rows, and a record the module had before is overwritten.
TEST_F(UploadsE2E, CallerIdMemoryWrittenAndReadBackEqual) {
    PtySim sim(simArgs({QStringLiteral("--caller-id"), QStringLiteral("5:+3611111111"),
                        QStringLiteral("--caller-id"), QStringLiteral("300:06209999999"),
                        QStringLiteral("--split-every"), QStringLiteral("4")}));
    ASSERT_TRUE(sim.started());
    std::map<int, QString> rows; // grid row -> number
    {
        Session first(sim.path());
        first.engine.startCallerIdRead();
        ASSERT_TRUE(first.finish());
        EXPECT_EQ(first.view.rows[6], QStringLiteral("+3611111111"));
        EXPECT_EQ(first.view.rows[301], QStringLiteral("06209999999"));
        EXPECT_EQ(first.view.status(), QStringLiteral("Összes adat kiolvasása sikeres!"));

        for (int row = 1; row <= 304; ++row)
            rows[row] = row % 7 == 0 ? QStringLiteral("+3630%1").arg(row, 7, 10, QLatin1Char('0'))
                                     : QString();
        rows[304] = QStringLiteral("123456789012345"); // cut to 14
        rows[1] = QStringLiteral("1");
        for (const auto& [row, number] : rows)
            first.engine.callerIdMemory().setRecord(row - 1, number);
        first.engine.startCallerIdWrite();
        ASSERT_TRUE(first.finish());
    }
    EXPECT_EQ(sim.countLines(QStringLiteral(" F6 36 00 ")), 1);
    EXPECT_EQ(sim.countLines(QStringLiteral(" F6 37 20 ")), 1);
    Session second(sim.path());
    second.engine.startCallerIdRead();
    ASSERT_TRUE(second.finish());
    rows[304] = QStringLiteral("12345678901234");
    for (int row = 1; row <= 304; ++row)
        ASSERT_EQ(second.view.rows[row], rows[row]) << "row " << row;
}

// Leaving "Hangok" mid-upload: nothing more of the sound goes out, and once
// the module has given the stream up the next operation is answered.
TEST_F(UploadsE2E, AbandonedUploadLeavesTheModuleAnswering) {
    PtySim sim(simArgs({QStringLiteral("--pace-baud"), QStringLiteral("9600")}));
    ASSERT_TRUE(sim.started());
    Session s(sim.path());
    ASSERT_TRUE(s.engine.startSoundUpload(fixture("tone.wav"), 0x0300));
    ASSERT_TRUE(sim.waitForLine(QStringLiteral("SOUND START 0300"), kWaitMs));
    ASSERT_TRUE(waitUntil([&] { return s.view.uploadValue >= 1; }, kWaitMs));
    s.engine.abandonSoundUpload();
    EXPECT_FALSE(s.engine.busy());
    s.engine.startVersionQuery(false);
    ASSERT_TRUE(s.finish());
    EXPECT_GE(sim.countLines(QStringLiteral("RX 00 00 FE")), 1);
    EXPECT_EQ(sim.countLines(QStringLiteral("SOUND END")), 0);
    EXPECT_LT(sim.countLines(QStringLiteral("RX ")), 1 + 8);
}
