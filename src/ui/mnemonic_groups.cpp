#include "ui/mnemonic_groups.h"

#include "i18n/mnemonics.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace MnemonicGroups {

QList<QList<QObject*>> groups(const QMenuBar* bar, const QList<QAbstractButton*>& buttons,
                              const QList<QAbstractButton*>& later) {
    QList<QList<QObject*>> all;
    QList<QObject*> top(buttons.begin(), buttons.end());
    for (QAction* a : bar->actions())
        if (!a->isSeparator())
            top << a;
    top.append(QList<QObject*>(later.begin(), later.end()));
    all << top;
    for (QAction* a : bar->actions()) {
        if (!a->menu())
            continue;
        QList<QObject*> items;
        for (QAction* item : a->menu()->actions())
            if (!item->isSeparator())
                items << item;
        all << items;
    }
    return all;
}

QString markedText(const QObject* entry) {
    if (auto* a = qobject_cast<const QAction*>(entry))
        return a->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(entry))
        return b->text();
    return {};
}

QString shownText(const QObject* entry) {
    return Mnemonics::plain(markedText(entry));
}

void place(const QMenuBar* bar, const QList<QAbstractButton*>& buttons,
           const QList<QAbstractButton*>& later) {
    for (const QList<QObject*>& group : groups(bar, buttons, later)) {
        QStringList texts;
        for (const QObject* entry : group)
            texts << shownText(entry);
        QSet<QChar> taken;
        const QStringList marked = Mnemonics::mark(texts, taken);
        for (qsizetype i = 0; i < group.size(); ++i) {
            if (auto* a = qobject_cast<QAction*>(group[i]))
                a->setText(marked[i]);
            else if (auto* b = qobject_cast<QAbstractButton*>(group[i]))
                b->setText(marked[i]);
        }
    }
}

} // namespace MnemonicGroups
