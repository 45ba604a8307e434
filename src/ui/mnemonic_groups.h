#pragma once
// Alt+letter on a window reaches the menus of its menu bar and its buttons
// alike, so they share one set of letters; the items of each menu have a set
// of their own. Every entry, shown or hidden, keeps its letter, so that none
// is taken twice when an edition or a mode shows a hidden one.
#include <QList>
#include <QString>

class QAbstractButton;
class QMenuBar;
class QObject;

namespace MnemonicGroups {

// The groups: `buttons`, the menus of the bar and `later` in this order (the
// earlier an entry, the likelier its text's first letter is still free); then
// the items of each menu (separators left out).
QList<QList<QObject*>> groups(const QMenuBar* bar, const QList<QAbstractButton*>& buttons,
                              const QList<QAbstractButton*>& later = {});
// Gives every entry of every group a letter anew from the text it shows; a
// letter it had before is dropped first.
void place(const QMenuBar* bar, const QList<QAbstractButton*>& buttons,
           const QList<QAbstractButton*>& later = {});

// The text a menu entry or button shows, without the marker.
QString shownText(const QObject* entry);
// The marked text as the entry holds it; empty for other objects.
QString markedText(const QObject* entry);

} // namespace MnemonicGroups
