// The GSM modem's answers in pass-through mode: the answer parser, the SIM
// phonebook line and slot read, the IMEI and the balance service's text, each
// on any bytes received after any command line. Checked beyond the sanitizers:
//
// - a line still being received (no CR or LF yet) changes nothing;
// - what stood in the buffer before the echo of the command line changes
//   nothing (an earlier command's answer is never taken for this one);
// - a final result is one of the modem's result codes and stands in what was
//   received; information lines are trimmed single lines of it;
// - a phonebook entry is written back as a +CPBR line and read again the same;
//   a slot read agrees with the answer it comes from;
// - an IMEI is 15 digits from one of the answer's lines;
// - a balance text stands in what was received; a text cut short only when
//   nothing more will fit; taking what has come changes only a pending reply;
//   its shown text holds no carriage return and no control character but the
//   line break and tab.
//
// Input: byte 0 picks the command line (below 0xF0 one the engine sends,
// otherwise the next byte's length of the input's own bytes), then a byte for
// the phonebook slot and one for where the echo of the command goes in; the
// rest is what was received.

#include "engine/modem_replies.h"
#include "fuzz_input.h"

#include <algorithm>
#include <iterator>

namespace {

using namespace ModemReplies;

// The command lines the engine sends, without their CR or CR LF.
const char* const kCommands[] = {
    "AT",
    "AT+CPBS=\"SM\"",
    "AT+CPBR=5",
    "AT+CPBR=250",
    "AT+CPBW=7,\"+36301234567\",145,\"Anna\"",
    "AT+CPIN=\"1234\"",
    "AT+CLCK=\"SC\",0,\"1234\"",
    "AT+CSCA=\"+36309888000\",145",
    "ATD*102#;",
    "ATD+3630123",
    "AT+CMGS=\"06301234567\"",
    "AT+CGSN",
};

bool sameAnswer(const Answer& a, const Answer& b) {
    return a.outcome == b.outcome && a.result == b.result && a.lines == b.lines;
}

bool sameBalance(const BalanceReply& a, const BalanceReply& b) {
    return a.state == b.state && a.text == b.text && a.result == b.result && a.cut == b.cut;
}

bool isOkCode(const QByteArray& r) {
    return r == "OK" || r == "0" || r.startsWith("CONNECT");
}

bool isErrorCode(const QByteArray& r) {
    static const char* const kErrors[] = {"ERROR", "NO CARRIER", "BUSY", "NO ANSWER", "NO DIALTONE",
                                          "4",     "3",          "6",    "7",         "8"};
    for (const char* e : kErrors)
        if (r == e)
            return true;
    return r.startsWith("+CME ERROR") || r.startsWith("+CMS ERROR");
}

// A single trimmed line, as the parser hands lines on.
bool isTrimmedLine(const QByteArray& line) {
    return !line.isEmpty() && !line.contains('\r') && !line.contains('\n') &&
           line == line.trimmed();
}

FUZZ_NO_COVERAGE void checkAnswer(const Answer& a, const QByteArray& received) {
    if (a.outcome == Outcome::Pending) {
        FUZZ_CHECK(a.result.isEmpty() && a.lines.empty());
        return;
    }
    FUZZ_CHECK(isTrimmedLine(a.result) && received.contains(a.result));
    FUZZ_CHECK(a.outcome == Outcome::Ok ? isOkCode(a.result) && !isErrorCode(a.result)
                                        : isErrorCode(a.result));
    for (const QByteArray& line : a.lines) {
        FUZZ_CHECK(isTrimmedLine(line) && received.contains(line));
        // A result code ends the answer; it is never one of its lines.
        FUZZ_CHECK(!isOkCode(line) && !isErrorCode(line));
    }
}

FUZZ_NO_COVERAGE void checkPhonebookLine(const PhonebookLine& e) {
    FUZZ_CHECK(e.slot >= 1 && e.slot <= 999);
    FUZZ_CHECK(e.number.size() <= kPhonebookFieldLimit && e.name.size() <= kPhonebookFieldLimit);
    FUZZ_CHECK(!e.number.contains('"') && !e.name.contains('"'));
}

void phonebookRoundTrip(const PhonebookLine& e) {
    checkPhonebookLine(e);
    const QByteArray line =
        "+CPBR: " + QByteArray::number(e.slot) + ",\"" + e.number + "\",129,\"" + e.name + "\"";
    const auto again = parsePhonebookLine(line);
    FUZZ_CHECK(again && again->slot == e.slot && again->number == e.number &&
               again->name == e.name);
}

void checkBalance(const QByteArray& received, const QByteArray& command) {
    const BalanceReply waiting = parseBalance(received, command, false);
    const BalanceReply full = parseBalance(received, command, true);
    FUZZ_CHECK(!waiting.cut);
    // Taking what has come decides only a reply that was still pending.
    if (waiting.state != BalanceReply::State::Pending)
        FUZZ_CHECK(sameBalance(waiting, full));
    FUZZ_CHECK(!full.cut || full.state == BalanceReply::State::Text);
    for (const BalanceReply* r : {&waiting, &full}) {
        switch (r->state) {
        case BalanceReply::State::Pending:
            FUZZ_CHECK(r->text.isEmpty() && r->result.isEmpty());
            break;
        case BalanceReply::State::Error:
            FUZZ_CHECK(isErrorCode(r->result) && received.contains(r->result));
            break;
        case BalanceReply::State::NoText:
            FUZZ_CHECK(r->result.startsWith("+CUSD:") && received.contains(r->result));
            break;
        case BalanceReply::State::Text:
            FUZZ_CHECK(received.contains(r->cut ? r->text : '"' + r->text + '"'));
            break;
        }
    }
    if (full.state == BalanceReply::State::Text) {
        const QString shown = balanceText(full.text);
        FUZZ_CHECK(shown.size() <= full.text.size());
        for (const QChar c : shown)
            FUZZ_CHECK(c.unicode() >= 0x20 || c == QLatin1Char('\n') || c == QLatin1Char('\t'));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t pick = in.byte();
    QByteArray command;
    if (pick < 0xF0) {
        command = kCommands[pick % std::size(kCommands)];
    } else {
        // A command line of the input's own, as a line the engine could send:
        // without line ends.
        command = in.bytes(in.byte() % 40);
        command.replace('\r', ' ').replace('\n', ' ');
    }
    const int slot = 1 + in.byte() % 250;
    const uint8_t echoAt = in.byte();
    const QByteArray received = in.bytes(size);

    const Answer answer = parseAnswer(received, command);
    checkAnswer(answer, received);

    // The line still being received is not looked at.
    const qsizetype lastEnd = std::max(received.lastIndexOf('\r'), received.lastIndexOf('\n')) + 1;
    if (lastEnd < received.size())
        FUZZ_CHECK(sameAnswer(parseAnswer(received.left(lastEnd), command), answer));

    // Whatever stood before the echo of this command line is not part of its
    // answer: an earlier command's answer, noise, half a line.
    if (!command.trimmed().isEmpty()) {
        const qsizetype at = received.isEmpty() ? 0 : echoAt % (received.size() + 1);
        const QByteArray tail = command + "\r\r\n" + received.mid(at);
        const Answer fresh = parseAnswer(tail, command);
        FUZZ_CHECK(sameAnswer(parseAnswer(received.left(at) + tail, command), fresh));
        checkAnswer(fresh, tail);
    }

    const SlotRead read = parseSlotRead(received, command, slot);
    switch (read.state) {
    case SlotRead::State::Pending:
        FUZZ_CHECK(answer.outcome == Outcome::Pending);
        break;
    case SlotRead::State::Refused:
        FUZZ_CHECK(answer.outcome == Outcome::Error);
        break;
    case SlotRead::State::Empty:
    case SlotRead::State::Occupied: {
        FUZZ_CHECK(answer.outcome == Outcome::Ok);
        bool found = false;
        for (const QByteArray& line : answer.lines) {
            const auto e = parsePhonebookLine(line);
            if (e && e->slot == slot && !found) {
                found = true;
                FUZZ_CHECK(read.state == SlotRead::State::Occupied &&
                           e->number == read.entry.number && e->name == read.entry.name);
            }
        }
        FUZZ_CHECK(found == (read.state == SlotRead::State::Occupied));
        break;
    }
    }
    for (const QByteArray& line : answer.lines)
        if (const auto e = parsePhonebookLine(line))
            phonebookRoundTrip(*e);
    // The received bytes as one line, as a noisy modem may send it.
    if (const auto e = parsePhonebookLine(received))
        phonebookRoundTrip(*e);

    if (const auto imei = parseImei(answer)) {
        FUZZ_CHECK(imei->size() == 15 && std::all_of(imei->begin(), imei->end(),
                                                     [](char c) { return c >= '0' && c <= '9'; }));
        FUZZ_CHECK(std::any_of(answer.lines.begin(), answer.lines.end(),
                               [&](const QByteArray& l) { return l.contains(*imei); }));
    }

    checkBalance(received, command);
    return 0;
}
