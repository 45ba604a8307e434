#include "i18n/mnemonics.h"

#include <QHash>
#include <functional>

namespace Mnemonics {
namespace {

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Positions of the text in the order they are tried.
QList<qsizetype> candidates(const QString& text) {
    QList<qsizetype> order;
    auto add = [&order](qsizetype i) {
        if (!order.contains(i))
            order << i;
    };
    for (bool ascii : {true, false}) {
        auto fits = [ascii](QChar c) { return ascii ? isAsciiLetter(c) : c.isLetterOrNumber(); };
        for (qsizetype i = 0; i < text.size(); ++i)
            if ((i == 0 || !text[i - 1].isLetterOrNumber()) && fits(text[i]))
                add(i);
        for (qsizetype i = 0; i < text.size(); ++i)
            if (fits(text[i]))
                add(i);
    }
    return order;
}

} // namespace

QString plain(const QString& marked) {
    QString out;
    out.reserve(marked.size());
    for (qsizetype i = 0; i < marked.size(); ++i) {
        if (marked[i] == u'&') {
            if (i + 1 < marked.size() && marked[i + 1] == u'&') {
                out += u'&';
                ++i;
            }
            continue;
        }
        out += marked[i];
    }
    return out;
}

QString escaped(const QString& plainText) {
    QString out = plainText;
    return out.replace(u'&', QStringLiteral("&&"));
}

QChar letterOf(const QString& marked) {
    for (qsizetype i = 0; i + 1 < marked.size(); ++i) {
        if (marked[i] != u'&')
            continue;
        if (marked[i + 1] != u'&')
            return marked[i + 1].toLower();
        ++i;
    }
    return {};
}

QStringList mark(const QStringList& plainTexts, QSet<QChar>& taken) {
    // Each text's letters in the order it prefers them, each letter once with
    // the position it is marked at.
    struct Choices {
        QList<QChar> letters;
        QList<qsizetype> positions;
    };
    QList<Choices> choices;
    for (const QString& text : plainTexts) {
        Choices c;
        for (qsizetype i : candidates(text)) {
            const QChar letter = text[i].toLower();
            if (!c.letters.contains(letter)) {
                c.letters << letter;
                c.positions << i;
            }
        }
        choices << c;
    }
    // Every text takes its most preferred free letter; one that finds none
    // moves an earlier text on to another letter of its own where it can, so
    // that a short text ("GSM") is not left without one by longer texts
    // before it.
    QHash<QChar, qsizetype> owner;
    QList<qsizetype> chosen(plainTexts.size(), -1); // index into letters
    std::function<bool(qsizetype, QSet<QChar>&)> place = [&](qsizetype t, QSet<QChar>& seen) {
        const Choices& c = choices[t];
        for (qsizetype k = 0; k < c.letters.size(); ++k) {
            const QChar l = c.letters[k];
            if (!taken.contains(l) && !seen.contains(l) && !owner.contains(l)) {
                owner[l] = t;
                chosen[t] = k;
                return true;
            }
        }
        for (qsizetype k = 0; k < c.letters.size(); ++k) {
            const QChar l = c.letters[k];
            if (taken.contains(l) || seen.contains(l) || !owner.contains(l))
                continue;
            seen.insert(l);
            const qsizetype other = owner.take(l);
            if (place(other, seen)) {
                owner[l] = t;
                chosen[t] = k;
                return true;
            }
            owner[l] = other;
        }
        return false;
    };
    // A text's own first letter goes to it before any text takes it as a
    // second choice ("Funktionen" keeps F beside an "Öffnen" before it).
    for (qsizetype t = 0; t < plainTexts.size(); ++t) {
        const Choices& c = choices[t];
        const QString& text = plainTexts[t];
        if (!c.positions.isEmpty() && c.positions[0] == 0 && isAsciiLetter(text[0]) &&
            !taken.contains(c.letters[0]) && !owner.contains(c.letters[0])) {
            owner[c.letters[0]] = t;
            chosen[t] = 0;
        }
    }
    for (qsizetype t = 0; t < plainTexts.size(); ++t) {
        QSet<QChar> seen;
        if (chosen[t] < 0)
            place(t, seen);
    }

    QStringList out;
    for (qsizetype t = 0; t < plainTexts.size(); ++t) {
        const QString& text = plainTexts[t];
        if (chosen[t] < 0) {
            out << escaped(text);
            continue;
        }
        taken.insert(choices[t].letters[chosen[t]]);
        const qsizetype at = choices[t].positions[chosen[t]];
        out << escaped(text.left(at)) + u'&' + escaped(text.mid(at));
    }
    return out;
}

} // namespace Mnemonics
