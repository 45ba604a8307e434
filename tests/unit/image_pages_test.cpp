// Encode and Decode of the configurator's pages: byte layouts per field, what a
// round trip may change, and that one edited field changes only its own bytes.
#include "image/image_codecs.h"
#include "image/image_convert.h"
#include "image/image_values.h"

#include <QRandomGenerator>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int kModels[] = {70, 71, 80, 90, 100};
// Versions on either side of every version gate of the pages and transfers.
constexpr int kVersions[] = {17, 18, 32, 33, 34, 35, 36, 38, 40, 41, 43, 50};

ImageContext contextFor(int model) {
    return {model, 40, "NORVIK"};
}

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

std::vector<uint8_t> repeated(char c, int count) {
    return std::vector<uint8_t>(static_cast<size_t>(count), static_cast<uint8_t>(c));
}

TargetList targets(std::initializer_list<int> phoneNumbers) {
    TargetList list{};
    for (int n : phoneNumbers)
        list[static_cast<size_t>(n - 1)] = true;
    return list;
}

std::vector<int> changedAddresses(const ConfigImage& a, const ConfigImage& b) {
    std::vector<int> changed;
    for (int i = 0; i < ConfigImage::kSize; ++i)
        if (a[i] != b[i])
            changed.push_back(i);
    return changed;
}

ConfigImage encoded(ConfigImage image, const ImageValues& values, int model) {
    encodeImage(image, values, contextFor(model));
    return image;
}

// ------------------------------------------------------------ images to test on

constexpr uint8_t kEnd = 0xFF;

// Bytes of a text as the module keeps it: no 0xFF inside, and the four letters
// that Encode replaces never in their plain form.
uint8_t storedTextByte(QRandomGenerator& random) {
    for (;;) {
        const auto b = static_cast<uint8_t>(random.bounded(256));
        if (b != kEnd && b != 0xE1 && b != 0xE9 && b != 0xF3 && b != 0xED)
            return b;
    }
}

struct RecordLayout {
    int address;
    uint8_t optionBits;
    bool dropsEmptyTargets;
};
// Inputs 1..4, speed, lift, tamper, power, temperature.
const RecordLayout kRecords[] = {{8, 0x7D, true},  {12, 0x7D, true}, {16, 0x7D, true},
                                 {20, 0x7D, true}, {24, 0x01, true}, {28, 0x01, true},
                                 {40, 0x75, true}, {44, 0x75, true}, {48, 0x01, false}};

// A module's image: random bytes, with every field the pages carry holding a value
// the pages can show. Decode then Encode must give it back byte for byte, except
// the bytes Encode always rewrites.
class ModuleImage {
  public:
    ModuleImage(quint32 seed, int model, int version, bool allPhones = false)
        : random_(seed), model_(model) {
        for (auto& b : image_.bytes)
            b = static_cast<uint8_t>(random_.bounded(256));
        image_[254] = static_cast<uint8_t>(version);
        phones(allPhones);
        records();
        texts();
        singleBytes();
        reporting();
    }
    const ConfigImage& image() const { return image_; }

  private:
    int in(int lo, int hi) { return static_cast<int>(random_.bounded(lo, hi + 1)); }
    uint8_t byte() { return static_cast<uint8_t>(random_.bounded(256)); }
    template <size_t N> uint8_t pick(const std::array<uint8_t, N>& table) {
        return table[static_cast<size_t>(in(0, static_cast<int>(N) - 1))];
    }

    void phones(bool all) {
        for (int i = 0; i < 8; ++i) {
            const int slot = 256 + 16 * i;
            if (!all && random_.bounded(3) == 0) {
                image_[slot] = kEnd;
                continue;
            }
            const int length = in(1, 16);
            for (int k = 0; k < length; ++k)
                image_[slot + k] = static_cast<uint8_t>("0123456789+"[in(0, 10)]);
            if (length < 16)
                image_[slot + length] = kEnd;
            selectable_ |= static_cast<uint8_t>(1u << i);
        }
    }

    void records() {
        for (const RecordLayout& r : kRecords) {
            const uint8_t allowed = r.dropsEmptyTargets ? selectable_ : 0xFF;
            image_[r.address] = static_cast<uint8_t>(in(0, 5) | (random_.bounded(2) ? 0x80 : 0));
            image_[r.address + 1] = byte() & allowed;
            image_[r.address + 2] = byte() & allowed;
            image_[r.address + 3] = byte() & r.optionBits;
        }
    }

    void text(int address, int limit) {
        const int length = in(1, limit);
        for (int k = 0; k < length; ++k)
            image_[address + k] = storedTextByte(random_);
        if (length < limit)
            image_[address + length] = kEnd;
    }

    void texts() {
        for (int address : {512, 544, 576, 608, 768, 800, 864, 896, 928, 992})
            text(address, 32); // 896: the opening text, or the SMS header of ModelCode 100
        if (model_ != 100) {
            text(640, 32);
            text(672, 32);
            text(1280, 127);
        }
    }

    void word(int address, int value) {
        image_[address] = static_cast<uint8_t>(value >> 8);
        image_[address + 1] = static_cast<uint8_t>(value);
    }

    void singleBytes() {
        constexpr std::array<uint8_t, 3> modes{0x00, 0x01, 0x10};
        image_[64] = pick(modes) | (byte() & 0x0E);
        word(65, in(1, 65535));
        image_[67] = pick(modes) | (byte() & 0x06);
        word(68, in(1, 65535));
        const int hour = in(0, 23);
        image_[71] = static_cast<uint8_t>('0' + hour / 10);
        image_[72] = static_cast<uint8_t>('0' + hour % 10);
        image_[74] = byte() & selectable_;
        image_[76] = byte() & 0x5F;
        image_[78] = static_cast<uint8_t>(in(3, 180));
        image_[79] = static_cast<uint8_t>(in(1, 180));
        image_[80] = pick(std::array<uint8_t, 6>{0, 1, 2, 3, 10, 60});
        image_[82] = random_.bounded(4) == 0 ? 255 : static_cast<uint8_t>(in(0, 120));
        image_[83] = random_.bounded(4) == 0 ? 255 : static_cast<uint8_t>(in(0, 120));
        image_[85] = static_cast<uint8_t>(in(10, 250));
        image_[86] = static_cast<uint8_t>(in(1, 32));
        image_[114] = pick(kPowerAlarmVoltageBytes);
        word(92, in(10, 65000));
        image_[94] = static_cast<uint8_t>(in(3, 80));
        for (int a : {95, 96, 97})
            image_[a] = static_cast<uint8_t>(in(1, 80));
        image_[103] =
            random_.bounded(4) == 0 ? static_cast<uint8_t>(in(231, 255)) : pick(kRxLevelBytes);
        word(104, in(1, 65000));
        image_[118] = byte() & selectable_;
        image_[119] = byte() & selectable_;
        image_[122] = static_cast<uint8_t>(0x10 | (byte() & 0x02));
    }

    // Characters a DigitCode field can show: '1'..'9', '0', 'B'..'F', '?'.
    uint8_t digit() {
        const int pick = in(0, 15);
        return static_cast<uint8_t>(pick == 15 ? 63 : pick + 1);
    }
    void digits(int address, int count) {
        for (int i = 0; i < count; ++i)
            image_[address + i] = digit();
    }

    // Characters as typed, up to `limit`, 0xFF after a shorter one; none of `excluded`.
    void typed(int address, int minLength, int limit, std::initializer_list<uint8_t> excluded) {
        const int length = in(minLength, limit);
        for (int k = 0; k < length; ++k) {
            uint8_t b;
            do
                b = storedTextByte(random_);
            while (std::find(excluded.begin(), excluded.end(), b) != excluded.end());
            image_[address + k] = b;
        }
        if (length < limit)
            image_[address + length] = kEnd;
    }

    void connectionText(int address, const QByteArray& prefix, int limit,
                        const QByteArray& suffix) {
        for (int i = 0; i < prefix.size(); ++i)
            image_[address + i] = static_cast<uint8_t>(prefix[i]);
        address += static_cast<int>(prefix.size());
        const int length = in(0, limit);
        typed(address, length, length, {'"'});
        address += length;
        for (int i = 0; i < suffix.size(); ++i)
            image_[address + i] = static_cast<uint8_t>(suffix[i]);
        image_[address + static_cast<int>(suffix.size())] = kEnd;
    }

    void reporting() {
        if (model_ != 100) {
            digits(1024, 4);
            for (int entry : {1040, 1048, 1056, 1064, 1104, 1112})
                digits(entry, 6);
            digits(1168, 3);
            typed(1248, 0, 16, {});
            typed(1264, 0, 16, {});
            return;
        }
        connectionText(640, "\"", 63, "\",\"\",\"\"");
        connectionText(400, "\"UDP\",\"", 45, "\",\"53500\"");
        for (int record = 32; record <= 208; ++record) {
            const int address = 32 * record;
            if (random_.bounded(4) == 0) {
                image_[address] = kEnd; // an empty row
                continue;
            }
            digits(address, 5);
            if (record >= 48 && image_[address] == 14)
                image_[address] = 1; // a leading 'E' is the qualifier of a new event
            if (record >= 48)
                image_[address + 4] = byte(); // the row's SMS targets
            image_[address + 5] = 0;
            typed(address + 6, 1, 26, {0x00});
        }
    }

    QRandomGenerator random_;
    int model_;
    ConfigImage image_;
    uint8_t selectable_ = 0;
};

ConfigImage randomImage(quint32 seed, int version) {
    QRandomGenerator random(seed);
    ConfigImage image;
    for (auto& b : image.bytes)
        b = static_cast<uint8_t>(random.bounded(256));
    image[254] = static_cast<uint8_t>(version);
    return image;
}

// What a round trip of an arbitrary image does to each byte.
enum class RoundTrip {
    Same,       // back exactly as it was
    Zeroed,     // reserved records and the module's scratch bytes
    Seven,      // the fixed transmit level and the two constants 111, 112
    EditionTag, // the edition's tag and its terminator
    Normalised, // a field whose stored value may lie outside what its page can show
};

struct Region {
    int first, last;
    RoundTrip kind;
};

std::vector<Region> roundTripRegions(int model) {
    using enum RoundTrip;
    std::vector<Region> regions{
        {32, 39, Zeroed},       {52, 63, Zeroed},        {120, 121, Zeroed},
        {384, 399, EditionTag}, {256, 383, Normalised},  {64, 69, Normalised},
        {71, 72, Normalised},   {74, 74, Normalised},    {76, 76, Normalised},
        {78, 80, Normalised},   {82, 83, Normalised},    {85, 86, Normalised},
        {114, 114, Normalised}, {512, 639, Normalised},  {768, 831, Normalised},
        {864, 959, Normalised}, {992, 1023, Normalised}, {102, 102, Seven},
        {111, 112, Seven},      {92, 97, Normalised},    {103, 105, Normalised},
        {118, 119, Normalised}, {122, 122, Normalised}};
    for (const RecordLayout& r : kRecords) {
        regions.push_back({r.address + 3, r.address + 3, Normalised}); // options
        if (r.dropsEmptyTargets)
            regions.push_back({r.address + 1, r.address + 2, Normalised}); // masks
    }
    if (model == 100) {
        regions.push_back({400, 461, Normalised});   // server text
        regions.push_back({640, 711, Normalised});   // access-point text
        regions.push_back({1024, 6687, Normalised}); // records 32..208
    } else {
        regions.push_back({640, 703, Normalised});
        regions.push_back({1280, 1406, Normalised});
        regions.push_back({1024, 1027, Normalised}); // account
        for (int entry : {1040, 1048, 1056, 1064, 1104, 1112})
            regions.push_back({entry, entry + 5, Normalised});
        regions.push_back({1168, 1170, Normalised});
    }
    return regions;
}

std::vector<RoundTrip> roundTripMap(int model) {
    std::vector<RoundTrip> map(ConfigImage::kSize, RoundTrip::Same);
    for (const Region& r : roundTripRegions(model))
        for (int a = r.first; a <= r.last; ++a)
            map[static_cast<size_t>(a)] = r.kind;
    return map;
}

ConfigImage decodedThenEncoded(ConfigImage image, int model) {
    const DecodeResult r = decodeImage(image, contextFor(model));
    encodeImage(image, r.values, contextFor(model));
    return image;
}

// ------------------------------------------------------------ byte layouts

struct LayoutCase {
    const char* what;
    int model;
    std::function<void(ImageValues&)> set;
    int address;
    std::vector<uint8_t> bytes; // the field's bytes afterwards; no other byte changes
    uint8_t base = 0x5A;
};

void checkLayout(const LayoutCase& c) {
    SCOPED_TRACE(testing::Message() << c.what << ", model " << c.model);
    ImageValues values;
    c.set(values);
    const ConfigImage reference = encoded(filled(c.base), {}, c.model);
    const ConfigImage image = encoded(filled(c.base), values, c.model);
    const int count = static_cast<int>(c.bytes.size());
    EXPECT_EQ(bytesAt(image, c.address, count), c.bytes);
    for (int a : changedAddresses(reference, image))
        EXPECT_TRUE(a >= c.address && a < c.address + count) << "also changed: " << a;
}

InputOptions allOptions() {
    return {true, true, true, true, true, true};
}

TEST(EncodeLayout, InputRecords) {
    const LayoutCase cases[] = {
        {"input 2 type 3 inverted",
         70,
         [](ImageValues& v) {
             v.inputs[1].type = 3;
             v.inputs[1].inverted = true;
         },
         12,
         {0x83}},
        {"input 1 type 1",
         70,
         [](ImageValues& v) {
             v.inputs[0].type = 1;
             v.inputs[0].inverted = false;
         },
         8,
         {0x01}},
        {"input 1 SMS items 1 and 8",
         70,
         [](ImageValues& v) {
             v.inputs[0].sms = targets({1, 8});
         },
         9,
         {0x81}},
        {"input 3 call items 2, 3",
         71,
         [](ImageValues& v) {
             v.inputs[2].voice = targets({2, 3});
         },
         18,
         {0x06}},
        {"input 4 every option",
         90,
         [](ImageValues& v) { v.inputs[3].options = allOptions(); },
         23,
         {0x7D}},
        {"input 1 siren",
         80,
         [](ImageValues& v) { v.inputs[0].options = InputOptions{.siren = true}; },
         11,
         {0x04}},
        {"tamper type 1",
         70,
         [](ImageValues& v) {
             v.tamper.type = 1;
             v.tamper.inverted = false;
         },
         40,
         {0x01}},
        {"tamper every option but voice message",
         70,
         [](ImageValues& v) { v.tamper.options = allOptions(); },
         43,
         {0x75}},
        {"tamper SMS", 70, [](ImageValues& v) { v.tamper.sms = targets({2}); }, 41, {0x02}},
        {"power type 1, box unchecked",
         70,
         [](ImageValues& v) {
             v.power.input.type = 1;
             v.power.input.inverted = false;
         },
         44,
         {0x81}},
        {"power type 1, box checked",
         70,
         [](ImageValues& v) {
             v.power.input.type = 1;
             v.power.input.inverted = true;
         },
         44,
         {0x01}},
        {"power every option but voice message",
         90,
         [](ImageValues& v) { v.power.input.options = allOptions(); },
         47,
         {0x75}},
        {"power call list",
         90,
         [](ImageValues& v) { v.power.input.voice = targets({8}); },
         46,
         {0x80}},
        {"temperature type 2",
         70,
         [](ImageValues& v) {
             v.temperature.input.type = 2;
             v.temperature.input.inverted = true;
         },
         48,
         {0x82}},
        {"temperature restore only",
         70,
         [](ImageValues& v) { v.temperature.input.options = allOptions(); },
         51,
         {0x01}},
        {"temperature lists",
         70,
         [](ImageValues& v) {
             v.temperature.input.sms = targets({1});
             v.temperature.input.voice = targets({1, 2});
         },
         49,
         {0x01, 0x03}},
        {"speed record",
         90,
         [](ImageValues& v) {
             v.speed.input.type = 5;
             v.speed.input.inverted = false;
             v.speed.input.sms = targets({3});
             v.speed.input.voice = targets({4});
             v.speed.input.options = allOptions();
         },
         24,
         {0x05, 0x04, 0x08, 0x01}},
        {"lift calls 2 and 3 with restore",
         90,
         [](ImageValues& v) {
             v.lift.input.voice = targets({2, 3});
             v.lift.input.options = InputOptions{.restoreToo = true};
         },
         30,
         {0x06, 0x01}},
    };
    for (const auto& c : cases)
        checkLayout(c);
}

TEST(EncodeLayout, Texts) {
    const auto abc = ascii("abc") + std::vector<uint8_t>{kEnd};
    const LayoutCase cases[] = {
        {"input 1", 70, [](ImageValues& v) { v.inputs[0].text = "abc"; }, 512, abc},
        {"input 2", 70, [](ImageValues& v) { v.inputs[1].text = "abc"; }, 544, abc},
        {"input 3", 70, [](ImageValues& v) { v.inputs[2].text = "abc"; }, 576, abc},
        {"input 4", 70, [](ImageValues& v) { v.inputs[3].text = "abc"; }, 608, abc},
        {"tamper", 80, [](ImageValues& v) { v.tamper.text = "abc"; }, 768, abc},
        {"power", 90, [](ImageValues& v) { v.power.input.text = "abc"; }, 800, abc},
        {"life signal", 70, [](ImageValues& v) { v.lifeSignal.text = "abc"; }, 864, abc},
        {"restore",
         70,
         [](ImageValues& v) { v.other.restoreText = u"áé"_qs; },
         992,
         {0xE0, 0xE8, kEnd}},
        {"speed on the GPS model", 90, [](ImageValues& v) { v.speed.input.text = "abc"; }, 640,
         abc},
        {"lift on the GPS model", 90, [](ImageValues& v) { v.lift.input.text = "abc"; }, 672, abc},
        {"speed on ModelCode 100: the access point's bytes",
         100,
         [](ImageValues& v) { v.speed.input.text = "abc"; },
         640,
         {}},
        {"lift on ModelCode 100", 100, [](ImageValues& v) { v.lift.input.text = "abc"; }, 672, {}},
        {"temperature has no text",
         70,
         [](ImageValues& v) { v.temperature.input.text = "abc"; },
         0,
         {}},
        {"full slot, no terminator", 70,
         [](ImageValues& v) { v.inputs[0].text = QString(32, u'r'); }, 512, repeated('r', 32)},
        {"SMS header of 120 characters", 90,
         [](ImageValues& v) { v.other.smsHeader = QString(120, u'h'); }, 1280,
         repeated('h', 120) + std::vector<uint8_t>{kEnd}},
        {"SMS header on ModelCode 100: 32 bytes at 896", 100,
         [](ImageValues& v) { v.other.smsHeader = QString(120, u'h'); }, 896, repeated('h', 32)},
    };
    for (const auto& c : cases)
        checkLayout(c);
}

TEST(EncodeLayout, OutputsAndLifeSignal) {
    const LayoutCase cases[] = {
        {"output 1 BI, caller-ID control",
         70,
         [](ImageValues& v) {
             v.outputs[0] = {1, false, true, false, std::nullopt};
         },
         64,
         {0x05},
         0x00},
        {"output 1 arming, caller-ID control",
         70,
         [](ImageValues& v) {
             v.outputs[0] = {2, false, true, false, std::nullopt};
         },
         64,
         {0x14},
         0x00},
        {"output 1 MONO, alarm, no caller ID; bits 5..7 cleared",
         70,
         [](ImageValues& v) {
             v.outputs[0] = {0, true, false, true, std::nullopt};
         },
         64,
         {0x0A},
         0xFF},
        {"output 2 has no bit 3",
         70,
         [](ImageValues& v) {
             v.outputs[1] = {2, true, true, true, std::nullopt};
         },
         67,
         {0x16},
         0xFF},
        {"output 2 mode alone keeps the other bits",
         70,
         [](ImageValues& v) { v.outputs[1].mode = 1; },
         67,
         {0x07},
         0x16},
        {"output 1 time 90 s",
         70,
         [](ImageValues& v) { v.outputs[0].seconds = 90; },
         65,
         {0x00, 0x5A}},
        {"output 2 time 3600 s",
         70,
         [](ImageValues& v) { v.outputs[1].seconds = 3600; },
         68,
         {0x0E, 0x10}},
        {"life signal every 7 days at 9, first after 0",
         70,
         [](ImageValues& v) {
             v.lifeSignal.enabled = true;
             v.lifeSignal.periodDays = 7;
             v.lifeSignal.hour = 9;
             v.lifeSignal.firstAfterDays = 0;
         },
         70,
         {7, '0', '9', 1}},
        {"life signal off",
         70,
         [](ImageValues& v) {
             v.lifeSignal.enabled = false;
             v.lifeSignal.periodDays = 7;
         },
         70,
         {0}},
        {"first life signal after 255 days stores 0",
         70,
         [](ImageValues& v) { v.lifeSignal.firstAfterDays = 255; },
         73,
         {0}},
        {"life signal at 23", 70, [](ImageValues& v) { v.lifeSignal.hour = 23; }, 71, {'2', '3'}},
        {"life signal SMS 1 and 2",
         70,
         [](ImageValues& v) {
             v.lifeSignal.sms = targets({1, 2});
         },
         74,
         {0x03}},
    };
    for (const auto& c : cases)
        checkLayout(c);
}

TEST(EncodeLayout, OtherSensorAndGpsBytes) {
    std::vector<LayoutCase> cases = {
        {"security code", 70, [](ImageValues& v) { v.other.securityCode = "4711"; }, 0,
         ascii("4711")},
        {"security code of 3 characters",
         70,
         [](ImageValues& v) { v.other.securityCode = "471"; },
         0,
         {}},
        {"option bits of 76; bit 6 kept, 5 and 7 cleared",
         70,
         [](ImageValues& v) {
             v.other.roundCall = true;
             v.other.ledsOffWhenClosed = false;
             v.other.saveOutput = true;
             v.other.callerIdArming = false;
             v.other.microphone = true;
         },
         76,
         {0x55},
         0xFF},
        {"one bit of 76 alone",
         70,
         [](ImageValues& v) { v.other.ledsOffWhenClosed = true; },
         76,
         {0x02},
         0x00},
        {"SMS redirection off",
         70,
         [](ImageValues& v) { v.other.smsRedirection = false; },
         77,
         {255}},
        {"SMS redirection to phone 6",
         70,
         [](ImageValues& v) {
             v.other.smsRedirection = true;
             v.other.smsRedirectionTarget = 5;
         },
         77,
         {5}},
        {"SMS redirection on, no target: byte kept",
         70,
         [](ImageValues& v) { v.other.smsRedirection = true; },
         77,
         {}},
        {"ring time", 70, [](ImageValues& v) { v.other.ringSeconds = 30; }, 78, {30}},
        {"redials", 70, [](ImageValues& v) { v.other.maxRedials = 50; }, 79, {50}},
        {"GPS receiver off, NMEA on",
         90,
         [](ImageValues& v) {
             v.gps.useReceiver = false;
             v.gps.sendNmea = true;
         },
         81,
         {0x03},
         0x00},
        {"GPS receiver on keeps bits 2..7",
         90,
         [](ImageValues& v) { v.gps.useReceiver = true; },
         81,
         {0xFE},
         0xFF},
        {"temperature maximum 40",
         70,
         [](ImageValues& v) {
             v.temperature.maxEnabled = true;
             v.temperature.maxValue = 40;
         },
         82,
         {40}},
        {"temperature minimum off",
         70,
         [](ImageValues& v) {
             v.temperature.minEnabled = false;
             v.temperature.minValue = 40;
         },
         83,
         {255}},
        {"speed limit", 90, [](ImageValues& v) { v.speed.limitKmh = 120; }, 85, {120}},
        {"lift setting", 90, [](ImageValues& v) { v.lift.setting = 6; }, 86, {6}},
    };
    const uint8_t filters[] = {0, 1, 3, 10, 60};
    for (int i = 0; i < 5; ++i)
        cases.push_back({"input filter",
                         70,
                         [i](ImageValues& v) { v.other.inputFilter = i; },
                         80,
                         {filters[i]}});
    for (int i = 0; i < 11; ++i)
        cases.push_back({"alarm voltage",
                         70,
                         [i](ImageValues& v) { v.power.alarmVoltage = i; },
                         114,
                         {kPowerAlarmVoltageBytes[static_cast<size_t>(i)]}});
    for (const auto& c : cases)
        checkLayout(c);
}

// Every value a page shows before anything is read, into an empty image.
TEST(EncodeLayout, DesignDefaults) {
    const ConfigImage image = encoded(filled(0), defaultImageValues(), 90);
    const struct {
        int address;
        std::vector<uint8_t> bytes;
    } expected[] = {
        {0, ascii("1234")},
        {8, {0x01, 0, 0, 0x04, 0x01, 0, 0, 0x04, 0x00, 0, 0, 0x04, 0x00, 0, 0, 0x04}},
        {24, {0x00, 0, 0, 0, 0x00, 0, 0, 0}},
        {40, {0x01, 0, 0, 0x04, 0x81, 0, 0, 0x04, 0x00, 0, 0, 0}},
        {64, {0x04, 0x00, 0x03, 0x00, 0x00, 0x03}},
        {70, {0, '1', '2', 1, 0}},
        {76, {0, 255, 30, 50, 3, 0, 255, 255}},
        {85, {120, 6}},
        {114, {76}},
        {512, ascii("1 bemenet riasztas") + std::vector<uint8_t>{kEnd}},
        {608, ascii("4 bemenet riasztas") + std::vector<uint8_t>{kEnd}},
        {640, ascii("Sebesseg tullepes") + std::vector<uint8_t>{kEnd}},
        {768, ascii("Belso szabotazs riasztas") + std::vector<uint8_t>{kEnd}},
        {800, ascii("Belso taphiba riasztas") + std::vector<uint8_t>{kEnd}},
        {864, ascii("Eletjel kuldes, minden rendben..")},
        {992, ascii("Visszaallas:") + std::vector<uint8_t>{kEnd}},
        {1280, {kEnd}},
        {92, {0, 10, 20, 5, 40, 40}},
        {102, {7, 165, 0x05, 0xA0}},
        {111, {7, 7}},
        {118, {0, 0}},
        {122, {0x10}},
        {896, {'n', 'y', 'i', 't', 0xE0, 's', kEnd}},
        {928, {'z', 0xE0, 'r', 0xE0, 's', kEnd}},
        {1024, {1, 2, 3, 4}},
        {1040, {1, 3, 10, 10, 10, 1, 0, 0, 1, 3, 10, 10, 10, 2}},
        {1064, {1, 3, 10, 10, 10, 4}},
        {1104, {1, 3, 7, 10, 10, 1, 0, 0, 3, 10, 2, 10, 10, 1}},
        {1168, {6, 10, 2}},
        {1248, {kEnd}},
        {1264, {kEnd}},
    };
    for (const auto& e : expected)
        EXPECT_EQ(bytesAt(image, e.address, static_cast<int>(e.bytes.size())), e.bytes)
            << "at " << e.address;
    for (int slot = 0; slot < 8; ++slot)
        EXPECT_EQ(image[256 + 16 * slot], kEnd) << slot;
}

// ------------------------------------------------------------ rules of Encode

TEST(Encode, ListItemsOfEmptyPhoneNumbersAreDropped) {
    ConfigImage image = filled(0);
    ImageValues v;
    v.phones.numbers = {"+36301234567", "                ", "06",         "",
                        "-5",           std::nullopt,       std::nullopt, std::nullopt};
    image[256 + 16 * 5] = '1'; // slot 6 not given, stored number
    image[256 + 16 * 6] = kEnd;
    image[256 + 16 * 7] = kEnd;
    const TargetList all = targets({1, 2, 3, 4, 5, 6, 7, 8});
    // '-' is not a blank: the page enables the item although no number is stored.
    const uint8_t selectable = 0x01 | 0x04 | 0x10 | 0x20;
    for (auto* input :
         {&v.inputs[0], &v.inputs[3], &v.tamper, &v.power.input, &v.speed.input, &v.lift.input}) {
        input->sms = all;
        input->voice = all;
    }
    v.lifeSignal.sms = all;
    v.openClose.openingSms = all;
    v.openClose.closingSms = all;
    v.temperature.input.sms = all;
    v.temperature.input.voice = all;
    encodeImage(image, v, contextFor(90));
    for (int address : {9, 10, 21, 22, 41, 42, 45, 46, 25, 26, 29, 30, 74, 118, 119})
        EXPECT_EQ(image[address], selectable) << address;
    EXPECT_EQ(image[49], 0xFF); // the temperature lists keep every item
    EXPECT_EQ(image[50], 0xFF);
    EXPECT_EQ(selectableTargets(v.phones, image), selectable);
}

TEST(Encode, RecordFieldsLeftEmptyKeepTheirBits) {
    ConfigImage image = filled(0);
    const std::pair<int, uint8_t> stored[] = {{8, 0x86},  {9, 0x11},  {10, 0x22}, {11, 0x7D},
                                              {24, 0x85}, {27, 0x01}, {44, 0x03}, {51, 0x01}};
    for (const auto& [address, byte] : stored)
        image[address] = byte;
    ImageValues v;
    v.inputs[0].inverted = false;   // type 6 cannot be shown, its bits stay
    v.speed.input.type = 2;         // the inverted bit stays
    v.power.input.inverted = false; // reversed: sets bit 7
    encodeImage(image, v, contextFor(90));
    EXPECT_EQ(bytesAt(image, 8, 4), (std::vector<uint8_t>{0x06, 0x11, 0x22, 0x7D}));
    EXPECT_EQ(image[24], 0x82);
    EXPECT_EQ(image[27], 0x01);
    EXPECT_EQ(image[44], 0x83);
    EXPECT_EQ(image[51], 0x01);
    EXPECT_EQ(bytesAt(image, 32, 8), std::vector<uint8_t>(8, 0));
}

TEST(Encode, NothingGivenRewritesOnlyTheFixedBytes) {
    for (int model : kModels) {
        SCOPED_TRACE(model);
        const ConfigImage before = randomImage(static_cast<quint32>(model), 43);
        const ConfigImage after = encoded(before, {}, model);
        for (int a : changedAddresses(before, after)) {
            const bool reserved = (a >= 32 && a <= 39) || (a >= 52 && a <= 63);
            const bool tag = a >= 384 && a <= 390;
            const bool constant = a == 102 || a == 111 || a == 112;
            EXPECT_TRUE(reserved || tag || constant) << "address " << a;
        }
        for (int a : {102, 111, 112})
            EXPECT_EQ(after[a], 7) << a;
        EXPECT_EQ(bytesAt(after, 32, 8), std::vector<uint8_t>(8, 0));
        EXPECT_EQ(bytesAt(after, 52, 12), std::vector<uint8_t>(12, 0));
        EXPECT_EQ(bytesAt(after, 384, 7), ascii("NORVIK") + std::vector<uint8_t>{kEnd});
    }
}

TEST(Encode, FullPhoneNumberBeforeASlotLeftAsItWas) {
    ConfigImage image = filled(0);
    writePhoneNumber(image, 272, "0630");
    ImageValues v;
    v.phones.numbers[0] = "0123456789012345";
    encodeImage(image, v, contextFor(70));
    EXPECT_EQ(bytesAt(image, 256, 16), ascii("0123456789012345"));
    EXPECT_EQ(readPhoneNumber(image, 272), "0630");
}

// ------------------------------------------------------------ Decode

struct DecodeCase {
    const char* what;
    int model;
    std::vector<std::pair<int, std::vector<uint8_t>>> stored;
    std::function<void(const ImageValues&)> check;
};

void checkDecode(const DecodeCase& c) {
    SCOPED_TRACE(testing::Message() << c.what << ", model " << c.model);
    ConfigImage image = filled(0);
    for (const auto& [address, bytes] : c.stored)
        for (size_t i = 0; i < bytes.size(); ++i)
            image[address + static_cast<int>(i)] = bytes[i];
    c.check(decodeImage(image, contextFor(c.model)).values);
}

TEST(Decode, InputPages) {
    const DecodeCase cases[] = {
        {"input 2 type 3 inverted",
         70,
         {{12, {0x83}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.inputs[1].type, 3);
             EXPECT_EQ(v.inputs[1].inverted, true);
         }},
        {"type above 5: the stored type, unlisted",
         70,
         {{16, {0x06}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.inputs[2].type, unlistedValue(6));
             EXPECT_EQ(v.inputs[2].inverted, false);
         }},
        {"power bit 7 set: box unchecked",
         70,
         {{44, {0x81}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.power.input.type, 1);
             EXPECT_EQ(v.power.input.inverted, false);
         }},
        {"power bit 7 clear: box checked",
         70,
         {{44, {0x01}}},
         [](const ImageValues& v) { EXPECT_EQ(v.power.input.inverted, true); }},
        {"lists and options",
         70,
         {{20, {0x00, 0x81, 0x06, 0xFF}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.inputs[3].sms, targets({1, 8}));
             EXPECT_EQ(v.inputs[3].voice, targets({2, 3}));
             EXPECT_EQ(v.inputs[3].options, allOptions());
         }},
        {"tamper shows no voice-message box",
         70,
         {{43, {0xFF}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.tamper.options, (InputOptions{true, true, false, true, true, true}));
         }},
        {"lift shows its restore box only",
         90,
         {{30, {0x06, 0xFF}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.lift.input.voice, targets({2, 3}));
             EXPECT_EQ(v.lift.input.options, InputOptions{.restoreToo = true});
         }},
        {"texts",
         90,
         {{576, ascii("Be3") + std::vector<uint8_t>{kEnd}}, {640, {0xE0, kEnd}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.inputs[2].text, "Be3");
             EXPECT_EQ(v.speed.input.text, u"á"_qs);
             EXPECT_EQ(v.temperature.input.text, std::nullopt);
         }},
        {"speed and lift texts are not ModelCode 100's",
         100,
         {{640, ascii("x")}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.speed.input.text, std::nullopt);
             EXPECT_EQ(v.lift.input.text, std::nullopt);
         }},
        {"speed and lift below their spins come back as stored",
         90,
         {{85, {5, 0}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.speed.limitKmh, 5);
             EXPECT_EQ(v.lift.setting, 0);
         }},
        {"speed and lift in range",
         90,
         {{85, {250, 32}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.speed.limitKmh, 250);
             EXPECT_EQ(v.lift.setting, 32);
         }},
        {"temperature limits",
         70,
         {{48, {1}}, {82, {40, 255}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.temperature.maxEnabled, true);
             EXPECT_EQ(v.temperature.maxValue, 40);
             EXPECT_EQ(v.temperature.minEnabled, false);
             EXPECT_EQ(v.temperature.minValue, 0);
         }},
        {"temperature type 0 keeps its limits",
         70,
         {{48, {0}}, {82, {40, 200}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.temperature.maxEnabled, true);
             EXPECT_EQ(v.temperature.maxValue, 40);
             EXPECT_EQ(v.temperature.minValue, 200); // beyond the spin's 120
         }},
    };
    for (const auto& c : cases)
        checkDecode(c);
}

TEST(Decode, OutputsLifeSignalOtherAndGps) {
    const DecodeCase cases[] = {
        {"output BI",
         70,
         {{64, {0x05}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.outputs[0].mode, 1);
             EXPECT_EQ(v.outputs[0].onCallerId, true);
             EXPECT_EQ(v.outputs[0].onAlarm, false);
         }},
        {"bit 4 wins over bit 0",
         70,
         {{67, {0x11}}},
         [](const ImageValues& v) { EXPECT_EQ(v.outputs[1].mode, 2); }},
        {"output 1 no caller ID; output 2 has no such box",
         70,
         {{64, {0x08}}, {67, {0x08}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.outputs[0].noCallerId, true);
             EXPECT_EQ(v.outputs[1].noCallerId, std::nullopt);
         }},
        {"output time 0 comes back as 0",
         70,
         {{65, {0, 0}}, {68, {0xFF, 0xFF}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.outputs[0].seconds, 0);
             EXPECT_EQ(v.outputs[1].seconds, 65535);
         }},
        {"life signal off",
         70,
         {{70, {0, '0', '9'}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.lifeSignal.enabled, false);
             EXPECT_EQ(v.lifeSignal.periodDays, 1);
             EXPECT_EQ(v.lifeSignal.hour, 9);
             EXPECT_EQ(v.lifeSignal.firstAfterDays, std::nullopt);
         }},
        {"life signal every 7 days at 23",
         70,
         {{70, {7, '2', '3', 9, 0x05}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.lifeSignal.enabled, true);
             EXPECT_EQ(v.lifeSignal.periodDays, 7);
             EXPECT_EQ(v.lifeSignal.hour, 23);
             EXPECT_EQ(v.lifeSignal.sms, targets({1, 3}));
         }},
        {"hour beyond 23 as stored",
         70,
         {{71, {'9', '9'}}},
         [](const ImageValues& v) { EXPECT_EQ(v.lifeSignal.hour, 99); }},
        {"hour bytes that are no digits: limited",
         70,
         {{71, {0xFF, 0xFF}}},
         [](const ImageValues& v) { EXPECT_EQ(v.lifeSignal.hour, 23); }},
        {"redirection off",
         70,
         {{77, {255}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.other.smsRedirection, false);
             EXPECT_EQ(v.other.smsRedirectionTarget, std::nullopt);
         }},
        {"redirection to phone 8",
         70,
         {{77, {7}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.other.smsRedirection, true);
             EXPECT_EQ(v.other.smsRedirectionTarget, 7);
         }},
        {"redirection to a phone the list lacks",
         70,
         {{77, {8}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.other.smsRedirection, true);
             EXPECT_EQ(v.other.smsRedirectionTarget, unlistedValue(8));
         }},
        {"ring and redials outside their spins as stored",
         70,
         {{78, {0, 213}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.other.ringSeconds, 0);
             EXPECT_EQ(v.other.maxRedials, 213);
         }},
        {"security code",
         70,
         {{0, ascii("9876")}},
         [](const ImageValues& v) { EXPECT_EQ(v.other.securityCode, "9876"); }},
        {"option bits of 76",
         70,
         {{76, {0x15}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.other.roundCall, true);
             EXPECT_EQ(v.other.ledsOffWhenClosed, false);
             EXPECT_EQ(v.other.saveOutput, true);
             EXPECT_EQ(v.other.callerIdArming, false);
             EXPECT_EQ(v.other.microphone, true);
         }},
        {"GPS",
         90,
         {{81, {0x03}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.gps.useReceiver, false);
             EXPECT_EQ(v.gps.sendNmea, true);
         }},
        {"SMS header",
         90,
         {{1280, repeated('h', 127)}, {896, ascii("open") + std::vector<uint8_t>{kEnd}}},
         [](const ImageValues& v) { EXPECT_EQ(v.other.smsHeader, QString(127, u'h')); }},
        {"SMS header of ModelCode 100",
         100,
         {{1280, ascii("x")}, {896, ascii("Kovacs") + std::vector<uint8_t>{kEnd}}},
         [](const ImageValues& v) { EXPECT_EQ(v.other.smsHeader, "Kovacs"); }},
    };
    for (const auto& c : cases)
        checkDecode(c);
}

TEST(Decode, ValueTables) {
    const struct {
        uint8_t byte;
        std::optional<int> filter;
    } filters[] = {{0, 0},
                   {1, 1},
                   {2, unlistedValue(2)},
                   {3, 2},
                   {9, unlistedValue(9)},
                   {10, 3},
                   {59, unlistedValue(59)},
                   {60, 4},
                   {200, unlistedValue(200)}};
    for (const auto& f : filters) {
        ConfigImage image = filled(0);
        image[80] = f.byte;
        EXPECT_EQ(decodeImage(image, contextFor(70)).values.other.inputFilter, f.filter)
            << int(f.byte);
    }
    for (int b = 0; b < 256; ++b) {
        ConfigImage image = filled(0);
        image[114] = static_cast<uint8_t>(b);
        const int voltage = *decodeImage(image, contextFor(70)).values.power.alarmVoltage;
        const auto* it =
            std::find(kPowerAlarmVoltageBytes.begin(), kPowerAlarmVoltageBytes.end(), b);
        const int expected = it == kPowerAlarmVoltageBytes.end()
                                 ? unlistedValue(b)
                                 : static_cast<int>(it - kPowerAlarmVoltageBytes.begin());
        EXPECT_EQ(voltage, expected) << b;
    }
}

// ------------------------------------------------------------ round trips

// A module's own image goes back unchanged but for the bytes Encode always rewrites.
TEST(RoundTrip, ModuleImageComesBackByteForByte) {
    for (int model : kModels)
        for (int version : kVersions)
            for (quint32 seed = 1; seed <= 8; ++seed) {
                SCOPED_TRACE(testing::Message()
                             << "model " << model << " v" << version << " seed " << seed);
                const ConfigImage before =
                    ModuleImage(seed * 1000 + static_cast<quint32>(model + version), model, version)
                        .image();
                const ConfigImage after = decodedThenEncoded(before, model);
                const auto map = roundTripMap(model);
                for (int a : changedAddresses(before, after)) {
                    const RoundTrip kind = map[static_cast<size_t>(a)];
                    ASSERT_TRUE(kind == RoundTrip::Zeroed || kind == RoundTrip::Seven ||
                                kind == RoundTrip::EditionTag)
                        << "address " << a << ": " << int(before[a]) << " -> " << int(after[a]);
                }
            }
}

// Arbitrary bytes: fields whose stored value the pages cannot show are normalised
// once; everything else comes back as it was, and a second round trip changes nothing.
TEST(RoundTrip, ArbitraryImageChangesOnlyNormalisedFieldsAndOnlyOnce) {
    for (int model : kModels)
        for (int version : kVersions)
            for (quint32 seed = 1; seed <= 4; ++seed) {
                SCOPED_TRACE(testing::Message()
                             << "model " << model << " v" << version << " seed " << seed);
                const ConfigImage before =
                    randomImage(seed * 7919 + static_cast<quint32>(model * 100 + version), version);
                const ConfigImage once = decodedThenEncoded(before, model);
                const auto map = roundTripMap(model);
                for (int a = 0; a < ConfigImage::kSize; ++a) {
                    const RoundTrip kind = map[static_cast<size_t>(a)];
                    if (kind == RoundTrip::Same)
                        ASSERT_EQ(once[a], before[a]) << "address " << a;
                    if (kind == RoundTrip::Zeroed)
                        ASSERT_EQ(once[a], 0) << "address " << a;
                    if (kind == RoundTrip::Seven)
                        ASSERT_EQ(once[a], 7) << "address " << a;
                }
                for (const RecordLayout& r : kRecords) {
                    EXPECT_EQ(once[r.address], before[r.address]) << r.address;
                    EXPECT_EQ(once[r.address + 3], before[r.address + 3] & r.optionBits)
                        << r.address;
                    for (int m : {1, 2}) // a list only loses the items of empty numbers
                        EXPECT_EQ(once[r.address + m] & ~before[r.address + m], 0) << r.address;
                }
                // A number whose text is not blank but holds no digit keeps its list
                // items once; stored as empty, it drops them on the next round trip.
                const ConfigImage twice = decodedThenEncoded(once, model);
                for (int a : changedAddresses(once, twice)) {
                    bool mask = a == 74 || a == 118 || a == 119;
                    for (const RecordLayout& r : kRecords)
                        mask = mask ||
                               (r.dropsEmptyTargets && (a == r.address + 1 || a == r.address + 2));
                    EXPECT_TRUE(mask) << "address " << a;
                }
                EXPECT_EQ(decodedThenEncoded(twice, model).bytes, twice.bytes);
            }
}

TEST(RoundTrip, AllFFAndAllZeroImages) {
    for (int model : kModels)
        for (uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}}) {
            SCOPED_TRACE(testing::Message() << "model " << model << " fill " << int(fill));
            const ConfigImage once = decodedThenEncoded(filled(fill), model);
            const ConfigImage twice = decodedThenEncoded(once, model);
            EXPECT_EQ(decodedThenEncoded(twice, model).bytes, twice.bytes);
            const auto map = roundTripMap(model);
            for (int a = 0; a < ConfigImage::kSize; ++a)
                if (map[static_cast<size_t>(a)] == RoundTrip::Same)
                    ASSERT_EQ(once[a], fill) << "address " << a;
        }
}

TEST(RoundTrip, DecodeFillsEveryFieldItReads) {
    for (int model : kModels) {
        SCOPED_TRACE(model);
        ConfigImage image = ModuleImage(5, model, 43).image();
        const ImageValues v = decodeImage(image, contextFor(model)).values;
        for (const auto& n : v.phones.numbers)
            EXPECT_TRUE(n.has_value());
        const bool sharedTexts = model != 100;
        for (const InputPageValues* p :
             {&v.inputs[0], &v.inputs[1], &v.inputs[2], &v.inputs[3], &v.tamper, &v.power.input,
              &v.temperature.input, &v.speed.input, &v.lift.input}) {
            EXPECT_TRUE(p->type && p->inverted && p->sms && p->voice && p->options);
            const bool hasText = p != &v.temperature.input &&
                                 ((p != &v.speed.input && p != &v.lift.input) || sharedTexts);
            EXPECT_EQ(p->text.has_value(), hasText);
        }
        EXPECT_TRUE(v.power.alarmVoltage && v.speed.limitKmh && v.lift.setting);
        const TemperatureValues& t = v.temperature;
        EXPECT_TRUE(t.maxEnabled && t.maxValue && t.minEnabled && t.minValue);
        for (const OutputValues& o : v.outputs)
            EXPECT_TRUE(o.mode && o.onAlarm && o.onCallerId && o.seconds);
        EXPECT_TRUE(v.outputs[0].noCallerId.has_value());
        const LifeSignalValues& l = v.lifeSignal;
        EXPECT_TRUE(l.enabled && l.periodDays && l.hour && l.sms && l.text);
        EXPECT_FALSE(l.firstAfterDays.has_value());
        const OtherPageValues& o = v.other;
        EXPECT_TRUE(o.securityCode && o.roundCall && o.ledsOffWhenClosed && o.saveOutput &&
                    o.callerIdArming && o.microphone && o.smsRedirection && o.ringSeconds &&
                    o.maxRedials && o.restoreText && o.smsHeader);
        EXPECT_TRUE(v.gps.useReceiver && v.gps.sendNmea);

        const RemoteMonitoringValues& r = v.remoteMonitoring;
        const bool monitoring = model != 100;
        EXPECT_EQ(r.account.has_value(), monitoring);
        for (const ContactIdEntry* e :
             {&r.inputs[0], &r.inputs[1], &r.inputs[2], &r.inputs[3], &r.tamper, &r.power}) {
            EXPECT_EQ(e->code.has_value(), monitoring);
            EXPECT_EQ(e->zone.has_value(), monitoring);
        }
        EXPECT_EQ(r.lifeSignalCode.has_value(), monitoring);
        EXPECT_EQ(r.receiver1.has_value(), monitoring);
        EXPECT_EQ(r.receiver2.has_value(), monitoring);
        EXPECT_TRUE(r.lifeSignalReport && r.lifeSignalCycleMinutes);
        const GprsValues& g = v.gprs;
        EXPECT_TRUE(g.testPeriodSeconds.has_value());
        EXPECT_EQ(g.accessPoint.has_value(), !monitoring);
        EXPECT_EQ(g.server.has_value(), !monitoring);
        EXPECT_TRUE(v.gains.pstnRx && v.gains.pstnTx && v.gains.dtmfRx && v.gains.dtmfTx);
        const OpenCloseValues& oc = v.openClose;
        EXPECT_TRUE(oc.openingSms && oc.closingSms && oc.closingText);
        EXPECT_EQ(oc.openingText.has_value(), monitoring);
        EXPECT_TRUE(v.callerId.answerIdentifiedCalls.has_value());
        for (const auto& row : v.codeRecords.partitions)
            EXPECT_EQ(row.has_value(), !monitoring);
        for (const auto& row : v.codeRecords.codes)
            EXPECT_EQ(row.has_value(), !monitoring);
    }
}

// ------------------------------------------------------------ reporting pages

std::vector<uint8_t> withEnd(std::vector<uint8_t> bytes) {
    bytes.push_back(kEnd);
    return bytes;
}

TEST(EncodeLayout, ReportingBytes) {
    std::vector<LayoutCase> cases = {
        {"answer identified calls",
         70,
         [](ImageValues& v) { v.callerId.answerIdentifiedCalls = true; },
         122,
         {0x12},
         0xFF},
        {"do not answer identified calls",
         70,
         [](ImageValues& v) { v.callerId.answerIdentifiedCalls = false; },
         122,
         {0x10},
         0xFF},
        {"life-signal report",
         70,
         [](ImageValues& v) { v.remoteMonitoring.lifeSignalReport = true; },
         76,
         {0x40},
         0x00},
        {"life-signal cycle",
         70,
         [](ImageValues& v) { v.remoteMonitoring.lifeSignalCycleMinutes = 1440; },
         104,
         {0x05, 0xA0}},
        {"test period", 100, [](ImageValues& v) { v.gprs.testPeriodSeconds = 10; }, 92, {0, 10}},
        {"gains",
         100,
         [](ImageValues& v) {
             v.gains = {20, 5, 40, 41};
         },
         94,
         {20, 5, 40, 41}},
        {"TX level is not stored",
         70,
         [](ImageValues& v) { v.remoteMonitoring.txLevel = 2; },
         102,
         {7}},
        {"opening SMS 1 and 8",
         70,
         [](ImageValues& v) {
             v.openClose.openingSms = targets({1, 8});
         },
         118,
         {0x81}},
        {"closing SMS 2",
         100,
         [](ImageValues& v) { v.openClose.closingSms = targets({2}); },
         119,
         {0x02}},
        {"opening text", 71, [](ImageValues& v) { v.openClose.openingText = u"nyitás"_qs; }, 896,
         withEnd({'n', 'y', 'i', 't', 0xE0, 's'})},
        {"opening text on ModelCode 100: the SMS header's slot",
         100,
         [](ImageValues& v) { v.openClose.openingText = u"nyitás"_qs; },
         896,
         {}},
        {"closing text", 100, [](ImageValues& v) { v.openClose.closingText = u"zárás"_qs; }, 928,
         withEnd({'z', 0xE0, 'r', 0xE0, 's'})},
    };
    for (int i = 0; i < 10; ++i)
        cases.push_back({"RX level",
                         70,
                         [i](ImageValues& v) { v.remoteMonitoring.rxLevel = i; },
                         103,
                         {kRxLevelBytes[static_cast<size_t>(i)]}});
    for (const auto& c : cases)
        checkLayout(c);
}

TEST(EncodeLayout, RemoteMonitoring) {
    const LayoutCase cases[] = {
        {"account",
         90,
         [](ImageValues& v) { v.remoteMonitoring.account = "1230"; },
         1024,
         {1, 2, 3, 10}},
        {"input 4 code 131, zone 004",
         90,
         [](ImageValues& v) {
             v.remoteMonitoring.inputs[3] = {"131", "004"};
         },
         1064,
         {1, 3, 1, 10, 10, 4}},
        {"input 1",
         70,
         [](ImageValues& v) {
             v.remoteMonitoring.inputs[0] = {"130", "001"};
         },
         1040,
         {1, 3, 10, 10, 10, 1}},
        {"tamper",
         80,
         [](ImageValues& v) {
             v.remoteMonitoring.tamper = {"137", "001"};
         },
         1104,
         {1, 3, 7, 10, 10, 1}},
        {"power zone only",
         70,
         [](ImageValues& v) { v.remoteMonitoring.power.zone = "B?A"; },
         1115,
         {11, 63, 10}},
        {"life-signal code",
         70,
         [](ImageValues& v) { v.remoteMonitoring.lifeSignalCode = "602"; },
         1168,
         {6, 10, 2}},
        {"short code",
         70,
         [](ImageValues& v) { v.remoteMonitoring.inputs[1].code = "13"; },
         1048,
         {1, 3, 255}},
        {"receiver 1 as typed", 70,
         [](ImageValues& v) { v.remoteMonitoring.receiver1 = "+36 1-2"; }, 1248,
         withEnd(ascii("+36 1-2"))},
        {"receiver 2 empty",
         70,
         [](ImageValues& v) { v.remoteMonitoring.receiver2 = ""; },
         1264,
         {kEnd}},
        {"receiver 1 of 16 characters", 70,
         [](ImageValues& v) { v.remoteMonitoring.receiver1 = "0123456789012345"; }, 1248,
         ascii("0123456789012345")},
        {"account on ModelCode 100: its partition records",
         100,
         [](ImageValues& v) {
             v.remoteMonitoring.account = "1230";
             v.remoteMonitoring.inputs[0] = {"130", "001"};
             v.remoteMonitoring.receiver1 = "06";
         },
         1024,
         {}},
    };
    for (const auto& c : cases)
        checkLayout(c);
}

TEST(EncodeLayout, GprsTexts) {
    const LayoutCase cases[] = {
        {"empty server",
         100,
         [](ImageValues& v) { v.gprs.server = ""; },
         400,
         {0x22, 0x55, 0x44, 0x50, 0x22, 0x2C, 0x22, 0x22, 0x2C, 0x22, 0x35, 0x33, 0x35, 0x30, 0x30,
          0x22, 0xFF}},
        {"empty access point",
         100,
         [](ImageValues& v) { v.gprs.accessPoint = ""; },
         640,
         {0x22, 0x22, 0x2C, 0x22, 0x22, 0x2C, 0x22, 0x22, 0xFF}},
        {"access point", 100, [](ImageValues& v) { v.gprs.accessPoint = u"net.á"_qs; }, 640,
         withEnd(ascii("\"net.") + std::vector<uint8_t>{0xE0} + ascii("\",\"\",\"\""))},
        {"server", 100, [](ImageValues& v) { v.gprs.server = "10.0.0.1"; }, 400,
         withEnd(ascii("\"UDP\",\"10.0.0.1\",\"53500\""))},
        {"longest server", 100, [](ImageValues& v) { v.gprs.server = QString(50, u's'); }, 400,
         withEnd(ascii("\"UDP\",\"") + repeated('s', 45) + ascii("\",\"53500\""))},
        {"longest access point", 100,
         [](ImageValues& v) { v.gprs.accessPoint = QString(70, u'a'); }, 640,
         withEnd(ascii("\"") + repeated('a', 63) + ascii("\",\"\",\"\""))},
        {"not on ModelCode 90: the speed text stays",
         90,
         [](ImageValues& v) {
             v.gprs.accessPoint = "net";
             v.gprs.server = "1.2.3.4";
         },
         400,
         {}},
    };
    for (const auto& c : cases)
        checkLayout(c);
}

std::vector<uint8_t> recordName(const char* name) {
    std::vector<uint8_t> bytes = ascii(name);
    if (bytes.size() < 26)
        bytes.push_back(kEnd);
    return bytes;
}

TEST(EncodeLayout, CodeRecords) {
    const LayoutCase cases[] = {
        {"code row R130 with a name", 100,
         [](ImageValues& v) {
             v.codeRecords.codes[0] =
                 ContactIdCodeRow{"R130", "Betores visszaallas", targets({1, 2})};
         },
         48 * 32, std::vector<uint8_t>{3, 1, 3, 10, 0x03, 0} + recordName("Betores visszaallas")},
        {"code row E130 without a name", 100,
         [](ImageValues& v) {
             v.codeRecords.codes[1] = ContactIdCodeRow{"E130", "", {}};
         },
         49 * 32, std::vector<uint8_t>{1, 1, 3, 10, 0, 0} + recordName("Event code: E130")},
        {"code row 161 passes through", 100,
         [](ImageValues& v) {
             v.codeRecords.codes[160] = ContactIdCodeRow{"E602", "x", {}};
         },
         208 * 32, std::vector<uint8_t>{1, 6, 10, 2, 0, 0} + recordName("x")},
        {"empty code row: first byte only",
         100,
         [](ImageValues& v) {
             v.codeRecords.codes[2] = ContactIdCodeRow{"", "gone", targets({1})};
         },
         50 * 32,
         {kEnd}},
        {"partition with a name", 100,
         [](ImageValues& v) {
             v.codeRecords.partitions[0] = PartitionRow{"01003", "Iroda"};
         },
         32 * 32, std::vector<uint8_t>{10, 1, 10, 10, 3, 0} + recordName("Iroda")},
        {"partition without a name", 100,
         [](ImageValues& v) {
             v.codeRecords.partitions[15] = PartitionRow{"02001", ""};
         },
         47 * 32, std::vector<uint8_t>{10, 2, 10, 10, 1, 0} + recordName("Partition+zone: 02001")},
        {"name of 26 characters, no terminator", 100,
         [](ImageValues& v) {
             v.codeRecords.partitions[1] = PartitionRow{"11111", QString(30, u'n')};
         },
         33 * 32, std::vector<uint8_t>{1, 1, 1, 1, 1, 0} + repeated('n', 26)},
        {"empty partition: first byte only",
         100,
         [](ImageValues& v) {
             v.codeRecords.partitions[3] = PartitionRow{"", "Raktar"};
         },
         35 * 32,
         {kEnd}},
        {"no records on ModelCode 70",
         70,
         [](ImageValues& v) {
             v.codeRecords.codes[0] = ContactIdCodeRow{"R130", "x", {}};
         },
         48 * 32,
         {}},
    };
    for (const auto& c : cases)
        checkLayout(c);
}

TEST(Decode, ReportingPages) {
    const DecodeCase cases[] = {
        {"TX level 0",
         70,
         {{102, {0}}},
         [](const ImageValues& v) { EXPECT_EQ(v.remoteMonitoring.txLevel, unlistedValue(0)); }},
        {"TX level 9",
         70,
         {{102, {9}}},
         [](const ImageValues& v) { EXPECT_EQ(v.remoteMonitoring.txLevel, 8); }},
        {"TX level 10",
         70,
         {{102, {10}}},
         [](const ImageValues& v) { EXPECT_EQ(v.remoteMonitoring.txLevel, unlistedValue(10)); }},
        {"cycle and test period outside their spins as stored",
         70,
         {{92, {0, 0}}, {104, {0xFF, 0xFF}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.gprs.testPeriodSeconds, 0);
             EXPECT_EQ(v.remoteMonitoring.lifeSignalCycleMinutes, 65535);
         }},
        {"cycle 0",
         70,
         {{104, {0, 0}}},
         [](const ImageValues& v) { EXPECT_EQ(v.remoteMonitoring.lifeSignalCycleMinutes, 0); }},
        {"gains outside their spins as stored",
         100,
         {{94, {0, 200, 1, 80}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.gains.pstnRx, 0);
             EXPECT_EQ(v.gains.pstnTx, 200);
             EXPECT_EQ(v.gains.dtmfRx, 1);
             EXPECT_EQ(v.gains.dtmfTx, 80);
         }},
        {"bits of 76 and 122",
         70,
         {{76, {0x40}}, {122, {0x02}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.remoteMonitoring.lifeSignalReport, true);
             EXPECT_EQ(v.callerId.answerIdentifiedCalls, true);
             EXPECT_EQ(v.other.roundCall, false);
         }},
        {"open and close",
         70,
         {{118, {0x81, 0x02}}, {896, withEnd(ascii("Nyit"))}, {928, withEnd({'z', 0xE0})}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.openClose.openingSms, targets({1, 8}));
             EXPECT_EQ(v.openClose.closingSms, targets({2}));
             EXPECT_EQ(v.openClose.openingText, "Nyit");
             EXPECT_EQ(v.openClose.closingText, u"zá"_qs);
         }},
        {"ModelCode 100 has its SMS header at 896",
         100,
         {{896, withEnd(ascii("Kovacs"))}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.openClose.openingText, std::nullopt);
             EXPECT_EQ(v.other.smsHeader, "Kovacs");
         }},
        {"account and codes",
         90,
         {{1024, {1, 2, 3, 10}},
          {1048, {2, 2, 2, 10, 10, 2}},
          {1064, {1, 3, 1, 10, 10, 4}},
          {1104, {1, 3, 7, 0, 16, 63}},
          {1168, {6, 10, 2}}},
         [](const ImageValues& v) {
             const RemoteMonitoringValues& r = v.remoteMonitoring;
             EXPECT_EQ(r.account, "1230");
             EXPECT_EQ(r.inputs[1].code, "222");
             EXPECT_EQ(r.inputs[3].code, "131");
             EXPECT_EQ(r.inputs[3].zone, "004");
             EXPECT_EQ(r.tamper.zone, "xx?");
             EXPECT_EQ(r.lifeSignalCode, "602");
         }},
        {"receivers",
         90,
         {{1248, withEnd(ascii("+3612"))}, {1264, ascii("0123456789012345")}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.remoteMonitoring.receiver1, "+3612");
             EXPECT_EQ(v.remoteMonitoring.receiver2, "0123456789012345");
         }},
        {"no remote-monitoring codes on ModelCode 100",
         100,
         {{1024, {1, 2, 3, 10}}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.remoteMonitoring.account, std::nullopt);
             EXPECT_EQ(v.remoteMonitoring.receiver1, std::nullopt);
         }},
        {"server address of 40 characters comes back whole",
         100,
         {{400, withEnd(ascii("\"UDP\",\"") + repeated('s', 40) + ascii("\",\"53500\""))}},
         [](const ImageValues& v) { EXPECT_EQ(v.gprs.server, QString(40, u's')); }},
        {"access point",
         100,
         {{640, withEnd(ascii("\"net.") + std::vector<uint8_t>{0xE0} + ascii("\",\"\",\"\""))}},
         [](const ImageValues& v) { EXPECT_EQ(v.gprs.accessPoint, u"net.á"_qs); }},
        {"access point and server",
         100,
         {{640, withEnd(ascii("\"apn.example\",\"\",\"\""))},
          {400, withEnd(ascii("\"UDP\",\"10.1.2.3\",\"53500\""))}},
         [](const ImageValues& v) {
             EXPECT_EQ(v.gprs.accessPoint, "apn.example");
             EXPECT_EQ(v.gprs.server, "10.1.2.3");
         }},
        {"no GPRS texts on ModelCode 90",
         90,
         {},
         [](const ImageValues& v) {
             EXPECT_EQ(v.gprs.accessPoint, std::nullopt);
             EXPECT_EQ(v.gprs.server, std::nullopt);
         }},
        {"code records",
         100,
         {{48 * 32, std::vector<uint8_t>{3, 1, 3, 10, 0x03, 0} + recordName("Betores")},
          {49 * 32,
           std::vector<uint8_t>{1, 6, 10, 2, 0x80, 0} + ascii("Elet") + std::vector<uint8_t>{0}},
          {50 * 32, std::vector<uint8_t>{kEnd, 1, 3, 10, 0x04, 0} + recordName("gone")},
          {51 * 32, std::vector<uint8_t>{10, 1, 3, 10, 0, 0} + recordName("zero")}},
         [](const ImageValues& v) {
             const auto& codes = v.codeRecords.codes;
             EXPECT_EQ(codes[0]->code, "R130");
             EXPECT_EQ(codes[0]->name, "Betores");
             EXPECT_EQ(codes[0]->sms, targets({1, 2}));
             EXPECT_EQ(codes[1]->code, "E602");
             EXPECT_EQ(codes[1]->name, "Elet");
             EXPECT_EQ(codes[2]->code, "");
             EXPECT_EQ(codes[2]->name, "");
             EXPECT_EQ(codes[2]->sms, targets({3}));
             EXPECT_EQ(codes[3]->code, "0130");
         }},
        {"partition records",
         100,
         {{32 * 32, std::vector<uint8_t>{10, 1, 10, 10, 3, 0} + recordName("Iroda")},
          {33 * 32, std::vector<uint8_t>{kEnd, 1, 10, 10, 3, 0} + recordName("Raktar")},
          {34 * 32, std::vector<uint8_t>{1, 1, 1, 1, 1, 0} + repeated('n', 26) + ascii("zz")}},
         [](const ImageValues& v) {
             const auto& rows = v.codeRecords.partitions;
             EXPECT_EQ(rows[0]->code, "01003");
             EXPECT_EQ(rows[0]->name, "Iroda");
             EXPECT_EQ(rows[1]->code, "");
             EXPECT_EQ(rows[1]->name, "Raktar"); // an empty row still shows its old name
             EXPECT_EQ(rows[2]->name, QString(26, u'n'));
         }},
    };
    for (const auto& c : cases)
        checkDecode(c);
}

TEST(Decode, RxLevelTable) {
    const struct {
        uint8_t byte;
        std::optional<int> item; // index, "1" = 0
    } cases[] = {{165, 6},
                 {215, unlistedValue(215)},
                 {100, unlistedValue(100)},
                 {230, 0},
                 {231, unlistedValue(231)},
                 {135, 9},
                 {136, unlistedValue(136)},
                 {0, unlistedValue(0)}};
    for (const auto& c : cases) {
        ConfigImage image = filled(0);
        image[103] = c.byte;
        EXPECT_EQ(decodeImage(image, contextFor(70)).values.remoteMonitoring.rxLevel, c.item)
            << int(c.byte);
    }
}

TEST(Decode, AllFFImage) {
    for (int model : kModels) {
        SCOPED_TRACE(model);
        ConfigImage image = filled(0xFF);
        const ImageValues v = decodeImage(image, contextFor(model)).values;
        for (const auto& number : v.phones.numbers)
            EXPECT_EQ(number, QString());
        EXPECT_EQ(v.inputs[0].text, " ");
        EXPECT_EQ(v.lifeSignal.text, " ");
        EXPECT_EQ(v.other.restoreText, " ");
        EXPECT_EQ(v.other.smsHeader, " ");
        EXPECT_EQ(v.openClose.closingText, " ");
        if (model == 100) {
            for (const auto& row : v.codeRecords.partitions)
                EXPECT_EQ(row->code, "");
            for (const auto& row : v.codeRecords.codes) {
                EXPECT_EQ(row->code, "");
                EXPECT_EQ(row->name, "");
            }
            EXPECT_EQ(v.gprs.accessPoint, "");
        } else {
            EXPECT_EQ(v.remoteMonitoring.account, "xxxx");
            EXPECT_EQ(v.remoteMonitoring.inputs[2].zone, "xxx");
            EXPECT_EQ(v.remoteMonitoring.lifeSignalCode, "xxx");
            EXPECT_EQ(v.remoteMonitoring.receiver1, "");
        }
    }
}

// Values as a page holds them survive Encode and Decode, whatever the model keeps.
TEST(RoundTrip, PageValuesComeBack) {
    for (int model : kModels) {
        SCOPED_TRACE(model);
        ImageValues given = defaultImageValues();
        given.phones.numbers[0] = "+36301234567";
        given.inputs[0].sms = targets({1});
        given.other.smsHeader = "Kovacs lakas";
        given.codeRecords.codes[0] = ContactIdCodeRow{"R130", "Betores", targets({1, 2})};
        given.codeRecords.partitions[0] = PartitionRow{"01003", "Iroda"};
        given.gprs.accessPoint = "apn.example";
        given.gprs.server = "10.1.2.3";
        ConfigImage image = encoded(filled(0), given, model);
        const ImageValues back = decodeImage(image, contextFor(model)).values;
        EXPECT_EQ(back.phones.numbers[0], "+36301234567");
        EXPECT_EQ(back.inputs[0].sms, targets({1}));
        EXPECT_EQ(back.inputs[1].text, given.inputs[1].text);
        EXPECT_EQ(back.power.input.inverted, false);
        EXPECT_EQ(back.power.alarmVoltage, kDefaultPowerAlarmVoltage);
        EXPECT_EQ(back.outputs[0].onCallerId, true);
        EXPECT_EQ(back.outputs[1].seconds, 3);
        EXPECT_EQ(back.lifeSignal.hour, 12);
        EXPECT_EQ(back.other.inputFilter, kDefaultInputFilter);
        EXPECT_EQ(back.other.smsHeader, "Kovacs lakas");
        EXPECT_EQ(back.gains.pstnRx, 20);
        EXPECT_EQ(back.remoteMonitoring.rxLevel, kDefaultRxLevel);
        EXPECT_EQ(back.remoteMonitoring.txLevel, 6); // stored as 7, whatever the list showed
        EXPECT_EQ(back.remoteMonitoring.lifeSignalCycleMinutes, 1440);
        EXPECT_EQ(back.openClose.closingText, u"zárás"_qs);
        if (model == 100) {
            EXPECT_EQ(back.codeRecords.codes[0]->code, "R130");
            EXPECT_EQ(back.codeRecords.codes[0]->sms, targets({1, 2}));
            EXPECT_EQ(back.codeRecords.partitions[0]->name, "Iroda");
            EXPECT_EQ(back.codeRecords.codes[1]->code, "");
            EXPECT_EQ(back.gprs.accessPoint, "apn.example");
            EXPECT_EQ(back.gprs.server, "10.1.2.3");
        } else {
            EXPECT_EQ(back.openClose.openingText, u"nyitás"_qs);
            EXPECT_EQ(back.remoteMonitoring.inputs[3].zone, "004");
            EXPECT_EQ(back.remoteMonitoring.power.code, "302");
            EXPECT_EQ(back.speed.input.text, "Sebesseg tullepes");
        }
    }
}

// ------------------------------------------------------------ edits

struct Edit {
    const char* what;
    std::function<void(ImageValues&)> change;
    std::vector<std::pair<int, int>> bytes; // inclusive ranges the edit may change
    std::function<bool(int model)> applies = [](int) { return true; };
};

bool notModel100(int model) {
    return model != 100;
}

std::vector<Edit> pageEdits() {
    std::vector<Edit> edits;
    const struct {
        const char* name;
        int record, text;
        InputPageValues& (*page)(ImageValues&);
    } inputs[] = {
        {"input 1", 8, 512, [](ImageValues& v) -> InputPageValues& { return v.inputs[0]; }},
        {"input 2", 12, 544, [](ImageValues& v) -> InputPageValues& { return v.inputs[1]; }},
        {"input 3", 16, 576, [](ImageValues& v) -> InputPageValues& { return v.inputs[2]; }},
        {"input 4", 20, 608, [](ImageValues& v) -> InputPageValues& { return v.inputs[3]; }},
        {"speed", 24, 640, [](ImageValues& v) -> InputPageValues& { return v.speed.input; }},
        {"lift", 28, 672, [](ImageValues& v) -> InputPageValues& { return v.lift.input; }},
        {"tamper", 40, 768, [](ImageValues& v) -> InputPageValues& { return v.tamper; }},
        {"power", 44, 800, [](ImageValues& v) -> InputPageValues& { return v.power.input; }},
        {"temperature", 48, -1,
         [](ImageValues& v) -> InputPageValues& { return v.temperature.input; }},
    };
    for (const auto& in : inputs) {
        const int r = in.record;
        auto page = in.page;
        edits.push_back({in.name,
                         [page](ImageValues& v) { page(v).type = (*page(v).type + 1) % 6; },
                         {{r, r}}});
        edits.push_back(
            {in.name, [page](ImageValues& v) { page(v).inverted = !*page(v).inverted; }, {{r, r}}});
        edits.push_back(
            {in.name, [page](ImageValues& v) { page(v).sms->at(2) ^= true; }, {{r + 1, r + 1}}});
        edits.push_back(
            {in.name, [page](ImageValues& v) { page(v).voice->at(7) ^= true; }, {{r + 2, r + 2}}});
        edits.push_back({in.name,
                         [page](ImageValues& v) { page(v).options->restoreToo ^= true; },
                         {{r + 3, r + 3}}});
        if (in.text >= 0) {
            const bool shared = in.text == 640 || in.text == 672;
            edits.push_back({in.name,
                             [page](ImageValues& v) { page(v).text = "Edited"; },
                             {{in.text, in.text + 31}},
                             shared ? notModel100 : [](int) { return true; }});
        }
    }
    auto add = [&edits](
                   const char* what, std::function<void(ImageValues&)> change, int first, int last,
                   std::function<bool(int)> applies = [](int) { return true; }) {
        edits.push_back({what, std::move(change), {{first, last}}, std::move(applies)});
    };
    add(
        "alarm voltage",
        [](ImageValues& v) { v.power.alarmVoltage = (*v.power.alarmVoltage + 1) % 11; }, 114, 114);
    add(
        "temperature max",
        [](ImageValues& v) { v.temperature.maxEnabled = !*v.temperature.maxEnabled; }, 82, 82);
    add(
        "temperature min",
        [](ImageValues& v) {
            v.temperature.minEnabled = true;
            v.temperature.minValue = (*v.temperature.minValue + 1) % 121;
        },
        83, 83);
    add(
        "speed limit", [](ImageValues& v) { v.speed.limitKmh = *v.speed.limitKmh % 250 + 1; }, 85,
        85);
    add(
        "lift setting", [](ImageValues& v) { v.lift.setting = *v.lift.setting % 32 + 1; }, 86, 86);
    for (int n = 0; n < 2; ++n) {
        const int a = n == 0 ? 64 : 67;
        add(
            "output mode",
            [n](ImageValues& v) {
                auto& m = v.outputs[n].mode;
                m = (*m + 1) % 3;
            },
            a, a);
        add(
            "output alarm", [n](ImageValues& v) { v.outputs[n].onAlarm = !*v.outputs[n].onAlarm; },
            a, a);
        add(
            "output caller ID",
            [n](ImageValues& v) { v.outputs[n].onCallerId = !*v.outputs[n].onCallerId; }, a, a);
        add(
            "output time",
            [n](ImageValues& v) { v.outputs[n].seconds = *v.outputs[n].seconds % 65535 + 1; },
            a + 1, a + 2);
    }
    add(
        "no caller ID", [](ImageValues& v) { v.outputs[0].noCallerId = !*v.outputs[0].noCallerId; },
        64, 64);
    add(
        "life signal on/off", [](ImageValues& v) { v.lifeSignal.enabled = !*v.lifeSignal.enabled; },
        70, 70);
    add(
        "life signal days",
        [](ImageValues& v) {
            v.lifeSignal.enabled = true;
            v.lifeSignal.periodDays = *v.lifeSignal.periodDays % 255 + 1;
        },
        70, 70);
    add(
        "life signal hour",
        [](ImageValues& v) { v.lifeSignal.hour = (*v.lifeSignal.hour + 1) % 24; }, 71, 72);
    add(
        "first life signal", [](ImageValues& v) { v.lifeSignal.firstAfterDays = 3; }, 73, 73);
    add(
        "life signal SMS", [](ImageValues& v) { v.lifeSignal.sms->at(0) ^= true; }, 74, 74);
    add(
        "life signal text", [](ImageValues& v) { v.lifeSignal.text = "Edited"; }, 864, 895);
    add(
        "security code", [](ImageValues& v) { v.other.securityCode = "!!!!"; }, 0, 3);
    add(
        "round call", [](ImageValues& v) { v.other.roundCall = !*v.other.roundCall; }, 76, 76);
    add(
        "LEDs", [](ImageValues& v) { v.other.ledsOffWhenClosed = !*v.other.ledsOffWhenClosed; }, 76,
        76);
    add(
        "save output", [](ImageValues& v) { v.other.saveOutput = !*v.other.saveOutput; }, 76, 76);
    add(
        "caller-ID arming",
        [](ImageValues& v) { v.other.callerIdArming = !*v.other.callerIdArming; }, 76, 76);
    add(
        "microphone", [](ImageValues& v) { v.other.microphone = !*v.other.microphone; }, 76, 76);
    add(
        "redirection",
        [](ImageValues& v) {
            v.other.smsRedirection = true;
            v.other.smsRedirectionTarget = v.other.smsRedirectionTarget == 3 ? 4 : 3;
        },
        77, 77);
    add(
        "ring time", [](ImageValues& v) { v.other.ringSeconds = *v.other.ringSeconds % 180 + 3; },
        78, 78);
    add(
        "redials", [](ImageValues& v) { v.other.maxRedials = *v.other.maxRedials % 180 + 1; }, 79,
        79);
    add(
        "input filter",
        [](ImageValues& v) { v.other.inputFilter = v.other.inputFilter == 0 ? 4 : 0; }, 80, 80);
    add(
        "restore text", [](ImageValues& v) { v.other.restoreText = "Edited"; }, 992, 1023);
    add(
        "SMS header", [](ImageValues& v) { v.other.smsHeader = "Edited"; }, 1280, 1406,
        notModel100);
    add(
        "SMS header", [](ImageValues& v) { v.other.smsHeader = "Edited"; }, 896, 927,
        [](int model) { return model == 100; });
    add(
        "GPS receiver", [](ImageValues& v) { v.gps.useReceiver = !*v.gps.useReceiver; }, 81, 81);
    add(
        "NMEA", [](ImageValues& v) { v.gps.sendNmea = !*v.gps.sendNmea; }, 81, 81);
    add(
        "phone number 3", [](ImageValues& v) { v.phones.numbers[2] = "0612"; }, 288, 303);
    return edits;
}

// Fields of the reporting pages, each edited on its own.
std::vector<Edit> reportingEdits() {
    std::vector<Edit> edits;
    auto add = [&edits](
                   const char* what, std::function<void(ImageValues&)> change, int first, int last,
                   std::function<bool(int)> applies = [](int) { return true; }) {
        edits.push_back({what, std::move(change), {{first, last}}, std::move(applies)});
    };
    const auto model100 = [](int model) { return model == 100; };
    add(
        "opening SMS", [](ImageValues& v) { v.openClose.openingSms->at(1) ^= true; }, 118, 118);
    add(
        "closing SMS", [](ImageValues& v) { v.openClose.closingSms->at(6) ^= true; }, 119, 119);
    add(
        "opening text", [](ImageValues& v) { v.openClose.openingText = "Edited"; }, 896, 927,
        notModel100);
    add(
        "closing text", [](ImageValues& v) { v.openClose.closingText = "Edited"; }, 928, 959);
    add(
        "answer identified calls",
        [](ImageValues& v) {
            v.callerId.answerIdentifiedCalls = !*v.callerId.answerIdentifiedCalls;
        },
        122, 122);
    add(
        "life-signal report",
        [](ImageValues& v) {
            auto& report = v.remoteMonitoring.lifeSignalReport;
            report = !*report;
        },
        76, 76);
    add(
        "life-signal cycle",
        [](ImageValues& v) {
            auto& cycle = v.remoteMonitoring.lifeSignalCycleMinutes;
            cycle = *cycle % 65000 + 1;
        },
        104, 105);
    add(
        "RX level",
        [](ImageValues& v) {
            auto& rx = v.remoteMonitoring.rxLevel;
            rx = rx == 3 ? 4 : 3;
        },
        103, 103);
    add(
        "test period",
        [](ImageValues& v) {
            auto& period = v.gprs.testPeriodSeconds;
            period = *period == 10 ? 11 : 10;
        },
        92, 93);
    add(
        "PSTN Rx gain", [](ImageValues& v) { v.gains.pstnRx = *v.gains.pstnRx % 78 + 3; }, 94, 94);
    add(
        "PSTN Tx gain", [](ImageValues& v) { v.gains.pstnTx = *v.gains.pstnTx % 80 + 1; }, 95, 95);
    add(
        "DTMF Rx gain", [](ImageValues& v) { v.gains.dtmfRx = *v.gains.dtmfRx % 80 + 1; }, 96, 96);
    add(
        "DTMF Tx gain", [](ImageValues& v) { v.gains.dtmfTx = *v.gains.dtmfTx % 80 + 1; }, 97, 97);
    add(
        "account", [](ImageValues& v) { v.remoteMonitoring.account = "?xBA"; }, 1024, 1027,
        notModel100);
    add(
        "input 2 event code", [](ImageValues& v) { v.remoteMonitoring.inputs[1].code = "x?x"; },
        1048, 1050, notModel100);
    add(
        "input 4 zone", [](ImageValues& v) { v.remoteMonitoring.inputs[3].zone = "x?x"; }, 1067,
        1069, notModel100);
    add(
        "tamper code", [](ImageValues& v) { v.remoteMonitoring.tamper.code = "x?x"; }, 1104, 1106,
        notModel100);
    add(
        "power zone", [](ImageValues& v) { v.remoteMonitoring.power.zone = "x?x"; }, 1115, 1117,
        notModel100);
    add(
        "life-signal code", [](ImageValues& v) { v.remoteMonitoring.lifeSignalCode = "x?x"; }, 1168,
        1170, notModel100);
    add(
        "receiver 1", [](ImageValues& v) { v.remoteMonitoring.receiver1 = "\x01"; }, 1248, 1263,
        notModel100);
    add(
        "receiver 2", [](ImageValues& v) { v.remoteMonitoring.receiver2 = "\x01"; }, 1264, 1279,
        notModel100);
    add(
        "access point", [](ImageValues& v) { v.gprs.accessPoint = "Edited"; }, 640, 711, model100);
    add(
        "server", [](ImageValues& v) { v.gprs.server = "Edited"; }, 400, 461, model100);
    add(
        "partition row 3",
        [](ImageValues& v) {
            v.codeRecords.partitions[2] = PartitionRow{"1?1?1", "Edited"};
        },
        34 * 32, 35 * 32 - 1, model100);
    add(
        "code row 5",
        [](ImageValues& v) {
            v.codeRecords.codes[4] = ContactIdCodeRow{"R?1?", "Edited", targets({2})};
        },
        52 * 32, 53 * 32 - 1, model100);
    add(
        "code row 161",
        [](ImageValues& v) {
            v.codeRecords.codes[160] = ContactIdCodeRow{"E?1?", "", targets({3})};
        },
        208 * 32, 209 * 32 - 1, model100);
    return edits;
}

TEST(Edit, ChangesOnlyItsOwnBytes) {
    std::vector<Edit> edits = pageEdits();
    for (Edit& e : reportingEdits())
        edits.push_back(std::move(e));
    for (int model : kModels)
        for (quint32 seed = 1; seed <= 3; ++seed) {
            ConfigImage image =
                ModuleImage(seed + static_cast<quint32>(model), model, 43, true).image();
            const DecodeResult decoded = decodeImage(image, contextFor(model));
            const ConfigImage baseline = encoded(image, decoded.values, model);
            for (const Edit& e : edits) {
                if (!e.applies(model))
                    continue;
                SCOPED_TRACE(testing::Message()
                             << e.what << ", model " << model << " seed " << seed);
                ImageValues values = decoded.values;
                e.change(values);
                const std::vector<int> changed =
                    changedAddresses(baseline, encoded(image, values, model));
                EXPECT_FALSE(changed.empty());
                for (int a : changed) {
                    bool inside = false;
                    for (const auto& [first, last] : e.bytes)
                        inside = inside || (a >= first && a <= last);
                    EXPECT_TRUE(inside) << "changed " << a;
                }
            }
        }
}

} // namespace
