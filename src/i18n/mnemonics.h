#pragma once
// Alt mnemonics on menus and buttons. A control shows its text with '&'
// before the letter Alt reaches it by, and "&&" for an '&' of the text itself;
// the caption and message tables hold the plain text.
#include <QChar>
#include <QSet>
#include <QString>
#include <QStringList>

namespace Mnemonics {

// The text a control shows, without its marker: a single '&' goes, "&&" is
// one '&'.
QString plain(const QString& marked);
// The text as a control must be given it to show `plainText` with no letter
// marked.
QString escaped(const QString& plainText);
// The letter a marked text is reached by, in lower case; null when none.
QChar letterOf(const QString& marked);

// Marks each of `plainTexts` with a letter of its own, none of them in
// `taken` nor twice among them, and adds the letters to `taken`. A text
// prefers the first letter of the text, then the first letter of a later
// word, then any letter of it, then digits; letters a keyboard of any layout
// has (a-z) before the others. Texts get their own first letter first; then
// earlier texts choose before later ones, but give way to another of their
// letters where a later text would be left without one. Only when the texts
// together have too few letters is one left unmarked (and only escaped).
QStringList mark(const QStringList& plainTexts, QSet<QChar>& taken);

} // namespace Mnemonics
