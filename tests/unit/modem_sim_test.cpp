// The simulator's GSM modem, checked from the terminal's side against the
// behaviour of V.250 and 3GPP TS 27.007 / 27.005: echo, framing, result codes,
// the SIM phonebook, PIN, SMS centre, SMS, IMEI and USSD; and the module that
// passes the line through to it.
#include "core/gsm_modem.h"
#include "core/sim_module.h"

#include <gtest/gtest.h>

#include <string>

using namespace alvento::sim;

namespace {

Bytes bytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

std::string text(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

// Sends one command line; returns all the modem says back at once.
std::string ask(GsmModem& m, const std::string& line) {
    return text(m.feed(bytes(line + "\r")).now);
}

// The answer without the echo of the command line.
std::string answer(GsmModem& m, const std::string& line) {
    const std::string all = ask(m, line);
    const std::string echo = line + "\r";
    EXPECT_EQ(all.substr(0, echo.size()), echo);
    return all.substr(std::min(all.size(), echo.size()));
}

ModemOptions withPin(const std::string& pin) {
    ModemOptions o;
    o.pin = pin;
    return o;
}

} // namespace

TEST(SimModem, EchoFramingAndResultCodes) {
    GsmModem m{ModemOptions{}};
    struct Step {
        std::string line;
        std::string reply; // all that comes back, echo included
    };
    const Step steps[] = {
        {"AT", "AT\r\r\nOK\r\n"},
        {"at", "at\r\r\nOK\r\n"},
        {"noise before AT", "noise before AT\r\r\nOK\r\n"},
        {"no command here", "no command here\r"},
        {"AT+NOSUCH", "AT+NOSUCH\r\r\nERROR\r\n"},
        {"ATI", "ATI\r\r\nALVENTO SIM MODEM\r\n\r\nOK\r\n"},
        {"AT+CMEE=1", "AT+CMEE=1\r\r\nOK\r\n"},
        {"AT+CPBR=251", "AT+CPBR=251\r\r\n+CME ERROR: 21\r\n"},
        {"AT+CMEE=2", "AT+CMEE=2\r\r\nOK\r\n"},
        {"AT+CPBR=0", "AT+CPBR=0\r\r\n+CME ERROR: invalid index\r\n"},
        {"AT+CMEE=0", "AT+CMEE=0\r\r\nOK\r\n"},
        {"AT+CPBR=251", "AT+CPBR=251\r\r\nERROR\r\n"},
        {"ATV0", "ATV0\r0\r"},
        {"AT+NOSUCH", "AT+NOSUCH\r4\r"},
        {"ATV1E0", "ATV1E0\r\r\nOK\r\n"},
        {"AT", "\r\nOK\r\n"},
        {"ATE1", "\r\nOK\r\n"},
        {"AT;+CMEE?", "AT;+CMEE?\r\r\n+CMEE: 0\r\n\r\nOK\r\n"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.line);
        EXPECT_EQ(ask(m, s.line), s.reply);
    }
}

// A command line arrives in pieces, with a line feed after its CR and a
// correction typed with backspace: the modem answers it once, the same way.
TEST(SimModem, LinesInPiecesAndEditing) {
    GsmModem whole{ModemOptions{}};
    const std::string all = text(whole.feed(bytes("AT+CGSN\r\n")).now);
    GsmModem pieces{ModemOptions{}};
    std::string got;
    for (char c : std::string("AT+CGSN\r\n"))
        got += text(pieces.feed(bytes(std::string(1, c))).now);
    EXPECT_EQ(got, all);
    EXPECT_EQ(all, "AT+CGSN\r\r\n490154203237518\r\n\r\nOK\r\n\n");

    GsmModem edited{ModemOptions{}};
    EXPECT_EQ(text(edited.feed(bytes("AT+CGSX\bN\r")).now),
              "AT+CGSX\bN\r\r\n490154203237518\r\n\r\nOK\r\n");
    EXPECT_EQ(ask(edited, std::string(2000, 'A')).substr(2000), "\r\r\nERROR\r\n");
}

TEST(SimModem, Phonebook) {
    GsmModem m{ModemOptions{}};
    ask(m, "AT+CMEE=1");
    struct Step {
        std::string line;
        std::string answer;
    };
    const Step steps[] = {
        {"AT+CPBS=\"SM\"", "\r\nOK\r\n"},
        {"AT+CPBS=\"ME\"", "\r\n+CME ERROR: 4\r\n"},
        {"AT+CPBS?", "\r\n+CPBS: \"SM\",0,250\r\n\r\nOK\r\n"},
        {"AT+CPBR=?", "\r\n+CPBR: (1-250),20,14\r\n\r\nOK\r\n"},
        {"AT+CPBR=007", "\r\nOK\r\n"},
        {"AT+CPBW=007,\"+36301234567\",129,\"Anna\"", "\r\nOK\r\n"},
        {"AT+CPBR=007", "\r\n+CPBR: 7,\"+36301234567\",129,\"Anna\"\r\n\r\nOK\r\n"},
        {"AT+CPBW=250,\"0630\",,\"Utolso\"", "\r\nOK\r\n"},
        {"AT+CPBW=,\"1\",129,\"first free\"", "\r\nOK\r\n"},
        {"AT+CPBR=1,250",
         "\r\n+CPBR: 1,\"1\",129,\"first free\"\r\n\r\n+CPBR: 7,\"+36301234567\",129,\"Anna\"\r\n"
         "\r\n+CPBR: 250,\"0630\",129,\"Utolso\"\r\n\r\nOK\r\n"},
        {"AT+CPBW=251,\"1\",129,\"x\"", "\r\n+CME ERROR: 21\r\n"},
        {"AT+CPBW=0,\"1\",129,\"x\"", "\r\n+CME ERROR: 21\r\n"},
        {"AT+CPBW=2,\"+123456789012345678901\",145,\"x\"", "\r\n+CME ERROR: 26\r\n"},
        {"AT+CPBW=2,\"+12345678901234567890\",145,\"x\"", "\r\nOK\r\n"},
        {"AT+CPBW=3,\"12x\",129,\"x\"", "\r\n+CME ERROR: 27\r\n"},
        {"AT+CPBW=3,\"1\",129,\"fifteen letters\"", "\r\n+CME ERROR: 24\r\n"},
        {"AT+CPBW=3,\"1\",129,\"fourteen chars\"", "\r\nOK\r\n"},
        {"AT+CPBW=3,\"1\",129,\"unclosed", "\r\n+CME ERROR: 50\r\n"},
        {"AT+CPBW=7", "\r\nOK\r\n"},
        {"AT+CPBR=7", "\r\nOK\r\n"},
        {"AT+CPBS?", "\r\n+CPBS: \"SM\",4,250\r\n\r\nOK\r\n"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.line);
        EXPECT_EQ(answer(m, s.line), s.answer);
    }
    const ModemOutput w = m.feed(bytes("AT+CPBW=9,\"99\",129,\"Kilenc\"\r"));
    EXPECT_TRUE(w.phonebookChanged);
    EXPECT_EQ(w.events.back(), "PHONEBOOK 9");
    EXPECT_FALSE(m.feed(bytes("AT+CPBR=9\r")).phonebookChanged);
}

TEST(SimModem, PhonebookFile) {
    GsmModem m{ModemOptions{}};
    EXPECT_EQ(m.loadPhonebook("# comment\n1\t+3611\t145\tEgy\r\n\n250\t250\t129\t\n"), "");
    EXPECT_EQ(answer(m, "AT+CPBR=1"), "\r\n+CPBR: 1,\"+3611\",145,\"Egy\"\r\n\r\nOK\r\n");
    EXPECT_EQ(m.phonebookText(), "1\t+3611\t145\tEgy\n250\t250\t129\t\n");
    for (const char* bad : {"0\t1\t129\tx\n", "251\t1\t129\tx\n", "1\t1\tx\tname\n", "1 2 3 4\n"}) {
        GsmModem other{ModemOptions{}};
        EXPECT_NE(other.loadPhonebook(bad), "") << bad;
    }
}

TEST(SimModem, SimPin) {
    GsmModem m(withPin("1234"));
    ask(m, "AT+CMEE=1");
    struct Step {
        std::string line;
        std::string answer;
    };
    const Step steps[] = {
        {"AT+CPIN?", "\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n"},
        {"AT+CPBS=\"SM\"", "\r\n+CME ERROR: 11\r\n"},
        {"AT+CPBR=1", "\r\n+CME ERROR: 11\r\n"},
        {"AT+CPIN=\"1234\"", "\r\nOK\r\n"},
        {"AT+CPIN?", "\r\n+CPIN: READY\r\n\r\nOK\r\n"},
        // With no PIN asked for, there is nothing to enter.
        {"AT+CPIN=\"1234\"", "\r\n+CME ERROR: 3\r\n"},
        {"AT+CLCK=\"SC\",2", "\r\n+CLCK: 1\r\n\r\nOK\r\n"},
        {"AT+CLCK=\"SC\",0,\"9999\"", "\r\n+CME ERROR: 16\r\n"},
        {"AT+CLCK=\"SC\",0,\"1234\"", "\r\nOK\r\n"},
        {"AT+CLCK=\"SC\",2", "\r\n+CLCK: 0\r\n\r\nOK\r\n"},
        {"AT+CLCK=\"AO\",2", "\r\n+CME ERROR: 4\r\n"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.line);
        EXPECT_EQ(answer(m, s.line), s.answer);
    }
    EXPECT_FALSE(m.pinRequestOn());
}

// Three wrong PINs block the SIM until its PUK and a new PIN are given.
TEST(SimModem, WrongPinsBlockTheSim) {
    GsmModem m(withPin("1234"));
    ask(m, "AT+CMEE=1");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(answer(m, "AT+CPIN=\"1111\""), "\r\n+CME ERROR: 16\r\n");
    EXPECT_EQ(answer(m, "AT+CPIN?"), "\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n");
    EXPECT_EQ(answer(m, "AT+CPIN=\"1234\""), "\r\n+CME ERROR: 16\r\n");
    EXPECT_EQ(answer(m, "AT+CPBR=1"), "\r\n+CME ERROR: 12\r\n");
    EXPECT_EQ(answer(m, "AT+CPIN=\"12345678\",\"4321\""), "\r\nOK\r\n");
    EXPECT_EQ(answer(m, "AT+CLCK=\"SC\",0,\"4321\""), "\r\nOK\r\n");
}

TEST(SimModem, SmsCentreAndSms) {
    GsmModem m{ModemOptions{}};
    ask(m, "AT+CMEE=1");
    // No SMS centre yet: the message cannot go.
    EXPECT_EQ(answer(m, "AT+CMGS=\"+36301234567\""), "\r\n> ");
    EXPECT_EQ(text(m.feed(bytes("Teszt SMS\x1A")).now), "Teszt SMS\r\n+CMS ERROR: 330\r\n");

    EXPECT_EQ(answer(m, "AT+CSCA=\"+36309888000\",145"), "\r\nOK\r\n");
    EXPECT_EQ(answer(m, "AT+CSCA?"), "\r\n+CSCA: \"+36309888000\",145\r\n\r\nOK\r\n");
    EXPECT_EQ(answer(m, "AT+CSCA=\"\",145"), "\r\n+CMS ERROR: 304\r\n");
    EXPECT_EQ(m.smsCentre(), "+36309888000");

    EXPECT_EQ(answer(m, "AT+CMGS=\"+36301234567\""), "\r\n> ");
    const ModemOutput sent = m.feed(bytes("Teszt SMS\x1A"));
    EXPECT_EQ(text(sent.now), "Teszt SMS\r\n+CMGS: 1\r\n\r\nOK\r\n");
    EXPECT_EQ(sent.events.back(), "SMS +36301234567 Teszt SMS");

    EXPECT_EQ(answer(m, "AT+CMGS=\"+36301234567\""), "\r\n> ");
    EXPECT_EQ(text(m.feed(bytes("never mind\x1B")).now), "never mind\r\nOK\r\n");

    EXPECT_EQ(answer(m, "AT+CMGF=0"), "\r\nOK\r\n");
    EXPECT_EQ(answer(m, "AT+CMGS=\"+36301234567\""), "\r\n+CMS ERROR: 304\r\n");
    EXPECT_EQ(answer(m, "AT+CMGS=17"), "\r\n> ");
    EXPECT_EQ(text(m.feed(bytes("0011000B916330\x1A")).now),
              "0011000B916330\r\n+CMGS: 2\r\n\r\nOK\r\n");
}

TEST(SimModem, DialAndServiceCodes) {
    ModemOptions o;
    o.balanceText = "Egyenlege: 1000 Ft. Érvényes: 2025.12.31. Köszönjük, hívjon újra!";
    o.ussdDelayMs = 250;
    GsmModem m(o);
    ModemOutput b = m.feed(bytes("ATD*102#;\r\n"));
    EXPECT_EQ(text(b.now), "ATD*102#;\r\r\nOK\r\n\n");
    EXPECT_EQ(text(b.later), "\r\n+CUSD: 0,\"Egyenlege: 1000 Ft. \xC9rv\xE9nyes: 2025.12.31. "
                             "K\xF6sz\xF6nj\xFCk, h\xECvjon \xF9jra!\",15\r\n");
    EXPECT_EQ(b.laterMs, 250);

    const ModemOutput other = m.feed(bytes("ATD*999#;\r"));
    EXPECT_EQ(text(other.later), "\r\n+CUSD: 4\r\n");
    const ModemOutput viaCusd = m.feed(bytes("AT+CUSD=1,\"*102#\",15\r"));
    EXPECT_EQ(text(viaCusd.now), "AT+CUSD=1,\"*102#\",15\r\r\nOK\r\n");
    EXPECT_FALSE(viaCusd.later.empty());

    const ModemOutput voice = m.feed(bytes("ATD+36301234567;\r"));
    EXPECT_EQ(text(voice.now), "ATD+36301234567;\r\r\nOK\r\n");
    EXPECT_EQ(voice.events.back(), "CALL VOICE +36301234567");
    const ModemOutput data = m.feed(bytes("ATD+36301234567\r"));
    EXPECT_EQ(text(data.now), "ATD+36301234567\r\r\nNO CARRIER\r\n");
    EXPECT_EQ(data.events.back(), "CALL DATA +36301234567");
    EXPECT_EQ(answer(m, "ATD"), "\r\nERROR\r\n");

    GsmModem locked(withPin("1234"));
    ask(locked, "AT+CMEE=1");
    EXPECT_EQ(answer(locked, "ATD*102#;"), "\r\n+CME ERROR: 11\r\n");
}

TEST(SimModem, NetworkTextIsLatin1WithTheGsmAlphabetsLetters) {
    struct Case {
        std::string utf8;
        std::string latin1;
    };
    const Case cases[] = {
        {"áéíóöőúüű", "\xE0\xE9\xEC\xF2\xF6\xF6\xF9\xFC\xFC"},
        {"ÁÉÍÓÖŐÚÜŰ", "A\xC9IO\xD6\xD6U\xDC\xDC"},
        {"plain 123", "plain 123"},
        {"€ and Ω", "? and ?"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(networkText(c.utf8), c.latin1) << c.utf8;
}

TEST(SimModem, ASilentModemStopsAfterItsLines) {
    ModemOptions o;
    o.silentAfter = 2;
    GsmModem m(o);
    EXPECT_EQ(ask(m, "AT"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(ask(m, "AT"), "AT\r\r\nOK\r\n");
    const ModemOutput third = m.feed(bytes("AT+CGSN\r"));
    EXPECT_EQ(text(third.now), "AT+CGSN\r"); // echoed, never answered
    EXPECT_EQ(third.events.back(), "MODEM SILENT");
    EXPECT_EQ(ask(m, "AT"), "");
}

// The module: the entry frame stops its GSM program and is acknowledged;
// then everything goes to the modem except the leave frame, which the module
// takes back even when it arrives in pieces or behind modem text.
TEST(SimModemMode, EnteringPassingThroughAndLeaving) {
    ModuleOptions o;
    o.model = 71;
    SimModule module(o);
    module.setStatusByte(2, 3);
    const Bytes enter = makeFrame(0x00, 0xFD, 0x00, 0x5A);
    const Bytes leave = makeFrame(0x00, 0xFB, 0x00, 0x00);
    Bytes first = enter;
    const Bytes at = bytes("AT\r");
    first.insert(first.end(), at.begin(), at.end());
    auto out = module.feed(first);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].reply, makeFrame(0xAB, 0xAC, 0, 0));
    EXPECT_EQ(out[0].events.back(), "MODEM ON");
    EXPECT_FALSE(out[0].modem);
    EXPECT_TRUE(out[1].modem);
    EXPECT_EQ(text(out[1].reply), "AT\r\r\nOK\r\n");
    EXPECT_TRUE(module.modemMode());

    // Frames are the modem's now: a byte read goes through as bytes.
    out = module.feed(makeFrame(0x00, 0x00, 0xFF, 0x00));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_TRUE(out[0].modem);

    // Something that starts like the leave frame but is not: to the modem.
    out = module.feed(Bytes{0x00, 0xFB, 0x41});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].request, (Bytes{0x00, 0xFB, 0x41}));

    // The leave frame in pieces, behind a command line.
    Bytes tail = bytes("AT\r");
    tail.insert(tail.end(), leave.begin(), leave.begin() + 3);
    out = module.feed(tail);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].request, bytes("AT\r"));
    out = module.feed(Bytes(leave.begin() + 3, leave.end()));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_FALSE(out[0].modem);
    EXPECT_EQ(out[0].reply, makeFrame(0xAB, 0xAC, 0, 0));
    EXPECT_EQ(out[0].events.back(), "MODEM OFF");
    EXPECT_FALSE(module.modemMode());

    // Back in its own program: the status read answers, with the GSM state
    // as it was before modem mode.
    out = module.feed(makeFrame(0x02, 0x02, 0x02, 0x00));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].reply, makeFrame(0xAB, 0x02, 0x02, 3));
    // Leaving when already out is acknowledged too.
    out = module.feed(leave);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].reply, makeFrame(0xAB, 0xAC, 0, 0));
}

TEST(SimModemMode, TheConverterKeepsItsGsmRouteFrame) {
    ModuleOptions o;
    o.model = 50;
    SimModule module(o);
    const auto out = module.feed(makeFrame(0x00, 0xFD, 0xBB, 0x00));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].events.back(), "GSMROUTE");
    EXPECT_FALSE(module.modemMode());
}

TEST(SimModemMode, UssdAnswerComesLater) {
    ModuleOptions o;
    o.modem.ussdDelayMs = 120;
    SimModule module(o);
    module.feed(makeFrame(0x00, 0xFD, 0x00, 0x00));
    const auto out = module.feed(bytes("ATD*102#;\r"));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].delayMs, 120);
    EXPECT_EQ(text(out[1].reply).substr(0, 10), "\r\n+CUSD: 0");
}
