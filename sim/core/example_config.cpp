#include "core/example_config.h"

#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>

namespace alvento::sim {
namespace {

// Option bits of an input record's fourth byte.
constexpr std::uint8_t kRestoreToo = 0x01;
constexpr std::uint8_t kSiren = 0x04;
constexpr std::uint8_t kVoiceMessage = 0x08;
constexpr std::uint8_t kRemoteMonitoring = 0x10;

// Input types: the index of the configurator's type list.
constexpr int kUnused = 0;
constexpr int k24Hour = 1;
constexpr int kCentral = 3;
constexpr int kOnOff = 5;

// Output byte bits.
constexpr std::uint8_t kBistable = 0x01;
constexpr std::uint8_t kOnAlarm = 0x02;
constexpr std::uint8_t kOnCallerId = 0x04;

constexpr std::uint8_t kEnd = 0xFF;

std::uint8_t targets(std::initializer_list<int> numbers) {
    std::uint8_t mask = 0;
    for (int n : numbers)
        mask |= static_cast<std::uint8_t>(1u << (n - 1));
    return mask;
}

struct Input {
    int type;
    bool inverted;
    std::uint8_t sms;
    std::uint8_t calls;
    std::uint8_t options;
};

// The module's memory, written one named field at a time.
class Memory {
  public:
    Memory() : bytes_(kMemorySize, kErased) {}
    Bytes take() { return std::move(bytes_); }

    void byte(int address, std::uint8_t value) {
        bytes_.at(static_cast<std::size_t>(address)) = value;
    }
    void word(int address, int value) {
        byte(address, static_cast<std::uint8_t>(value >> 8));
        byte(address + 1, static_cast<std::uint8_t>(value & 0xFF));
    }
    // Up to `room` bytes, then the end mark when shorter.
    void text(int address, int room, const Bytes& text) {
        const int n = std::min(room, static_cast<int>(text.size()));
        for (int i = 0; i < n; ++i)
            byte(address + i, text[static_cast<std::size_t>(i)]);
        if (n < room)
            byte(address + n, kEnd);
    }
    void smsText(int address, const char* utf8) { text(address, 32, moduleText(utf8)); }
    void ascii(int address, int room, const char* s) {
        text(address, room, Bytes(s, s + std::strlen(s)));
    }
    // Phone number n (1..8): digits and '+', 16 bytes at most.
    void phone(int n, const char* number) { ascii(256 + 16 * (n - 1), 16, number); }
    void input(int record, const Input& in) {
        byte(record, static_cast<std::uint8_t>(in.type | (in.inverted ? 0x80 : 0)));
        byte(record + 1, in.sms);
        byte(record + 2, in.calls);
        byte(record + 3, in.options);
    }
    // Contact ID characters: '0' is 10, '1'..'9' themselves.
    void digits(int address, const char* code) {
        for (int i = 0; code[i]; ++i)
            byte(address + i, code[i] == '0' ? 10 : static_cast<std::uint8_t>(code[i] - '0'));
    }

  private:
    Bytes bytes_;
};

// What every model of the family has: the numbers and "Egyéb".
void numbersAndOther(Memory& m, int model) {
    const bool oneInput = model == 80;
    m.ascii(0, 4, "4826"); // SMS security code
    for (int a = 24; a < 64; ++a)
        m.byte(a, 0); // input records not in use and the reserved ones
    m.phone(1, "+36301234567");
    m.phone(2, "+36209876543");
    m.phone(3, oneInput ? "" : "0612345678");
    m.phone(4, "+36705556677");
    if (!oneInput)
        m.phone(5, "0036301234567890"); // all 16 positions, no end mark
    m.byte(76, 0x06);                   // LEDs off with the cover closed, output kept in memory
    m.byte(77, 1);                      // SMS redirected to number 2
    m.byte(78, 30);                     // ring time, s
    m.byte(79, 5);                      // call repetitions
    m.byte(80, 3);                      // input filter "Normál"
    m.byte(102, 7);                     // transmit level, fixed
    m.byte(111, 7);
    m.byte(112, 7);
    m.byte(120, 0);
    m.byte(121, 0);
    m.byte(122, 0x10);
    m.smsText(992, "Visszaállás:");
    m.ascii(384, 16, "NORVIK");
}

// The alarm side of the GSM models: the first two inputs, tamper, output 1
// and the life signal.
void alarmSettings(Memory& m) {
    m.input(8, {k24Hour, false, targets({1, 2}), targets({1}), kRestoreToo | kSiren});
    m.smsText(512, "Bejárati ajtó nyitva");
    m.input(12, {kCentral, true, targets({1}), 0, kSiren | kVoiceMessage});
    m.smsText(544, "Mozgásérzékelő riasztás");
    m.input(40, {k24Hour, false, targets({1}), targets({1}), kRestoreToo | kSiren});
    m.smsText(768, "Szabotázs riasztás");

    // Output 1 follows the caller for 5 s.
    m.byte(64, kOnCallerId);
    m.word(65, 5);

    // Life signal every 7 days at 9 o'clock, the first one a day from now.
    m.byte(70, 7);
    m.byte(71, '0');
    m.byte(72, '9');
    m.byte(73, 1 + 1);
    m.byte(74, targets({1}));
    m.smsText(864, "Életjel: minden rendben");
}

// Four inputs, two outputs, the power monitor, the remote-monitoring codes.
void fourInputSettings(Memory& m) {
    m.input(16, {kUnused, false, 0, 0, kSiren});
    m.smsText(576, "3 bemenet riasztas");
    m.input(20, {kOnOff, false, targets({1, 2, 3}), 0, kSiren | kRemoteMonitoring});
    m.smsText(608, "Élesítés/hatástalanítás");
    // The power input's bit 7 is set for the normal (not inverted) supply input.
    m.input(44, {k24Hour, true, targets({1, 2}), 0, kSiren});
    m.smsText(800, "Tápfeszültség hiba");
    m.byte(114, 79); // alarm below 11.5 V

    m.byte(67, kBistable | kOnAlarm);
    m.word(68, 3);

    m.text(1280, 127, moduleText("Kovács lakás, Fő utca 12."));
    m.digits(1024, "1234"); // account
    const char* zones[] = {"001", "002", "003", "004"};
    for (int i = 0; i < 4; ++i) {
        m.digits(1040 + 8 * i, "130");
        m.digits(1043 + 8 * i, zones[i]);
    }
    m.digits(1104, "137");
    m.digits(1107, "005");
    m.digits(1112, "302");
    m.digits(1115, "006");
    m.digits(1168, "602");
    m.ascii(1248, 16, "0612223333");
    m.ascii(1264, 16, "0612224444");
    m.word(104, 1440); // remote life signal once a day
}

void gpsSettings(Memory& m) {
    m.byte(81, 0x02); // receiver in use, NMEA sentences sent
    m.input(24, {k24Hour, false, targets({1}), 0, kRestoreToo});
    m.byte(85, 90); // km/h
    m.input(28, {k24Hour, false, targets({2}), targets({2, 3}), 0});
    m.byte(86, 8);
    // Written after the speed text would be, as the module keeps them.
    m.smsText(640, "Sebességtúllépés");
    m.smsText(672, "Emelés érzékelve");
}

void temperatureSettings(Memory& m) {
    m.input(48, {k24Hour, false, targets({1}), 0, kRestoreToo});
    m.byte(82, 45); // maximum, °C
    m.byte(83, 5);  // minimum, °C
}

// A 32-byte record of ModelCode 100: five or four code characters, then the
// name from byte 6.
void codeRecord(Memory& m, int record, const char* code, std::uint8_t sms, const char* name) {
    const int at = 32 * record;
    m.digits(at, code);
    if (std::strlen(code) == 4)
        m.byte(at + 4, sms);
    m.byte(at + 5, 0);
    m.text(at + 6, 26, codePageText(name)); // names are plain code page 1250
}

void contactIdSettings(Memory& m) {
    m.smsText(896, "Kovács iroda"); // the SMS header of this model
    m.word(92, 600);                // GPRS test report, s
    m.byte(94, 20);
    m.byte(95, 5);
    m.byte(96, 40);
    m.byte(97, 40);
    m.ascii(400, 62, "\"UDP\",\"192.0.2.10\",\"53500\"");
    m.ascii(640, 72, "\"internet.example\",\"\",\"\"");
    codeRecord(m, 32, "01001", 0, "Földszint");
    codeRecord(m, 33, "02003", 0, "Emelet");
    codeRecord(m, 48, "1130", targets({1, 2}), "Betörés");
    codeRecord(m, 49, "1110", targets({1}), "Tűz");
    codeRecord(m, 50, "3130", 0, "Betörés vége");
}

// UTF-8 sequences of the letters the texts use, with their module bytes.
struct Letter {
    const char* utf8;
    std::uint8_t codePage;
};
const Letter kLetters[] = {
    {"á", 0xE1}, {"é", 0xE9}, {"í", 0xED}, {"ó", 0xF3}, {"ö", 0xF6}, {"ő", 0xF5},
    {"ú", 0xFA}, {"ü", 0xFC}, {"ű", 0xFB}, {"Á", 0xC1}, {"É", 0xC9}, {"Í", 0xCD},
    {"Ó", 0xD3}, {"Ö", 0xD6}, {"Ő", 0xD5}, {"Ú", 0xDA}, {"Ü", 0xDC}, {"Ű", 0xDB},
};
// The SMS texts keep these four letters on other bytes of the code page.
const std::pair<std::uint8_t, std::uint8_t> kSmsLetters[] = {
    {0xE1, 0xE0}, {0xE9, 0xE8}, {0xED, 0xEC}, {0xF3, 0xF2}};

} // namespace

Bytes codePageText(const char* utf8) {
    Bytes out;
    for (const char* p = utf8; *p;) {
        if (static_cast<unsigned char>(*p) < 0x80) {
            out.push_back(static_cast<std::uint8_t>(*p++));
            continue;
        }
        bool known = false;
        for (const Letter& l : kLetters) {
            const std::size_t n = std::strlen(l.utf8);
            if (std::strncmp(p, l.utf8, n) == 0) {
                out.push_back(l.codePage);
                p += n;
                known = true;
                break;
            }
        }
        if (!known)
            out.push_back(static_cast<std::uint8_t>(*p++)); // not used by the examples
    }
    return out;
}

Bytes moduleText(const char* utf8) {
    Bytes out = codePageText(utf8);
    for (std::uint8_t& b : out)
        for (const auto& [letter, stored] : kSmsLetters)
            if (b == letter)
                b = stored;
    return out;
}

Bytes exampleConfiguration(int model) {
    Memory m;
    switch (model) {
    case 70:
    case 71:
    case 90:
        numbersAndOther(m, model);
        alarmSettings(m);
        fourInputSettings(m);
        if (model == 70)
            temperatureSettings(m);
        if (model == 90)
            gpsSettings(m);
        break;
    case 80:
        numbersAndOther(m, model);
        alarmSettings(m);
        m.text(1280, 127, moduleText("Kovács nyaraló"));
        break;
    case 100:
        numbersAndOther(m, model);
        contactIdSettings(m);
        break;
    default:
        break;
    }
    return m.take();
}

} // namespace alvento::sim
