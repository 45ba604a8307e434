#include "engine/modem_replies.h"

#include "image/image_codecs.h"

#include <algorithm>

namespace ModemReplies {

namespace {

constexpr int kImeiDigits = 15;

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

struct Line {
    qsizetype begin = 0; // first byte
    qsizetype end = 0;   // one past the last byte, where its CR or LF stands
};

// Complete lines only: a line still waiting for its CR or LF is not one yet.
// Empty lines (the CR LF pairs around every answer) are left out.
std::vector<Line> completeLines(QByteArrayView bytes) {
    std::vector<Line> out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (!isLineEnd(bytes[i]))
            continue;
        if (i > start)
            out.push_back({start, i});
        start = i + 1;
    }
    return out;
}

QByteArrayView textOf(QByteArrayView bytes, const Line& l) {
    return bytes.sliced(l.begin, l.end - l.begin).trimmed();
}

// An echoed command line, perhaps behind line noise the modem echoed too.
bool looksLikeCommandLine(QByteArrayView line) {
    for (qsizetype i = 0; i + 1 < line.size(); ++i) {
        const char a = line[i];
        const char t = line[i + 1];
        if ((a == 'A' && t == 'T') || (a == 'a' && t == 't'))
            return true;
        // Anything printable before "AT" is not noise: such a line is text.
        if (a >= 0x20 && a < 0x7F)
            return false;
    }
    return false;
}

// Where the answer to `command` begins: just after the last echo of it. With
// no echo of ours but an echo of another command line, the answer to ours has
// not come yet (nullopt). With no echo at all, everything received counts.
std::optional<qsizetype> answerStart(QByteArrayView bytes, QByteArrayView command,
                                     const std::vector<Line>& lines) {
    const QByteArrayView wanted = command.trimmed();
    bool otherEcho = false;
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const QByteArrayView text = textOf(bytes, *it);
        if (!wanted.isEmpty() && text.endsWith(wanted))
            return it->end;
        if (looksLikeCommandLine(text))
            otherEcho = true;
    }
    if (otherEcho)
        return std::nullopt;
    return 0;
}

std::optional<Outcome> finalResult(QByteArrayView line) {
    static const char* const kOk[] = {"OK", "0"};
    static const char* const kError[] = {"ERROR", "NO CARRIER", "BUSY", "NO ANSWER", "NO DIALTONE",
                                         "4",     "3",          "6",    "7",         "8"};
    for (const char* r : kOk)
        if (line == QByteArrayView(r))
            return Outcome::Ok;
    for (const char* r : kError)
        if (line == QByteArrayView(r))
            return Outcome::Error;
    if (line.startsWith("+CME ERROR") || line.startsWith("+CMS ERROR"))
        return Outcome::Error;
    if (line.startsWith("CONNECT"))
        return Outcome::Ok;
    return std::nullopt;
}

Answer answerFrom(QByteArrayView bytes, const std::vector<Line>& lines, qsizetype start) {
    Answer a;
    for (const Line& l : lines) {
        if (l.begin < start)
            continue;
        const QByteArrayView text = textOf(bytes, l);
        if (text.isEmpty())
            continue;
        if (const auto r = finalResult(text)) {
            a.outcome = *r;
            a.result = text.toByteArray();
            return a;
        }
        a.lines.push_back(text.toByteArray());
    }
    a.lines.clear(); // lines without their result code are not an answer yet
    return a;
}

// Reads "digits" at pos; advances pos. -1 when there are none.
long long number(QByteArrayView s, qsizetype& pos, int maxDigits) {
    long long v = 0;
    int n = 0;
    while (pos < s.size() && isDigit(s[pos]) && n < maxDigits) {
        v = v * 10 + (s[pos] - '0');
        ++pos;
        ++n;
    }
    return n == 0 ? -1 : v;
}

void skipSpaces(QByteArrayView s, qsizetype& pos) {
    while (pos < s.size() && s[pos] == ' ')
        ++pos;
}

// A quoted field at pos; pos ends after the closing quote.
std::optional<QByteArray> quoted(QByteArrayView s, qsizetype& pos) {
    skipSpaces(s, pos);
    if (pos >= s.size() || s[pos] != '"')
        return std::nullopt;
    const qsizetype close = s.indexOf('"', pos + 1);
    if (close < 0)
        return std::nullopt;
    QByteArray field = s.sliced(pos + 1, close - pos - 1).toByteArray();
    pos = close + 1;
    return field.left(kPhonebookFieldLimit);
}

bool comma(QByteArrayView s, qsizetype& pos) {
    skipSpaces(s, pos);
    if (pos < s.size() && s[pos] == ',') {
        ++pos;
        return true;
    }
    return false;
}

} // namespace

Answer parseAnswer(QByteArrayView received, QByteArrayView command) {
    const std::vector<Line> lines = completeLines(received);
    const auto start = answerStart(received, command, lines);
    if (!start)
        return {};
    return answerFrom(received, lines, *start);
}

std::optional<PhonebookLine> parsePhonebookLine(QByteArrayView line) {
    const qsizetype tag = line.indexOf("+CPBR:");
    if (tag < 0)
        return std::nullopt;
    qsizetype pos = tag + 6;
    skipSpaces(line, pos);
    // Slots run to 250; more digits than that is not a slot number.
    const long long slot = number(line, pos, 3);
    if (slot <= 0 || (pos < line.size() && isDigit(line[pos])) || !comma(line, pos))
        return std::nullopt;
    PhonebookLine entry;
    entry.slot = static_cast<int>(slot);
    const auto phone = quoted(line, pos);
    if (!phone)
        return std::nullopt;
    entry.number = *phone;
    // The number type, then the name; a modem that leaves the name out has none.
    if (comma(line, pos)) {
        skipSpaces(line, pos);
        if (number(line, pos, 3) < 0)
            return std::nullopt;
        if (comma(line, pos)) {
            const auto name = quoted(line, pos);
            if (!name)
                return std::nullopt;
            entry.name = *name;
        }
    }
    return entry;
}

SlotRead parseSlotRead(QByteArrayView received, QByteArrayView command, int slot) {
    const Answer a = parseAnswer(received, command);
    SlotRead r;
    switch (a.outcome) {
    case Outcome::Pending:
        return r;
    case Outcome::Error:
        r.state = SlotRead::State::Refused;
        return r;
    case Outcome::Ok:
        break;
    }
    r.state = SlotRead::State::Empty;
    for (const QByteArray& line : a.lines) {
        const auto entry = parsePhonebookLine(line);
        if (entry && entry->slot == slot) {
            r.state = SlotRead::State::Occupied;
            r.entry = *entry;
            break;
        }
    }
    return r;
}

std::optional<QByteArray> parseImei(const Answer& answer) {
    if (answer.outcome != Outcome::Ok)
        return std::nullopt;
    for (const QByteArray& line : answer.lines) {
        QByteArrayView v = line;
        if (v.startsWith("+CGSN:"))
            v = v.sliced(6).trimmed();
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
            v = v.sliced(1, v.size() - 2);
        if (v.size() == kImeiDigits && std::all_of(v.begin(), v.end(), isDigit))
            return v.toByteArray();
    }
    return std::nullopt;
}

BalanceReply parseBalance(QByteArrayView received, QByteArrayView command, bool complete) {
    BalanceReply r;
    const std::vector<Line> lines = completeLines(received);
    const auto start = answerStart(received, command, lines);
    if (!start)
        return r;
    const QByteArrayView after = received.sliced(*start);

    const qsizetype tag = after.indexOf("+CUSD:");
    if (tag < 0) {
        // Until the network answers, only a refusal of the dial string counts.
        const Answer a = answerFrom(received, lines, *start);
        if (a.outcome == Outcome::Error) {
            r.state = BalanceReply::State::Error;
            r.result = a.result;
        }
        return r;
    }
    qsizetype pos = tag + 6;
    skipSpaces(after, pos);
    const long long mode = number(after, pos, 1);
    skipSpaces(after, pos);
    if (pos >= after.size())
        return r;
    const qsizetype lineEnd = [&] {
        qsizetype i = tag;
        while (i < after.size() && !isLineEnd(after[i]))
            ++i;
        return i;
    }();
    if (mode < 0 || after[pos] != ',' || isLineEnd(after[pos])) {
        // +CUSD: <m> alone: the network has nothing to say (or refused).
        if (lineEnd >= after.size())
            return r;
        r.state = BalanceReply::State::NoText;
        r.result = after.sliced(tag, lineEnd - tag).trimmed().toByteArray();
        return r;
    }
    ++pos;
    skipSpaces(after, pos);
    if (pos >= after.size())
        return r;
    if (after[pos] != '"') {
        if (lineEnd >= after.size())
            return r;
        r.state = BalanceReply::State::NoText;
        r.result = after.sliced(tag, lineEnd - tag).trimmed().toByteArray();
        return r;
    }
    const qsizetype textStart = pos + 1;
    // The text may hold line breaks of its own; it ends at a quote that is
    // followed by the coding scheme (or nothing) and the end of the line.
    for (qsizetype q = after.indexOf('"', textStart); q >= 0; q = after.indexOf('"', q + 1)) {
        qsizetype p = q + 1;
        skipSpaces(after, p);
        if (p < after.size() && after[p] == ',') {
            ++p;
            skipSpaces(after, p);
            number(after, p, 3);
            skipSpaces(after, p);
        }
        if (p < after.size() && isLineEnd(after[p])) {
            r.state = BalanceReply::State::Text;
            r.text = after.sliced(textStart, q - textStart).toByteArray();
            r.result = after.sliced(tag, textStart - tag).toByteArray();
            return r;
        }
    }
    if (complete) {
        r.state = BalanceReply::State::Text;
        r.text = after.sliced(textStart).toByteArray();
        r.cut = true;
    }
    return r;
}

QString balanceText(const QByteArray& bytes) {
    QByteArray clean;
    clean.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r') {
            clean.append('\n');
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else if (c == '\n' || c == '\t' || static_cast<uint8_t>(c) >= 0x20) {
            clean.append(c);
        }
    }
    return fromImageTextBytes(clean);
}

} // namespace ModemReplies
