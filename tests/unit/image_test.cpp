#include "image/image_codecs.h"
#include "image/image_convert.h"
#include "image/image_extent.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <gtest/gtest.h>
#include <vector>

namespace {

ConfigImage filled(uint8_t value) {
    ConfigImage image;
    image.bytes.fill(value);
    return image;
}

std::vector<uint8_t> bytesAt(const ConfigImage& image, int address, int count) {
    return {image.data() + address, image.data() + address + count};
}

std::vector<uint8_t> ascii(const char* text) {
    std::vector<uint8_t> bytes;
    for (; *text; ++text)
        bytes.push_back(static_cast<uint8_t>(*text));
    return bytes;
}

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TargetList targets(std::initializer_list<int> phoneNumbers) {
    TargetList list{};
    for (int n : phoneNumbers)
        list[static_cast<size_t>(n - 1)] = true;
    return list;
}

// ---------------------------------------------------------------- TargetMask

TEST(TargetMask, PhoneNumberNIsBitNMinusOne) {
    const struct {
        std::initializer_list<int> numbers;
        uint8_t mask;
    } cases[] = {
        {{}, 0x00},
        {{1}, 0x01},
        {{8}, 0x80},
        {{1, 8}, 0x81},
        {{2, 3}, 0x06},
        {{1, 3, 5, 7}, 0x55},
        {{1, 2, 3, 4, 5, 6, 7, 8}, 0xFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        EXPECT_EQ(packTargetMask(targets(c.numbers)), c.mask);
        EXPECT_EQ(unpackTargetMask(c.mask), targets(c.numbers));
    }
}

TEST(TargetMask, EveryByteRoundTrips) {
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(packTargetMask(unpackTargetMask(static_cast<uint8_t>(b))), b);
}

// ---------------------------------------------------------------- InputRecord

TEST(InputRecord, ByteLayout) {
    const struct {
        const char* what;
        InputRecord record;
        std::array<uint8_t, 4> bytes;
    } cases[] = {
        {"type 3 inverted", {3, true, {}, {}, {}}, {0x83, 0, 0, 0}},
        {"type 5", {5, false, {}, {}, {}}, {0x05, 0, 0, 0}},
        {"no selection", {-1, false, {}, {}, {}}, {0xFF, 0, 0, 0}},
        {"no selection inverted", {-1, true, {}, {}, {}}, {0x7F, 0, 0, 0}},
        {"masks", {1, false, targets({1, 8}), targets({2, 3}), {}}, {0x01, 0x81, 0x06, 0}},
        {"restore", {0, false, {}, {}, {.restoreToo = true}}, {0, 0, 0, 0x01}},
        {"siren", {0, false, {}, {}, {.siren = true}}, {0, 0, 0, 0x04}},
        {"voice message", {0, false, {}, {}, {.voiceMessage = true}}, {0, 0, 0, 0x08}},
        {"remote monitoring", {0, false, {}, {}, {.remoteMonitoring = true}}, {0, 0, 0, 0x10}},
        {"no pick-up", {0, false, {}, {}, {.noPickUp = true}}, {0, 0, 0, 0x20}},
        {"DTMF", {0, false, {}, {}, {.dtmfAck = true}}, {0, 0, 0, 0x40}},
        {"all options", {0, false, {}, {}, {true, true, true, true, true, true}}, {0, 0, 0, 0x7D}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(encodeInputRecord(c.record), c.bytes);
    }
}

TEST(InputRecord, DecodeRestoresValidRecords) {
    const InputRecord records[] = {
        {3, true, targets({1, 8}), targets({2}), {.siren = true, .dtmfAck = true}},
        {0, false, {}, targets({1, 2, 3, 4, 5, 6, 7, 8}), {.restoreToo = true, .noPickUp = true}},
        {5, false, targets({4}), {}, {true, true, true, true, true, true}},
    };
    for (const auto& r : records)
        EXPECT_EQ(decodeInputRecord(encodeInputRecord(r)), r);
}

TEST(InputRecord, UnusedOptionBitsAreDroppedAndTypeIsSevenBits) {
    const InputRecord r = decodeInputRecord({0xFF, 0, 0, 0xFF});
    EXPECT_EQ(r.type, 127);
    EXPECT_TRUE(r.inverted);
    EXPECT_EQ(encodeInputRecord(r)[3], 0x7D); // bits 1 and 7 never come back
}

TEST(InputRecord, ImageWriteTouchesOnlyItsFourBytes) {
    ConfigImage image = filled(0xAA);
    writeInputRecord(image, 12, {3, true, targets({1}), targets({8}), {.siren = true}});
    EXPECT_EQ(bytesAt(image, 11, 6), (std::vector<uint8_t>{0xAA, 0x83, 0x01, 0x80, 0x04, 0xAA}));
    EXPECT_EQ(readInputRecord(image, 12).type, 3);
}

// ---------------------------------------------------------------- 16-bit values

TEST(Word, HighByteFirst) {
    const struct {
        int value;
        uint8_t high, low;
    } cases[] = {
        {0, 0, 0}, {3, 0, 3}, {1440, 0x05, 0xA0}, {53500, 0xD0, 0xFC}, {65535, 0xFF, 0xFF}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        ConfigImage image = filled(0x11);
        writeWord(image, 65, c.value);
        EXPECT_EQ(bytesAt(image, 64, 4), (std::vector<uint8_t>{0x11, c.high, c.low, 0x11}));
        EXPECT_EQ(readWord(image, 65), c.value);
    }
}

// ---------------------------------------------------------------- Phone numbers

TEST(PhoneNumber, StoredCharactersAndTerminator) {
    const struct {
        const char* text;
        std::vector<uint8_t> stored; // from the slot start
        const char* readBack;
    } cases[] = {
        {"+36301234567    ", ascii("+36301234567") + std::vector<uint8_t>{0xFF, 0x33},
         "+36301234567"},
        {"06301234567", ascii("06301234567") + std::vector<uint8_t>{0xFF}, "06301234567"},
        {"-123", {0xFF, 0x33}, ""},
        {"", {0xFF, 0x33}, ""},
        {"                ", {0xFF}, ""},
        {"12 34", {'1', '2', 0xFF, 0x33}, "12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ConfigImage image = filled(0x33);
        writePhoneNumber(image, 256, QString::fromLatin1(c.text));
        EXPECT_EQ(bytesAt(image, 256, static_cast<int>(c.stored.size())), c.stored);
        EXPECT_EQ(readPhoneNumber(image, 256), QString::fromLatin1(c.readBack));
    }
}

TEST(PhoneNumber, SixteenDigitsFillTheSlotAndReadBackWhole) {
    ConfigImage image = filled(0x33);
    writePhoneNumber(image, 288, "0123456789012345");
    EXPECT_EQ(bytesAt(image, 288, 16), ascii("0123456789012345"));
    EXPECT_EQ(image[304], 0xFF); // terminator in the next slot, which that slot overwrites
    image[304] = '7';
    EXPECT_EQ(readPhoneNumber(image, 288), "0123456789012345");
    // A longer text never reaches past the 17th position.
    image = filled(0x33);
    writePhoneNumber(image, 288, "01234567890123456789");
    EXPECT_EQ(bytesAt(image, 288, 18),
              (ascii("0123456789012345") + std::vector<uint8_t>{0xFF, 0x33}));
}

// ---------------------------------------------------------------- ImageText

TEST(ImageText, StoredBytes) {
    const struct {
        QString text;
        std::vector<uint8_t> stored;
    } cases[] = {
        {"abc", {'a', 'b', 'c', 0xFF, 0x33}},
        {"", {0xFF, 0x33}},
        {u"áíűő"_qs, {0xE0, 0xEC, 0xFB, 0xF5, 0xFF}},
        {u"éó"_qs, {0xE8, 0xF2, 0xFF}},
        {u"ÁÉÓÍöü"_qs, {0xC1, 0xC9, 0xD3, 0xCD, 0xF6, 0xFC, 0xFF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ConfigImage image = filled(0x33);
        const int end = writeImageText(image, 512, c.text);
        EXPECT_EQ(bytesAt(image, 512, static_cast<int>(c.stored.size())), c.stored);
        EXPECT_EQ(end, 512 + c.text.size());
    }
}

TEST(ImageText, ReadBackGivesTheTextAndNormalisesTheImage) {
    const QString texts[] = {"abc", u"áíűő riasztás"_qs, u"Belső szabotázs éjjel óra"_qs};
    for (const auto& text : texts) {
        SCOPED_TRACE(text.toStdString());
        ConfigImage image = filled(0x33);
        writeImageText(image, 768, text);
        EXPECT_EQ(readImageText(image, 768), text);
        QStringEncoder cp1250("windows-1250");
        const QByteArray plain = cp1250.encode(text);
        EXPECT_EQ(bytesAt(image, 768, static_cast<int>(plain.size())),
                  std::vector<uint8_t>(plain.begin(), plain.end()));
    }
}

// The files and the image hold code page 1250; the conversion is a table of
// its own and must agree with the system's converter byte for byte.
TEST(CodePage1250, AgreesWithTheSystemConverter) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    QStringDecoder decoder("windows-1250");
    const QString text = decoder.decode(all);
    EXPECT_EQ(fromCodePage1250(all), text);
    EXPECT_EQ(toCodePage1250(text), all);

    const QString outside[] = {u"Ā"_qs, u"中"_qs, QString(QChar(0xFFFD)),
                               u"a\U0001F600b"_qs, u"őű€ŁŻ"_qs};
    for (const auto& s : outside) {
        QStringEncoder encoder("windows-1250");
        EXPECT_EQ(toCodePage1250(s), QByteArray(encoder.encode(s))) << s.toStdString();
    }
}

TEST(ImageText, FullSlotHasNoTerminatorAndReadsWhole) {
    const QString text = u"0123456789abcdefghijklmnopqrstuá"_qs; // 32 characters
    ConfigImage image = filled(0x33);
    EXPECT_EQ(writeImageText(image, 512, text), 544);
    EXPECT_EQ(image[543], 0xE0);
    EXPECT_EQ(image[544], 0x33);
    EXPECT_EQ(readImageText(image, 512), text);
}

TEST(ImageText, LongerTextIsCutAtTheLimit) {
    ConfigImage image = filled(0x33);
    EXPECT_EQ(writeImageText(image, 512, QString(40, u'a')), 544);
    EXPECT_EQ(image[544], 0x33);
    EXPECT_EQ(readImageText(image, 512), QString(32, u'a'));
}

TEST(ImageText, CallerGivenLimit) {
    ConfigImage image = filled(0x33);
    const QString header(120, u'h');
    EXPECT_EQ(writeImageText(image, 1280, header, 127), 1400);
    EXPECT_EQ(image[1400], 0xFF);
    EXPECT_EQ(image[1401], 0x33);
    EXPECT_EQ(readImageText(image, 1280, 127), header);
    // The same text into a 32-byte slot keeps its first 32 characters, unterminated.
    EXPECT_EQ(writeImageText(image, 896, header, 32), 928);
    EXPECT_EQ(readImageText(image, 896, 32), QString(32, u'h'));
}

TEST(ImageText, EmptyReadsAsOneSpace) {
    ConfigImage image = filled(0xFF);
    EXPECT_EQ(readImageText(image, 512), " ");
    EXPECT_EQ(readImageText(image, 1280, 127), " ");
}

TEST(CodePage1250, EveryByteComesBack) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(toCodePage1250(fromCodePage1250(all)), all);
    EXPECT_EQ(fromCodePage1250(QByteArray("\xF5\xFB")), u"őű"_qs);
}

// ---------------------------------------------------------------- DigitCode

TEST(DigitCode, CharacterToCode) {
    const struct {
        char16_t c;
        uint8_t code;
    } cases[] = {{u'0', 10},  {u'1', 1},   {u'5', 5},   {u'9', 9},  {u'A', 10},
                 {u'B', 11},  {u'F', 15},  {u'R', 3},   {u'?', 63}, {u'a', 255},
                 {u'G', 255}, {u' ', 255}, {u'x', 255}, {u'E', 14}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<char>(c.c));
        EXPECT_EQ(digitCode(QChar(c.c)), c.code);
    }
}

TEST(DigitCode, CodeToCharacter) {
    const struct {
        uint8_t code;
        char16_t c;
    } cases[] = {{10, u'0'}, {1, u'1'},  {9, u'9'},  {11, u'B'}, {15, u'F'}, {63, u'?'},
                 {0, u'x'},  {16, u'x'}, {62, u'x'}, {64, u'x'}, {255, u'x'}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(digitChar(c.code), QChar(c.c));
    }
}

TEST(DigitCode, Fields) {
    const struct {
        const char* code;
        int width;
        std::vector<uint8_t> stored;
        const char* readBack;
    } cases[] = {
        {"1230", 4, {1, 2, 3, 10}, "1230"}, {"131", 3, {1, 3, 1}, "131"},
        {"004", 3, {10, 10, 4}, "004"},     {"13", 3, {1, 3, 255}, "13x"},
        {"", 3, {255, 255, 255}, "xxx"},    {"R130", 4, {3, 1, 3, 10}, "3130"},
        {"A1?", 3, {10, 1, 63}, "01?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        ConfigImage image = filled(0x44);
        writeDigitCodes(image, 1064, c.width, QString::fromLatin1(c.code));
        EXPECT_EQ(bytesAt(image, 1064, c.width + 1), c.stored + std::vector<uint8_t>{0x44});
        EXPECT_EQ(readDigitCodes(image, 1064, c.width), QString::fromLatin1(c.readBack));
    }
}

// ---------------------------------------------------------------- Clock hour

TEST(ClockHour, TwoAsciiDigits) {
    const struct {
        int hour;
        std::array<uint8_t, 2> bytes;
    } cases[] = {{0, {'0', '0'}}, {9, {'0', '9'}}, {12, {'1', '2'}}, {23, {'2', '3'}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hour);
        EXPECT_EQ(encodeClockHour(c.hour), c.bytes);
        EXPECT_EQ(decodeClockHour(c.bytes), c.hour);
    }
}

// ---------------------------------------------------------------- Edition tag

TEST(EditionTag, StarredCompanyOrEditionDefault) {
    const struct {
        const char* company;
        int brand;
        const char* tag;
    } cases[] = {
        {"*OLMIRA", 10, "OLMIRA"},
        {"*Pumara GSM", 20, "Pumara GSM"},
        {"NORVIK", 40, "NORVIK"},
        {"anything", 40, "NORVIK"},
        {"", 41, "Telvaro"},
        {"Sorel", 50, "Makrel"},
        {"KESTRIN", 1, "KESTRIN"},
        {"Belvance", 30, "KESTRIN"},
        {"*", 40, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.company);
        ConfigImage image = filled(0x55);
        writeEditionTag(image, QString::fromLatin1(c.company), c.brand);
        const std::vector<uint8_t> tag = ascii(c.tag);
        EXPECT_EQ(bytesAt(image, 384, static_cast<int>(tag.size()) + 1),
                  tag + std::vector<uint8_t>{0xFF});
        EXPECT_EQ(image[400], 0x55);
    }
}

TEST(EditionTag, LongCompanyStaysInsideItsRegion) {
    for (const char* company : {"*ABCDEFGHIJKLMNO", "*ABCDEFGHIJKLMNOPQRSTUVWXYZ"}) {
        SCOPED_TRACE(company);
        ConfigImage image = filled(0x55);
        writeEditionTag(image, company, 40);
        EXPECT_EQ(bytesAt(image, 384, 16), ascii("ABCDEFGHIJKLMNO") + std::vector<uint8_t>{0xFF});
        EXPECT_EQ(image[400], 0x55);
    }
}

// ---------------------------------------------------------------- Extent

TEST(Extent, PerModelAndVersion) {
    using R = ImageRange;
    constexpr auto B = TransferUnit::Bytes;
    constexpr auto K = TransferUnit::Blocks;
    constexpr auto C = TransferUnit::Records;
    const struct {
        int model, version;
        std::vector<ImageRange> read, write;
    } cases[] = {
        {70, 0, {R{0, 1023, B}}, {R{0, 1023, B}}},
        {71, 32, {R{0, 1023, B}}, {R{0, 1023, B}}},
        {80, 33, {R{0, 1535, K}}, {R{0, 1535, K}}},
        {90, 43, {R{0, 1535, K}}, {R{0, 1535, K}}},
        {100, 0, {R{0, 8191, C}}, {R{0, 1023, B}, R{1024, 8191, C}}},
        {100, 32, {R{0, 8191, C}}, {R{0, 1023, B}, R{1024, 8191, C}}},
        {100, 33, {R{0, 8191, C}}, {R{0, 1535, K}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.model << " v" << c.version);
        const ImageExtent e = exchangedExtent(c.model, c.version);
        EXPECT_EQ(e.read, c.read);
        EXPECT_EQ(e.write, c.write);
    }
}

TEST(Extent, ConfigurationFileImageSize) {
    for (int model : {70, 71, 80, 90})
        EXPECT_EQ(configFileImageSize(model), 1024) << model;
    EXPECT_EQ(configFileImageSize(100), 8192);
}

TEST(Extent, ByteWriteLeavesOutModuleBytesAndUnstarredTag) {
    const auto sent = [](bool tag) {
        int n = 0;
        for (int a = 0; a < 1024; ++a)
            n += skippedOnByteWrite(a, tag) ? 0 : 1;
        return n;
    };
    EXPECT_EQ(sent(false), 1005);
    EXPECT_EQ(sent(true), 1021);
    for (int a : {75, 254, 255})
        EXPECT_TRUE(skippedOnByteWrite(a, true)) << a;
    for (int a : {74, 76, 253, 383, 400})
        EXPECT_FALSE(skippedOnByteWrite(a, false)) << a;
}

// ---------------------------------------------------------------- Encode and Decode

// Bytes no conversion may change: module-owned and not-used positions.
std::vector<int> untouchableBytes() {
    const std::pair<int, int> ranges[] = {
        {4, 7},       {75, 75},     {84, 84},     {87, 91},     {98, 101},    {106, 110},
        {113, 113},   {115, 117},   {123, 255},   {462, 511},   {712, 767},   {832, 863},
        {960, 991},   {1028, 1039}, {1046, 1047}, {1054, 1055}, {1062, 1063}, {1070, 1103},
        {1110, 1111}, {1118, 1167}, {1171, 1247}, {1407, 1535},
    };
    std::vector<int> addresses;
    for (const auto& [first, last] : ranges)
        for (int a = first; a <= last; ++a)
            addresses.push_back(a);
    return addresses;
}

TEST(Decode, AllFFImage) {
    ConfigImage image = filled(0xFF);
    const DecodeResult r = decodeImage(image, {});
    for (const auto& number : r.values.phones.numbers)
        EXPECT_EQ(number, QString());
    EXPECT_EQ(r.moduleVersion, 255);
    EXPECT_EQ(r.statusText, "Sw: 25.5.0");
    EXPECT_EQ(image[120], 0);
    EXPECT_EQ(image[121], 0);
    // The field codecs the page groups use agree: texts show one space, codes 'x'.
    for (int slot : {512, 544, 576, 608, 640, 672, 768, 800, 864, 896, 928, 992})
        EXPECT_EQ(readImageText(image, slot), " ") << slot;
    EXPECT_EQ(readImageText(image, 1280, 127), " ");
    EXPECT_EQ(readDigitCodes(image, 1024, 4), "xxxx");
    for (int entry : {1040, 1048, 1056, 1064, 1104, 1112, 1168})
        EXPECT_EQ(readDigitCodes(image, entry, 3), "xxx") << entry;
}

TEST(Decode, VersionAndStatusText) {
    const struct {
        uint8_t version, build;
        const char* status;
    } cases[] = {{43, 7, "Sw: 4.3.7"},
                 {43, 255, "Sw: 4.3.0"},
                 {38, 0, "Sw: 3.8.0"},
                 {5, 12, "Sw: 0.5.12"},
                 {100, 254, "Sw: 10.0.254"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        ConfigImage image = filled(0);
        image[254] = c.version;
        image[252] = c.build;
        const DecodeResult r = decodeImage(image, {});
        EXPECT_EQ(r.moduleVersion, c.version);
        EXPECT_EQ(r.statusText, c.status);
        EXPECT_EQ(image[252], c.build);
        EXPECT_EQ(image[254], c.version);
    }
}

TEST(DecodeThenEncode, LeavesModuleOwnedAndUnusedBytesAlone) {
    for (int model : {70, 90, 100}) {
        SCOPED_TRACE(model);
        QRandomGenerator random(static_cast<quint32>(model));
        ConfigImage image;
        for (auto& b : image.bytes)
            b = static_cast<uint8_t>(random.bounded(256));
        const ConfigImage before = image;
        const ImageContext context{model, 40, "NORVIK"};
        const DecodeResult r = decodeImage(image, context);
        encodeImage(image, r.values, context);
        for (int a : untouchableBytes()) {
            if (model == 100 && a >= 1024)
                break; // partition records there
            ASSERT_EQ(image[a], before[a]) << "address " << a;
        }
        EXPECT_EQ(image[120], 0);
        EXPECT_EQ(image[121], 0);
        EXPECT_EQ(bytesAt(image, 0, 4), bytesAt(before, 0, 4)); // security code comes back
    }
}

TEST(DecodeThenEncode, PhoneNumbersComeBackByteForByte) {
    ConfigImage image = filled(0x20);
    const char* numbers[] = {"+36301234567", "", "0123456789012345", "06", "", "", "1", "+"};
    for (int i = 0; i < 8; ++i)
        writePhoneNumber(image, 256 + 16 * i, numbers[i]);
    const ConfigImage written = image;
    const DecodeResult r = decodeImage(image, {});
    encodeImage(image, r.values, {});
    EXPECT_EQ(bytesAt(image, 256, 128), bytesAt(written, 256, 128));
}

TEST(Encode, ClearsReservedRecordsAndWritesEditionTag) {
    ConfigImage image = filled(0x5A);
    encodeImage(image, {}, {70, 41, "Telvaro"});
    EXPECT_EQ(bytesAt(image, 32, 8), std::vector<uint8_t>(8, 0));
    EXPECT_EQ(bytesAt(image, 52, 12), std::vector<uint8_t>(12, 0));
    // Records whose pages give nothing keep what the module stored.
    EXPECT_EQ(bytesAt(image, 24, 8), std::vector<uint8_t>(8, 0x5A));
    EXPECT_EQ(bytesAt(image, 40, 12), std::vector<uint8_t>(12, 0x5A));
    EXPECT_EQ(image[23], 0x5A);
    EXPECT_EQ(image[64], 0x5A);
    EXPECT_EQ(bytesAt(image, 384, 8), ascii("Telvaro") + std::vector<uint8_t>{0xFF});
    EXPECT_EQ(image[400], 0x5A);
}

TEST(Encode, SecurityCodeOnlyWhenFourCharacters) {
    const struct {
        std::optional<QString> code;
        std::vector<uint8_t> stored;
    } cases[] = {
        {"1234", ascii("1234")}, {"12345", ascii("wxyz")},      {"123", ascii("wxyz")},
        {"", ascii("wxyz")},     {std::nullopt, ascii("wxyz")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code.value_or("<none>").toStdString());
        ConfigImage image;
        writeAsciiField(image, 0, 4, "wxyz");
        ImageValues values;
        values.other.securityCode = c.code;
        encodeImage(image, values, {});
        EXPECT_EQ(bytesAt(image, 0, 4), c.stored);
        EXPECT_EQ(image[4], 0);
    }
}

TEST(Encode, PhoneSlotsInOrderSoASpilledTerminatorIsOverwritten) {
    ConfigImage image = filled(0x20);
    ImageValues values;
    values.phones.numbers[0] = "0123456789012345";
    values.phones.numbers[1] = "5";
    values.phones.numbers[7] = "9876543210987654";
    encodeImage(image, values, {70, 40, "NORVIK"});
    const std::vector<uint8_t> slot1And2 = ascii("0123456789012345") + ascii("5");
    EXPECT_EQ(bytesAt(image, 256, 17), slot1And2);
    EXPECT_EQ(image[273], 0xFF);
    EXPECT_EQ(image[288], 0x20); // slot 3 left as it was
    EXPECT_EQ(bytesAt(image, 368, 16), ascii("9876543210987654"));
    EXPECT_EQ(bytesAt(image, 384, 7), ascii("NORVIK") + std::vector<uint8_t>{0xFF});
}

TEST(SelectableTargets, FilledNumbersOnly) {
    ConfigImage image = filled(0xFF);
    image[256 + 16 * 5] = '1'; // slot 6 stored, not given
    PhoneNumberValues phones;
    phones.numbers[0] = "+3630";
    phones.numbers[1] = "                ";
    phones.numbers[2] = "";
    phones.numbers[7] = "06";
    EXPECT_EQ(selectableTargets(phones, image), 0x01 | 0x20 | 0x80);
}

} // namespace
