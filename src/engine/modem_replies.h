#pragma once
// What the GSM modem says back in pass-through mode, read from the bytes
// received since a command line was sent. The modem echoes the command line,
// then answers in CR LF framed lines ending with a final result code; the
// bytes may arrive cut anywhere, with the tail of an earlier answer or line
// noise in front. Every function here is pure: bytes in, result out.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

namespace ModemReplies {

enum class Outcome {
    Pending, // no final result code after the echo yet
    Ok,      // OK (or CONNECT)
    Error,   // ERROR, +CME ERROR, +CMS ERROR, NO CARRIER, BUSY, ...
};

struct Answer {
    Outcome outcome = Outcome::Pending;
    QByteArray result;             // the final result line, e.g. "+CME ERROR: 16"
    std::vector<QByteArray> lines; // information lines between the echo and the result
};

// The answer to `command` (the command line as sent, without CR or LF).
// Only what follows the last echo of that command counts, so an answer to an
// earlier command line still in the buffer is never taken for it. With no
// echo of any command line in sight (a modem with echo off) every complete
// line counts. Lines still being received (no CR or LF yet) are not looked at.
Answer parseAnswer(QByteArrayView received, QByteArrayView command);

// One SIM phonebook entry as a +CPBR line gives it, bytes as the modem sent them.
struct PhonebookLine {
    int slot = 0;
    QByteArray number;
    QByteArray name;
};
// Longest number and name taken from a +CPBR line; longer ones are cut.
inline constexpr int kPhonebookFieldLimit = 33;
// +CPBR: <slot>,"<number>",<type>,"<name>"; nullopt for anything else.
std::optional<PhonebookLine> parsePhonebookLine(QByteArrayView line);

// The result of a phonebook read of one slot.
struct SlotRead {
    enum class State {
        Pending,  // the answer is not complete
        Occupied, // entry holds the slot's number and name
        Empty,    // OK without an entry for the slot
        Refused,  // an error result (slot out of range, or nothing there)
    };
    State state = State::Pending;
    PhonebookLine entry;
};
SlotRead parseSlotRead(QByteArrayView received, QByteArrayView command, int slot);

// The IMEI from the answer to AT+CGSN: 15 digits, alone on their line or as
// +CGSN: "<digits>". nullopt while pending or when the answer holds none.
std::optional<QByteArray> parseImei(const Answer& answer);

// The balance service answers a dialled code with OK, then, when the network
// replies, +CUSD: <m>,"<text>",<dcs>. The text may run over several lines.
struct BalanceReply {
    enum class State {
        Pending, // no complete network answer yet
        Text,    // text holds the network's answer
        NoText,  // +CUSD without a text (service refused or cancelled)
        Error,   // the modem refused the dial string
    };
    State state = State::Pending;
    QByteArray text;   // bytes of the text as the modem sent them
    QByteArray result; // the error result or the +CUSD line, for the user
    bool cut = false;  // the text's end was not received (buffer full)
};
// `complete`: nothing more will fit, take what has come.
BalanceReply parseBalance(QByteArrayView received, QByteArrayView command, bool complete = false);

// The modem's text in the module's character set: code page 1250, where the
// network's à è ò ì stand for á é ó í.
QString balanceText(const QByteArray& bytes);

} // namespace ModemReplies
