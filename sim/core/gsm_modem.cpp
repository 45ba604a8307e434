#include "core/gsm_modem.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>

namespace alvento::sim {

namespace {

constexpr std::uint8_t kCR = 0x0D;
constexpr std::uint8_t kLF = 0x0A;
constexpr std::uint8_t kBackspace = 0x08;
constexpr std::uint8_t kCtrlZ = 0x1A;
constexpr std::uint8_t kEsc = 0x1B;
constexpr std::size_t kMaxLine = 1024;
constexpr std::size_t kMaxSms = 160;
constexpr int kPinTries = 3;

// 27.007 error codes.
constexpr int kNotAllowed = 3;
constexpr int kNotSupported = 4;
constexpr int kSimPinRequired = 11;
constexpr int kSimPukRequired = 12;
constexpr int kWrongPassword = 16;
constexpr int kMemoryFull = 20;
constexpr int kInvalidIndex = 21;
constexpr int kTextTooLong = 24;
constexpr int kDialTooLong = 26;
constexpr int kBadDialCharacters = 27;
constexpr int kBadParameters = 50;
// 27.005 error codes.
constexpr int kCmsSimPinRequired = 311;
constexpr int kCmsBadParameter = 304;
constexpr int kCmsNoSmsc = 330;

const char* cmeText(int code) {
    switch (code) {
    case kNotAllowed:
        return "operation not allowed";
    case kNotSupported:
        return "operation not supported";
    case kSimPinRequired:
        return "SIM PIN required";
    case kSimPukRequired:
        return "SIM PUK required";
    case kWrongPassword:
        return "incorrect password";
    case kMemoryFull:
        return "memory full";
    case kInvalidIndex:
        return "invalid index";
    case kTextTooLong:
        return "text string too long";
    case kDialTooLong:
        return "dial string too long";
    case kBadDialCharacters:
        return "invalid characters in dial string";
    default:
        return "unknown";
    }
}

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// One parameter of an extended command: a quoted string or a bare value.
struct Param {
    std::string value;
    bool quoted = false;
    bool empty() const { return !quoted && value.empty(); }
};

std::optional<std::vector<Param>> params(const std::string& args) {
    std::vector<Param> out;
    if (args.empty())
        return out;
    Param p;
    bool inQuote = false;
    bool closed = false;
    for (char c : args) {
        if (inQuote) {
            if (c == '"') {
                inQuote = false;
                closed = true;
            } else {
                p.value += c;
            }
            continue;
        }
        if (c == ',') {
            out.push_back(p);
            p = {};
            closed = false;
        } else if (c == '"') {
            if (closed || !p.value.empty())
                return std::nullopt;
            inQuote = true;
            p.quoted = true;
        } else if (c != ' ') {
            if (closed)
                return std::nullopt;
            p.value += c;
        }
    }
    if (inQuote)
        return std::nullopt;
    out.push_back(p);
    return out;
}

std::optional<int> integer(const Param& p) {
    if (p.quoted || p.value.empty() || p.value.size() > 9)
        return std::nullopt;
    for (char c : p.value)
        if (c < '0' || c > '9')
            return std::nullopt;
    return std::stoi(p.value);
}

bool dialCharacters(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '+' || c == '*' || c == '#' ||
               std::string("ABCDabcdPpWw,").find(c) != std::string::npos;
    });
}

std::size_t digitsOf(const std::string& number) {
    return number.size() - (!number.empty() && number[0] == '+' ? 1 : 0);
}

std::string printable(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out;
}

void append(Bytes& out, const std::string& s) {
    out.insert(out.end(), s.begin(), s.end());
}

// Decodes one UTF-8 sequence at i; bad bytes read as themselves.
char32_t nextCodePoint(const std::string& s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i++]);
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    char32_t cp = extra == 3 ? b & 0x07 : extra == 2 ? b & 0x0F : extra == 1 ? b & 0x1F : b;
    while (extra-- > 0 && i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    return cp;
}
} // namespace

std::string networkText(const std::string& utf8) {
    struct Swap {
        char32_t from;
        char to;
    };
    static const Swap kSwaps[] = {
        {U'á', '\xE0'}, {U'í', '\xEC'}, {U'ó', '\xF2'}, {U'ú', '\xF9'},
        {U'ő', '\xF6'}, {U'ű', '\xFC'}, {U'Á', 'A'},    {U'Í', 'I'},
        {U'Ó', 'O'},    {U'Ú', 'U'},    {U'Ő', '\xD6'}, {U'Ű', '\xDC'},
    };
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t cp = nextCodePoint(utf8, i);
        const auto swap = std::find_if(std::begin(kSwaps), std::end(kSwaps),
                                       [cp](const Swap& s) { return s.from == cp; });
        if (swap != std::end(kSwaps))
            out += swap->to;
        else if (cp < 0x100)
            out += static_cast<char>(cp);
        else
            out += '?';
    }
    return out;
}

GsmModem::GsmModem(const ModemOptions& options) : options_(options) {
    pinLock_ = !options_.pin.empty();
    pin_ = pinLock_ ? options_.pin : "0000";
    sim_ = pinLock_ ? SimState::Pin : SimState::Ready;
}

void GsmModem::reset() {
    echo_ = true;
    verbose_ = true;
    quiet_ = false;
    cmee_ = 0;
}

std::string GsmModem::loadPhonebook(const std::string& text) {
    std::istringstream in(text);
    std::string row;
    int lineNo = 0;
    while (std::getline(in, row)) {
        ++lineNo;
        if (!row.empty() && row.back() == '\r')
            row.pop_back();
        if (row.empty() || row[0] == '#')
            continue;
        std::vector<std::string> f;
        std::size_t start = 0;
        for (std::size_t tab; (tab = row.find('\t', start)) != std::string::npos; start = tab + 1)
            f.push_back(row.substr(start, tab - start));
        f.push_back(row.substr(start));
        const auto slot = f.empty() ? std::nullopt : integer({f[0]});
        if (f.size() != 4 || !slot || *slot < 1 || *slot > kPhonebookSlots || !integer({f[2]}))
            return "line " + std::to_string(lineNo) + ": want slot, number, type, text (tabs)";
        phonebook_[static_cast<std::size_t>(*slot - 1)] =
            PhonebookSlot{f[1], std::stoi(f[2]), f[3]};
    }
    return {};
}

std::string GsmModem::phonebookText() const {
    std::string out;
    for (int i = 0; i < kPhonebookSlots; ++i) {
        const auto& e = phonebook_[static_cast<std::size_t>(i)];
        if (e)
            out += std::to_string(i + 1) + '\t' + e->number + '\t' + std::to_string(e->type) +
                   '\t' + e->text + '\n';
    }
    return out;
}

// ---------------------------------------------------------------- bytes in

ModemOutput GsmModem::feed(std::span<const std::uint8_t> bytes) {
    ModemOutput out;
    for (std::uint8_t b : bytes) {
        if (silent_)
            break;
        if (smsEntry_) {
            smsByte(b, out);
            continue;
        }
        if (echo_)
            out.now.push_back(b);
        if (b == kCR) {
            std::string text;
            text.swap(lineBuffer_);
            const bool tooLong = overlong_;
            overlong_ = false;
            if (tooLong) {
                finalError(out, {ErrorKind::Plain, 0});
                continue;
            }
            commandLine(text, out);
        } else if (b == kLF) {
            // The line ends at CR; an LF after it belongs to no command.
        } else if (b == kBackspace) {
            if (!lineBuffer_.empty())
                lineBuffer_.pop_back();
        } else if (lineBuffer_.size() < kMaxLine) {
            lineBuffer_ += static_cast<char>(b);
        } else {
            overlong_ = true;
        }
    }
    return out;
}

void GsmModem::smsByte(std::uint8_t b, ModemOutput& out) {
    if (b == kEsc) {
        smsEntry_ = false;
        finalOk(out);
        return;
    }
    if (b != kCtrlZ) {
        if (echo_)
            out.now.push_back(b);
        if (smsBody_.size() < kMaxLine)
            smsBody_ += static_cast<char>(b);
        return;
    }
    smsEntry_ = false;
    if (csca_.empty()) {
        finalError(out, {ErrorKind::Cms, kCmsNoSmsc});
        return;
    }
    if (textMode_ && smsBody_.size() > kMaxSms) {
        finalError(out, {ErrorKind::Cms, kCmsBadParameter});
        return;
    }
    messageRef_ = (messageRef_ + 1) % 256;
    out.events.push_back("SMS " + smsTo_ + " " + printable(smsBody_));
    line(out, "+CMGS: " + std::to_string(messageRef_));
    finalOk(out);
}

// ---------------------------------------------------------------- answers

void GsmModem::line(ModemOutput& out, const std::string& text) const {
    if (quiet_)
        return;
    append(out.now, verbose_ ? "\r\n" + text + "\r\n" : text + "\r\n");
}

void GsmModem::finalText(ModemOutput& out, const std::string& text, int code) const {
    if (quiet_)
        return;
    append(out.now, verbose_ ? "\r\n" + text + "\r\n" : std::to_string(code) + "\r");
}

void GsmModem::finalOk(ModemOutput& out) const {
    finalText(out, "OK", 0);
}

void GsmModem::finalError(ModemOutput& out, const Failure& f) const {
    if (f.kind == ErrorKind::Plain || cmee_ == 0 || !verbose_) {
        finalText(out, "ERROR", 4);
        return;
    }
    const std::string tag = f.kind == ErrorKind::Cme ? "+CME ERROR: " : "+CMS ERROR: ";
    if (cmee_ == 2 && f.kind == ErrorKind::Cme)
        finalText(out, tag + cmeText(f.code), 4);
    else
        finalText(out, tag + std::to_string(f.code), 4);
}

GsmModem::Result GsmModem::simReady() const {
    switch (sim_) {
    case SimState::Ready:
        return std::nullopt;
    case SimState::Pin:
        return Failure{ErrorKind::Cme, kSimPinRequired};
    case SimState::Puk:
        return Failure{ErrorKind::Cme, kSimPukRequired};
    }
    return std::nullopt;
}

// A PIN given to unlock or to change the PIN request: a wrong one uses up a
// try, and the last try blocks the SIM until its PUK is given.
GsmModem::Result GsmModem::checkPassword(const std::string& given) {
    if (given == pin_) {
        pinTries_ = kPinTries;
        return std::nullopt;
    }
    if (--pinTries_ <= 0)
        sim_ = SimState::Puk;
    return Failure{ErrorKind::Cme, kWrongPassword};
}

// ---------------------------------------------------------------- command lines

void GsmModem::commandLine(const std::string& text, ModemOutput& out) {
    // Whatever stands before "AT" (or "at") is not part of the command line.
    std::size_t at = std::string::npos;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if ((text[i] == 'A' && text[i + 1] == 'T') || (text[i] == 'a' && text[i + 1] == 't')) {
            at = i;
            break;
        }
    }
    if (at == std::string::npos)
        return;
    const std::string body = text.substr(at + 2);
    out.events.push_back("CMD " + printable(text.substr(at)));
    if (options_.silentAfter > 0 && ++linesTaken_ > options_.silentAfter) {
        // A hung modem: this line gets no answer, and from here on nothing
        // comes back, not even the echo.
        silent_ = true;
        out.events.push_back("MODEM SILENT");
        return;
    }

    std::vector<std::string> info;
    std::size_t i = 0;
    Result failed;
    std::string dialResult;
    while (i < body.size() && !failed) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(body[i])));
        if (c == ' ' || c == ';') {
            ++i;
            continue;
        }
        if (c == 'D') {
            failed = dial(body.substr(i + 1), out, dialResult);
            i = body.size();
            break;
        }
        if (c == '+') {
            std::size_t j = i + 1;
            while (j < body.size() && (std::isalnum(static_cast<unsigned char>(body[j])) ||
                                       std::string("!%-./:_").find(body[j]) != std::string::npos))
                ++j;
            const std::string name = upper(body.substr(i, j - i));
            char op = 0;
            std::string args;
            if (j < body.size() && body[j] == '?') {
                op = '?';
                ++j;
            } else if (j + 1 < body.size() && body[j] == '=' && body[j + 1] == '?') {
                op = 't';
                j += 2;
            } else if (j < body.size() && body[j] == '=') {
                op = '=';
                ++j;
                bool quote = false;
                while (j < body.size() && (quote || body[j] != ';')) {
                    if (body[j] == '"')
                        quote = !quote;
                    args += body[j++];
                }
            }
            failed = extended(name, op, args, info, out);
            i = j;
            continue;
        }
        if (c == '&') {
            if (i + 1 < body.size() && std::toupper(static_cast<unsigned char>(body[i + 1])) == 'F')
                reset();
            i += 2;
            while (i < body.size() && std::isdigit(static_cast<unsigned char>(body[i])))
                ++i;
            continue;
        }
        // A basic command: one letter and an optional number.
        std::size_t j = i + 1;
        int value = 0;
        while (j < body.size() && std::isdigit(static_cast<unsigned char>(body[j])))
            value = value * 10 + (body[j++] - '0');
        switch (c) {
        case 'E':
            echo_ = value != 0;
            break;
        case 'V':
            verbose_ = value != 0;
            break;
        case 'Q':
            quiet_ = value != 0;
            break;
        case 'Z':
            reset();
            break;
        case 'I':
            info.push_back("ALVENTO SIM MODEM");
            break;
        case 'H':
        case 'X':
        case 'L':
        case 'M':
            break;
        case 'S':
            // S registers: "Sn=v" or "Sn?"; taken and forgotten.
            if (j < body.size() && (body[j] == '=' || body[j] == '?')) {
                ++j;
                while (j < body.size() && std::isdigit(static_cast<unsigned char>(body[j])))
                    ++j;
            }
            break;
        default:
            failed = Failure{ErrorKind::Plain, 0};
        }
        i = j;
    }
    if (failed) {
        finalError(out, *failed);
        return;
    }
    if (smsEntry_) {
        // The prompt for the message text instead of a result code.
        append(out.now, "\r\n> ");
        return;
    }
    for (const std::string& l : info)
        line(out, l);
    if (!dialResult.empty())
        finalText(out, dialResult, 3);
    else
        finalOk(out);
}

GsmModem::Result GsmModem::dial(const std::string& rawDial, ModemOutput& out,
                                std::string& finalResult) {
    std::string number;
    for (char c : rawDial)
        if (c != ' ')
            number += c;
    const bool voice = !number.empty() && number.back() == ';';
    if (voice)
        number.pop_back();
    if (number.empty())
        return Failure{ErrorKind::Plain, 0};
    if (!dialCharacters(number))
        return Failure{ErrorKind::Cme, kBadDialCharacters};
    if (auto r = simReady())
        return r;
    const bool serviceCode = (number[0] == '*' || number[0] == '#') && number.back() == '#';
    if (serviceCode) {
        out.events.push_back("USSD " + number);
        std::string answer;
        if (number == options_.balanceCode)
            answer = "+CUSD: 0,\"" + networkText(options_.balanceText) + "\",15";
        else
            answer = "+CUSD: 4"; // the network offers no such service
        append(out.later, "\r\n" + answer + "\r\n");
        out.laterMs = options_.ussdDelayMs;
        return std::nullopt;
    }
    if (digitsOf(number) > 40)
        return Failure{ErrorKind::Cme, kDialTooLong};
    out.events.push_back(std::string(voice ? "CALL VOICE " : "CALL DATA ") + number);
    // A voice call is placed and OK comes at once; the simulated network
    // carries no data, so a data call ends with NO CARRIER.
    if (!voice)
        finalResult = "NO CARRIER";
    return std::nullopt;
}

GsmModem::Result GsmModem::extended(const std::string& name, char op, const std::string& args,
                                    std::vector<std::string>& info, ModemOutput& out) {
    const Failure bad{ErrorKind::Cme, kBadParameters};
    const auto p = params(args);
    if (!p)
        return bad;
    const std::vector<Param>& a = *p;
    auto quotedAt = [&a](std::size_t k) {
        return k < a.size() && a[k].quoted ? std::optional<std::string>(a[k].value) : std::nullopt;
    };

    if (name == "+CMEE") {
        if (op == '?')
            info.push_back("+CMEE: " + std::to_string(cmee_));
        else if (op == 't')
            info.push_back("+CMEE: (0-2)");
        else if (op == '=') {
            const auto v = a.empty() ? std::nullopt : integer(a[0]);
            if (!v || *v > 2)
                return bad;
            cmee_ = *v;
        }
        return std::nullopt;
    }
    if (name == "+CPIN") {
        if (op == '?') {
            info.push_back(sim_ == SimState::Ready ? "+CPIN: READY"
                           : sim_ == SimState::Pin ? "+CPIN: SIM PIN"
                                                   : "+CPIN: SIM PUK");
            return std::nullopt;
        }
        if (op == 't')
            return std::nullopt;
        if (op != '=' || a.empty() || !a[0].quoted)
            return bad;
        switch (sim_) {
        case SimState::Ready:
            // No PIN is asked for, so there is nothing to enter.
            return Failure{ErrorKind::Cme, kNotAllowed};
        case SimState::Pin:
            if (auto r = checkPassword(a[0].value))
                return r;
            sim_ = SimState::Ready;
            out.events.push_back("PIN ENTERED");
            return std::nullopt;
        case SimState::Puk: {
            const auto newPin = quotedAt(1);
            if (a[0].value != options_.puk || !newPin)
                return Failure{ErrorKind::Cme, kWrongPassword};
            pin_ = *newPin;
            pinTries_ = kPinTries;
            sim_ = SimState::Ready;
            out.events.push_back("PIN UNBLOCKED");
            return std::nullopt;
        }
        }
        return std::nullopt;
    }
    if (name == "+CLCK") {
        if (op == 't') {
            info.push_back("+CLCK: (\"SC\")");
            return std::nullopt;
        }
        if (op != '=' || a.size() < 2)
            return bad;
        const auto facility = quotedAt(0);
        const auto mode = integer(a[1]);
        if (!facility || !mode || *mode > 2)
            return bad;
        if (upper(*facility) != "SC")
            return Failure{ErrorKind::Cme, kNotSupported};
        if (auto r = simReady())
            return r;
        if (*mode == 2) {
            info.push_back(std::string("+CLCK: ") + (pinLock_ ? "1" : "0"));
            return std::nullopt;
        }
        const auto password = quotedAt(2);
        if (!password)
            return bad;
        if (auto r = checkPassword(*password))
            return r;
        pinLock_ = *mode == 1;
        out.events.push_back(pinLock_ ? "PIN ON" : "PIN OFF");
        return std::nullopt;
    }
    if (name == "+CPBS") {
        if (op == 't') {
            info.push_back("+CPBS: (\"SM\")");
            return std::nullopt;
        }
        if (auto r = simReady())
            return r;
        if (op == '?') {
            const auto used = std::count_if(phonebook_.begin(), phonebook_.end(),
                                            [](const auto& e) { return e.has_value(); });
            info.push_back("+CPBS: \"SM\"," + std::to_string(used) + "," +
                           std::to_string(kPhonebookSlots));
            return std::nullopt;
        }
        const auto storage = quotedAt(0);
        if (op != '=' || !storage)
            return bad;
        if (upper(*storage) != "SM")
            return Failure{ErrorKind::Cme, kNotSupported};
        return std::nullopt;
    }
    if (name == "+CPBR") {
        if (op == 't') {
            info.push_back("+CPBR: (1-" + std::to_string(kPhonebookSlots) + ")," +
                           std::to_string(kPhonebookNumberDigits) + "," +
                           std::to_string(kPhonebookTextLength));
            return std::nullopt;
        }
        if (auto r = simReady())
            return r;
        if (op != '=' || a.empty() || a.size() > 2)
            return bad;
        const auto first = integer(a[0]);
        const auto last = a.size() == 2 ? integer(a[1]) : first;
        if (!first || !last)
            return bad;
        if (*first < 1 || *last > kPhonebookSlots || *last < *first)
            return Failure{ErrorKind::Cme, kInvalidIndex};
        for (int slot = *first; slot <= *last; ++slot) {
            const auto& e = phonebook_[static_cast<std::size_t>(slot - 1)];
            if (e)
                info.push_back("+CPBR: " + std::to_string(slot) + ",\"" + e->number + "\"," +
                               std::to_string(e->type) + ",\"" + e->text + "\"");
        }
        return std::nullopt;
    }
    if (name == "+CPBW") {
        if (op == 't') {
            info.push_back("+CPBW: (1-" + std::to_string(kPhonebookSlots) + ")," +
                           std::to_string(kPhonebookNumberDigits) + ",(129,145)," +
                           std::to_string(kPhonebookTextLength));
            return std::nullopt;
        }
        if (auto r = simReady())
            return r;
        if (op != '=' || a.empty() || a.size() > 4)
            return bad;
        int slot = 0;
        if (a[0].empty()) {
            const auto free = std::find_if(phonebook_.begin(), phonebook_.end(),
                                           [](const auto& e) { return !e.has_value(); });
            if (free == phonebook_.end())
                return Failure{ErrorKind::Cme, kMemoryFull};
            slot = static_cast<int>(free - phonebook_.begin()) + 1;
        } else {
            const auto given = integer(a[0]);
            if (!given)
                return bad;
            slot = *given;
        }
        if (slot < 1 || slot > kPhonebookSlots)
            return Failure{ErrorKind::Cme, kInvalidIndex};
        auto& entry = phonebook_[static_cast<std::size_t>(slot - 1)];
        if (a.size() == 1) {
            entry.reset();
        } else {
            const auto number = quotedAt(1);
            if (!number)
                return bad;
            if (digitsOf(*number) > kPhonebookNumberDigits)
                return Failure{ErrorKind::Cme, kDialTooLong};
            if (!dialCharacters(*number))
                return Failure{ErrorKind::Cme, kBadDialCharacters};
            int type = !number->empty() && (*number)[0] == '+' ? 145 : 129;
            if (a.size() >= 3 && !a[2].empty()) {
                const auto t = integer(a[2]);
                if (!t || *t > 255)
                    return bad;
                type = *t;
            }
            std::string text;
            if (a.size() == 4) {
                const auto given = quotedAt(3);
                if (!given && !a[3].empty())
                    return bad;
                text = given.value_or("");
            }
            if (text.size() > kPhonebookTextLength)
                return Failure{ErrorKind::Cme, kTextTooLong};
            entry = PhonebookSlot{*number, type, text};
        }
        out.phonebookChanged = true;
        out.events.push_back("PHONEBOOK " + std::to_string(slot));
        return std::nullopt;
    }
    if (name == "+CSCA") {
        if (op == '?') {
            info.push_back("+CSCA: \"" + csca_ + "\"," + std::to_string(cscaType_));
            return std::nullopt;
        }
        if (op == 't')
            return std::nullopt;
        const auto number = quotedAt(0);
        if (op != '=' || !number || a.size() > 2)
            return Failure{ErrorKind::Cms, kCmsBadParameter};
        if (sim_ != SimState::Ready)
            return Failure{ErrorKind::Cms, kCmsSimPinRequired};
        if (number->empty() || digitsOf(*number) > kPhonebookNumberDigits ||
            !dialCharacters(*number))
            return Failure{ErrorKind::Cms, kCmsBadParameter};
        int type = (*number)[0] == '+' ? 145 : 129;
        if (a.size() == 2) {
            const auto t = integer(a[1]);
            if (!t || *t > 255)
                return Failure{ErrorKind::Cms, kCmsBadParameter};
            type = *t;
        }
        csca_ = *number;
        cscaType_ = type;
        out.events.push_back("CSCA " + csca_);
        return std::nullopt;
    }
    if (name == "+CMGF") {
        if (op == '?')
            info.push_back(std::string("+CMGF: ") + (textMode_ ? "1" : "0"));
        else if (op == 't')
            info.push_back("+CMGF: (0,1)");
        else {
            const auto v = a.empty() ? std::nullopt : integer(a[0]);
            if (op != '=' || !v || *v > 1)
                return bad;
            textMode_ = *v == 1;
        }
        return std::nullopt;
    }
    if (name == "+CMGS") {
        if (op == 't')
            return std::nullopt;
        if (op != '=' || a.empty())
            return Failure{ErrorKind::Cms, kCmsBadParameter};
        if (sim_ != SimState::Ready)
            return Failure{ErrorKind::Cms, kCmsSimPinRequired};
        if (textMode_) {
            const auto to = quotedAt(0);
            if (!to || to->empty() || !dialCharacters(*to))
                return Failure{ErrorKind::Cms, kCmsBadParameter};
            smsTo_ = *to;
        } else {
            const auto length = integer(a[0]);
            if (!length || *length < 1 || *length > 164)
                return Failure{ErrorKind::Cms, kCmsBadParameter};
            smsTo_ = "PDU";
        }
        smsBody_.clear();
        smsEntry_ = true;
        return std::nullopt;
    }
    if (name == "+CGSN" || name == "+GSN") {
        if (op == 't')
            return std::nullopt;
        info.push_back(options_.imei);
        return std::nullopt;
    }
    if (name == "+CUSD") {
        if (op == '?') {
            info.push_back("+CUSD: 0");
            return std::nullopt;
        }
        if (op == 't') {
            info.push_back("+CUSD: (0-2)");
            return std::nullopt;
        }
        const auto code = quotedAt(1);
        if (!code)
            return std::nullopt; // only the presentation setting
        std::string unused;
        return dial(*code + ";", out, unused);
    }
    if (name == "+CSCS") {
        if (op == '?')
            info.push_back("+CSCS: \"8859-1\"");
        else if (op == 't')
            info.push_back("+CSCS: (\"8859-1\")");
        else if (quotedAt(0).value_or("") != "8859-1")
            return Failure{ErrorKind::Cme, kNotSupported};
        return std::nullopt;
    }
    if (name == "+CGMI" || name == "+GMI") {
        info.push_back("Alvento");
        return std::nullopt;
    }
    if (name == "+CGMM" || name == "+GMM") {
        info.push_back("alvento-sim GSM modem");
        return std::nullopt;
    }
    if (name == "+CSQ") {
        info.push_back("+CSQ: 20,0");
        return std::nullopt;
    }
    if (name == "+CREG") {
        if (op == '?')
            info.push_back("+CREG: 0,1");
        return std::nullopt;
    }
    return Failure{ErrorKind::Plain, 0};
}

} // namespace alvento::sim
