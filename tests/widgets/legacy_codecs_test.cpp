// The older modules' encodings: digits with 88 and the on/off flag, the field
// rules, the four memory maps, and the 65-byte record reply.
#include "legacy/converter_codec.h"
#include "legacy/legacy_codes.h"
#include "legacy/marlo_codec.h"
#include "legacy/model30_codec.h"
#include "legacy/record_assembler.h"
#include "legacy/trekka_codec.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {
QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

QByteArray randomBytes(int n, quint32 seed) {
    QRandomGenerator rng(seed);
    QByteArray out(n, '\0');
    for (auto& c : out)
        c = static_cast<char>(rng.bounded(256));
    return out;
}

QByteArray filled(int n, int value) {
    return QByteArray(n, static_cast<char>(value));
}
} // namespace

TEST(LegacyDigits, EncodeAndDecode) {
    using namespace LegacyCodes;
    struct Case {
        const char* text;
        int length;
        QByteArray stored;
    } cases[] = {
        {"12A", 11, bytes({1, 2, 10, 88, 88, 88, 88, 88, 88, 88, 88})},
        {"9BCDEF", 6, bytes({9, 11, 12, 13, 14, 15})},
        {"abc", 3, bytes({10, 11, 12})}, // lower case is stored as the digit it names
        {"1G0X", 4, bytes({1, 88, 88, 88})},
        {"", 4, bytes({88, 88, 88, 88})},
        {"123456", 4, bytes({1, 2, 3, 4})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(encodeDigits(QString::fromLatin1(c.text), c.length), c.stored) << c.text;

    struct Read {
        QByteArray stored;
        const char* text;
    } reads[] = {
        {bytes({129, 2, 10, 88, 88}), "12A"},
        {bytes({0, 1, 16, 143, 128, 255, 127}), "1F"}, // 0, 16, 128, 255 and 127 give nothing
        {bytes({138, 139}), "AB"},
    };
    for (const auto& r : reads)
        EXPECT_EQ(decodeDigits(r.stored), QString::fromLatin1(r.text));
}

TEST(LegacyDigits, EventFlagPerModule) {
    using namespace LegacyCodes;
    EXPECT_EQ(encodeEvent(QStringLiteral("12A"), 11, false),
              bytes({129, 2, 10, 88, 88, 88, 88, 88, 88, 88, 88}));
    EXPECT_EQ(encodeEvent(QStringLiteral("12A"), 3, true), bytes({1, 2, 10}));
    // An empty code switched off: 88 + 128.
    EXPECT_EQ(static_cast<uint8_t>(encodeEvent(QString(), 2, false)[0]), 216);
    struct Case {
        int first;
        bool below127;
        bool bit7Clear;
    } cases[] = {{0, true, true},
                 {126, true, true},
                 {127, false, true},
                 {128, false, false},
                 {216, false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(eventOn(c.first, FlagRule::Below127), c.below127) << c.first;
        EXPECT_EQ(eventOn(c.first, FlagRule::Bit7Clear), c.bit7Clear) << c.first;
    }
}

TEST(LegacyFieldRules, EventAndAccountFields) {
    using namespace LegacyCodes;
    struct Case {
        const char* typed;
        const char* event;
        const char* account;
    } cases[] = {
        {"120", "12A", "12"},       // a trailing 0 is an A in an event code, refused in an account
        {"12g", "12", "12"},        // a letter after F is taken back
        {"ab", "AB", "ab"},         // the account code is upper-cased only from four characters
        {"abcd", "ABCD", "ABCD"},   //
        {"1x2y", "1", "1"},         // pasted junk goes character by character from the end
        {"12345", "12345", "1234"}, //
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(eventFieldRule(QString::fromLatin1(c.typed)), QString::fromLatin1(c.event))
            << c.typed;
        EXPECT_EQ(accountFieldRule(QString::fromLatin1(c.typed)), QString::fromLatin1(c.account))
            << c.typed;
    }
}

TEST(Model30Codec, HeartbeatItemsAndStoredPeriods) {
    struct Case {
        int high, low;
        int item;
    } cases[] = {{0, 60, Model30::OneMinute},      {2, 88, Model30::TenMinutes},
                 {14, 16, Model30::OneHour},       {0, 180, Model30::ModulePeriod},
                 {11, 184, Model30::ModulePeriod}, {11, 185, Model30::ModulePeriod},
                 {255, 255, Model30::ModulePeriod}};
    for (const auto& c : cases) {
        QByteArray image(Model30::kImageSize, '\0');
        image[0] = static_cast<char>(c.high);
        image[1] = static_cast<char>(c.low);
        const Model30::Values v = Model30::decode(image);
        EXPECT_EQ(v.heartbeat, c.item) << c.high << "," << c.low;
        EXPECT_EQ(v.storedHeartbeat, c.high * 256 + c.low);
        // Untouched, the stored period goes back as it is; an item replaces it.
        EXPECT_EQ(Model30::encode(v, image).left(2), image.left(2));
        Model30::Values chosen = v;
        chosen.heartbeat = c.item == Model30::OneHour ? Model30::OneMinute : Model30::OneHour;
        const int s = Model30::heartbeatSeconds(*chosen.heartbeat);
        EXPECT_EQ(Model30::encode(chosen, image).left(2), bytes({s / 256, s % 256}));
    }
}

// Whatever the module holds, reading it into the form and sending the form
// back unchanged writes the same bytes.
TEST(LegacyCodecs, DecodeThenEncodeChangesNothing) {
    for (quint32 seed = 1; seed <= 200; ++seed) {
        QByteArray m30 = randomBytes(Model30::kImageSize, seed);
        if (seed % 3 == 0)
            m30.fill(char(0xFF)); // a fresh module
        EXPECT_EQ(Model30::encode(Model30::decode(m30), m30), m30) << seed;
        const QByteArray conv = randomBytes(Converter::kReadSize, seed);
        EXPECT_EQ(Converter::encode(Converter::decode(conv), conv), conv) << seed;
        const QByteArray trekka = randomBytes(Trekka::kImageSize, seed);
        EXPECT_EQ(Trekka::encode(Trekka::decode(trekka), trekka), trekka) << seed;
        const QByteArray records = randomBytes(Marlo::kRecords * Marlo::kRecordSize, seed);
        EXPECT_EQ(Marlo::encodeGrid(Marlo::decodeGrid(records), records), records) << seed;
        EXPECT_FALSE(Marlo::firstBadCell(Marlo::decodeGrid(records), records)) << seed;
    }
}

TEST(Model30Codec, EditedValuesAreWrittenAsTheModuleReadsThem) {
    QByteArray image(Model30::kImageSize, char(0xFF));
    Model30::Values v = Model30::decode(image);
    v.heartbeat = Model30::TenMinutes;
    v.format = 3;
    v.automaticAccount = true;
    v.account = QStringLiteral("1b");
    v.on[0] = false;
    v.code[0] = QStringLiteral("12A");
    v.on[18] = true;
    v.code[18] = QStringLiteral("FFFFFFFFFFF");
    v.code[16] = QStringLiteral("1"); // no field: never written
    const QByteArray out = Model30::encode(v, image);
    EXPECT_EQ(out.left(4), bytes({2, 88, 3, 1}));
    EXPECT_EQ(out.mid(4, 16), image.mid(4, 16));
    EXPECT_EQ(out.mid(256, 4), bytes({1, 11, 88, 88}));
    EXPECT_EQ(out.mid(260, 11), bytes({129, 2, 10, 88, 88, 88, 88, 88, 88, 88, 88}));
    EXPECT_EQ(out.mid(458, 11), filled(11, 15));
    EXPECT_EQ(out.mid(436, 22), image.mid(436, 22));
    const Model30::Values back = Model30::decode(out);
    EXPECT_FALSE(back.on[0]);
    EXPECT_EQ(back.code[0], QStringLiteral("12A"));
    EXPECT_TRUE(back.on[18]);
    EXPECT_EQ(back.account, QStringLiteral("1B"));
    // Only the box changed: the digits stay, the flag goes.
    v = back;
    v.on[0] = true;
    EXPECT_EQ(Model30::encode(v, out).mid(260, 3), bytes({1, 2, 10}));
}

TEST(ConverterCodec, FieldsAtTheirAddresses) {
    QByteArray image(Converter::kReadSize, '\0');
    Converter::Values v = Converter::decode(image);
    EXPECT_EQ(v.sensitivity, Converter::kSensitivityMin); // 0 shows as the range's end
    v.sensitivity = 510;
    v.apn = QString();
    v.lists = {2, 1, 1};
    v.on = {true, false, true};
    v.code = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    v.account = QStringLiteral("12AB");
    QByteArray out = Converter::encode(v, image);
    EXPECT_EQ(out.mid(113, 2), bytes({254, 1}));
    EXPECT_EQ(static_cast<uint8_t>(out[128]), 13); // an empty APN is only its end
    EXPECT_EQ(out.mid(110, 3), bytes({2, 1, 1}));
    EXPECT_EQ(static_cast<uint8_t>(out[0]), 1);
    EXPECT_EQ(static_cast<uint8_t>(out[22]), 130);
    EXPECT_EQ(static_cast<uint8_t>(out[33]), 3);
    EXPECT_EQ(out.mid(106, 4), bytes({1, 2, 10, 11}));

    v.apn = QString(32, QLatin1Char('a'));
    out = Converter::encode(v, out);
    EXPECT_EQ(out.mid(128, 32), QByteArray(32, 'a'));
    EXPECT_EQ(static_cast<uint8_t>(out[160]), 13);

    // No carriage return in the APN area: all 33 bytes are shown.
    image.replace(128, 40, QByteArray(40, 'x'));
    EXPECT_EQ(Converter::decode(image).apn, QString(33, QLatin1Char('x')));
    image[113] = char(0xFF);
    image[114] = char(0xFF);
    EXPECT_EQ(Converter::decode(image).sensitivity, Converter::kSensitivityMax);
}

TEST(TrekkaCodec, LayoutAndChecks) {
    QByteArray image(Trekka::kImageSize, '\0');
    Trekka::Values v;
    v.gSensorOff = true;
    v.ip = QStringLiteral("192.168.001.010");
    v.port = QStringLiteral("05000");
    v.apn = QString(32, QLatin1Char('n'));
    QByteArray out = Trekka::encode(v, image);
    EXPECT_EQ(out[15], 1);
    EXPECT_EQ(out.mid(160, 15), QByteArray("192.168.001.010"));
    EXPECT_EQ(out[175], '/');
    EXPECT_EQ(out.mid(176, 5), QByteArray("05000"));
    EXPECT_EQ(out.mid(128, 32), QByteArray(32, 'n')); // 32 characters: no end byte
    const Trekka::Values back = Trekka::decode(out);
    EXPECT_EQ(back.apn, v.apn);
    EXPECT_EQ(back.ip, v.ip);
    v.apn = QStringLiteral("web");
    out = Trekka::encode(v, out);
    EXPECT_EQ(out.mid(128, 4), QByteArray("web\xff"));
    EXPECT_EQ(out.mid(132, 28), QByteArray(28, 'n'));

    struct Check {
        const char* ip;
        bool changed;
        const char* problemStart; // "" = accepted
    } ips[] = {
        {"1.2.3.4", true, "Nem megfelelő hosszúságú"},
        {"192.168.1.10000", true, "Tizedespont"},
        {"192.168.001.010", true, ""},
        {"300.168.001.010", true, "Az IP cim számcsoportjai"},
        {"300.168.001.010", false, ""}, // as the module holds it: not in the way of a send
        {"1.2.33.4.55.666", true, "Tizedespont"},
    };
    for (const auto& c : ips) {
        const QString problem = Trekka::ipProblem(QString::fromLatin1(c.ip), c.changed);
        if (*c.problemStart)
            EXPECT_TRUE(problem.startsWith(QString::fromUtf8(c.problemStart))) << c.ip;
        else
            EXPECT_TRUE(problem.isEmpty()) << c.ip;
    }
    EXPECT_FALSE(Trekka::portProblem(QStringLiteral("0500"), false).isEmpty());
    EXPECT_FALSE(Trekka::portProblem(QStringLiteral("70000"), true).isEmpty());
    EXPECT_TRUE(Trekka::portProblem(QStringLiteral("05000"), true).isEmpty());
    EXPECT_FALSE(Trekka::apnProblem(QString(33, QLatin1Char('a')), false).isEmpty());
    EXPECT_FALSE(Trekka::apnProblem(QStringLiteral("árvíz"), true).isEmpty());

    QByteArray record(64, '\0');
    record = Trekka::withRecordIp(record, QStringLiteral("010.020.030.040"));
    EXPECT_EQ(record[18], '0');
    EXPECT_EQ(record[19], '\0');
    EXPECT_EQ(record[46], '0');
    EXPECT_EQ(record[44], '4');
    EXPECT_EQ(Trekka::recordIp(record), QStringLiteral("010.020.030.040"));
}

TEST(MarloCodec, CellsAndSlots) {
    struct Case {
        int32_t value;
        const char* text;
    } cases[] = {{471234, "47.1234"}, {0, "0.0000"},         {5, "0.0005"},
                 {-5, "-0.0005"},     {-471234, "-47.1234"}, {9999, "0.9999"},
                 {10000, "1.0000"},   {-1, "-0.0001"},       {1800000, "180.0000"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Marlo::cellText(c.value), QString::fromLatin1(c.text));
        EXPECT_EQ(Marlo::cellValue(QString::fromLatin1(c.text), 180), c.value) << c.text;
    }
    struct Parse {
        const char* text;
        int maxDegrees;
        std::optional<int32_t> value;
    } parses[] = {
        {"", 90, 0},
        {"0.", 90, 0},
        {"47.12345", 90, {}},
        {"47.123", 90, {}},
        {"4a.1234", 90, {}},
        {"91.0000", 90, {}},
        {"91.0000", 180, 910000},
        {"47,1234", 90, {}},
        {".5000", 90, 5000},
        {"99999999999.0000", 180, {}},
        {"0", 90, {}},
        {"+1.0000", 90, {}},
    };
    for (const auto& p : parses)
        EXPECT_EQ(Marlo::cellValue(QString::fromLatin1(p.text), p.maxDegrees), p.value) << p.text;

    char slot[8];
    Marlo::putSlot(slot, 471234);
    EXPECT_EQ(QByteArray(slot, 8), bytes({194, 12, 48, 12, 7, 12, 0, 12}));
    EXPECT_EQ(Marlo::slotValue(slot), 471234);
    Marlo::putSlot(slot, -5);
    EXPECT_EQ(QByteArray(slot, 8), bytes({251, 12, 255, 12, 255, 12, 255, 12}));
    EXPECT_EQ(Marlo::slotValue(slot), -5);

    EXPECT_EQ(Marlo::recordHigh(0), 114);
    EXPECT_EQ(Marlo::recordLow(3), 192);
    EXPECT_EQ(Marlo::recordHigh(31), 121);
    EXPECT_EQ(Marlo::recordLow(31), 192);
}

TEST(MarloCodec, GridRowsInRecordsAndChangedCellsOnly) {
    QByteArray records = filled(Marlo::kRecords * Marlo::kRecordSize, 0xFF);
    Marlo::Grid g = Marlo::decodeGrid(records);
    EXPECT_EQ(g[0][0], QStringLiteral("-0.0001")); // erased bytes
    g[1][2] = QStringLiteral("47.1234");           // row 2: second area of record 0
    g[63][3] = QStringLiteral("0.");               // row 64: second area of record 31
    g[5][0] = QString();
    const QByteArray out = Marlo::encodeGrid(g, records);
    EXPECT_EQ(out.mid(32 + 16, 8), bytes({194, 12, 48, 12, 7, 12, 0, 12}));
    EXPECT_EQ(out.mid(31 * 64 + 32 + 24, 8), bytes({0, 12, 0, 12, 0, 12, 0, 12}));
    EXPECT_EQ(out.mid(2 * 64 + 32, 8), bytes({0, 12, 0, 12, 0, 12, 0, 12}));
    // Everything else stays as read, odd bytes included.
    QByteArray rest = out;
    for (int at : {32 + 16, 31 * 64 + 32 + 24, 2 * 64 + 32})
        rest.replace(at, 8, filled(8, 0xFF));
    EXPECT_EQ(rest, records);

    g[10][1] = QStringLiteral("19.12345");
    g[12][0] = QStringLiteral("x");
    const auto bad = Marlo::firstBadCell(g, records);
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->row, 10);
    EXPECT_EQ(bad->value, 1);
}

TEST(MarloCodec, PhoneNumber) {
    QByteArray block = filled(Marlo::kBlockSize, 0xFF);
    block = Marlo::withPhone(block, QStringLiteral("+36301234567"));
    EXPECT_EQ(block.mid(30, 13), QByteArray("+36301234567*"));
    EXPECT_EQ(static_cast<uint8_t>(block[43]), 0xFF);
    EXPECT_EQ(Marlo::phone(block), QStringLiteral("+36301234567"));
    block = Marlo::withPhone(block, QStringLiteral("1234567890123456"));
    EXPECT_EQ(block.mid(30, 16), QByteArray("1234567890123456"));
    EXPECT_EQ(static_cast<uint8_t>(block[46]), 0xFF); // no "*" after 16 characters
    EXPECT_EQ(Marlo::phone(block), QStringLiteral("1234567890123456"));
    EXPECT_TRUE(Marlo::phoneValid(QStringLiteral("+36301234567")));
    EXPECT_FALSE(Marlo::phoneValid(QStringLiteral("0630*1")));
    EXPECT_FALSE(Marlo::phoneValid(QStringLiteral("12345678901234567")));
}

TEST(RecordAssembler, SixtyFiveBytesWithTheirSum) {
    QByteArray record = randomBytes(64, 7);
    unsigned sum = 0;
    for (char c : record)
        sum += static_cast<uint8_t>(c);
    const QByteArray good = record + static_cast<char>(sum & 0xFF);

    RecordAssembler a;
    EXPECT_EQ(a.receive(good.left(40)), RecordAssembler::Result::Incomplete);
    EXPECT_EQ(a.receive(good.mid(40)), RecordAssembler::Result::Good);
    EXPECT_EQ(a.record(), record);

    QByteArray badSum = good;
    badSum[64] = static_cast<char>(badSum[64] ^ 1);
    EXPECT_EQ(a.receive(badSum), RecordAssembler::Result::BadSum);
    // A reply followed by stray bytes in one event is thrown away whole.
    EXPECT_EQ(a.receive(good + "x"), RecordAssembler::Result::Overflow);
    EXPECT_EQ(a.receive(good), RecordAssembler::Result::Good);
    // A new request forgets a partial reply.
    EXPECT_EQ(a.receive(good.left(10)), RecordAssembler::Result::Incomplete);
    a.newRequest();
    EXPECT_EQ(a.receive(good), RecordAssembler::Result::Good);
}
