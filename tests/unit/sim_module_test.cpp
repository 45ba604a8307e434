// The simulated module answers requests as a module does: checked here against
// hand-computed frames, and once through the real executable on a pty.

#include "core/reply_faults.h"
#include "core/sim_module.h"
#include "support/pty_sim.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <numeric>
#include <poll.h>
#include <sstream>
#include <termios.h>
#include <unistd.h>

using namespace alvento::sim;

namespace {

Bytes hexBytes(const std::string& text) {
    Bytes out;
    std::istringstream in(text);
    std::string tok;
    while (in >> tok)
        out.push_back(static_cast<std::uint8_t>(std::stoul(tok, nullptr, 16)));
    return out;
}

std::string hexText(const Bytes& bytes) {
    std::string s;
    char buf[4];
    for (auto b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", b);
        s += buf;
    }
    if (!s.empty())
        s.pop_back();
    return s;
}

ModuleOptions model(int code, int version = 43) {
    ModuleOptions o;
    o.model = code;
    o.version = version;
    return o;
}

// Feeds one request and returns the single exchange it must complete.
Exchange ask(SimModule& m, const Bytes& request) {
    auto out = m.feed(request);
    EXPECT_EQ(out.size(), 1u) << hexText(request);
    return out.empty() ? Exchange{} : out.front();
}

Bytes withHeader(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                 const Bytes& payload) {
    Bytes f = makeFrame(b0, b1, b2, b3);
    f.insert(f.end(), payload.begin(), payload.end());
    return f;
}

Bytes pattern(std::size_t n, int seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(seed + 7 * i);
    return b;
}

std::uint8_t sumOf(const Bytes& b) {
    return static_cast<std::uint8_t>(std::accumulate(b.begin(), b.end(), 0u));
}

} // namespace

TEST(SimFrames, WorkedFramesAreBuiltExactly) {
    struct Case {
        std::uint8_t b0, b1, b2, b3;
        const char* frame;
    } cases[] = {
        {0x00, 0x00, 0xFF, 0x00, "00 00 FF 00 01 FE"},
        {0xA0, 0xFE, 0x00, 0x00, "A0 FE 00 00 62 9D"},
        {0x00, 0x00, 0xFE, 0x00, "00 00 FE 00 02 FD"},
        {0x00, 0xFF, 0xAA, 0x00, "00 FF AA 00 57 A8"},
        {0x00, 0xFE, 0xBB, 0x00, "00 FE BB 00 47 B8"},
        {0x00, 0xFD, 0xBB, 0x00, "00 FD BB 00 48 B7"},
        {0x02, 0x04, 0x10, 0x01, "02 04 10 01 E9 16"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hexText(makeFrame(c.b0, c.b1, c.b2, c.b3)), c.frame);
        EXPECT_TRUE(frameValid(hexBytes(c.frame))) << c.frame;
    }
    EXPECT_FALSE(frameValid(hexBytes("00 00 FF 00 01 FD"))); // wrong check
    EXPECT_FALSE(frameValid(hexBytes("00 00 FF 00 02 FE"))); // wrong complement
}

// Replies to the six-byte requests, per model class. The configurator models
// and the TREKKA GPS model mark replies with 0xAB in byte 0; the others answer
// in the request's own layout. Byte 3 carries the byte read or written.
TEST(SimModuleReplies, SixByteRequestsPerModel) {
    struct Case {
        int model;
        bool identifyOnly;
        const char* request;
        const char* reply; // "" = silent
    } cases[] = {
        // identify read of 0x00FF gives the model code
        {71, false, "00 00 FF 00 01 FE", "AB 00 FF 47 0F F0"},
        {80, false, "00 00 FF 00 01 FE", "AB 00 FF 50 06 F9"},
        {100, false, "00 00 FF 00 01 FE", "AB 00 FF 64 F2 0D"},
        {60, false, "00 00 FF 00 01 FE", "AB 00 FF 3C 1A E5"},
        {30, false, "00 00 FF 00 01 FE", "00 00 FF 1E E3 1C"},
        {61, false, "00 00 FF 00 01 FE", "00 00 FF 3D C4 3B"},
        {71, true, "00 00 FF 00 01 FE", ""},
        // identify frame at 0xA000: acknowledged with data 0
        {71, false, "A0 FE 00 00 62 9D", "AB FE 00 00 57 A8"},
        {71, true, "A0 FE 00 00 62 9D", "AB FE 00 00 57 A8"},
        {50, false, "A0 FE 00 00 62 9D", "A0 FE 00 00 62 9D"},
        // version read of 0x00FE: version 43
        {71, false, "00 00 FE 00 02 FD", "AB 00 FE 2B 2C D3"},
        {50, false, "00 00 FE 00 02 FD", "00 00 FE 2B D7 28"},
        // byte write echoes the byte written
        {90, false, "01 01 10 5A 94 6B", "AB 01 10 5A EA 15"},
        {61, false, "00 01 1E 31 B0 4F", "00 01 1E 31 B0 4F"},
        // restart and life signal expect no answer; unknown commands neither
        {71, false, "00 FF AA 00 57 A8", ""},
        {71, false, "02 04 10 01 E9 16", ""},
        {71, false, "00 33 00 00 CD 32", ""},
    };
    for (const auto& c : cases) {
        ModuleOptions o = model(c.model);
        o.identifyOnly = c.identifyOnly;
        SimModule m(o);
        const Exchange ex = ask(m, hexBytes(c.request));
        EXPECT_EQ(hexText(ex.reply), c.reply) << "model " << c.model << ": " << c.request;
    }
}

TEST(SimModuleReplies, ByteWritesLandInMemoryExceptModuleOwnedBytes) {
    SimModule m(model(71));
    ask(m, makeFrame(0x01, 0x01, 0x10, 0x5A));
    EXPECT_EQ(m.memory()[0x110], 0x5A);
    EXPECT_EQ(ask(m, makeFrame(0x01, 0x00, 0x10, 0)).reply, makeFrame(0xAB, 0x00, 0x10, 0x5A));

    // A write to the version, build or model byte is acknowledged but kept.
    for (std::uint8_t a : {252, 254, 255}) {
        const Exchange ex = ask(m, makeFrame(0, 0x01, a, 0x11));
        EXPECT_EQ(ex.reply, makeFrame(0xAB, 0x01, a, 0x11));
    }
    EXPECT_EQ(m.memory()[252], 1);
    EXPECT_EQ(m.memory()[254], 43);
    EXPECT_EQ(m.memory()[255], 71);
    EXPECT_EQ(m.memory()[253], kErased);
}

TEST(SimModuleReplies, StatusReadsComeFromTheLiveBlock) {
    SimModule m(model(100));
    m.setStatusByte(3, 0x42);
    EXPECT_EQ(ask(m, makeFrame(0x02, 0x02, 0x03, 0)).reply, makeFrame(0xAB, 0x02, 0x03, 0x42));
    // the configuration byte at the same address is not what a status read sees
    EXPECT_EQ(ask(m, makeFrame(0x02, 0x00, 0x03, 0)).reply, makeFrame(0xAB, 0x00, 0x03, kErased));
}

TEST(SimModuleFraming, RequestsSurviveSplitsGarbageAndBadChecks) {
    SimModule m(model(71));
    const Bytes read = hexBytes("00 00 FE 00 02 FD");

    // one byte at a time
    for (std::size_t i = 0; i + 1 < read.size(); ++i)
        EXPECT_TRUE(m.feed(Bytes{read[i]}).empty());
    auto out = m.feed(Bytes{read.back()});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].request, read);

    // a bad check is not answered; the good request after it is
    Bytes stream = hexBytes("00 00 FF 00 01 FD 55");
    stream.insert(stream.end(), read.begin(), read.end());
    out = m.feed(stream);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].request, read);
    EXPECT_EQ(m.takeDropped(), hexBytes("00 00 FF 00 01 FD 55"));

    // two requests in one chunk give two replies in order
    Bytes two = hexBytes("00 00 FF 00 01 FE");
    two.insert(two.end(), read.begin(), read.end());
    out = m.feed(two);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].reply[3], 71);
    EXPECT_EQ(out[1].reply[3], 43);

    // a silent line forgets a half-received request
    m.feed(hexBytes("00 00 FF"));
    EXPECT_TRUE(m.hasPartial());
    m.lineIdle();
    EXPECT_TRUE(m.feed(hexBytes("00 01 FE")).empty());
}

TEST(SimModuleBlocks, ReadAndWriteUseTheirOwnAddressByteOrders) {
    Bytes image = pattern(kMemorySize, 3);
    SimModule m(model(71));
    m.loadMemory(image);

    // block 5 = address field 0x50 (16-byte units), low byte in byte 2
    Exchange ex = ask(m, makeFrame(0x00, 0xF7, 0x50, 0x00));
    ASSERT_EQ(ex.reply.size(), 257u);
    const Bytes expected(image.begin() + 1280, image.begin() + 1536);
    EXPECT_EQ(Bytes(ex.reply.begin(), ex.reply.end() - 1), expected);
    EXPECT_EQ(ex.reply.back(), sumOf(expected));

    // block write of block 5: high byte in byte 2, low byte in byte 3; the
    // acknowledgement is the one sum byte
    const Bytes data = pattern(256, 100);
    ex = ask(m, withHeader(sumOf(data), 0xF6, 0x00, 0x50, data));
    EXPECT_EQ(ex.reply, Bytes{sumOf(data)});
    EXPECT_TRUE(ex.transactionEnd);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), m.memory().begin() + 1280));
    EXPECT_EQ(m.memory()[1279], image[1279]);
    EXPECT_EQ(m.memory()[1536], image[1536]);

    // and reading it back in the read order returns it
    ex = ask(m, makeFrame(0x00, 0xF7, 0x50, 0x00));
    EXPECT_EQ(Bytes(ex.reply.begin(), ex.reply.end() - 1), data);

    // a block write whose header sum does not match its data is ignored
    Bytes bad = pattern(256, 9);
    ex = ask(m, withHeader(static_cast<std::uint8_t>(sumOf(bad) + 1), 0xF6, 0x00, 0x00, bad));
    EXPECT_TRUE(ex.reply.empty());
    EXPECT_EQ(m.memory()[0], image[0]);
}

TEST(SimModuleBlocks, CallerIdBlocksLiveAboveTheConfigurationMemory) {
    SimModule m(model(71, 50));
    // first caller-ID read request, address 0x3600 low byte first: erased
    Exchange ex = ask(m, hexBytes("00 F7 00 36 D3 2C"));
    ASSERT_EQ(ex.reply.size(), 257u);
    EXPECT_EQ(ex.reply[0], 0xFF);
    EXPECT_EQ(ex.reply.back(), 0x00);

    const Bytes data = pattern(256, 1);
    ex = ask(m, withHeader(sumOf(data), 0xF6, 0x37, 0x20, data));
    EXPECT_EQ(ex.reply, Bytes{sumOf(data)});
    ex = ask(m, makeFrame(0x00, 0xF7, 0x20, 0x37));
    EXPECT_EQ(Bytes(ex.reply.begin(), ex.reply.end() - 1), data);
}

TEST(SimModuleBlocks, ModulesBeforeVersion33KnowNoBlocks) {
    SimModule m(model(71, 32));
    EXPECT_TRUE(ask(m, makeFrame(0x00, 0xF7, 0x00, 0x00)).reply.empty());
    const Bytes data(256, 1);
    EXPECT_TRUE(ask(m, withHeader(0, 0xF6, 0x00, 0x00, data)).reply.empty());
    EXPECT_EQ(m.memory()[0], kErased);
}

TEST(SimModuleRecords, ContactIdModuleReadsAndWrites32ByteRecords) {
    Bytes image = pattern(kMemorySize, 11);
    SimModule m(model(100));
    m.loadMemory(image);

    Exchange ex = ask(m, makeFrame(0x00, 0x40, 200, 0x00));
    ASSERT_EQ(ex.reply.size(), 39u);
    EXPECT_EQ(ex.reply[0], 0xAB);
    EXPECT_EQ(ex.reply[2], 200);
    const Bytes expected(image.begin() + 6400, image.begin() + 6432);
    EXPECT_EQ(Bytes(ex.reply.begin() + 6, ex.reply.begin() + 38), expected);
    EXPECT_EQ(ex.reply[38], sumOf(expected));

    Bytes payload = pattern(32, 50);
    payload.push_back(sumOf(payload));
    ex = ask(m, withHeader(0x00, 0x80, 0x21, 0x00, payload));
    ASSERT_EQ(ex.reply.size(), 6u);
    EXPECT_TRUE(frameValid(ex.reply));
    EXPECT_EQ(ex.reply[0], 0xAB);
    EXPECT_EQ(ex.reply[1], 0x21);
    EXPECT_EQ(ex.reply[2], 0x21);
    EXPECT_TRUE(std::equal(payload.begin(), payload.end() - 1, m.memory().begin() + 32 * 0x21));

    payload.back() ^= 1;
    payload[0] ^= 0xFF;
    EXPECT_TRUE(ask(m, withHeader(0x00, 0x80, 0x22, 0x00, payload)).reply.empty());
    EXPECT_EQ(m.memory()[32 * 0x22], image[32 * 0x22]);

    // other configurator models have no records
    SimModule other(model(71));
    EXPECT_TRUE(ask(other, makeFrame(0x00, 0x40, 1, 0x00)).reply.empty());
}

TEST(SimModuleRecords, GpsModelsUse64ByteRecordsAtByteAddresses) {
    SimModule m(model(61));
    Bytes payload = pattern(64, 5);
    payload.push_back(0); // the Marlo window sends 0 instead of a sum
    Exchange ex = ask(m, withHeader(0x00, 0x80, 114, 64, payload));
    EXPECT_EQ(ex.reply, makeFrame(0x00, 0x80, 114, 64));

    ex = ask(m, makeFrame(0x00, 0x40, 114, 64));
    ASSERT_EQ(ex.reply.size(), 65u);
    const Bytes data(payload.begin(), payload.end() - 1);
    EXPECT_EQ(Bytes(ex.reply.begin(), ex.reply.end() - 1), data);
    EXPECT_EQ(ex.reply.back(), sumOf(data));
}

TEST(SimModuleCommands, ClockRestartAndLifeSignal) {
    SimModule m(model(90));
    Bytes clock = hexBytes("00 FC 00 00 04 FB");
    for (char c : std::string("241210153045"))
        clock.push_back(static_cast<std::uint8_t>(c));
    // arrives in pieces, as a serial line delivers it
    EXPECT_TRUE(m.feed(Bytes(clock.begin(), clock.begin() + 8)).empty());
    auto out = m.feed(Bytes(clock.begin() + 8, clock.end()));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(hexText(out[0].reply), "AB AA 00 00 AB 54");
    EXPECT_EQ(m.clockDigits(), "241210153045");
    EXPECT_EQ(out[0].events, std::vector<std::string>{"CLOCK 241210153045"});

    clock[10] = ':';
    EXPECT_TRUE(ask(m, clock).reply.empty());
    EXPECT_EQ(m.clockDigits(), "241210153045");

    EXPECT_EQ(ask(m, hexBytes("00 FF AA 00 57 A8")).events, std::vector<std::string>{"RESTART"});
    EXPECT_EQ(ask(m, hexBytes("02 04 10 01 E9 16")).events, std::vector<std::string>{"LIFESIGNAL"});
}

TEST(SimReplyFaults, FaultsHitEveryNthReply) {
    const Bytes frame = makeFrame(0xAB, 0x00, 0xFF, 71);
    struct Case {
        FaultOptions faults;
        // per reply 1..4: 'o' intact, 'd' dropped, 'c' bad check, 'm' bad complement, 's' split
        const char* expect;
    } cases[] = {
        {{.dropEvery = 2}, "odod"},
        {{.corruptCheckEvery = 3}, "ooco"},
        {{.corruptComplementEvery = 2}, "omom"},
        {{.splitEvery = 1}, "ssss"},
        {{.badComplement = true}, "mmmm"},
    };
    for (const auto& c : cases) {
        ReplyFaults f(c.faults);
        EXPECT_TRUE(f.apply({}).bytes.empty()); // silence is not counted as a reply
        for (int i = 0; i < 4; ++i) {
            const FaultedReply r = f.apply(frame);
            const char want = c.expect[i];
            SCOPED_TRACE(std::string(c.expect) + " reply " + std::to_string(i + 1));
            if (want == 'd') {
                EXPECT_TRUE(r.bytes.empty());
                continue;
            }
            ASSERT_EQ(r.bytes.size(), 6u);
            const std::uint8_t check = frameCheck(r.bytes[0], r.bytes[1], r.bytes[2], r.bytes[3]);
            EXPECT_EQ(r.bytes[5] == check, want != 'c');
            EXPECT_EQ(r.bytes[4] == 255 - check, want != 'm');
            EXPECT_EQ(r.split > 0 && r.split < 6, want == 's');
        }
    }
    // a block reply's check is its trailing sum
    ReplyFaults f({.corruptCheckEvery = 1});
    Bytes block(256, 2);
    block.push_back(0);
    EXPECT_NE(f.apply(block).bytes.back(), 0);
}

namespace {
int openRaw(const QString& path) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd >= 0) {
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

Bytes transact(int fd, const Bytes& request, std::size_t want) {
    EXPECT_EQ(::write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    Bytes got;
    for (int waited = 0; got.size() < want && waited < 3000; waited += 50) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            std::uint8_t buf[512];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                got.insert(got.end(), buf, buf + n);
        }
    }
    return got;
}
} // namespace

TEST(SimExecutable, AnswersOverItsPtyAndSavesMemory) {
    QTemporaryDir dir;
    const QString save = dir.filePath("mem.bin");
    const QString link = dir.filePath("ttyALV");
    PtySim sim({"--model", "80", "--save", save, "--link", link});
    ASSERT_TRUE(sim.started());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), QFileInfo(sim.path()).canonicalFilePath());

    const int fd = openRaw(link);
    ASSERT_GE(fd, 0);
    Bytes reply = transact(fd, hexBytes("00 00 FF 00 01 FE"), 6);
    ASSERT_EQ(reply.size(), 6u);
    EXPECT_TRUE(frameValid(reply));
    EXPECT_EQ(reply[3], 80);
    EXPECT_TRUE(sim.waitForLine("RX 00 00 FF 00 01 FE", 2000));

    reply = transact(fd, makeFrame(0x01, 0x01, 0x23, 0xC4), 6);
    EXPECT_EQ(reply, makeFrame(0xAB, 0x01, 0x23, 0xC4));
    ::close(fd);
    sim.stop();

    QFile f(save);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray mem = f.readAll();
    ASSERT_EQ(mem.size(), kMemorySize);
    EXPECT_EQ(static_cast<std::uint8_t>(mem[0x123]), 0xC4);
    EXPECT_EQ(static_cast<std::uint8_t>(mem[255]), 80);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    // the saves went through files of their own, none of which is left
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{"mem.bin"});
}

// --help answers on stdout and exits 0, naming every option the simulator
// takes; an unknown option still fails with status 2.
TEST(SimExecutable, HelpListsEveryOption) {
    QProcess p;
    p.start(qEnvironmentVariable("ALVENTO_SIM"), {"--help"});
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    const QString help = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(help.startsWith(QStringLiteral("usage: alvento-sim")));
    const char* const options[] = {"--model",
                                   "--version",
                                   "--build",
                                   "--memory",
                                   "--example-config",
                                   "--save",
                                   "--link",
                                   "--records",
                                   "--line-baud",
                                   "--pace-baud",
                                   "--identify-only",
                                   "--bad-complement",
                                   "--drop-every",
                                   "--corrupt-check-every",
                                   "--corrupt-complement-every",
                                   "--split-every",
                                   "--duplicate-every",
                                   "--late-every",
                                   "--drop-at",
                                   "--late-at",
                                   "--duplicate-at",
                                   "--at-times",
                                   "--drop-write-at",
                                   "--late-ms",
                                   "--duplicate-gap-ms",
                                   "--delay-ms",
                                   "--hold-at",
                                   "--vanish-after",
                                   "--vanish-ms",
                                   "--sound-out",
                                   "--caller-id",
                                   "--phonebook",
                                   "--pin",
                                   "--imei",
                                   "--balance-text",
                                   "--balance-code",
                                   "--ussd-ms",
                                   "--modem-silent-after",
                                   "--processor",
                                   "--hardware",
                                   "--firmware-version",
                                   "--load-silent",
                                   "--firmware-out",
                                   "--monitor-ms",
                                   "--status",
                                   "--cid-message",
                                   "--status-clock",
                                   "--help"};
    for (const char* o : options)
        EXPECT_TRUE(help.contains(QStringLiteral("  %1 ").arg(QLatin1String(o)))) << o;

    p.start(qEnvironmentVariable("ALVENTO_SIM"), {"--no-such-option"});
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().contains("unknown option --no-such-option"));
}
