#include "engine/link_engine.h"
#include "engine/modem_replies.h"
#include "i18n/messages.h"
#include "image/image_extent.h"
#include "serial/memory_frame.h"
#include "settings/app_context.h"
#include "settings/edition.h"
#include "settings/settings_store.h"
#include "support/fake_link.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <vector>

namespace {

QByteArray bytesOf(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

uint8_t at(const QByteArray& b, int i) {
    return static_cast<uint8_t>(b[i]);
}

uint8_t sumOf(const QByteArray& b, int from, int n) {
    unsigned s = 0;
    for (int i = 0; i < n; ++i)
        s += at(b, from + i);
    return static_cast<uint8_t>(s);
}

QByteArray frame(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    return MemoryFrame::fromHeader(b0, b1, b2, b3).toByteArray();
}

// Plays the module's side of the protocol over an 8192-byte memory.
struct FakeModule {
    std::array<uint8_t, 8192> mem{}; // byte 254 is the software version

    QByteArray answer(const QByteArray& b) {
        if (b.size() == 6) {
            const uint8_t cmd = at(b, 1);
            const int addr = at(b, 0) << 8 | at(b, 2);
            switch (cmd) {
            case 0x00:
            case 0x02:
                return frame(0xAB, cmd, at(b, 2), mem[addr]);
            case 0x01:
                mem[addr] = at(b, 3);
                return frame(0xAB, cmd, at(b, 2), at(b, 3));
            case 0x40: {
                const int n = at(b, 2);
                QByteArray r = frame(0xAB, 0x40, static_cast<uint8_t>(n), 0);
                r.append(reinterpret_cast<const char*>(mem.data() + 32 * n), 32);
                r.append(static_cast<char>(sumOf(r, 6, 32)));
                return r;
            }
            case 0xF7: {
                const int unit = at(b, 2) | at(b, 3) << 8;
                if (16 * unit + 256 > 8192)
                    return {}; // no such memory: a real module would not answer either
                QByteArray r(reinterpret_cast<const char*>(mem.data() + 16 * unit), 256);
                r.append(static_cast<char>(sumOf(r, 0, 256)));
                return r;
            }
            default:
                return {}; // restart, life signal: no answer
            }
        }
        if (b.size() == 39 && at(b, 1) == 0x80) {
            const int n = at(b, 2);
            std::memcpy(mem.data() + 32 * n, b.constData() + 6, 32);
            return frame(0xAB, static_cast<uint8_t>(n), static_cast<uint8_t>(n), 0);
        }
        if (b.size() == 262 && at(b, 1) == 0xF6) {
            const int unit = at(b, 2) << 8 | at(b, 3);
            if (16 * unit + 256 > 8192)
                return {};
            std::memcpy(mem.data() + 16 * unit, b.constData() + 6, 256);
            return bytesOf({0x55});
        }
        if (b.size() == 18 && at(b, 1) == 0xFC)
            return frame(0xAB, 0xAA, 0, 0);
        return {};
    }
};

struct RigOptions {
    int model = 70;
    int version = 20;
    bool starred = false;
    int language = 1;
};

const QDateTime kNow(QDate(2024, 3, 7), QTime(9, 5, 4));

// Engine, port, window and module wired together. The module answers every
// request unless `reply` says otherwise (nullopt: answer normally, empty
// array: lose the answer).
struct Rig {
    explicit Rig(RigOptions o = {})
        : engine(channel, view, image, configFor(o, &now, &idleClosed, &ms)) {
        engine.state().ModuleVersion = o.version;
        module.mem[254] = static_cast<uint8_t>(o.version);
    }

    // ms: the steady clock; left alone, every answer comes at once.
    static LinkEngineConfig configFor(const RigOptions& o, QDateTime* clock, bool* idle,
                                      const int64_t* ms = nullptr) {
        LinkEngineConfig c;
        c.modelCode = o.model;
        c.companyStarred = o.starred;
        c.language = o.language;
        c.portName = [] { return QStringLiteral("ttyTEST"); };
        c.clock = [clock] { return *clock; };
        c.startWindowIdleClosed = [idle] { return *idle; };
        if (ms)
            c.elapsedMs = [ms] { return *ms; };
        return c;
    }

    void pump() {
        while (answered < channel.writes.size()) {
            const QByteArray request = channel.writes[answered++];
            std::optional<QByteArray> r = reply ? reply(request) : std::nullopt;
            const QByteArray bytes = r ? *r : module.answer(request);
            if (!bytes.isEmpty())
                engine.receive(bytes);
        }
    }
    void step() {
        engine.tick();
        pump();
    }
    // Ticks until the engine is idle; the number of ticks taken, or -1.
    int runUntilIdle(int maxTicks = 20000) {
        for (int i = 1; i <= maxTicks; ++i) {
            step();
            if (!engine.busy())
                return i;
        }
        return -1;
    }
    // Ticks until something more is written; the number of ticks taken, or -1.
    int ticksUntilNextWrite(int maxTicks = 200) {
        const size_t before = channel.writes.size();
        for (int i = 1; i <= maxTicks; ++i) {
            step();
            if (channel.writes.size() > before)
                return i;
        }
        return -1;
    }
    std::vector<QByteArray> writesOf(int length, uint8_t command) const {
        std::vector<QByteArray> out;
        for (const QByteArray& w : channel.writes)
            if (w.size() == length && at(w, 1) == command)
                out.push_back(w);
        return out;
    }
    void fillImage(uint8_t seed) {
        for (int i = 0; i < ConfigImage::kSize; ++i)
            image[i] = static_cast<uint8_t>(i * 7 + seed);
    }
    void fillModule(uint8_t seed) {
        const uint8_t version = module.mem[254];
        for (int i = 0; i < 8192; ++i)
            module.mem[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 13 + seed + i / 256);
        module.mem[254] = version;
    }

    QDateTime now = kNow;
    bool idleClosed = true;
    int64_t ms = 0;
    RecordingChannel channel;
    RecordingView view;
    ConfigImage image;
    FakeModule module;
    LinkEngine engine;
    std::function<std::optional<QByteArray>(const QByteArray&)> reply;
    size_t answered = 0;
};

std::optional<QByteArray> loseAll(const QByteArray&) {
    return QByteArray();
}

// ------------------------------------------------------------------ port and tick

TEST(EnginePort, FirstTickOfAPendingCommandOpensThePortAndSends) {
    Rig rig;
    rig.engine.startVersionQuery(false);
    EXPECT_TRUE(rig.channel.writes.empty());
    EXPECT_FALSE(rig.channel.opened);

    rig.engine.tick();
    EXPECT_TRUE(rig.channel.opened);
    EXPECT_EQ(rig.channel.name, "ttyTEST");
    EXPECT_EQ(rig.channel.baud, 9600);
    EXPECT_EQ(rig.view.portName, "ttyTEST");
    EXPECT_EQ(rig.view.tickInterval, 50);
    EXPECT_EQ(rig.view.time, "09:05:04");
    ASSERT_EQ(rig.channel.writes.size(), 1u);
    EXPECT_EQ(rig.channel.writes[0], bytesOf({0x00, 0x00, 0xFE, 0x00, 0x02, 0xFD}));
    EXPECT_EQ(rig.view.status(), "GSM check");
}

TEST(EnginePort, NothingHappensWhileTheStartWindowHoldsThePort) {
    Rig rig;
    rig.idleClosed = false;
    rig.engine.startRestart();
    for (int i = 0; i < 10; ++i)
        rig.engine.tick();
    EXPECT_EQ(rig.channel.opens, 0);
    EXPECT_TRUE(rig.channel.writes.empty());
    EXPECT_EQ(rig.view.time, "09:05:04"); // the clock label still runs
    rig.now = rig.now.addSecs(1);
    rig.engine.tick();
    EXPECT_EQ(rig.view.time, "09:05:05");

    rig.idleClosed = true;
    rig.engine.tick();
    EXPECT_EQ(rig.channel.opens, 1);
    EXPECT_EQ(rig.channel.writes.size(), 1u);
}

TEST(EnginePort, PortNameComesFromTheEditionsSettingsUnlessOverridden) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray oldHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());

    struct Case {
        QString stored, override, device, panel;
    };
    const Case cases[] = {
        {"", "", "COM1", "COM1"},
        {"COM3", "", "COM3", "COM3"},
        {"\\\\.\\COM17", "", "\\\\.\\COM17", "COM17"},
        {"COM3", "/dev/ttyUSB0", "/dev/ttyUSB0", "/dev/ttyUSB0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.toStdString() + " / " + c.override.toStdString());
        SettingsStore::WriteString(settingsKeyPath(41), "comport", c.stored);
        RecordingChannel channel;
        RecordingView view;
        ConfigImage image;
        AppContext ctx;
        ctx.brandCode = 41;
        ctx.keyPath = settingsKeyPath(41);
        ctx.portOverride = c.override;
        LinkEngineConfig config;
        config.portName = [&ctx] { return ctx.comport(); };
        LinkEngine engine(channel, view, image, config);
        engine.startLifeSignal();
        engine.tick();
        EXPECT_EQ(channel.name, c.device);
        EXPECT_EQ(view.portName, c.panel);
    }
    if (oldHome.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldHome);
}

// Restart and life signal are not answered: the command ends with the send,
// and the port is let go after the idle pace has run out.
TEST(EnginePort, UnansweredCommandsEndAtOnceAndThePortClosesSixTicksLater) {
    struct Case {
        const char* name;
        void (LinkEngine::*start)();
        QByteArray frame;
    };
    const Case cases[] = {
        {"restart", &LinkEngine::startRestart, bytesOf({0x00, 0xFF, 0xAA, 0x00, 0x57, 0xA8})},
        {"life signal", &LinkEngine::startLifeSignal,
         bytesOf({0x02, 0x04, 0x10, 0x01, 0xE9, 0x16})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        (rig.engine.*c.start)();
        rig.step();
        ASSERT_EQ(rig.channel.writes.size(), 1u);
        EXPECT_EQ(rig.channel.writes[0], c.frame);
        EXPECT_EQ(rig.engine.state().LinkCommand, 0);
        for (int i = 1; i <= 5; ++i) {
            rig.step();
            EXPECT_TRUE(rig.channel.opened) << "tick " << i;
        }
        rig.step();
        EXPECT_FALSE(rig.channel.opened);
        EXPECT_EQ(rig.channel.closes, 1);
        EXPECT_FALSE(rig.engine.state().LinkPortOpen);
        EXPECT_EQ(rig.channel.writes.size(), 1u);
    }
}

// The window stops its tick timers while the engine needs no ticks, and
// starts them when the engine asks: every operation asks as it starts, the
// engine needs ticks until the port is closed again after it, and from then
// on a tick changes nothing.
TEST(EnginePort, OperationsAskForTicksAndNeedNoneOnceThePortIsClosed) {
    struct Case {
        const char* name;
        std::function<void(LinkEngine&)> start;
        bool endsByItself; // otherwise the window's closing stops it
    };
    const Case cases[] = {
        {"activation version query", [](LinkEngine& e) { e.startVersionQuery(false); }, true},
        {"menu version query", [](LinkEngine& e) { e.startVersionQuery(true); }, true},
        {"read-all", [](LinkEngine& e) { e.startReadAll(); }, true},
        {"write-all", [](LinkEngine& e) { e.startWriteAll(); }, true},
        {"clock", [](LinkEngine& e) { e.startClockSync(); }, true},
        {"restart", [](LinkEngine& e) { e.startRestart(); }, true},
        {"life signal", [](LinkEngine& e) { e.startLifeSignal(); }, true},
        {"PSTN send", [](LinkEngine& e) { e.startPstnSend(); }, true},
        {"caller-ID read", [](LinkEngine& e) { e.startCallerIdRead(); }, false},
        {"status poll", [](LinkEngine& e) { e.startStatusPoll(); }, false},
        {"monitor", [](LinkEngine& e) { e.startMonitor(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        EXPECT_FALSE(rig.engine.needsTicks());
        c.start(rig.engine);
        EXPECT_EQ(rig.view.tickRequests, 1);
        EXPECT_TRUE(rig.engine.needsTicks());
        if (c.endsByItself) {
            ASSERT_GT(rig.runUntilIdle(), 0);
        } else {
            for (int i = 0; i < 30; ++i)
                rig.step();
            EXPECT_TRUE(rig.engine.needsTicks());
            rig.engine.stopCommand();
        }
        int ticks = 0;
        while (rig.engine.needsTicks() && ticks < 100) {
            rig.step();
            ++ticks;
        }
        EXPECT_FALSE(rig.engine.needsTicks());
        EXPECT_FALSE(rig.channel.opened);
        // The port is held the pace of the last request (a block's at most).
        EXPECT_LE(ticks, 52);
        // Idle ticks: nothing is written, opened, shown or changed.
        const auto writes = rig.channel.writes.size();
        const int opens = rig.channel.opens;
        const auto statuses = rig.view.statuses.size();
        const auto messages = rig.view.messages.size();
        for (int i = 0; i < 50; ++i)
            rig.step();
        EXPECT_EQ(rig.channel.writes.size(), writes);
        EXPECT_EQ(rig.channel.opens, opens);
        EXPECT_EQ(rig.view.statuses.size(), statuses);
        EXPECT_EQ(rig.view.messages.size(), messages);
        EXPECT_FALSE(rig.engine.needsTicks());
        EXPECT_EQ(rig.view.tickRequests, c.endsByItself ? 1 : 2);
    }
}

TEST(EnginePort, AnOperationStartedWhileAnotherIsPendingSendsAtOnce) {
    Rig rig;
    rig.engine.startVersionQuery(false);
    rig.reply = loseAll;
    rig.step();
    ASSERT_EQ(rig.channel.writes.size(), 1u);

    rig.engine.startReadAll();
    ASSERT_EQ(rig.channel.writes.size(), 2u);
    EXPECT_EQ(rig.channel.writes[1], MemoryFrame::build(0, 0x00).toByteArray());
}

// Two operations before the first tick: the port is not open yet, so the
// second waits for the tick too instead of writing into a closed port.
TEST(EnginePort, AnOperationStartedBeforeThePortIsOpenWaitsForTheTick) {
    Rig rig;
    rig.engine.startRestart();
    rig.engine.startClockSync();
    EXPECT_TRUE(rig.channel.writes.empty());
    EXPECT_EQ(rig.channel.writesWhileClosed, 0);
    rig.step();
    ASSERT_EQ(rig.channel.writes.size(), 1u);
    EXPECT_EQ(rig.channel.writes[0].size(), 18); // the later operation replaced the restart
}

// ------------------------------------------------------------------ frames

TEST(EngineFrames, ReplyArrivingInPiecesIsAssembled) {
    Rig rig;
    rig.engine.startVersionQuery(false);
    rig.reply = loseAll;
    rig.step();
    const QByteArray reply = frame(0xAB, 0x00, 0xFE, 43);
    rig.engine.receive(reply.left(4));
    EXPECT_EQ(rig.engine.state().ModuleVersion, 20);
    rig.engine.receive(reply.mid(4));
    EXPECT_EQ(rig.engine.state().ModuleVersion, 43);
    EXPECT_EQ(rig.engine.state().LinkCommand, 0);
}

TEST(EngineFrames, MalformedFramesAreDroppedAndTheRequestStands) {
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    QByteArray badCheck = frame(0xAB, 0x00, 0xFE, 43);
    badCheck[5] = static_cast<char>(at(badCheck, 5) + 1);
    QByteArray badComplement = frame(0xAB, 0x00, 0xFE, 43);
    badComplement[4] = static_cast<char>(at(badComplement, 4) + 1);
    const Case cases[] = {
        {"check", badCheck},
        {"complement", badComplement},
        {"seven bytes", frame(0xAB, 0x00, 0xFE, 43) + bytesOf({0})},
        {"wrong marker", frame(0xAC, 0x00, 0xFE, 43)},
        {"wrong address echo", frame(0xAB, 0x00, 0xFD, 43)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.engine.startVersionQuery(false);
        rig.reply = loseAll;
        rig.step();
        rig.engine.receive(c.bytes);
        EXPECT_EQ(rig.engine.state().ModuleVersion, 20);
        EXPECT_EQ(rig.engine.state().LinkCommand, LinkCode::kVersionQuery);
        // A good reply right after is taken.
        rig.engine.receive(frame(0xAB, 0x00, 0xFE, 43));
        EXPECT_EQ(rig.engine.state().ModuleVersion, 43);
    }
}

// A stray byte ahead of a reply, the reply whole or a byte at a time as a
// serial port may hand it over: the reply is still taken, and so are the
// ones after it.
TEST(EngineFrames, AStrayByteDoesNotPutLaterRepliesOutOfLine) {
    for (const bool byteByByte : {false, true}) {
        SCOPED_TRACE(byteByByte);
        Rig rig({.version = 32});
        rig.fillModule(3);
        rig.reply = loseAll;
        rig.engine.startReadAll();
        rig.step();
        bool stray = true;
        for (int guard = 0; rig.engine.busy() && guard < 2000; ++guard) {
            QByteArray reply = rig.module.answer(rig.channel.writes.back());
            if (std::exchange(stray, false))
                reply.prepend('\x5A');
            const size_t sent = rig.channel.writes.size();
            if (byteByByte)
                for (int i = 0; i < reply.size(); ++i)
                    rig.engine.receive(reply.mid(i, 1));
            else
                rig.engine.receive(reply);
            ASSERT_TRUE(rig.channel.writes.size() > sent || !rig.engine.busy())
                << "a reply was not taken";
        }
        EXPECT_FALSE(rig.engine.busy());
        EXPECT_TRUE(std::equal(rig.image.data(), rig.image.data() + 1024, rig.module.mem.data()));
    }
}

// The buffer is fixed; a flood must neither run past it nor block the engine.
TEST(EngineFrames, FloodOfBytesIsCutAtTheBufferEndAndTheTransferRecovers) {
    Rig rig({.version = 40});
    rig.fillModule(3);
    rig.engine.startReadAll();
    rig.reply = loseAll;
    rig.ticksUntilNextWrite();
    const int32_t imagePos = rig.engine.state().ImagePos;

    rig.engine.receive(QByteArray(4000, '\x11'));
    rig.engine.receive(QByteArray(1103, '\x22'));
    EXPECT_EQ(rig.engine.state().RxCount, LinkEngineState::kRxSize);
    EXPECT_EQ(rig.engine.rxBytesDropped(), 100);
    EXPECT_EQ(rig.engine.state().ImagePos, imagePos);
    EXPECT_EQ(rig.engine.state().LinkCommand, LinkCode::kBlockRead);

    rig.reply = nullptr;
    EXPECT_GT(rig.runUntilIdle(), 0);
    EXPECT_TRUE(std::equal(rig.image.data(), rig.image.data() + 1536, rig.module.mem.data()));
}

// ------------------------------------------------------------------ version query

TEST(EngineVersion, ReplyDataSetsTheVersionOnlyAboveTen) {
    struct Case {
        int data;
        int32_t version;
        const char* panel;
    };
    const Case cases[] = {
        {0, 27, "Sw: 2.7"},  {5, 27, "Sw: 2.7"},  {10, 27, "Sw: 2.7"},
        {11, 11, "Sw: 1.1"}, {43, 43, "Sw: 4.3"}, {255, 255, "Sw: 25.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        Rig rig({.version = 27});
        rig.module.mem[254] = static_cast<uint8_t>(c.data);
        rig.engine.startVersionQuery(false);
        rig.step();
        EXPECT_EQ(rig.engine.state().ModuleVersion, c.version);
        EXPECT_EQ(rig.view.version, c.panel);
        EXPECT_EQ(rig.view.status(), "");
        EXPECT_EQ(rig.view.versionRuleRuns, 1);
        EXPECT_EQ(rig.engine.state().LinkCommand, 0);
        EXPECT_TRUE(rig.view.messages.empty());
    }
}

TEST(EngineVersion, MenuQueryShowsTheVersionOnceOnTheNextTick) {
    Rig rig({.version = 43});
    rig.engine.startVersionQuery(true);
    rig.step(); // sends, and the reply arrives
    EXPECT_EQ(rig.engine.state().VersionPopup, 1);
    EXPECT_TRUE(rig.view.messages.empty());
    rig.step();
    ASSERT_EQ(rig.view.messages.size(), 1u);
    EXPECT_EQ(rig.view.messages[0], "Software version of the module: 4.3");
    for (int i = 0; i < 10; ++i)
        rig.step();
    EXPECT_EQ(rig.view.messages.size(), 1u);
}

TEST(EngineVersion, ActivationDoesNotInterruptARunningCommand) {
    Rig rig;
    rig.engine.startReadAll();
    rig.engine.startVersionQuery(false);
    EXPECT_EQ(rig.engine.state().LinkCommand, LinkCode::kByteRead);
}

// ------------------------------------------------------------------ repeats

// Every request that gets no answer goes out again, byte for byte, after the
// pace of its command has run out.
TEST(EngineRepeat, LostRepliesAreRepeatedAfterPacePlusOneTicks) {
    struct Case {
        const char* name;
        RigOptions options;
        std::function<void(LinkEngine&)> start;
        int interval;
    };
    const Case cases[] = {
        {"byte read", {.version = 20}, [](LinkEngine& e) { e.startReadAll(); }, 6},
        {"byte write", {.version = 20}, [](LinkEngine& e) { e.startWriteAll(); }, 6},
        {"record read", {.model = 100}, [](LinkEngine& e) { e.startReadAll(); }, 11},
        {"block read", {.version = 40}, [](LinkEngine& e) { e.startReadAll(); }, 51},
        {"block write", {.version = 40}, [](LinkEngine& e) { e.startWriteAll(); }, 51},
        {"clock", {}, [](LinkEngine& e) { e.startClockSync(); }, 21},
        {"version", {}, [](LinkEngine& e) { e.startVersionQuery(false); }, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.options);
        rig.reply = loseAll;
        c.start(rig.engine);
        ASSERT_GT(rig.ticksUntilNextWrite(), 0);
        const QByteArray first = rig.channel.writes.back();
        for (int repeat = 0; repeat < 2; ++repeat) {
            EXPECT_EQ(rig.ticksUntilNextWrite(), c.interval);
            EXPECT_EQ(rig.channel.writes.back(), first);
        }
    }
}

TEST(EngineRepeat, ByteWriteWithAWrongDataEchoIsNotTakenAndIsRepeated) {
    Rig rig;
    rig.fillImage(1);
    rig.engine.startWriteAll();
    rig.reply = [](const QByteArray& req) -> std::optional<QByteArray> {
        return frame(0xAB, 0x01, at(req, 2), static_cast<uint8_t>(at(req, 3) ^ 0xFF));
    };
    rig.step();
    const QByteArray first = rig.channel.writes.back();
    EXPECT_EQ(rig.engine.state().ImagePos, 0);
    EXPECT_EQ(rig.ticksUntilNextWrite(), 6);
    EXPECT_EQ(rig.channel.writes.back(), first);
    EXPECT_EQ(rig.engine.state().ImagePos, 0);
}

// ------------------------------------------------------------------ read-all

TEST(EngineReadAll, ByteReadFillsTheFirstKilobyteThenDecodesOnce) {
    Rig rig({.version = 32, .language = 0});
    rig.fillModule(5);
    rig.fillImage(9);
    const ConfigImage before = rig.image;
    rig.engine.state().StatusReadMode = true;
    rig.engine.startReadAll();
    EXPECT_FALSE(rig.view.buttonsEnabled);
    EXPECT_TRUE(rig.view.gaugeVisible);
    EXPECT_EQ(rig.view.gaugeMax, 1024);
    EXPECT_EQ(rig.view.status(), "Összes adat kiolvasása folyamatban...");

    ASSERT_GT(rig.runUntilIdle(), 0);
    const auto reads = rig.writesOf(6, 0x00);
    ASSERT_EQ(reads.size(), 1024u);
    EXPECT_EQ(reads[0x1FF], MemoryFrame::build(0x01FF, 0x00).toByteArray());
    EXPECT_TRUE(std::equal(rig.image.data(), rig.image.data() + 1024, rig.module.mem.data()));
    EXPECT_TRUE(std::equal(rig.image.data() + 1024, rig.image.data() + 8192, before.data() + 1024));
    EXPECT_EQ(rig.view.decodes, 1);
    EXPECT_EQ(rig.view.output2Resets, 1);
    EXPECT_EQ(rig.view.gaugeValue, 1024);
    EXPECT_FALSE(rig.view.gaugeVisible);
    EXPECT_TRUE(rig.view.buttonsEnabled);
    EXPECT_EQ(rig.view.status(), "Összes adat kiolvasása sikeres!");
}

TEST(EngineReadAll, InterruptedReadDoesNotDecode) {
    Rig rig;
    rig.fillModule(5);
    rig.engine.startReadAll();
    int answers = 0;
    rig.reply = [&answers](const QByteArray&) -> std::optional<QByteArray> {
        if (++answers > 300)
            return QByteArray();
        return std::nullopt;
    };
    for (int i = 0; i < 100; ++i)
        rig.step();
    EXPECT_EQ(rig.engine.state().ImagePos, 300);
    EXPECT_EQ(rig.view.decodes, 0);
    EXPECT_FALSE(rig.view.buttonsEnabled);
}

TEST(EngineReadAll, BlockReadAddressesTheSixBlocksLowByteFirst) {
    Rig rig({.version = 33});
    rig.fillModule(2);
    rig.fillImage(4);
    const ConfigImage before = rig.image;
    rig.engine.startReadAll();
    EXPECT_EQ(rig.view.gaugeMax, 6);
    ASSERT_GT(rig.runUntilIdle(), 0);

    const auto requests = rig.writesOf(6, 0xF7);
    ASSERT_EQ(requests.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(at(requests[i], 0), 0);
        EXPECT_EQ(at(requests[i], 2), 16 * i);
        EXPECT_EQ(at(requests[i], 3), 0);
        EXPECT_EQ(validateFrame(requests[i]), FrameCheck::Valid);
    }
    EXPECT_EQ(at(requests[5], 2), 0x50);
    EXPECT_TRUE(std::equal(rig.image.data(), rig.image.data() + 1536, rig.module.mem.data()));
    EXPECT_TRUE(std::equal(rig.image.data() + 1536, rig.image.data() + 8192, before.data() + 1536));
    EXPECT_EQ(rig.view.decodes, 1);
    EXPECT_EQ(rig.view.output2Resets, 1);
    EXPECT_EQ(rig.view.status(), "Successful readout!");
}

// A line that carries answers one whole reply at a time. Each new request is
// handed to `onRequest` (its place in the order, from 0), which puts on the
// line what the module sends for it; the engine ticks while the line is
// empty, until `stop` says so.
struct ScriptedLine {
    std::deque<QByteArray> line;
    size_t seen = 0;

    void run(Rig& rig, const std::function<void(size_t n, const QByteArray& request)>& onRequest,
             const std::function<bool()>& stop) {
        for (int guard = 0; guard < 5000 && !stop(); ++guard) {
            for (; seen < rig.channel.writes.size(); ++seen)
                onRequest(seen, rig.channel.writes[seen]);
            if (line.empty()) {
                rig.engine.tick();
                continue;
            }
            const QByteArray next = line.front();
            line.pop_front();
            rig.engine.receive(next);
        }
    }
};

// A block reply carries no address: a second answer to a block request looks
// exactly like the next block. Each case says what the line carries for the
// n-th block request (its true answer given); the blocks must all land where
// they belong, and the list says which blocks were asked for.
TEST(EngineReadAll, BlockRepliesTwiceOrLateLandWhereTheyBelong) {
    using Line = std::deque<QByteArray>;
    struct Case {
        const char* name;
        std::function<void(int n, const QByteArray& answer, Line& line)> script;
        std::vector<int> asked; // block numbers, in order
        bool block3EqualsBlock2 = false;
    };
    QByteArray held;
    const Case cases[] = {
        {"every answer once",
         [](int, const QByteArray& a, Line& l) { l.push_back(a); },
         {0, 1, 2, 3, 4, 5}},
        {"block 1 answered twice at once",
         [](int n, const QByteArray& a, Line& l) {
             l.push_back(a);
             if (n == 1)
                 l.push_back(a);
         },
         {0, 1, 2, 2, 3, 4, 5}},
        {"blocks 1 and 3 answered twice at once",
         [](int n, const QByteArray& a, Line& l) {
             l.push_back(a);
             if (n == 1 || n == 4)
                 l.push_back(a);
         },
         {0, 1, 2, 2, 3, 4, 4, 5}},
        {"block 1 twice, and the answer to block 2 lost",
         [](int n, const QByteArray& a, Line& l) {
             if (n != 2)
                 l.push_back(a);
             if (n == 1)
                 l.push_back(a);
         },
         {0, 1, 2, 2, 3, 4, 5}},
        {"block 1 twice, the copy after the answer to block 2",
         [&held](int n, const QByteArray& a, Line& l) {
             l.push_back(a);
             if (n == 1)
                 held = a;
             if (n == 2)
                 l.push_back(held);
         },
         {0, 1, 2, 3, 3, 4, 5}},
        {"block 1 answered late, after its repeat",
         [&held](int n, const QByteArray& a, Line& l) {
             if (n == 1) {
                 held = a;
                 return;
             }
             if (n == 2)
                 l.push_back(held);
             l.push_back(a);
         },
         {0, 1, 1, 2, 3, 4, 5}},
        {"blocks 2 and 3 equal",
         [](int, const QByteArray& a, Line& l) { l.push_back(a); },
         {0, 1, 2, 3, 3, 4, 5},
         true},
        {"blocks 2 and 3 equal, block 2 answered twice",
         [](int n, const QByteArray& a, Line& l) {
             l.push_back(a);
             if (n == 2)
                 l.push_back(a);
         },
         {0, 1, 2, 3, 3, 4, 5},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig({.version = 33});
        rig.fillModule(2);
        if (c.block3EqualsBlock2)
            std::copy_n(rig.module.mem.begin() + 512, 256, rig.module.mem.begin() + 768);
        rig.reply = loseAll;
        rig.engine.startReadAll();
        ScriptedLine line;
        std::vector<int> asked;
        line.run(
            rig,
            [&](size_t n, const QByteArray& request) {
                asked.push_back(at(request, 2) / 16);
                c.script(static_cast<int>(n), rig.module.answer(request), line.line);
            },
            [&] { return !rig.engine.busy(); });
        EXPECT_FALSE(rig.engine.busy());
        EXPECT_EQ(asked, c.asked);
        EXPECT_TRUE(std::equal(rig.image.data(), rig.image.data() + 1536, rig.module.mem.data()));
        EXPECT_EQ(rig.view.decodes, 1);
    }
}

// A read-all started again: an answer meant for the read before, still on
// its way, must not pass for the new read's first block. Either the replaced
// read was waiting for block 2, or the read before had ended and its last
// block comes a second time.
TEST(EngineReadAll, AnswersToTheReadBeforeDoNotPassForTheFirstBlock) {
    for (const bool replaced : {true, false}) {
        SCOPED_TRACE(replaced ? "replaced while block 2 is asked for"
                              : "a copy of the last block of a read that ended");
        Rig rig({.version = 33});
        rig.fillModule(2);
        rig.reply = loseAll;
        ScriptedLine line;
        QByteArray lastAnswer;
        const auto answer = [&](size_t, const QByteArray& request) {
            line.line.push_back(lastAnswer = rig.module.answer(request));
        };
        const auto run = [&](const std::function<bool()>& stop) { line.run(rig, answer, stop); };
        rig.engine.startReadAll();
        if (replaced)
            run([&] { return rig.channel.writes.size() == 3; });
        else
            run([&] { return !rig.engine.busy(); });
        // The answer still on the line: to block 2, or the last block again.
        const QByteArray stale =
            replaced ? rig.module.answer(rig.channel.writes[line.seen++]) : lastAnswer;
        rig.engine.startReadAll();
        rig.engine.receive(stale);
        run([&] { return !rig.engine.busy(); });
        EXPECT_FALSE(rig.engine.busy());
        EXPECT_TRUE(std::equal(rig.image.data(), rig.image.data() + 1536, rig.module.mem.data()));
    }
}

TEST(EngineReadAll, RecordModelReadsAllRecordsWhateverTheVersion) {
    for (int version : {20, 40}) {
        SCOPED_TRACE(version);
        Rig rig({.model = 100, .version = version});
        rig.fillModule(8);
        rig.engine.startReadAll();
        EXPECT_EQ(rig.view.gaugeMax, 256);
        ASSERT_GT(rig.runUntilIdle(), 0);
        const auto requests = rig.writesOf(6, 0x40);
        ASSERT_EQ(requests.size(), 256u);
        for (int n = 0; n < 256; ++n)
            EXPECT_EQ(requests[n], frame(0, 0x40, static_cast<uint8_t>(n), 0));
        EXPECT_EQ(rig.channel.writes.size(), 256u);
        EXPECT_TRUE(std::equal(rig.image.data(), rig.image.data() + 8192, rig.module.mem.data()));
        EXPECT_EQ(rig.view.decodes, 1);
        EXPECT_EQ(rig.view.status(), "Successful readout!");
        EXPECT_TRUE(rig.view.buttonsEnabled);
    }
}

// Block and record replies count only when complete, summed and, for a
// record, for the record asked.
TEST(EngineReadAll, DefectiveBlockAndRecordRepliesAreNotTaken) {
    struct Case {
        const char* name;
        RigOptions options;
        std::function<QByteArray(QByteArray)> spoil;
    };
    const Case cases[] = {
        {"record sum",
         {.model = 100},
         [](QByteArray r) { return r.left(38) + bytesOf({at(r, 38) ^ 1}); }},
        {"record number",
         {.model = 100},
         [](QByteArray r) {
             r[2] = 7;
             return r;
         }},
        {"record one byte long", {.model = 100}, [](QByteArray r) { return r + bytesOf({0}); }},
        {"record one byte short", {.model = 100}, [](QByteArray r) { return r.left(38); }},
        {"block sum",
         {.version = 40},
         [](QByteArray r) { return r.left(256) + bytesOf({at(r, 256) ^ 1}); }},
        {"block one byte long", {.version = 40}, [](QByteArray r) { return r + bytesOf({0}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.options);
        rig.fillModule(1);
        rig.fillImage(2);
        const ConfigImage before = rig.image;
        rig.reply = [&](const QByteArray& req) -> std::optional<QByteArray> {
            return c.spoil(rig.module.answer(req));
        };
        rig.engine.startReadAll();
        ASSERT_GT(rig.ticksUntilNextWrite(), 0);
        EXPECT_EQ(rig.engine.state().ImagePos, 0);
        EXPECT_EQ(rig.view.gaugeValue, 0);
        EXPECT_EQ(rig.image.bytes, before.bytes);
        // The same request goes out again.
        const QByteArray first = rig.channel.writes.back();
        EXPECT_GT(rig.ticksUntilNextWrite(), 1);
        EXPECT_EQ(rig.channel.writes.back(), first);
    }
}

// ------------------------------------------------------------------ write-all

TEST(EngineWriteAll, ByteWriteSkipsModuleOwnedBytesAndTheTagUnlessStarred) {
    struct Case {
        bool starred;
        size_t writes;
    };
    for (const Case c : {Case{false, 1005}, Case{true, 1021}}) {
        SCOPED_TRACE(c.starred);
        Rig rig({.version = 32, .starred = c.starred});
        rig.fillImage(3);
        rig.module.mem.fill(0xEE);
        rig.engine.startWriteAll();
        EXPECT_EQ(rig.view.encodes, 1);
        EXPECT_EQ(rig.view.pageShowRuns, 1);
        EXPECT_FALSE(rig.view.buttonsEnabled);
        EXPECT_EQ(rig.view.status(), "Data sending in progress...");
        ASSERT_GT(rig.runUntilIdle(), 0);

        const auto writes = rig.writesOf(6, 0x01);
        EXPECT_EQ(writes.size(), c.writes);
        std::set<int> addresses;
        for (const QByteArray& w : writes)
            addresses.insert(at(w, 0) << 8 | at(w, 2));
        EXPECT_EQ(addresses.size(), c.writes); // each position once
        for (int a : {75, 254, 255})
            EXPECT_EQ(addresses.count(a), 0u) << a;
        for (int a = 384; a <= 399; ++a)
            EXPECT_EQ(addresses.count(a), c.starred ? 1u : 0u) << a;
        for (int a : addresses)
            EXPECT_EQ(rig.module.mem[a], rig.image[a]) << a;
        EXPECT_EQ(rig.module.mem[75], 0xEE);

        // It ends with the clock, and only then reports success.
        EXPECT_EQ(rig.channel.writes.back().size(), 18);
        EXPECT_EQ(rig.view.status(), "Data send successful!");
        EXPECT_TRUE(rig.view.buttonsEnabled);
        EXPECT_FALSE(rig.view.gaugeVisible);
        EXPECT_TRUE(rig.writesOf(39, 0x80).empty());
    }
}

TEST(EngineWriteAll, BlockWriteAddressesHighByteFirstAndEndsWithClockOnly) {
    Rig rig({.version = 33});
    rig.fillImage(6);
    rig.engine.startWriteAll();
    ASSERT_GT(rig.runUntilIdle(), 0);

    const auto blocks = rig.writesOf(262, 0xF6);
    ASSERT_EQ(blocks.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(at(blocks[i], 0), sumOf(blocks[i], 6, 256));
        EXPECT_EQ(at(blocks[i], 2), 0);
        EXPECT_EQ(at(blocks[i], 3), 16 * i);
        EXPECT_EQ(validateFrame(blocks[i].left(6)), FrameCheck::Valid);
    }
    EXPECT_EQ(at(blocks[5], 3), 0x50);
    EXPECT_TRUE(std::equal(rig.image.data(), rig.image.data() + 1536, rig.module.mem.data()));
    EXPECT_TRUE(rig.writesOf(6, 0x01).empty());
    EXPECT_EQ(rig.channel.writes.back().size(), 18);
    EXPECT_EQ(rig.view.status(), "GSM time sync successful");
    EXPECT_TRUE(rig.view.buttonsEnabled);
}

TEST(EngineWriteAll, BlockAcknowledgementMustBeExactlyOneByte) {
    Rig rig({.version = 40});
    rig.fillImage(6);
    int calls = 0;
    // The first block gets two bytes, its repeat the right answer, and
    // everything after that is lost.
    rig.reply = [&calls](const QByteArray&) -> std::optional<QByteArray> {
        ++calls;
        if (calls == 1)
            return bytesOf({0x55, 0x55});
        if (calls == 2)
            return std::nullopt;
        return QByteArray();
    };
    rig.engine.startWriteAll();
    ASSERT_GT(rig.ticksUntilNextWrite(), 0);
    const QByteArray first = rig.channel.writes.back();
    EXPECT_EQ(rig.engine.state().ImagePos, 0);
    EXPECT_EQ(rig.ticksUntilNextWrite(), 51);
    EXPECT_EQ(rig.channel.writes[1], first); // block 0 again, now acknowledged
    EXPECT_EQ(rig.engine.state().ImagePos, 1);
    EXPECT_EQ(rig.channel.writes.size(), 2u);
    // The module may still answer the first send: block 1 waits until the
    // line has been quiet as long as an answer is waited for.
    EXPECT_EQ(rig.ticksUntilNextWrite(), 51);
    EXPECT_EQ(at(rig.channel.writes.back(), 3), 16);
}

TEST(EngineWriteAll, RecordModelWritesBytesThenCodeRecordsUpToVersion32) {
    Rig rig({.model = 100, .version = 32});
    rig.fillImage(11);
    rig.engine.startWriteAll();
    ASSERT_GT(rig.runUntilIdle(), 0);

    std::vector<int> order; // 1 byte write, 2 record write, 3 clock
    for (const QByteArray& w : rig.channel.writes)
        order.push_back(w.size() == 6 ? 1 : w.size() == 39 ? 2 : w.size() == 18 ? 3 : 0);
    ASSERT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_EQ(std::count(order.begin(), order.end(), 1), 1005);
    EXPECT_EQ(std::count(order.begin(), order.end(), 3), 1);

    const auto records = rig.writesOf(39, 0x80);
    ASSERT_EQ(records.size(), 224u);
    for (int i = 0; i < 224; ++i) {
        const int n = 32 + i;
        EXPECT_EQ(records[i].left(6), frame(0, 0x80, static_cast<uint8_t>(n), 0));
        EXPECT_EQ(records[i].mid(6, 32),
                  QByteArray(reinterpret_cast<const char*>(rig.image.data() + 32 * n), 32));
        EXPECT_EQ(at(records[i], 38), sumOf(records[i], 6, 32));
    }
    EXPECT_TRUE(
        std::equal(rig.image.data() + 1024, rig.image.data() + 8192, rig.module.mem.data() + 1024));
    EXPECT_NE(
        std::find(rig.view.statuses.begin(), rig.view.statuses.end(), "Send all ContactID code"),
        rig.view.statuses.end());
    EXPECT_EQ(rig.view.status(), "Data send successful!");
    EXPECT_TRUE(rig.view.buttonsEnabled);
}

// The six blocks end at 1535; the Contact ID code names (records 48..208)
// follow as records, so an edit of them reaches the module before success.
TEST(EngineWriteAll, RecordModelFromVersion33WritesSixBlocksThenTheCodeNameRecords) {
    Rig rig({.model = 100, .version = 33});
    rig.fillImage(11);
    rig.engine.startWriteAll();
    ASSERT_GT(rig.runUntilIdle(), 0);
    EXPECT_EQ(rig.writesOf(262, 0xF6).size(), 6u);
    const auto records = rig.writesOf(39, 0x80);
    ASSERT_EQ(records.size(), 161u);
    EXPECT_EQ(at(records.front(), 2), 48);
    EXPECT_EQ(at(records.back(), 2), 208);
    for (int a = 1536; a < 32 * 209; ++a)
        ASSERT_EQ(rig.module.mem[size_t(a)], rig.image[a]) << a;
    EXPECT_TRUE(rig.writesOf(6, 0x01).empty());
    EXPECT_EQ(rig.channel.writes.back().size(), 18);
    EXPECT_EQ(rig.view.status(), "Data send successful!");
}

// A frame for another record is not taken; being a valid frame it restarts
// the pace, so the record goes out again after 6 ticks. Without any answer
// the record waits its own, longer pace.
TEST(EngineWriteAll, RecordWriteIsRepeatedUntilItsOwnNumberIsEchoed) {
    Rig rig({.model = 100, .version = 32});
    bool answerRecords = true; // with the frame of the next record
    rig.reply = [&answerRecords](const QByteArray& req) -> std::optional<QByteArray> {
        if (req.size() != 39)
            return std::nullopt;
        if (!answerRecords)
            return QByteArray();
        return frame(0xAB, at(req, 2), static_cast<uint8_t>(at(req, 2) + 1), 0);
    };
    rig.engine.startWriteAll();
    for (int i = 0; i < 2000 && rig.engine.state().LinkCommand != LinkCode::kRecordWrite; ++i)
        rig.step();
    ASSERT_EQ(rig.engine.state().LinkCommand, LinkCode::kRecordWrite);
    // The first record follows the last byte's answer without a tick between.
    const QByteArray first = rig.channel.writes.back();
    ASSERT_EQ(first.size(), 39);
    EXPECT_EQ(rig.ticksUntilNextWrite(), 6);
    EXPECT_EQ(rig.channel.writes.back(), first);
    answerRecords = false;
    EXPECT_EQ(rig.ticksUntilNextWrite(), 6);
    EXPECT_EQ(rig.ticksUntilNextWrite(), 11);
    EXPECT_EQ(rig.channel.writes.back(), first);
    EXPECT_EQ(rig.engine.state().Remaining, 32);
}

TEST(EngineWriteAll, PstnSendWritesTheTwoGainBytesThenSyncsTheClock) {
    Rig rig({.model = 100, .version = 32});
    rig.fillImage(12);
    rig.engine.startPstnSend();
    ASSERT_GT(rig.runUntilIdle(), 0);
    ASSERT_EQ(rig.channel.writes.size(), 3u);
    EXPECT_EQ(rig.channel.writes[0], MemoryFrame::build(94, 0x01, rig.image[94]).toByteArray());
    EXPECT_EQ(rig.channel.writes[1], MemoryFrame::build(95, 0x01, rig.image[95]).toByteArray());
    EXPECT_EQ(rig.channel.writes[2].size(), 18);
    EXPECT_FALSE(rig.engine.state().PstnPending);
    EXPECT_EQ(rig.view.status(), "Data send successful!");
    EXPECT_TRUE(rig.view.buttonsEnabled);
}

// An interrupted PSTN send (its port lost) must not make the next write-all
// skip its records.
TEST(EngineWriteAll, WriteAllAfterAnAbandonedPstnSendStillWritesRecords) {
    Rig rig({.model = 100, .version = 32});
    rig.reply = loseAll;
    rig.engine.startPstnSend();
    rig.step();
    rig.engine.portLost();
    rig.reply = nullptr;
    rig.answered = rig.channel.writes.size();
    rig.engine.startWriteAll();
    ASSERT_GT(rig.runUntilIdle(), 0);
    EXPECT_EQ(rig.writesOf(39, 0x80).size(), 224u);
}

// ------------------------------------------------------------------ clock

TEST(EngineClock, FrameCarriesDateFromVersion28AndTheTimeOfEachSend) {
    struct Case {
        int version;
        const char* digits;
    };
    for (const Case c : {Case{27, "111111090504"}, Case{28, "240307090504"},
                         Case{0, "111111090504"}, Case{43, "240307090504"}}) {
        SCOPED_TRACE(c.version);
        Rig rig({.version = c.version});
        rig.reply = loseAll;
        rig.engine.startClockSync();
        EXPECT_EQ(rig.view.status(), "GSM time sync in progress...");
        rig.step();
        ASSERT_EQ(rig.channel.writes.size(), 1u);
        EXPECT_EQ(rig.channel.writes[0],
                  bytesOf({0x00, 0xFC, 0x00, 0x00, 0x04, 0xFB}) + QByteArray(c.digits));

        // A repeat carries the time of its own moment.
        rig.now = QDateTime(QDate(2031, 12, 30), QTime(23, 59, 58));
        EXPECT_EQ(rig.ticksUntilNextWrite(), 21);
        EXPECT_EQ(rig.channel.writes[1].mid(12), "235958");
        EXPECT_EQ(rig.channel.writes[1].mid(6, 6), c.version >= 28 ? "311230" : "111111");
    }
}

TEST(EngineClock, AcknowledgementOfItsOwnMenuItemReportsTheSync) {
    Rig rig;
    rig.engine.startClockSync();
    EXPECT_EQ(rig.runUntilIdle(), 1);
    EXPECT_EQ(rig.view.status(), "GSM time sync successful");
    EXPECT_FALSE(rig.engine.state().ClockSyncOnly);
}

TEST(EngineClock, OtherFramesDoNotCompleteTheSync) {
    Rig rig;
    rig.reply = [](const QByteArray&) -> std::optional<QByteArray> {
        return frame(0xAB, 0xAA, 0x00, 0x01);
    };
    rig.engine.startClockSync();
    rig.step();
    EXPECT_EQ(rig.engine.state().LinkCommand, LinkCode::kClockSync);
    EXPECT_EQ(rig.engine.state().RxCount, 0);
}

// ------------------------------------------------------------------ transfers at the module's pace

struct TransferCase {
    const char* name;
    int model, version;
    bool write;
    size_t requests;     // requests on the wire, the clock frame included
    int ticksFromClosed; // ticks from a closed port to the end
    int readBytes;       // bytes of the image a read fills
};
const TransferCase kTransfers[] = {
    {"bytes read", 70, 32, false, 1024, 1, 1024},
    {"bytes write", 70, 32, true, 1005 + 1, 1, 0},
    {"blocks read", 71, 43, false, 6, 3, 1536},
    {"blocks write", 71, 43, true, 6 + 1, 3, 0},
    {"records read", 100, 43, false, 256, 1, 8192},
    {"records write", 100, 32, true, 1005 + 224 + 1, 1, 0},
    {"blocks and records write", 100, 43, true, 6 + 161 + 1, 3, 0},
};

// Once the port is open, a read-all or write-all runs on the module's answers
// alone: every request after the first follows the complete answer to the one
// before (never a piece of it), skipped positions and the step to the clock
// frame cost no tick, and the whole transfer needs none.
TEST(EngineTransferPace, EachRequestFollowsTheCompleteAnswerWithoutATick) {
    for (const TransferCase& c : kTransfers) {
        SCOPED_TRACE(c.name);
        Rig rig({.model = c.model, .version = c.version});
        rig.fillModule(5);
        rig.fillImage(8);
        rig.engine.startVersionQuery(false);
        rig.step(); // the port is open, the engine idle
        ASSERT_FALSE(rig.engine.busy());
        ASSERT_EQ(rig.engine.state().ModuleVersion, c.version);
        const size_t before = rig.channel.writes.size();

        if (c.write)
            rig.engine.startWriteAll();
        else
            rig.engine.startReadAll();
        // The module answers one byte at a time.
        size_t answered = before;
        while (answered < rig.channel.writes.size()) {
            const QByteArray reply = rig.module.answer(rig.channel.writes[answered++]);
            for (int i = 0; i < reply.size(); ++i) {
                const size_t sent = rig.channel.writes.size();
                rig.engine.receive(reply.mid(i, 1));
                if (i + 1 < reply.size())
                    ASSERT_EQ(rig.channel.writes.size(), sent)
                        << "request " << answered << " answered only up to byte " << i;
            }
        }
        EXPECT_FALSE(rig.engine.busy());
        EXPECT_EQ(rig.channel.writes.size() - before, c.requests);
        if (c.write) {
            EXPECT_EQ(rig.channel.writes.back().size(), 18);
        } else {
            EXPECT_TRUE(std::equal(rig.image.data(), rig.image.data() + c.readBytes,
                                   rig.module.mem.data()));
            EXPECT_EQ(rig.view.decodes, 1);
        }
    }
}

// From a closed port the first tick opens it; a byte or record transfer sends
// at once, a block transfer two ticks later, and nothing after that waits.
TEST(EngineTransferPace, FromAClosedPortOnlyTheFirstRequestWaitsForTicks) {
    for (const TransferCase& c : kTransfers) {
        SCOPED_TRACE(c.name);
        Rig rig({.model = c.model, .version = c.version});
        rig.fillModule(5);
        rig.fillImage(8);
        if (c.write)
            rig.engine.startWriteAll();
        else
            rig.engine.startReadAll();
        EXPECT_TRUE(rig.channel.writes.empty());
        EXPECT_EQ(rig.runUntilIdle(), c.ticksFromClosed);
        EXPECT_EQ(rig.channel.writes.size(), c.requests);
    }
}

} // namespace

// ------------------------------------------------------------------ replies without a request

namespace {
// A module that answers the write of one position on time and then once more,
// `dupAfterTicks` ticks later (just before that tick runs; 0 = at once).
struct DuplicatedReply {
    int position;
    int dupAfterTicks;
};
} // namespace

// After the module-owned positions are skipped nothing is on the wire, so a
// duplicate of the previous reply must not pass for the answer to a position
// that was never sent.
TEST(EngineReplies, ADuplicatedReplyAcrossSkippedPositionsWritesEveryPosition) {
    for (const DuplicatedReply c :
         {DuplicatedReply{74, 0}, DuplicatedReply{253, 2}, DuplicatedReply{383, 16}}) {
        SCOPED_TRACE(c.position);
        Rig rig({.version = 32});
        rig.fillImage(9);
        rig.module.mem.fill(0xEE);
        std::optional<QByteArray> duplicate;
        int ticksUntilDuplicate = -1;
        rig.reply = [&](const QByteArray& req) -> std::optional<QByteArray> {
            if (req.size() == 6 && at(req, 1) == 0x01 &&
                (at(req, 0) << 8 | at(req, 2)) == c.position && !duplicate) {
                duplicate = rig.module.answer(req);
                ticksUntilDuplicate = c.dupAfterTicks;
                if (c.dupAfterTicks == 0) {
                    // The answer, and its copy right behind it.
                    rig.engine.receive(*duplicate);
                    return duplicate;
                }
                return duplicate;
            }
            return std::nullopt;
        };
        rig.engine.startWriteAll();
        for (int i = 0; i < 20000 && rig.engine.busy(); ++i) {
            if (ticksUntilDuplicate > 0 && --ticksUntilDuplicate == 0)
                rig.engine.receive(*duplicate);
            rig.step();
        }
        ASSERT_FALSE(rig.engine.busy());
        const auto writes = rig.writesOf(6, 0x01);
        EXPECT_EQ(writes.size(), 1005u);
        for (int a = 0; a < 1024; ++a) {
            if (skippedOnByteWrite(a, false))
                EXPECT_EQ(rig.module.mem[a], 0xEE) << a;
            else
                EXPECT_EQ(rig.module.mem[a], rig.image[a]) << a;
        }
        EXPECT_EQ(rig.view.status(), "Data send successful!");
    }
}

TEST(EngineReplies, NothingIsTakenWhileNoRequestIsPending) {
    Rig rig({.version = 43});
    const QByteArray versionReply = frame(0xAB, 0x00, 0xFE, 50);
    // Idle: a stray answer changes nothing.
    rig.engine.receive(versionReply);
    EXPECT_EQ(rig.engine.state().ModuleVersion, 43);
    EXPECT_EQ(rig.view.versionRuleRuns, 0);

    // A version query replaced by a read-all before it was answered: its late
    // answer does not count for the read.
    rig.reply = loseAll;
    rig.engine.startVersionQuery(false);
    rig.step();
    ASSERT_TRUE(rig.engine.awaitingReply());
    rig.engine.startReadAll();
    rig.engine.receive(versionReply);
    EXPECT_EQ(rig.engine.state().ModuleVersion, 43);
    EXPECT_EQ(rig.engine.state().LinkCommand, LinkCode::kBlockRead);
    EXPECT_EQ(rig.view.versionRuleRuns, 0);
}

TEST(EngineVersion, AMenuQueryReplacedByAnotherOperationShowsNoMessageLater) {
    Rig rig({.version = 43});
    rig.reply = loseAll;
    rig.engine.startVersionQuery(true);
    rig.step();
    rig.engine.startClockSync();
    rig.reply = nullptr;
    ASSERT_GT(rig.runUntilIdle(), 0);
    rig.engine.startVersionQuery(false); // the next quiet activation
    ASSERT_GT(rig.runUntilIdle(), 0);
    for (int i = 0; i < 5; ++i)
        rig.step();
    EXPECT_TRUE(rig.view.messages.empty());
}

// ------------------------------------------------------------------ the port goes away

TEST(EnginePort, ALostPortEndsTheOperationAndTheNextOneOpensItAgain) {
    struct Case {
        const char* name;
        RigOptions options;
        std::function<void(LinkEngine&)> start;
    };
    const Case cases[] = {
        {"byte read", {.version = 20}, [](LinkEngine& e) { e.startReadAll(); }},
        {"byte write", {.version = 20}, [](LinkEngine& e) { e.startWriteAll(); }},
        {"block read", {.version = 43}, [](LinkEngine& e) { e.startReadAll(); }},
        {"block write", {.version = 43}, [](LinkEngine& e) { e.startWriteAll(); }},
        {"records", {.model = 100}, [](LinkEngine& e) { e.startReadAll(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.options);
        rig.fillModule(4);
        rig.fillImage(5);
        // The module answers a few requests, then the line goes quiet.
        rig.reply = [&rig](const QByteArray&) -> std::optional<QByteArray> {
            return rig.channel.writes.size() > 4 ? std::optional<QByteArray>(QByteArray())
                                                 : std::nullopt;
        };
        c.start(rig.engine);
        for (int i = 0; i < 30; ++i)
            rig.step();
        ASSERT_TRUE(rig.engine.busy());
        const int decodes = rig.view.decodes;

        // The adapter is pulled: the channel has closed the port and says so.
        rig.channel.opened = false;
        rig.engine.portLost();
        EXPECT_FALSE(rig.engine.busy());
        EXPECT_FALSE(rig.engine.awaitingReply());
        EXPECT_FALSE(rig.engine.state().LinkPortOpen);
        EXPECT_EQ(rig.view.status(), message("engine.port_lost", 1));
        EXPECT_TRUE(rig.view.buttonsEnabled);
        EXPECT_FALSE(rig.view.gaugeVisible);
        EXPECT_EQ(rig.view.decodes, decodes);
        for (const QString& st : rig.view.statuses) {
            EXPECT_NE(st, "Successful readout!");
            EXPECT_NE(st, "Data send successful!");
        }

        // Plugged back in: the next operation opens the port and completes.
        rig.reply = nullptr;
        const int opens = rig.channel.opens;
        c.start(rig.engine);
        ASSERT_GT(rig.runUntilIdle(), 0);
        EXPECT_EQ(rig.channel.opens, opens + 1);
        EXPECT_EQ(rig.channel.writesWhileClosed, 0);
        EXPECT_TRUE(rig.view.status() == "Successful readout!" ||
                    rig.view.status() == "Data send successful!" ||
                    rig.view.status() == "GSM time sync successful")
            << rig.view.status().toStdString();
    }
}

TEST(EnginePort, APortThatWillNotOpenIsReportedAndTriedAgain) {
    Rig rig({.version = 43});
    rig.channel.refuseOpen = true;
    rig.engine.startReadAll();
    rig.step();
    EXPECT_EQ(rig.view.status(), message("engine.port_unavailable", 1).arg("ttyTEST"));
    EXPECT_FALSE(rig.engine.state().LinkPortOpen);
    EXPECT_TRUE(rig.engine.busy());
    // Tried again about once a second, not on every tick.
    for (int i = 0; i < 21; ++i)
        rig.step();
    EXPECT_EQ(rig.channel.opens, 2);
    EXPECT_EQ(rig.channel.writesWhileClosed, 0);
    // Once the adapter is there, the waiting read goes ahead.
    rig.channel.refuseOpen = false;
    ASSERT_GT(rig.runUntilIdle(), 0);
    EXPECT_EQ(rig.view.status(), "Successful readout!");
}

// A block write covers the module's own bytes; after a read it sends back what
// the module held there, whatever the image says.
TEST(EngineWriteAll, BlockWriteAfterAReadSendsTheModulesOwnBytesBack) {
    for (int model : {71, 100}) {
        SCOPED_TRACE(model);
        Rig rig({.model = model, .version = 43});
        rig.fillModule(6);
        rig.module.mem[75] = 0x3C;
        rig.engine.startReadAll();
        ASSERT_GT(rig.runUntilIdle(), 0);
        for (int a : {75, 254, 255})
            rig.image[a] = static_cast<uint8_t>(~rig.module.mem[a]);
        rig.image[76] = 0x42;
        rig.engine.startWriteAll();
        ASSERT_GT(rig.runUntilIdle(), 0);
        const auto blocks = rig.writesOf(262, 0xF6);
        ASSERT_EQ(blocks.size(), 6u);
        EXPECT_EQ(at(blocks[0], 6 + 75), 0x3C);
        EXPECT_EQ(at(blocks[0], 6 + 254), 43);
        EXPECT_EQ(at(blocks[0], 6 + 255), rig.module.mem[255]);
        EXPECT_EQ(rig.module.mem[75], 0x3C);
        EXPECT_EQ(rig.module.mem[76], 0x42);
    }
}

// With the module's bytes read just before as its base, a write sends only
// what differs: the byte positions, records or blocks whose value changes;
// the clock goes as always. An image equal to its base sends only the clock.
TEST(EngineWriteAll, WithABaseOnlyWhatDiffersIsSent) {
    struct Case {
        int model;
        int version;
        std::vector<int> edits;   // image addresses changed from the base
        size_t bytes;             // byte writes expected
        std::vector<int> records; // record numbers expected, in order
        std::vector<int> blocks;  // block numbers expected, in order
    };
    const Case cases[] = {
        {70, 32, {10, 11, 700}, 3, {}, {}},
        {70, 32, {75, 254}, 0, {}, {}}, // the module's own bytes never go
        {70, 32, {}, 0, {}, {}},
        {71, 43, {10, 300, 301}, 0, {}, {0, 1}},
        {71, 43, {1535}, 0, {}, {5}},
        {71, 43, {}, 0, {}, {}},
        {100, 32, {5, 1030, 8191}, 1, {32, 255}, {}},
        {100, 32, {2000}, 0, {62}, {}},
        {100, 43, {300, 1600, 6000}, 0, {50, 187}, {1}},
        {100, 43, {6700}, 0, {}, {}}, // above the code name records: not written
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.model << " v" << c.version << " edits "
                                        << testing::PrintToString(c.edits));
        Rig rig({.model = c.model, .version = c.version});
        rig.fillModule(9);
        rig.module.mem[255] = static_cast<uint8_t>(c.model);
        ConfigImage base;
        std::copy_n(rig.module.mem.data(), ConfigImage::kSize, base.data());
        rig.image = base;
        for (int a : c.edits)
            rig.image[a] = static_cast<uint8_t>(~base[a]);
        const auto before = rig.module.mem;
        rig.engine.startWriteAll(&base);
        ASSERT_GT(rig.runUntilIdle(), 0);

        EXPECT_EQ(rig.writesOf(6, 0x01).size(), c.bytes);
        std::vector<int> records, blocks;
        for (const QByteArray& w : rig.writesOf(39, 0x80))
            records.push_back(at(w, 2));
        for (const QByteArray& w : rig.writesOf(262, 0xF6))
            blocks.push_back(at(w, 3) / 16);
        EXPECT_EQ(records, c.records);
        EXPECT_EQ(blocks, c.blocks);
        ASSERT_EQ(rig.channel.writes.back().size(), 18); // the clock, always last
        EXPECT_EQ(rig.writesOf(18, 0xFC).size(), 1u);

        // The module now holds the image's edits (those a write-all of this
        // model and version carries), and nothing else changed.
        const bool codeNames = c.model == 100 && c.version >= 33;
        for (int a = 0; a < ConfigImage::kSize; ++a) {
            const bool edited = std::find(c.edits.begin(), c.edits.end(), a) != c.edits.end();
            const bool written = c.model == 100    ? a < 1536 || !codeNames || a < 32 * 209
                                 : c.version >= 33 ? a < 1536
                                                   : a < 1024;
            const bool arrives = edited && written && !isModuleOwned(a);
            ASSERT_EQ(rig.module.mem[size_t(a)], arrives ? rig.image[a] : before[size_t(a)])
                << "address " << a;
        }
        EXPECT_TRUE(rig.view.buttonsEnabled);
        EXPECT_FALSE(rig.view.gaugeVisible);
    }
}

// The identification asks the version and model bytes alone, by byte reads
// every module answers, and ends as a read ends; a lost answer is asked again.
TEST(EngineReadAll, IdentifyReadsTheVersionAndModelBytes) {
    for (const int model : {70, 100}) {
        SCOPED_TRACE(model);
        Rig rig({.model = 71, .version = 43});
        rig.module.mem[254] = 32;
        rig.module.mem[255] = static_cast<uint8_t>(model);
        int requests = 0;
        rig.reply = [&requests](const QByteArray&) -> std::optional<QByteArray> {
            if (requests++ == 0)
                return QByteArray();
            return std::nullopt;
        };
        rig.engine.startIdentify();
        ASSERT_GT(rig.runUntilIdle(), 0);
        ASSERT_EQ(rig.channel.writes.size(), 3u);
        EXPECT_EQ(rig.channel.writes[0], MemoryFrame::build(254, 0x00, 0).toByteArray());
        EXPECT_EQ(rig.channel.writes[1], rig.channel.writes[0]);
        EXPECT_EQ(rig.channel.writes[2], MemoryFrame::build(255, 0x00, 0).toByteArray());
        EXPECT_EQ(rig.image[254], 32);
        EXPECT_EQ(rig.image[255], model);
        EXPECT_EQ(rig.view.decodes, 1);
    }
}

// The full write (no base) still rewrites every position, even where the
// module already holds the image's value.
TEST(EngineWriteAll, WithoutABaseEveryPositionIsWritten) {
    Rig rig({.model = 71, .version = 43});
    rig.fillModule(9);
    std::copy_n(rig.module.mem.data(), ConfigImage::kSize, rig.image.data());
    rig.engine.startWriteAll();
    ASSERT_GT(rig.runUntilIdle(), 0);
    EXPECT_EQ(rig.writesOf(262, 0xF6).size(), 6u);
}

// A lost acknowledgement in a write that skips: the changed position is sent
// again, and the skipped ones are not sent at all.
TEST(EngineWriteAll, ALostAnswerInAWriteOfDifferencesRepeatsOnlyTheChangedPosition) {
    for (int version : {32, 43}) {
        SCOPED_TRACE(version);
        Rig rig({.model = 70, .version = version});
        rig.fillModule(4);
        ConfigImage base;
        std::copy_n(rig.module.mem.data(), ConfigImage::kSize, base.data());
        rig.image = base;
        rig.image[500] ^= 0xFF;
        int lost = 0;
        rig.reply = [&lost](const QByteArray& req) -> std::optional<QByteArray> {
            if (req.size() != 18 && lost++ == 0)
                return QByteArray();
            return std::nullopt;
        };
        rig.engine.startWriteAll(&base);
        ASSERT_GT(rig.runUntilIdle(), 0);
        ASSERT_EQ(rig.channel.writes.size(), 3u);
        EXPECT_EQ(rig.channel.writes[0], rig.channel.writes[1]);
        EXPECT_EQ(rig.module.mem[500], rig.image[500]);
        EXPECT_EQ(rig.channel.writes[2].size(), 18);
    }
}

// ================================================================== modem pass-through

namespace {

QByteArray ascii(const char* s) {
    return QByteArray(s);
}

const QByteArray kLeaveFrame = bytesOf({0x00, 0xFB, 0x00, 0x00, 0x05, 0xFA});
const QByteArray kStatusReadFrame = bytesOf({0x02, 0x02, 0x00, 0x00, 0xFC, 0x03});
const QByteArray kModeAck = frame(0xAB, 0xAC, 0, 0);
constexpr const char* kImei = "490154203237518";

class ModemView : public RecordingView {
  public:
    void showPhonebookSlot(const PhonebookEntry& e) override { slots_.push_back(e); }
    void setPhonebookGaugeMaximum(int m) override { pbGaugeMax = m; }
    void setPhonebookGaugeValue(int v) override { pbGaugeValue = v; }
    void setPhonebookGaugeVisible(bool v) override { pbGaugeVisible = v; }
    std::vector<PhonebookEntry> slots_;
    int pbGaugeMax = -1, pbGaugeValue = -1;
    bool pbGaugeVisible = false;
};

struct Results : ModemListener {
    void modemOperationDone(int op, const ModemResult& r) override {
        operations.push_back(op);
        results.push_back(r);
    }
    std::vector<int> operations;
    std::vector<ModemResult> results;
};

// The module with its GSM modem behind it. In its own program the module
// answers frames; after the entry frame it passes bytes to the modem, which
// echoes each command line and answers it, until the leave frame.
struct FakeModem {
    bool on = false;           // the module is in modem mode
    bool moduleSilent = false; // the module ignores the entry and leave frames
    bool modemSilent = false;  // the modem answers nothing
    QByteArray pin = "1234";
    QByteArray balance = "Egyenlege: 1000 Ft";
    QByteArray smsCentre;
    std::map<int, std::pair<QByteArray, QByteArray>> phonebook;
    std::vector<QByteArray> commands; // command lines the modem received
    // Replaces the modem's answer to a command line (echo included) when set.
    std::function<std::optional<QByteArray>(const QByteArray&)> answerOverride;

    // nullopt: not a modem-side matter, the module's own memory answers.
    std::optional<QByteArray> answer(const QByteArray& w) {
        if (!on) {
            if (w.size() == 6 && at(w, 1) == 0xFD) {
                if (moduleSilent)
                    return QByteArray();
                on = true;
                return kModeAck;
            }
            if (w == kLeaveFrame)
                return moduleSilent ? QByteArray() : kModeAck;
            if (w == kStatusReadFrame)
                return frame(0xAB, 0x02, 0x00, 0x00);
            return std::nullopt;
        }
        if (w == kLeaveFrame) {
            if (moduleSilent)
                return QByteArray();
            on = false;
            return kModeAck;
        }
        if (modemSilent)
            return QByteArray();
        QByteArray cmd = w;
        while (cmd.endsWith('\r') || cmd.endsWith('\n'))
            cmd.chop(1);
        commands.push_back(cmd);
        if (answerOverride)
            if (auto r = answerOverride(cmd))
                return *r;
        return w + respond(cmd); // the modem echoes what it got
    }

    QByteArray respond(const QByteArray& cmd) {
        const QByteArray ok = "\r\nOK\r\n";
        const QByteArray error = "\r\nERROR\r\n";
        if (cmd == "AT" || cmd == "AT+CPBS=\"SM\"")
            return ok;
        if (cmd.startsWith("AT+CPBR=")) {
            const int slot = cmd.mid(8).toInt();
            if (slot < 1 || slot > 250)
                return error;
            const auto it = phonebook.find(slot);
            if (it == phonebook.end())
                return ok;
            return "\r\n+CPBR: " + QByteArray::number(slot) + ",\"" + it->second.first +
                   "\",129,\"" + it->second.second + "\"\r\n" + ok;
        }
        if (cmd.startsWith("AT+CPBW=")) {
            const QList<QByteArray> f = cmd.mid(8).split(',');
            if (f.size() != 4)
                return error;
            const QByteArray number = f[1].mid(1, f[1].size() - 2);
            if (number.size() > 20)
                return error;
            phonebook[f[0].toInt()] = {number, f[3].mid(1, f[3].size() - 2)};
            return ok;
        }
        if (cmd.startsWith("AT+CPIN="))
            return cmd == "AT+CPIN=\"" + pin + "\"" ? ok : QByteArray("\r\n+CME ERROR: 16\r\n");
        if (cmd.startsWith("AT+CLCK="))
            return cmd == "AT+CLCK=\"SC\",0,\"" + pin + "\"" ? ok
                                                             : QByteArray("\r\n+CME ERROR: 16\r\n");
        if (cmd.startsWith("AT+CSCA=\"")) {
            smsCentre = cmd.mid(9, cmd.indexOf('"', 9) - 9);
            return ok;
        }
        if (cmd == "ATD*102#;")
            return ok + "\r\n+CUSD: 0,\"" + balance + "\",15\r\n";
        if (cmd == "AT+CGSN")
            return "\r\n" + QByteArray(kImei) + "\r\n" + ok;
        if (cmd.startsWith("ATD") || cmd.startsWith("AT+CMGS") || cmd.endsWith('\x1A'))
            return {}; // the tests do not wait for these
        return error;
    }
};

// Engine, port, window, module and modem; answers go back in pieces of
// `chunk` bytes (0: whole).
struct ModemRig {
    explicit ModemRig(int language = 1)
        : engine(channel, view, image, Rig::configFor({.language = language}, &now, &idle)) {
        engine.state().ModuleVersion = 43;
        engine.addModemListener(&results);
    }

    void pump() {
        while (answered < channel.writes.size()) {
            const QByteArray w = channel.writes[answered++];
            // Bytes held back for now: they arrive after this request went out
            // and before its answer.
            std::vector<QByteArray> early;
            early.swap(beforeNextAnswer);
            for (const QByteArray& e : early)
                deliver(e);
            std::optional<QByteArray> r = modem.answer(w);
            const QByteArray bytes = r ? *r : module.answer(w);
            deliver(bytes);
        }
    }
    void deliver(const QByteArray& bytes) {
        const qsizetype step = chunk > 0 ? chunk : std::max<qsizetype>(1, bytes.size());
        for (qsizetype i = 0; i < bytes.size(); i += step)
            engine.receive(bytes.mid(i, step));
    }
    void step() {
        engine.tick();
        pump();
    }
    int runUntilIdle(int maxTicks = 40000) {
        for (int i = 1; i <= maxTicks; ++i) {
            step();
            if (!engine.busy())
                return i;
        }
        return -1;
    }
    int countWrites(const QByteArray& w) const {
        return static_cast<int>(std::count(channel.writes.begin(), channel.writes.end(), w));
    }
    std::vector<QByteArray> writesStartingWith(const char* prefix) const {
        std::vector<QByteArray> out;
        for (const QByteArray& w : channel.writes)
            if (w.startsWith(prefix))
                out.push_back(w);
        return out;
    }
    QString text(const char* key) const { return message(key, language); }

    int language = 1;
    QDateTime now = kNow;
    bool idle = true;
    RecordingChannel channel;
    ModemView view;
    ConfigImage image;
    FakeModule module;
    FakeModem modem;
    Results results;
    LinkEngine engine;
    size_t answered = 0;
    int chunk = 0;
    std::vector<QByteArray> beforeNextAnswer;
};

} // namespace

// Every command line of the pass-through, byte for byte, as it goes out.
TEST(EngineModem, CommandLinesGoOutByteForByte) {
    struct Case {
        const char* name;
        std::function<void(LinkEngine&)> start;
        QByteArray expected; // the first command line of the operation
        size_t index = 2;    // where it stands among the writes
    };
    std::vector<PhonebookEntry> rows(5);
    rows[4].number = QStringLiteral("+36301234567");
    const Case cases[] = {
        {"phonebook read selects the SIM", [](LinkEngine& e) { e.startPhonebookRead(100); },
         ascii("AT+CPBS=\"SM\"\r\n")},
        {"phonebook write, row 5 without a name",
         [&rows](LinkEngine& e) { e.startPhonebookWrite(rows, 100); },
         ascii("AT+CPBW=005,\"+36301234567\",129,\"SIM5\"\r"), 3},
        {"PIN", [](LinkEngine& e) { e.startPinSwitchOff(QStringLiteral("1234")); },
         ascii("AT+CPIN=\"1234\"\r")},
        {"SMS centre", [](LinkEngine& e) { e.startSmsCentre(QStringLiteral("+36309888000")); },
         ascii("AT+CSCA=\"+36309888000\",145\r\n")},
        {"balance", [](LinkEngine& e) { e.startBalanceQuery(); }, ascii("ATD*102#;\r\n")},
        {"data call", [](LinkEngine& e) { e.startDataCallTest(QStringLiteral("+36 30 123-4567")); },
         ascii("ATD+36301234567\r")},
        {"voice call", [](LinkEngine& e) { e.startVoiceCallTest(QStringLiteral("06301234567")); },
         ascii("ATD06301234567;\r")},
        {"SMS test", [](LinkEngine& e) { e.startSmsTest(QStringLiteral("+36301234567")); },
         ascii("AT+CMGS=\"+36301234567\"\r")},
        {"IMEI", [](LinkEngine& e) { e.startImeiQuery(); }, ascii("AT+CGSN\r")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModemRig rig;
        rig.image[7] = 0x5A;
        rig.engine.state().ImagePos = 7;
        c.start(rig.engine);
        ASSERT_GT(rig.runUntilIdle(), 0);
        const auto& w = rig.channel.writes;
        ASSERT_GE(w.size(), 3u);
        // The entry frame carries the image byte ImagePos points at.
        EXPECT_EQ(w[0], frame(0x00, 0xFD, 0x00, 0x5A));
        EXPECT_EQ(w[1], ascii("AT\r"));
        ASSERT_GT(w.size(), c.index);
        EXPECT_EQ(w[c.index], c.expected);
        EXPECT_EQ(w[c.index].size(), c.expected.size());
    }
}

TEST(EngineModem, WorkedExampleLengths) {
    // Slot 7 read: 12 bytes; row 5 write: 38 bytes; SMS centre: 28 bytes.
    ModemRig rig;
    rig.engine.startPhonebookRead(7);
    ASSERT_GT(rig.runUntilIdle(), 0);
    const auto reads = rig.writesStartingWith("AT+CPBR=");
    ASSERT_EQ(reads.size(), 7u);
    EXPECT_EQ(reads[6], ascii("AT+CPBR=007\r"));
    EXPECT_EQ(reads[6].size(), 12);

    std::vector<PhonebookEntry> rows(5);
    rows[4].number = QStringLiteral("+36301234567");
    rig.engine.startPhonebookWrite(rows, 100);
    ASSERT_GT(rig.runUntilIdle(), 0);
    const auto writes = rig.writesStartingWith("AT+CPBW=");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].size(), 38);

    rig.engine.startSmsCentre(QStringLiteral("+36309888000"));
    ASSERT_GT(rig.runUntilIdle(), 0);
    EXPECT_EQ(rig.writesStartingWith("AT+CSCA=")[0].size(), 28);
}

// Entering: status texts in order; leaving: the leave frame, then after the
// module's acknowledgement its status read, and the engine is idle.
TEST(EngineModem, EnteringAndLeavingModemMode) {
    ModemRig rig;
    rig.engine.startImeiQuery();
    rig.step();
    EXPECT_EQ(rig.view.statuses.at(0), "GSM program shutdown...!");
    EXPECT_EQ(rig.view.statuses.at(1), "GSM modem mode!");
    EXPECT_EQ(rig.engine.state().LinkCommand, LinkCode::kModemCheck);
    ASSERT_GT(rig.runUntilIdle(), 0);
    EXPECT_TRUE(std::find(rig.view.statuses.begin(), rig.view.statuses.end(),
                          QString("GSM Route check...")) != rig.view.statuses.end());
    EXPECT_TRUE(std::find(rig.view.statuses.begin(), rig.view.statuses.end(),
                          QString("GSM modem mode OK!")) != rig.view.statuses.end());
    ASSERT_EQ(rig.view.messages.size(), 1u);
    EXPECT_EQ(rig.view.messages[0], QString("IMEI number: ") + kImei);
    const auto& w = rig.channel.writes;
    ASSERT_GE(w.size(), 2u);
    EXPECT_EQ(w[w.size() - 2], kLeaveFrame);
    EXPECT_EQ(w.back(), kStatusReadFrame);
    EXPECT_FALSE(rig.modem.on);
    EXPECT_FALSE(rig.engine.modemModeMayBeOn());
}

TEST(EngineModem, PhonebookReadReportsEverySlotAsItsRow) {
    for (int end : {100, 250}) {
        SCOPED_TRACE(end);
        ModemRig rig;
        rig.modem.phonebook[1] = {"+3611", "Egy"};
        rig.modem.phonebook[7] = {"+3677", "H\xE9t"};
        rig.modem.phonebook[100] = {"100", "Sz\xE1z"};
        rig.modem.phonebook[250] = {"250", "Utols\xF3"};
        rig.engine.startPhonebookRead(end);
        EXPECT_FALSE(rig.view.writeEnabled);
        EXPECT_FALSE(rig.view.readEnabled);
        EXPECT_TRUE(rig.view.pbGaugeVisible);
        EXPECT_EQ(rig.view.pbGaugeMax, end);
        ASSERT_GT(rig.runUntilIdle(), 0);

        ASSERT_EQ(rig.view.slots_.size(), static_cast<size_t>(end));
        for (int slot = 1; slot <= end; ++slot) {
            const PhonebookEntry& e = rig.view.slots_[static_cast<size_t>(slot - 1)];
            EXPECT_EQ(e.slot, slot);
            EXPECT_EQ(e.number.isEmpty(), !rig.modem.phonebook.count(slot)) << slot;
        }
        EXPECT_EQ(rig.view.slots_[6].number, "+3677");
        EXPECT_EQ(rig.view.slots_[6].name, QStringLiteral("Hét"));
        EXPECT_EQ(rig.view.slots_[99].name, QStringLiteral("Száz"));
        if (end == 250)
            EXPECT_EQ(rig.view.slots_[249].name, QStringLiteral("Utolsó"));
        EXPECT_EQ(rig.writesStartingWith("AT+CPBR=").size(), static_cast<size_t>(end));
        EXPECT_EQ(rig.engine.state().PhonebookRow, end == 250 ? 250 : 100);
        EXPECT_EQ(rig.view.pbGaugeValue, end);
        EXPECT_FALSE(rig.view.pbGaugeVisible);
        EXPECT_TRUE(rig.view.readEnabled);
        EXPECT_TRUE(rig.view.writeEnabled);
        EXPECT_EQ(rig.view.status(), "GSM phonebook read, ready");
        EXPECT_EQ(rig.channel.writes.back(), kStatusReadFrame);
    }
}

TEST(EngineModem, PhonebookWriteSkipsEmptyNumbersAndNamesTheRest) {
    struct Case {
        int end;
        std::set<int> written;
    };
    const Case cases[] = {{100, {1, 3, 5, 100}}, {250, {1, 3, 5, 100, 200}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.end);
        ModemRig rig;
        rig.modem.phonebook[2] = {"+362", "Kept"};
        std::vector<PhonebookEntry> rows(260);
        rows[0] = {1, QStringLiteral("+361"), QStringLiteral("Anna")};
        rows[1] = {2, QString(), QStringLiteral("no number")};
        rows[2] = {3, QStringLiteral("+363"), QStringLiteral("Twenty characters!!!")};
        rows[4] = {5, QStringLiteral("+365"), QString()};
        rows[99] = {100, QStringLiteral("100"), QStringLiteral("Sz\u00E1z \"Q\"")};
        rows[199] = {200, QStringLiteral("200"), QStringLiteral("x")};
        rows[254] = {255, QStringLiteral("255"), QStringLiteral("beyond the SIM")};
        rig.engine.startPhonebookWrite(rows, c.end);
        EXPECT_EQ(rig.view.pbGaugeMax, static_cast<int>(c.written.size()));
        ASSERT_GT(rig.runUntilIdle(), 0);

        std::set<int> written;
        for (const QByteArray& w : rig.writesStartingWith("AT+CPBW="))
            written.insert(w.mid(8, 3).toInt());
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(rig.modem.phonebook[2].second, "Kept");
        EXPECT_EQ(rig.modem.phonebook[3].second, "Twenty chara");
        EXPECT_EQ(rig.modem.phonebook[5].second, "SIM5");
        // A quote inside a name would end the field early.
        EXPECT_EQ(rig.modem.phonebook[100].second, "Sz\xE1z 'Q'");
        EXPECT_EQ(rig.view.status(), "Phonebook write OK");
        EXPECT_TRUE(rig.view.messages.empty());
        EXPECT_EQ(rig.view.pbGaugeValue, static_cast<int>(c.written.size()));
        EXPECT_TRUE(rig.view.writeEnabled);
        EXPECT_EQ(rig.channel.writes.back(), kStatusReadFrame);
    }
}

// A slot the SIM refuses is refused again on every repeat: the write goes on
// and the end says which slots were not taken, never "OK".
TEST(EngineModem, RefusedPhonebookSlotsAreReportedNotRetriedForever) {
    ModemRig rig;
    std::vector<PhonebookEntry> rows(4);
    rows[0].number = QStringLiteral("+361");
    rows[1].number = QStringLiteral("+36123456789012345678901"); // longer than the SIM takes
    rows[2].number = QString(45, QLatin1Char('1'));              // longer than any SIM entry
    rows[3].number = QStringLiteral("+364");
    rig.engine.startPhonebookWrite(rows, 100);
    ASSERT_GT(rig.runUntilIdle(), 0);
    EXPECT_EQ(rig.writesStartingWith("AT+CPBW=002").size(), 1u);
    EXPECT_EQ(rig.writesStartingWith("AT+CPBW=003").size(), 0u); // refused before sending
    EXPECT_EQ(rig.modem.phonebook.count(4), 1u);
    const QString expected = rig.text("engine.phonebook_write_refused").arg("2, 3");
    EXPECT_EQ(rig.view.status(), expected);
    ASSERT_EQ(rig.view.messages.size(), 1u);
    EXPECT_EQ(rig.view.messages[0], expected);
    EXPECT_FALSE(rig.modem.on);
}

// A locked SIM refuses the phonebook; every slot would otherwise read as
// refused and the read would pass for an empty phonebook.
TEST(EngineModem, APhonebookTheSimRefusesEndsTheReadWithItsReason) {
    ModemRig rig;
    rig.modem.answerOverride = [](const QByteArray& cmd) -> std::optional<QByteArray> {
        if (cmd == "AT+CPBS=\"SM\"")
            return cmd + "\r\r\n+CME ERROR: 11\r\n";
        return std::nullopt;
    };
    rig.engine.startPhonebookRead(100);
    ASSERT_GT(rig.runUntilIdle(), 0);
    EXPECT_TRUE(rig.writesStartingWith("AT+CPBR=").empty());
    EXPECT_EQ(rig.view.status(), rig.text("engine.phonebook_unavailable").arg("+CME ERROR: 11"));
    EXPECT_TRUE(rig.view.readEnabled);
    EXPECT_FALSE(rig.view.writeEnabled);
    EXPECT_FALSE(rig.view.pbGaugeVisible);
    EXPECT_FALSE(rig.modem.on);
}

// The answers arrive in pieces of every size: the result is the same.
TEST(EngineModem, AnswersInPiecesGiveTheSameResults) {
    for (int chunk : {1, 2, 3, 5, 7, 13}) {
        SCOPED_TRACE(chunk);
        ModemRig rig;
        rig.chunk = chunk;
        rig.modem.phonebook[3] = {"+3633", "Harom"};
        rig.modem.balance = "Egyenleg\r\n1000 Ft";
        rig.engine.startPhonebookRead(5);
        ASSERT_GT(rig.runUntilIdle(), 0);
        ASSERT_EQ(rig.view.slots_.size(), 5u);
        EXPECT_EQ(rig.view.slots_[2].name, "Harom");
        EXPECT_EQ(rig.writesStartingWith("AT+CPBR=").size(), 5u); // nothing repeated

        rig.engine.startBalanceQuery();
        ASSERT_GT(rig.runUntilIdle(), 0);
        ASSERT_EQ(rig.results.results.size(), 1u);
        EXPECT_TRUE(rig.results.results[0].ok);
        EXPECT_EQ(rig.results.results[0].text, "Egyenleg\n1000 Ft");
    }
}

// Lost, late and repeated answers in a phonebook read: no slot is skipped,
// none is taken for another. A late or repeated answer to slot 3 lands after
// the request for slot 4 has gone out.
TEST(EngineModem, LostLateAndDuplicatedAnswersInAPhonebookRead) {
    enum Fault { Lost, Late, Duplicated };
    struct Case {
        const char* name;
        Fault fault;
        int slot3Requests;
    };
    const Case cases[] = {{"lost", Lost, 2}, {"late", Late, 2}, {"duplicated", Duplicated, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModemRig rig;
        for (int s = 1; s <= 6; ++s)
            rig.modem.phonebook[s] = {QByteArray::number(s * 11), "N" + QByteArray::number(s)};
        int asked = 0;
        QByteArray held;
        rig.modem.answerOverride = [&](const QByteArray& cmd) -> std::optional<QByteArray> {
            if (cmd != "AT+CPBR=003")
                return std::nullopt;
            const QByteArray whole = cmd + "\r" + rig.modem.respond(cmd);
            if (++asked == 1) {
                if (c.fault == Duplicated) {
                    rig.beforeNextAnswer.push_back(whole);
                    return whole;
                }
                held = whole;
                return QByteArray();
            }
            if (c.fault == Late)
                rig.beforeNextAnswer.push_back(held);
            return whole;
        };
        rig.engine.startPhonebookRead(6);
        ASSERT_GT(rig.runUntilIdle(), 0);
        EXPECT_EQ(asked, c.slot3Requests);
        ASSERT_EQ(rig.view.slots_.size(), 6u);
        for (int s = 1; s <= 6; ++s) {
            EXPECT_EQ(rig.view.slots_[s - 1].slot, s);
            EXPECT_EQ(rig.view.slots_[s - 1].name, QString("N%1").arg(s));
        }
        EXPECT_EQ(rig.countWrites(ascii("AT+CPBR=004\r")), 1);
        EXPECT_EQ(rig.view.status(), "GSM phonebook read, ready");
    }
}

// No modem text is taken without a request waiting for it.
TEST(EngineModem, TextWithoutARequestIsNotTaken) {
    ModemRig rig;
    rig.modem.moduleSilent = true;
    rig.engine.startImeiQuery();
    rig.step(); // the entry frame goes out, unanswered
    rig.engine.receive(ascii("AT\r\r\nOK\r\n"));
    EXPECT_EQ(rig.engine.state().LinkCommand, LinkCode::kModemEnter);
    rig.engine.receive(ascii("AT+CGSN\r\r\n490154203237518\r\n\r\nOK\r\n"));
    EXPECT_TRUE(rig.view.messages.empty());

    // While idle nothing is taken either.
    ModemRig idle;
    idle.engine.receive(ascii("AT\r\r\nOK\r\n") + kModeAck);
    EXPECT_FALSE(idle.engine.busy());
    EXPECT_EQ(idle.engine.state().RxCount, 0);
}

TEST(EngineModem, PinSwitchOff) {
    struct Case {
        const char* name;
        QByteArray simPin;
        int lockWrites;
        const char* status;
        int messages;
    };
    const Case cases[] = {
        {"right PIN", "1234", 1, "PIN CODE OFF", 0},
        {"wrong PIN", "4321", 0, "SIM PIN CODE OFF, ERROR", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModemRig rig;
        rig.modem.pin = c.simPin;
        EXPECT_TRUE(rig.engine.startPinSwitchOff(QStringLiteral("1234")));
        ASSERT_GT(rig.runUntilIdle(), 0);
        EXPECT_EQ(rig.countWrites(ascii("AT+CPIN=\"1234\"\r")), 1);
        EXPECT_EQ(rig.countWrites(ascii("AT+CLCK=\"SC\",0,\"1234\"\r")), c.lockWrites);
        EXPECT_EQ(rig.view.status(), c.status);
        ASSERT_EQ(static_cast<int>(rig.view.messages.size()), c.messages);
        if (c.messages)
            EXPECT_EQ(rig.view.messages[0], "PIN CODE ERROR");
        EXPECT_FALSE(rig.modem.on);
    }
}

TEST(EngineModem, PinOkThenLockOffElevenTicksLater) {
    ModemRig rig;
    rig.engine.startPinSwitchOff(QStringLiteral("1234"));
    while (rig.countWrites(ascii("AT+CPIN=\"1234\"\r")) == 0)
        rig.step();
    EXPECT_EQ(rig.view.status(), "PIN CODE OK");
    int ticks = 0;
    while (rig.countWrites(ascii("AT+CLCK=\"SC\",0,\"1234\"\r")) == 0) {
        rig.step();
        ++ticks;
    }
    EXPECT_EQ(ticks, 11);
}

TEST(EngineModem, BadPinsAreRefusedBeforeAnythingIsSent) {
    for (const char* pin : {"123", "12345", "", "12a4", "12\"4", "\u0661\u0662\u0663\u0664"}) {
        SCOPED_TRACE(pin);
        ModemRig rig(0);
        EXPECT_FALSE(rig.engine.startPinSwitchOff(QString::fromUtf8(pin)));
        ASSERT_EQ(rig.view.messages.size(), 1u);
        EXPECT_EQ(rig.view.messages[0], "Bad PIN");
        for (int i = 0; i < 10; ++i)
            rig.step();
        EXPECT_TRUE(rig.channel.writes.empty());
        EXPECT_FALSE(rig.engine.busy());
    }
}

// The PIN goes out once; its answer is awaited for 50 send steps (300 ticks),
// the lock-off's for 10 (60 ticks). Then the error, and modem mode is left.
TEST(EngineModem, PinAnswerCountdowns) {
    struct Case {
        const char* name;
        QByteArray silentAfter; // the modem stops answering from this command on
        QByteArray lastSent;
        int ticks;
    };
    const Case cases[] = {
        {"PIN", "AT+CPIN=\"1234\"", ascii("AT+CPIN=\"1234\"\r"), 300},
        {"lock off", "AT+CLCK=\"SC\",0,\"1234\"", ascii("AT+CLCK=\"SC\",0,\"1234\"\r"), 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModemRig rig;
        rig.modem.answerOverride = [&](const QByteArray& cmd) -> std::optional<QByteArray> {
            if (cmd == c.silentAfter)
                return QByteArray();
            return std::nullopt;
        };
        rig.engine.startPinSwitchOff(QStringLiteral("1234"));
        while (rig.countWrites(c.lastSent) == 0)
            rig.step();
        int ticks = 0;
        while (rig.view.status() != "SIM PIN CODE OFF, ERROR") {
            rig.step();
            ASSERT_LT(++ticks, 1000);
        }
        EXPECT_EQ(ticks, c.ticks);
        EXPECT_EQ(rig.countWrites(c.lastSent), 1);
        ASSERT_EQ(rig.view.messages.size(), 1u);
        EXPECT_EQ(rig.view.messages[0], "PIN CODE ERROR");
        ASSERT_GT(rig.runUntilIdle(), 0);
        EXPECT_EQ(rig.countWrites(kLeaveFrame), 1);
        EXPECT_FALSE(rig.modem.on);
    }
}

TEST(EngineModem, SmsCentreWaitsForTheTickAndTellsItsWindow) {
    ModemRig rig;
    rig.engine.startVersionQuery(false);
    rig.step(); // a command is pending and the port is open
    rig.engine.startSmsCentre(QStringLiteral(" +36 309 888000 "));
    EXPECT_EQ(rig.channel.writes.size(), 1u); // sent by the next tick, not at once
    ASSERT_GT(rig.runUntilIdle(), 0);
    EXPECT_EQ(rig.modem.smsCentre, "+36309888000");
    ASSERT_EQ(rig.results.results.size(), 1u);
    EXPECT_EQ(rig.results.operations[0], LinkCode::kSmsCentre);
    EXPECT_TRUE(rig.results.results[0].ok);
    EXPECT_FALSE(rig.modem.on);
}

TEST(EngineModem, SmsCentreNumbersThatCannotBeSentAreRefused) {
    for (const char* number : {"", "   ", "+", "+36\"30", "36a30",
                               "+36\x01"
                               "30",
                               "123456789012345678901"}) {
        SCOPED_TRACE(number);
        ModemRig rig;
        EXPECT_FALSE(rig.engine.startSmsCentre(QString::fromLatin1(number)));
        for (int i = 0; i < 10; ++i)
            rig.step();
        EXPECT_TRUE(rig.channel.writes.empty());
    }
}

TEST(EngineModem, BalanceAnswers) {
    struct Case {
        const char* name;
        std::function<std::optional<QByteArray>(const QByteArray&)> modem;
        bool ok;
        QString text;
        const char* reason;
    };
    const QByteArray echo = "ATD*102#;\r\n";
    const QByteArray longText =
        QByteArray("Kedves \xDCgyfel\xFCnk! Egyenlege 12 345 Ft, \xE8rv\xE8nyes 2025.12.31-ig. ")
            .repeated(4);
    const Case cases[] = {
        {"accents",
         [&](const QByteArray&) -> std::optional<QByteArray> {
             return echo + "\r\nOK\r\n\r\n+CUSD: 0,\"\xC9rt\xE8k: 1000 Ft, k\xF6sz\xF6nj\xFCk, "
                           "h\xECvjon\",15\r\n";
         },
         true, QStringLiteral("Érték: 1000 Ft, köszönjük, hívjon"), nullptr},
        {"long",
         [&](const QByteArray&) -> std::optional<QByteArray> {
             return echo + "\r\nOK\r\n\r\n+CUSD: 0,\"" + longText + "\",15\r\n";
         },
         true, ModemReplies::balanceText(longText), nullptr},
        {"dial refused",
         [&](const QByteArray&) -> std::optional<QByteArray> {
             return echo + "\r\n+CME ERROR: 30\r\n";
         },
         false, QString(), "engine.modem_error"},
        {"network refuses",
         [&](const QByteArray&) -> std::optional<QByteArray> {
             return echo + "\r\nOK\r\n\r\n+CUSD: 4\r\n";
         },
         false, QString(), "engine.balance_no_text"},
        {"network silent",
         [&](const QByteArray&) -> std::optional<QByteArray> { return echo + "\r\nOK\r\n"; }, false,
         QString(), "engine.modem_no_answer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModemRig rig;
        rig.modem.answerOverride = [&](const QByteArray& cmd) -> std::optional<QByteArray> {
            return cmd == "ATD*102#;" ? c.modem(cmd) : std::nullopt;
        };
        rig.engine.startBalanceQuery();
        ASSERT_GT(rig.runUntilIdle(), 0);
        ASSERT_EQ(rig.results.results.size(), 1u);
        const ModemResult& r = rig.results.results[0];
        EXPECT_EQ(rig.results.operations[0], LinkCode::kBalanceQuery);
        EXPECT_EQ(r.ok, c.ok);
        EXPECT_EQ(r.text, c.text);
        if (c.reason)
            EXPECT_STREQ(r.reasonKey, c.reason);
        EXPECT_FALSE(rig.modem.on);
        // A silent network: the dial goes out twice, 301 ticks apart.
        EXPECT_EQ(rig.countWrites(echo), QByteArray(c.name) == "network silent" ? 2 : 1);
    }
}

TEST(EngineModem, BalanceTextTakesNoLongerThanItsLastPiece) {
    ModemRig rig;
    rig.modem.answerOverride = [](const QByteArray& cmd) -> std::optional<QByteArray> {
        return cmd == "ATD*102#;" ? std::optional<QByteArray>(cmd + "\r\n\r\nOK\r\n")
                                  : std::nullopt;
    };
    rig.engine.startBalanceQuery();
    while (rig.countWrites(ascii("ATD*102#;\r\n")) == 0)
        rig.step();
    for (int i = 0; i < 40; ++i)
        rig.step();
    EXPECT_TRUE(rig.results.results.empty());
    rig.deliver(ascii("\r\n+CUSD: 0,\"40 bytes or so of balance text\",15\r\n"));
    ASSERT_EQ(rig.results.results.size(), 1u);
    EXPECT_EQ(rig.results.results[0].text, "40 bytes or so of balance text");
}

TEST(EngineModem, ImeiAnswers) {
    struct Case {
        const char* name;
        QByteArray answer; // after the echo; empty: none
        const char* message;
        const char* status;
    };
    const Case cases[] = {
        {"bare", "\r\n490154203237518\r\n\r\nOK\r\n", "IMEI number: 490154203237518", nullptr},
        {"error", "\r\nERROR\r\n", nullptr, "The GSM modem reported an error: ERROR"},
        {"no digits", "\r\nOK\r\n", nullptr, "IMEI number not readable"},
        {"silent", "", nullptr, "The GSM modem does not answer!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModemRig rig;
        rig.modem.answerOverride = [&](const QByteArray& cmd) -> std::optional<QByteArray> {
            if (cmd != "AT+CGSN")
                return std::nullopt;
            return c.answer.isEmpty() ? QByteArray() : cmd + "\r" + c.answer;
        };
        rig.engine.startImeiQuery();
        ASSERT_GT(rig.runUntilIdle(), 0);
        if (c.message) {
            ASSERT_EQ(rig.view.messages.size(), 1u);
            EXPECT_EQ(rig.view.messages[0], c.message);
        } else {
            EXPECT_TRUE(rig.view.messages.empty());
            // The status of the failure stays: leaving modem mode shows none.
            EXPECT_EQ(rig.view.status(), c.status);
        }
        EXPECT_EQ(rig.countWrites(ascii("AT+CGSN\r")), QByteArray(c.name) == "silent" ? 5 : 1);
        EXPECT_FALSE(rig.modem.on);
    }
}

// Tests of a call or an SMS do not wait for the modem and leave it in modem
// mode (the call goes on); the SMS text follows its header six ticks later.
TEST(EngineModem, CallAndSmsTests) {
    ModemRig rig(0);
    rig.engine.startSmsTest(QStringLiteral("+36301234567"));
    ASSERT_GT(rig.runUntilIdle(), 0);
    const auto& w = rig.channel.writes;
    ASSERT_GE(w.size(), 2u);
    EXPECT_EQ(w[w.size() - 2], ascii("AT+CMGS=\"+36301234567\"\r"));
    EXPECT_EQ(w.back(), ascii("Teszt SMS\x1A"));
    EXPECT_EQ(rig.view.status(), "Teszt SMS küldése");
    EXPECT_TRUE(rig.modem.on);
    EXPECT_TRUE(rig.engine.modemModeMayBeOn());

    rig.engine.startVoiceCallTest(QStringLiteral("+3630"));
    ASSERT_GT(rig.runUntilIdle(), 0);
    EXPECT_EQ(rig.channel.writes.back(), ascii("ATD+3630;\r"));
    EXPECT_EQ(rig.view.status(), "Test send...");
}

// A module still in modem mode passes the entry frame to its modem, which
// echoes it. The engine takes it out of modem mode and enters again.
TEST(EngineModem, AModuleLeftInModemModeIsTakenOutAndEnteredAgain) {
    ModemRig rig;
    rig.modem.on = true;
    rig.modem.answerOverride = [](const QByteArray& cmd) -> std::optional<QByteArray> {
        if (cmd.size() == 6 && at(cmd, 1) == 0xFD)
            return cmd; // echoed as any other bytes
        return std::nullopt;
    };
    rig.engine.startImeiQuery();
    ASSERT_GT(rig.runUntilIdle(), 0);
    ASSERT_EQ(rig.view.messages.size(), 1u);
    EXPECT_EQ(rig.view.messages[0], QString("IMEI number: ") + kImei);
    EXPECT_EQ(rig.countWrites(frame(0x00, 0xFD, 0x00, rig.image[0])), 4); // 3 unanswered, 1 taken
    EXPECT_EQ(rig.countWrites(kLeaveFrame), 2);                           // re-entry, then the end
}

TEST(EngineModem, SilentModuleAndSilentModem) {
    struct Case {
        const char* name;
        bool moduleSilent;
        bool modemSilent;
        const char* status;
        int entries;
        int leaves;
        int checks;
    };
    const Case cases[] = {
        {"module", true, false, "The module does not enter modem mode!", 3, 3, 0},
        {"modem", false, true, "The GSM modem does not answer!", 1, 1, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModemRig rig;
        rig.modem.moduleSilent = c.moduleSilent;
        rig.modem.modemSilent = c.modemSilent;
        rig.engine.startSmsCentre(QStringLiteral("+36309888000"));
        ASSERT_GT(rig.runUntilIdle(), 0);
        EXPECT_EQ(rig.view.status(), c.status);
        EXPECT_EQ(rig.countWrites(frame(0x00, 0xFD, 0x00, rig.image[0])), c.entries);
        EXPECT_EQ(rig.countWrites(kLeaveFrame), c.leaves);
        EXPECT_EQ(rig.countWrites(ascii("AT\r")), c.checks);
        ASSERT_EQ(rig.results.results.size(), 1u);
        EXPECT_FALSE(rig.results.results[0].ok);
        EXPECT_FALSE(rig.modem.on);
        // Still usable: the next operation goes ahead once the module answers.
        rig.modem.moduleSilent = rig.modem.modemSilent = false;
        rig.engine.startImeiQuery();
        ASSERT_GT(rig.runUntilIdle(), 0);
        EXPECT_EQ(rig.view.messages.back(), QString("IMEI number: ") + kImei);
    }
}

// A modem that keeps talking: the buffer never runs over, and the answer
// that finally comes is taken.
TEST(EngineModem, AModemThatKeepsTalkingDoesNotOverrunTheBuffer) {
    ModemRig rig;
    rig.modem.answerOverride = [](const QByteArray& cmd) -> std::optional<QByteArray> {
        return cmd == "AT" ? std::optional<QByteArray>(QByteArray("AT\r")) : std::nullopt;
    };
    rig.engine.startImeiQuery();
    while (rig.engine.state().LinkCommand != LinkCode::kModemCheck ||
           rig.countWrites(ascii("AT\r")) == 0)
        rig.step();
    for (int i = 0; i < 30; ++i) {
        rig.engine.receive(QByteArray(999, 'R') + "\r\n");
        ASSERT_LE(rig.engine.state().RxCount, LinkEngineState::kRxSize);
    }
    rig.engine.receive(QByteArray(7000, 'Z')); // one line longer than the buffer
    ASSERT_LE(rig.engine.state().RxCount, LinkEngineState::kRxSize);
    EXPECT_GT(rig.engine.rxBytesDropped(), 0);
    EXPECT_EQ(rig.engine.state().LinkCommand, LinkCode::kModemCheck);
    rig.engine.receive(ascii("\r\nOK\r\n"));
    EXPECT_EQ(rig.engine.state().LinkCommand, LinkCode::kImeiQuery);

    // The module's frame behind a flood is found too.
    ModemRig frameRig;
    frameRig.modem.moduleSilent = true;
    frameRig.engine.startImeiQuery();
    frameRig.step();
    frameRig.engine.receive(QByteArray(12000, '\x55'));
    ASSERT_LE(frameRig.engine.state().RxCount, LinkEngineState::kRxSize);
    frameRig.engine.receive(kModeAck.left(3));
    frameRig.engine.receive(kModeAck.mid(3));
    EXPECT_EQ(frameRig.engine.state().LinkCommand, LinkCode::kModemCheck);
}

TEST(EngineModem, ClosingTheWindowsLeavesModemModeOnlyIfItMayBeOn) {
    ModemRig rig;
    rig.engine.leaveModemMode();
    for (int i = 0; i < 10; ++i)
        rig.step();
    EXPECT_TRUE(rig.channel.writes.empty());

    // Closed while the balance is still awaited: the query ends, the module
    // leaves modem mode and the window is told nothing more.
    rig.modem.answerOverride = [](const QByteArray& cmd) -> std::optional<QByteArray> {
        return cmd == "ATD*102#;" ? std::optional<QByteArray>(cmd + "\r\n\r\nOK\r\n")
                                  : std::nullopt;
    };
    rig.engine.startBalanceQuery();
    while (rig.countWrites(ascii("ATD*102#;\r\n")) == 0)
        rig.step();
    rig.engine.leaveModemMode();
    ASSERT_GT(rig.runUntilIdle(), 0);
    EXPECT_EQ(rig.channel.writes.back(), kStatusReadFrame);
    EXPECT_FALSE(rig.modem.on);
    EXPECT_TRUE(rig.results.results.empty());
}

TEST(EngineModem, APortLostDuringAModemOperationEndsItForItsWindowAndPage) {
    ModemRig rig;
    rig.engine.startPhonebookRead(100);
    for (int i = 0; i < 3; ++i)
        rig.step();
    rig.engine.startSmsCentre(QStringLiteral("+36309888000"));
    rig.step();
    rig.engine.portLost();
    EXPECT_FALSE(rig.engine.busy());
    EXPECT_EQ(rig.view.status(), rig.text("engine.port_lost"));
    ASSERT_EQ(rig.results.results.size(), 1u);
    EXPECT_FALSE(rig.results.results[0].ok);
    EXPECT_STREQ(rig.results.results[0].reasonKey, "engine.port_lost");
}

// A test call leaves the module in modem mode, where it would pass frames to
// its modem. Any operation on the module itself takes it out first.
TEST(EngineModem, OperationsOnTheModuleLeaveModemModeFirst) {
    struct Case {
        const char* name;
        std::function<void(LinkEngine&)> start;
        std::function<void(ModemRig&)> check;
    };
    const Case cases[] = {
        {"read-all", [](LinkEngine& e) { e.startReadAll(); },
         [](ModemRig& rig) {
             EXPECT_TRUE(
                 std::equal(rig.image.data(), rig.image.data() + 1536, rig.module.mem.data()));
             EXPECT_EQ(rig.view.status(), "Successful readout!");
         }},
        {"version from the menu", [](LinkEngine& e) { e.startVersionQuery(true); },
         [](ModemRig& rig) { EXPECT_EQ(rig.view.version, "Sw: 4.3"); }},
        {"version at activation", [](LinkEngine& e) { e.startVersionQuery(false); },
         [](ModemRig& rig) { EXPECT_EQ(rig.view.version, "Sw: 4.3"); }},
        {"clock", [](LinkEngine& e) { e.startClockSync(); },
         [](ModemRig& rig) { EXPECT_EQ(rig.view.status(), "GSM time sync successful"); }},
        {"restart", [](LinkEngine& e) { e.startRestart(); },
         [](ModemRig& rig) {
             EXPECT_EQ(rig.channel.writes.back(), bytesOf({0x00, 0xFF, 0xAA, 0x00, 0x57, 0xA8}));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModemRig rig;
        for (int i = 0; i < 8192; ++i)
            rig.module.mem[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 7 + 1);
        rig.module.mem[254] = 43;
        rig.engine.startVoiceCallTest(QStringLiteral("+3630"));
        ASSERT_GT(rig.runUntilIdle(), 0);
        ASSERT_TRUE(rig.modem.on);
        const size_t before = rig.channel.writes.size();
        c.start(rig.engine);
        ASSERT_GT(rig.runUntilIdle(), 0);
        ASSERT_GT(rig.channel.writes.size(), before + 2);
        EXPECT_EQ(rig.channel.writes[before], kLeaveFrame);
        EXPECT_EQ(rig.channel.writes[before + 1], kStatusReadFrame);
        EXPECT_FALSE(rig.modem.on);
        EXPECT_FALSE(rig.engine.modemModeMayBeOn());
        c.check(rig);
    }
}

// A module that answers no leave frame (restarted meanwhile, or another one
// plugged in) does not hold up the operation for good.
TEST(EngineModem, AnUnansweredLeaveFrameDoesNotBlockTheNextOperation) {
    ModemRig rig;
    rig.module.mem[254] = 43;
    rig.engine.startVoiceCallTest(QStringLiteral("+3630"));
    ASSERT_GT(rig.runUntilIdle(), 0);
    rig.modem.on = false;
    rig.modem.moduleSilent = true; // the mode frames go unanswered
    rig.engine.startVersionQuery(true);
    ASSERT_GT(rig.runUntilIdle(), 0);
    EXPECT_EQ(rig.countWrites(kLeaveFrame), 3);
    EXPECT_EQ(rig.view.version, "Sw: 4.3");
    // The next operation no longer tries.
    rig.engine.startVersionQuery(true);
    ASSERT_GT(rig.runUntilIdle(), 0);
    EXPECT_EQ(rig.countWrites(kLeaveFrame), 3);
}

// ------------------------------------------------------------------ one operation at a time

// Whatever is asked for while a write runs (a menu item, a maintenance window
// opening or closing, a second send) is refused with a message, or left
// alone by a window that closes; the write goes on to its end, and the
// module holds every byte it sends.
TEST(EngineOneOperation, NothingCutsAWriteShort) {
    const QString refused = "Data sending in progress, the operation cannot start now!";
    struct Op {
        const char* name;
        std::function<void(LinkEngine&)> start;
        bool message; // a message says it was refused
    };
    const Op ops[] = {
        {"version query from the menu", [](LinkEngine& e) { e.startVersionQuery(true); }, true},
        {"version query of an activation", [](LinkEngine& e) { e.startVersionQuery(false); },
         false},
        {"read-all", [](LinkEngine& e) { e.startReadAll(); }, true},
        {"send again", [](LinkEngine& e) { e.startWriteAll(); }, true},
        {"PSTN send", [](LinkEngine& e) { e.startPstnSend(); }, true},
        {"status window opens", [](LinkEngine& e) { e.startStatusPoll(); }, true},
        {"status window closes", [](LinkEngine& e) { e.stopCommand(); }, false},
        {"monitor window opens and closes",
         [](LinkEngine& e) {
             e.startMonitor();
             e.leaveMonitor();
         },
         true},
        {"firmware window opens", [](LinkEngine& e) { e.startProcessorQuery(); }, true},
        {"restart", [](LinkEngine& e) { e.startRestart(); }, true},
        {"clock", [](LinkEngine& e) { e.startClockSync(); }, true},
        {"life signal", [](LinkEngine& e) { e.startLifeSignal(); }, true},
        {"phonebook read", [](LinkEngine& e) { e.startPhonebookRead(100); }, true},
        {"IMEI", [](LinkEngine& e) { e.startImeiQuery(); }, true},
        {"SMS centre window closes", [](LinkEngine& e) { e.leaveModemMode(); }, false},
        {"caller-ID read", [](LinkEngine& e) { e.startCallerIdRead(); }, true},
    };
    for (const int version : {20, 43}) {
        for (const Op& op : ops) {
            SCOPED_TRACE(std::string(version > 32 ? "blocks: " : "bytes: ") + op.name);
            Rig rig({.version = version});
            rig.fillImage(5);
            // A quarter of the way: byte 256 of 1024, or block 2 of 6.
            const size_t quarter = version > 32 ? 2 : 256;
            size_t seen = 0;
            rig.reply = [&](const QByteArray&) -> std::optional<QByteArray> {
                if (++seen == quarter)
                    op.start(rig.engine);
                return std::nullopt;
            };
            rig.engine.startWriteAll();
            ASSERT_GT(rig.runUntilIdle(), 0);
            ASSERT_EQ(rig.view.messages.size(), op.message ? 1u : 0u);
            if (op.message)
                EXPECT_EQ(rig.view.messages[0], refused);
            // A block write-all ends with a clock synchronisation of its own.
            EXPECT_EQ(rig.view.status(),
                      message(version > 32 ? "engine.clock_sync_done" : "engine.send_done", 1));
            EXPECT_TRUE(rig.view.buttonsEnabled);
            EXPECT_FALSE(rig.view.gaugeVisible);
            EXPECT_EQ(rig.writesOf(18, 0xFC).size(), 1u);
            const int end = version > 32 ? 1536 : 1024;
            int wrong = 0;
            for (int a = 0; a < end; ++a)
                if ((version > 32 || !skippedOnByteWrite(a, false)) &&
                    rig.module.mem[static_cast<size_t>(a)] != rig.image[a])
                    ++wrong;
            EXPECT_EQ(wrong, 0);
        }
    }
}

// Before its request has gone out, nothing answers it: a version frame or a
// clock acknowledgement that arrives before the tick has sent the query or
// the clock frame is someone else's, late.
TEST(EngineLateAnswer, AnAnswerBeforeItsRequestIsNotTaken) {
    {
        SCOPED_TRACE("version");
        Rig rig({.version = 20});
        rig.engine.startVersionQuery(true);
        rig.engine.receive(frame(0xAB, 0x00, 0xFE, 43));
        EXPECT_EQ(rig.engine.state().ModuleVersion, 20);
        EXPECT_TRUE(rig.engine.busy());
        ASSERT_GT(rig.runUntilIdle(), 0);
        EXPECT_EQ(rig.channel.writes, std::vector<QByteArray>{frame(0x00, 0x00, 0xFE, 0x00)});
        EXPECT_EQ(rig.engine.state().ModuleVersion, 20); // the module's own answer
    }
    {
        SCOPED_TRACE("clock");
        Rig rig;
        rig.engine.startClockSync();
        rig.engine.receive(frame(0xAB, 0xAA, 0, 0));
        EXPECT_TRUE(rig.engine.busy());
        EXPECT_NE(rig.view.status(), "Clock synchronisation with the PC clock successful");
        ASSERT_GT(rig.runUntilIdle(), 0);
        EXPECT_EQ(rig.writesOf(18, 0xFC).size(), 1u);
        EXPECT_EQ(rig.view.status(), message("engine.clock_sync_done", 1));
    }
}

// A byte answer names the low byte of its address only: the late answer to
// the read or write of address 10 reads like the answer for 266, 522 or 778.
// The first request for address 10 is answered late; the late answer comes
// while the aliasing address is asked for, before or after its own answer,
// or instead of it (that answer lost, a write not stored). It is never taken
// for that address; arriving anywhere else, it is dropped.
TEST(EngineLateAnswer, ALateByteAnswerIsNeverTakenForTheAddressItAliases) {
    enum class When { Before, After, Instead };
    const std::pair<When, const char*> whens[] = {
        {When::Before, "before"}, {When::After, "after"}, {When::Instead, "instead of"}};
    for (const bool write : {false, true}) {
        for (const int offset : {256, 512, 768, 100}) {
            for (const auto& [when, whenName] : whens) {
                SCOPED_TRACE(std::string(write ? "write, " : "read, ") + "arriving " + whenName +
                             " the answer for " + std::to_string(10 + offset));
                Rig rig({.version = 20});
                rig.fillModule(3);
                rig.fillImage(9);
                // Byte writes echo the byte: the alias must carry the same one.
                rig.image[10 + offset] = rig.image[10];
                rig.reply = loseAll;
                QByteArray late;
                bool lateSent = false;
                ScriptedLine line;
                write ? rig.engine.startWriteAll() : rig.engine.startReadAll();
                line.run(
                    rig,
                    [&](size_t, const QByteArray& request) {
                        if (request.size() != 6) {
                            line.line.push_back(rig.module.answer(request));
                            return;
                        }
                        const int address = at(request, 0) << 8 | at(request, 2);
                        if (address == 10 && late.isEmpty()) {
                            late = rig.module.answer(request);
                            return;
                        }
                        if (address == 10 + offset && !late.isEmpty() && !lateSent) {
                            lateSent = true;
                            if (when == When::Instead) {
                                line.line.push_back(late);
                                return;
                            }
                            const QByteArray answer = rig.module.answer(request);
                            line.line.push_back(when == When::Before ? late : answer);
                            line.line.push_back(when == When::Before ? answer : late);
                            return;
                        }
                        line.line.push_back(rig.module.answer(request));
                    },
                    [&] { return !rig.engine.busy(); });
                ASSERT_FALSE(rig.engine.busy());
                ASSERT_TRUE(lateSent);
                if (write) {
                    EXPECT_EQ(rig.module.mem[static_cast<size_t>(10 + offset)],
                              rig.image[10 + offset]);
                    EXPECT_EQ(rig.view.status(), "Data send successful!");
                } else {
                    for (int a = 0; a < 1024; ++a)
                        ASSERT_EQ(rig.image[a], rig.module.mem[static_cast<size_t>(a)]) << a;
                    EXPECT_EQ(rig.view.status(), "Successful readout!");
                }
            }
        }
    }
}

// Without a lost answer nothing is owed: a byte read asks every address once
// and never holds an answer back.
TEST(EngineLateAnswer, ALineWithoutFaultsNeverWaits) {
    Rig rig({.version = 20});
    rig.fillModule(4);
    rig.engine.startReadAll();
    EXPECT_EQ(rig.runUntilIdle(), 1);
    EXPECT_EQ(rig.channel.writes.size(), 1024u);
}

// The race of a read followed at once by the safety net's backup read, which
// runs on an engine of its own: the last block of the first read is answered
// twice, and the copy arrives while the second engine asks for its first
// block. It must not land there, whether answers come at once or take their
// time on the wire.
TEST(EngineReadAll, ACopyOfTheLastBlockOfAReadDoesNotLandInTheNextEnginesRead) {
    for (const int64_t answerMs : {0, 300}) {
        SCOPED_TRACE(answerMs ? "answers take their time on the wire" : "answers come at once");
        int64_t now = 0;
        QDateTime clock = kNow;
        bool idle = true;
        const LinkEngineConfig config = Rig::configFor({.version = 43}, &clock, &idle, &now);
        RecordingChannel channel;
        RecordingView firstView, secondView;
        ConfigImage firstImage, secondImage;
        LinkEngine first(channel, firstView, firstImage, config);
        LinkEngine second(channel, secondView, secondImage, config);
        first.setModuleVersion(43);
        second.setModuleVersion(43);
        FakeModule module;
        for (int i = 0; i < 8192; ++i)
            module.mem[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 13 + 2 + i / 256);
        module.mem[254] = 43;
        std::deque<QByteArray> line;
        size_t seen = 0;
        const auto run = [&](LinkEngine& e,
                             const std::function<void(const QByteArray&)>& onRequest) {
            for (int guard = 0; guard < 5000 && e.busy(); ++guard) {
                for (; seen < channel.writes.size(); ++seen)
                    onRequest(channel.writes[seen]);
                if (line.empty()) {
                    now += 50;
                    e.tick();
                    continue;
                }
                now += answerMs;
                const QByteArray next = line.front();
                line.pop_front();
                e.receive(next);
            }
        };
        QByteArray copy;
        first.startReadAll();
        run(first, [&](const QByteArray& request) {
            line.push_back(module.answer(request));
            if (at(request, 1) == 0xF7 && at(request, 2) == 0x50)
                copy = line.back();
        });
        ASSERT_FALSE(copy.isEmpty());
        EXPECT_TRUE(std::equal(firstImage.data(), firstImage.data() + 1536, module.mem.data()));
        first.passLinkTo(second);
        second.startReadAll();
        bool copySent = false;
        run(second, [&](const QByteArray& request) {
            if (!std::exchange(copySent, true))
                line.push_back(copy);
            line.push_back(module.answer(request));
        });
        EXPECT_FALSE(second.busy());
        EXPECT_TRUE(copySent);
        EXPECT_TRUE(std::equal(secondImage.data(), secondImage.data() + 1536, module.mem.data()));
        EXPECT_EQ(secondView.decodes, 1);
    }
}

// Blocks alike (an erased memory) that take their time on the wire are taken
// as they come, and the read ends with one short fence, a version query. A
// block answered twice leaves one answer more on the line ahead of the
// fence's answer: the read goes again from the first block that equalled an
// earlier one.
TEST(EngineReadAll, AlikeBlocksAreAskedOnceAndACopyAmongThemIsFound) {
    constexpr int kFence = 0xFE / 16; // the version query, as the list counts it
    struct Case {
        const char* name;
        bool alike;  // blocks 1 to 5 erased (block 0 holds the version)
        int doubled; // the request whose answer comes twice, -1: none
        std::vector<int> asked;
    };
    const Case cases[] = {
        {"alike, every answer once", true, -1, {0, 1, 2, 3, 4, 5, kFence}},
        {"alike, block 2 answered twice", true, 2, {0, 1, 2, 3, 4, 5, kFence, 2, 3, 4, 5, kFence}},
        {"different, block 2 answered twice",
         false,
         2,
         {0, 1, 2, 3, 4, 5, kFence, 3, 4, 5, kFence}},
        {"different, every answer once", false, -1, {0, 1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig({.version = 43});
        if (c.alike)
            std::fill(rig.module.mem.begin(), rig.module.mem.end(), uint8_t{0xFF});
        else
            rig.fillModule(6);
        rig.module.mem[254] = 43;
        rig.reply = loseAll;
        std::deque<QByteArray> line;
        std::vector<int> asked;
        size_t seen = 0;
        rig.engine.startReadAll();
        for (int guard = 0; guard < 5000 && rig.engine.busy(); ++guard) {
            for (; seen < rig.channel.writes.size(); ++seen) {
                const QByteArray& request = rig.channel.writes[seen];
                asked.push_back(at(request, 2) / 16);
                line.push_back(rig.module.answer(request));
                if (static_cast<int>(seen) == c.doubled)
                    line.push_back(line.back());
            }
            if (line.empty()) {
                rig.ms += 50;
                rig.engine.tick();
                continue;
            }
            rig.ms += 300; // a block takes 274 ms on the wire at 9600 baud
            const QByteArray next = line.front();
            line.pop_front();
            rig.engine.receive(next);
        }
        EXPECT_FALSE(rig.engine.busy());
        EXPECT_EQ(asked, c.asked);
        EXPECT_TRUE(std::equal(rig.image.data(), rig.image.data() + 1536, rig.module.mem.data()));
        EXPECT_EQ(rig.view.decodes, 1);
    }
}

// A modem that falls silent in the middle of a phonebook read: the slot's
// command goes out four times in all, then the read ends, says why, and the
// module gets its GSM program back.
TEST(EngineModem, AModemSilentDuringAPhonebookReadIsGivenUpAfterFourSends) {
    ModemRig rig;
    for (int s = 1; s <= 6; ++s)
        rig.modem.phonebook[s] = {QByteArray::number(s * 11), "N" + QByteArray::number(s)};
    rig.modem.answerOverride = [](const QByteArray& cmd) -> std::optional<QByteArray> {
        if (cmd == "AT+CPBR=003")
            return QByteArray();
        return std::nullopt;
    };
    rig.engine.startPhonebookRead(6);
    ASSERT_GT(rig.runUntilIdle(), 0);
    EXPECT_EQ(rig.countWrites(ascii("AT+CPBR=003\r")), 4);
    EXPECT_EQ(rig.countWrites(ascii("AT+CPBR=004\r")), 0);
    ASSERT_FALSE(rig.results.results.empty());
    EXPECT_FALSE(rig.results.results.back().ok);
    EXPECT_STREQ(rig.results.results.back().reasonKey, "engine.modem_no_answer");
    EXPECT_EQ(rig.countWrites(kLeaveFrame), 1);
    EXPECT_FALSE(rig.modem.on);
}
