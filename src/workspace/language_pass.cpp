#include "workspace/language_pass.h"

#include "i18n/mnemonics.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QWidget>

namespace LanguagePass {
namespace {

// A tab page sits in the tab widget's stack; its caption is the tab's text.
std::pair<QTabWidget*, int> tabOf(const QWidget* page) {
    auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget());
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    return {tabs, tabs ? tabs->indexOf(const_cast<QWidget*>(page)) : -1};
}

bool isWindowCaption(const QString& name) {
    return name == QLatin1String("*");
}

// Menu items and menus first: a menu's action carries the menu's name too.
QAction* actionNamed(const QWidget* window, const QString& name) {
    return window->findChild<QAction*>(name);
}

} // namespace

std::optional<QString> controlText(const QWidget* window, const QString& name, int item) {
    if (isWindowCaption(name))
        return window->windowTitle();
    if (item >= 0) {
        auto* list = window->findChild<QComboBox*>(name);
        if (!list || item >= list->count())
            return std::nullopt;
        return list->itemText(item);
    }
    // Menu items and buttons read '&' as the mark of their Alt letter: the
    // text is the one shown, without it.
    if (QAction* a = actionNamed(window, name))
        return Mnemonics::plain(a->text());
    QWidget* w = window->findChild<QWidget*>(name);
    if (!w)
        return std::nullopt;
    if (auto [tabs, index] = tabOf(w); tabs && index >= 0)
        return tabs->tabText(index);
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return Mnemonics::plain(b->text());
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    return std::nullopt;
}

bool setControlText(QWidget* window, const QString& name, int item, const QString& text) {
    if (isWindowCaption(name)) {
        window->setWindowTitle(text);
        return true;
    }
    if (item >= 0) {
        auto* list = window->findChild<QComboBox*>(name);
        if (!list || item >= list->count())
            return false;
        // Renaming an item leaves the selection, and so the list's value, alone.
        list->setItemText(item, text);
        return true;
    }
    if (QAction* a = actionNamed(window, name)) {
        a->setText(Mnemonics::escaped(text));
        return true;
    }
    QWidget* w = window->findChild<QWidget*>(name);
    if (!w)
        return false;
    if (auto [tabs, index] = tabOf(w); tabs && index >= 0) {
        tabs->setTabText(index, text);
        return true;
    }
    if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(Mnemonics::escaped(text));
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(text);
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(text);
    else
        return false;
    return true;
}

QStringList applyCaptions(QWidget* window, const QList<CaptionTableRow>& rows, int language) {
    QStringList missing;
    if (language < 0 || language >= CaptionTables::kLanguages)
        return missing;
    for (const CaptionTableRow& r : rows) {
        const std::optional<QString>& text = r.texts[size_t(language)];
        if (text && !setControlText(window, r.control, r.item, *text))
            missing << r.control;
    }
    return missing;
}

QStringList applyCopyRules(QWidget* window, const QList<CopyRule>& rules) {
    QStringList missing;
    for (const CopyRule& rule : rules) {
        const std::optional<QString> text = controlText(window, rule.model, rule.modelItem);
        if (!text || !setControlText(window, rule.target, rule.targetItem, *text))
            missing << rule.target;
    }
    return missing;
}

} // namespace LanguagePass
