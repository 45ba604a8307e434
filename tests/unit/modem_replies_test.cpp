// The modem's answers read from raw bytes: complete, cut anywhere, behind
// older answers and noise, over-long, and in the module's character set.
#include "engine/modem_replies.h"

#include <gtest/gtest.h>

#include <string>

using namespace ModemReplies;

namespace {

QByteArray b(const char* s) {
    return QByteArray(s);
}

const char* outcomeName(Outcome o) {
    switch (o) {
    case Outcome::Pending:
        return "pending";
    case Outcome::Ok:
        return "ok";
    case Outcome::Error:
        return "error";
    }
    return "?";
}

} // namespace

TEST(ModemAnswer, FinalResultAfterTheEchoOfTheCommand) {
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* command;
        Outcome outcome;
        const char* result;
        int infoLines;
    };
    const QByteArray frameEcho("\x00\xFD\x00\x12\xED\x12", 6);
    const Case cases[] = {
        {"echo, OK", b("AT\r\r\nOK\r\n"), "AT", Outcome::Ok, "OK", 0},
        {"echo only", b("AT+CSCA=\"+36309888000\",145\r"), "AT+CSCA=\"+36309888000\",145",
         Outcome::Pending, "", 0},
        {"echo cut", b("AT+CSC"), "AT+CSCA=\"+36309888000\",145", Outcome::Pending, "", 0},
        {"OK without its line end", b("AT\r\r\nOK"), "AT", Outcome::Pending, "", 0},
        {"ERROR", b("AT+CPBW=001,\"1\",129,\"a\"\r\r\nERROR\r\n"), "AT+CPBW=001,\"1\",129,\"a\"",
         Outcome::Error, "ERROR", 0},
        {"extended error", b("AT+CPIN=\"1111\"\r\r\n+CME ERROR: 16\r\n"), "AT+CPIN=\"1111\"",
         Outcome::Error, "+CME ERROR: 16", 0},
        {"information then OK", b("AT+CGSN\r\r\n490154203237518\r\n\r\nOK\r\n"), "AT+CGSN",
         Outcome::Ok, "OK", 1},
        {"information without its result", b("AT+CGSN\r\r\n490154203237518\r\n"), "AT+CGSN",
         Outcome::Pending, "", 0},
        {"answer of the slot before, ours not echoed yet",
         b("AT+CPBR=005\r\r\n+CPBR: 5,\"1\",129,\"a\"\r\n\r\nOK\r\n"), "AT+CPBR=006",
         Outcome::Pending, "", 0},
        {"answer of the slot before, then ours",
         b("AT+CPBR=005\r\r\nOK\r\nAT+CPBR=006\r\r\nERROR\r\n"), "AT+CPBR=006", Outcome::Error,
         "ERROR", 0},
        {"echo off", b("\r\nOK\r\n"), "AT+CSCA=\"1\",145", Outcome::Ok, "OK", 0},
        {"frame bytes echoed in front of the command", frameEcho + b("AT\r\r\nOK\r\n"), "AT",
         Outcome::Ok, "OK", 0},
        {"noise line after the echo", b("AT\r\r\n\xFF\xFE\x01\r\nOK\r\n"), "AT", Outcome::Ok, "OK",
         1},
        {"lone LF echoed late", b("AT+CPBS=\"SM\"\r\r\nOK\r\n\n"), "AT+CPBS=\"SM\"", Outcome::Ok,
         "OK", 0},
        {"numeric result", b("AT\r0\r"), "AT", Outcome::Ok, "0", 0},
        {"NO CARRIER", b("ATD123\r\r\nNO CARRIER\r\n"), "ATD123", Outcome::Error, "NO CARRIER", 0},
        {"lower-case echo of another command", b("at+cgsn\r\r\nOK\r\n"), "AT+CPBR=001",
         Outcome::Pending, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Answer a = parseAnswer(c.bytes, c.command);
        EXPECT_STREQ(outcomeName(a.outcome), outcomeName(c.outcome));
        EXPECT_EQ(a.result, QByteArray(c.result));
        EXPECT_EQ(static_cast<int>(a.lines.size()), c.infoLines);
    }
}

// Whatever piece of the answer has arrived, the outcome is pending until the
// line end of the final result code is in, and never anything else.
TEST(ModemAnswer, CutAnywhereStaysPendingUntilTheResultLineEnds) {
    struct Case {
        QByteArray bytes;
        const char* command;
        Outcome outcome;
    };
    const Case cases[] = {
        {b("AT+CPBR=007\r\r\n+CPBR: 7,\"+36301234567\",145,\"Anna\"\r\n\r\nOK\r\n"), "AT+CPBR=007",
         Outcome::Ok},
        {b("AT+CLCK=\"SC\",0,\"1234\"\r\r\n+CME ERROR: 16\r\n"), "AT+CLCK=\"SC\",0,\"1234\"",
         Outcome::Error},
    };
    for (const Case& c : cases) {
        const qsizetype done = c.bytes.size() - 1; // the final CR is in at this length
        for (qsizetype n = 0; n <= c.bytes.size(); ++n) {
            SCOPED_TRACE(n);
            const Answer a = parseAnswer(c.bytes.left(n), c.command);
            EXPECT_STREQ(outcomeName(a.outcome),
                         outcomeName(n >= done ? c.outcome : Outcome::Pending));
        }
    }
}

TEST(ModemAnswer, OverlongNoiseDoesNotHideTheAnswer) {
    const QByteArray noise(4000, '\x7E');
    const Answer a = parseAnswer(
        noise + "\r\n" + noise + "AT+CGSN\r\r\n490154203237518\r\n\r\nOK\r\n", "AT+CGSN");
    EXPECT_EQ(a.outcome, Outcome::Ok);
    ASSERT_EQ(a.lines.size(), 1u);
    EXPECT_EQ(parseImei(a), QByteArray("490154203237518"));
}

TEST(ModemPhonebook, EntryLines) {
    struct Case {
        const char* name;
        QByteArray line;
        bool valid;
        int slot;
        QByteArray number;
        QByteArray text;
    };
    const QByteArray longNumber(40, '5');
    const Case cases[] = {
        {"usual", b("+CPBR: 7,\"+36301234567\",145,\"Anna\""), true, 7, "+36301234567", "Anna"},
        {"no space, slot 250", b("+CPBR:250,\"123\",129,\"\""), true, 250, "123", ""},
        {"no name field", b("+CPBR: 1,\"123\",129"), true, 1, "123", ""},
        {"accented name as sent", b("+CPBR: 3,\"1\",129,\"\xC1rp\xE1\x64\""), true, 3, "1",
         "\xC1rp\xE1\x64"},
        {"noise before the tag", b("\xFF\x01+CPBR: 3,\"1\",129,\"a\""), true, 3, "1", "a"},
        {"long number cut to 33", "+CPBR: 9,\"" + longNumber + "\",129,\"x\"", true, 9,
         longNumber.left(33), "x"},
        {"slot 0", b("+CPBR: 0,\"1\",129,\"x\""), false, 0, "", ""},
        {"four-digit slot", b("+CPBR: 1234,\"1\",129,\"x\""), false, 0, "", ""},
        {"number without quotes", b("+CPBR: 7,+3630,129,\"x\""), false, 0, "", ""},
        {"number never closed", b("+CPBR: 7,\"+3630"), false, 0, "", ""},
        {"name never closed", b("+CPBR: 7,\"+3630\",129,\"An"), false, 0, "", ""},
        {"no type before the name", b("+CPBR: 7,\"+3630\",,\"An\""), false, 0, "", ""},
        {"other tag", b("+CPBS: \"SM\",3,250"), false, 0, "", ""},
        {"empty", b(""), false, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto e = parsePhonebookLine(c.line);
        ASSERT_EQ(e.has_value(), c.valid);
        if (!e)
            continue;
        EXPECT_EQ(e->slot, c.slot);
        EXPECT_EQ(e->number, c.number);
        EXPECT_EQ(e->name, c.text);
    }
}

TEST(ModemPhonebook, SlotReads) {
    using State = SlotRead::State;
    struct Case {
        const char* name;
        QByteArray bytes;
        State state;
        QByteArray number;
    };
    const char* cmd = "AT+CPBR=007";
    const Case cases[] = {
        {"occupied", b("AT+CPBR=007\r\r\n+CPBR: 7,\"+3630\",129,\"Anna\"\r\n\r\nOK\r\n"),
         State::Occupied, "+3630"},
        {"occupied, OK still missing", b("AT+CPBR=007\r\r\n+CPBR: 7,\"+3630\",129,\"Anna\"\r\n"),
         State::Pending, ""},
        {"empty slot", b("AT+CPBR=007\r\r\nOK\r\n"), State::Empty, ""},
        {"refused", b("AT+CPBR=007\r\r\nERROR\r\n"), State::Refused, ""},
        {"not found", b("AT+CPBR=007\r\r\n+CME ERROR: 22\r\n"), State::Refused, ""},
        {"entry of another slot is not this one's",
         b("AT+CPBR=007\r\r\n+CPBR: 6,\"+3630\",129,\"Anna\"\r\n\r\nOK\r\n"), State::Empty, ""},
        {"late answer of slot 6 only",
         b("AT+CPBR=006\r\r\n+CPBR: 6,\"+3630\",129,\"Anna\"\r\n\r\nOK\r\n"), State::Pending, ""},
        {"garbled entry line", b("AT+CPBR=007\r\r\n+CPBR: 7,\"+36\r\n\r\nOK\r\n"), State::Empty,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SlotRead r = parseSlotRead(c.bytes, cmd, 7);
        EXPECT_EQ(static_cast<int>(r.state), static_cast<int>(c.state));
        EXPECT_EQ(r.entry.number, c.number);
    }
}

TEST(ModemImei, FifteenDigitsOnTheirLine) {
    struct Case {
        const char* name;
        QByteArray bytes;
        std::optional<QByteArray> imei;
    };
    const Case cases[] = {
        {"bare", b("AT+CGSN\r\r\n490154203237518\r\n\r\nOK\r\n"), QByteArray("490154203237518")},
        {"tagged and quoted", b("AT+CGSN\r\r\n+CGSN: \"490154203237518\"\r\n\r\nOK\r\n"),
         QByteArray("490154203237518")},
        {"fourteen digits", b("AT+CGSN\r\r\n49015420323751\r\n\r\nOK\r\n"), std::nullopt},
        {"sixteen digits", b("AT+CGSN\r\r\n4901542032375180\r\n\r\nOK\r\n"), std::nullopt},
        {"letter inside", b("AT+CGSN\r\r\n49015420323751X\r\n\r\nOK\r\n"), std::nullopt},
        {"error", b("AT+CGSN\r\r\nERROR\r\n"), std::nullopt},
        {"digits but no OK yet", b("AT+CGSN\r\r\n490154203237518\r\n"), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseImei(parseAnswer(c.bytes, "AT+CGSN")), c.imei);
    }
}

TEST(ModemBalance, NetworkAnswers) {
    using State = BalanceReply::State;
    struct Case {
        const char* name;
        QByteArray bytes;
        bool complete;
        State state;
        QByteArray text;
    };
    const char* echo = "ATD*102#;\r\n";
    const QByteArray longText(3000, 'x');
    const Case cases[] = {
        {"OK then the answer", b(echo) + "\r\nOK\r\n\r\n+CUSD: 0,\"Egyenlege: 1000 Ft\",15\r\n",
         false, State::Text, "Egyenlege: 1000 Ft"},
        {"answer before OK", b(echo) + "\r\n+CUSD: 2,\"1000 Ft\",15\r\n\r\nOK\r\n", false,
         State::Text, "1000 Ft"},
        {"no coding scheme", b(echo) + "\r\nOK\r\n\r\n+CUSD: 0,\"abc\"\r\n", false, State::Text,
         "abc"},
        {"OK only", b(echo) + "\r\nOK\r\n", false, State::Pending, ""},
        {"text cut", b(echo) + "\r\nOK\r\n\r\n+CUSD: 0,\"Egyenl", false, State::Pending, ""},
        {"text cut, buffer full", b(echo) + "\r\nOK\r\n\r\n+CUSD: 0,\"Egyenl", true, State::Text,
         "Egyenl"},
        {"closing quote, line end missing", b(echo) + "\r\nOK\r\n\r\n+CUSD: 0,\"abc\",15", false,
         State::Pending, ""},
        {"text over several lines", b(echo) + "\r\nOK\r\n\r\n+CUSD: 0,\"Sor 1\r\nSor 2\",15\r\n",
         false, State::Text, "Sor 1\r\nSor 2"},
        {"quotes inside the text", b(echo) + "\r\nOK\r\n\r\n+CUSD: 0,\"a \"b\" c\",15\r\n", false,
         State::Text, "a \"b\" c"},
        {"long text", b(echo) + "\r\nOK\r\n\r\n+CUSD: 0,\"" + longText + "\",15\r\n", false,
         State::Text, longText},
        {"network refuses", b(echo) + "\r\nOK\r\n\r\n+CUSD: 4\r\n", false, State::NoText, ""},
        {"refusal line not ended", b(echo) + "\r\nOK\r\n\r\n+CUSD: 4", false, State::Pending, ""},
        {"dial refused", b(echo) + "\r\nERROR\r\n", false, State::Error, ""},
        {"dial refused, extended", b(echo) + "\r\n+CME ERROR: 30\r\n", false, State::Error, ""},
        {"noise first", b("\x01\x02\xFF\r\n") + echo + "\r\nOK\r\n\r\n+CUSD: 0,\"ok\",15\r\n",
         false, State::Text, "ok"},
        {"echo cut", b("ATD*10"), false, State::Pending, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BalanceReply r = parseBalance(c.bytes, "ATD*102#;", c.complete);
        EXPECT_EQ(static_cast<int>(r.state), static_cast<int>(c.state));
        EXPECT_EQ(r.text, c.text);
    }
}

TEST(ModemBalance, CutAnywhereIsPendingUntilTheLineEnds) {
    const QByteArray all = "ATD*102#;\r\n\r\nOK\r\n\r\n+CUSD: 0,\"Egyenleg\r\n1000 Ft\",15\r\n";
    const qsizetype done = all.size() - 1;
    for (qsizetype n = 0; n <= all.size(); ++n) {
        SCOPED_TRACE(n);
        const BalanceReply r = parseBalance(all.left(n), "ATD*102#;");
        EXPECT_EQ(r.state == BalanceReply::State::Text, n >= done);
        EXPECT_NE(static_cast<int>(r.state), static_cast<int>(BalanceReply::State::Error));
    }
}

TEST(ModemBalance, AccentsAndLineBreaksAsTheWindowShowsThem) {
    struct Case {
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        // à è ò ì stand for á é ó í; ö and ü are the letters themselves.
        {b("Egyenleg: 1000 Ft. \xC9rv\xE8nyes: 2025.12.31. K\xF6sz\xF6nj\xFCk, h\xECvjon!"),
         QStringLiteral("Egyenleg: 1000 Ft. Érvényes: 2025.12.31. Köszönjük, hívjon!")},
        {b("\xE0\xE8\xF2\xEC\xF6\xFC"), QStringLiteral("áéóíöü")},
        {b("Sor 1\r\nSor 2\rSor 3\nSor 4"), QStringLiteral("Sor 1\nSor 2\nSor 3\nSor 4")},
        {QByteArray("a\x00\x07"
                    "b",
                    4),
         QStringLiteral("ab")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(balanceText(c.bytes), c.text);
}
