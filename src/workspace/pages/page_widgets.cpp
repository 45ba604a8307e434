#include "workspace/pages/page_widgets.h"

#include <QFont>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

bool phoneSlotFilled(const QString& text) {
    return !text.isEmpty() && text.front() != u' ';
}

TargetCheckList::TargetCheckList(const QString& objectName, QWidget* parent) : QListWidget(parent) {
    setObjectName(objectName);
    setSelectionMode(QAbstractItemView::NoSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    for (int i = 0; i < 8; ++i) {
        auto* item = new QListWidgetItem(QStringLiteral("Phone%1").arg(i + 1), this);
        // The list toggles the marks itself, so a click on the text counts too.
        item->setFlags(Qt::ItemIsEnabled);
        item->setCheckState(Qt::Unchecked);
    }
    setCurrentRow(0);
}

TargetList TargetCheckList::targets() const {
    TargetList t{};
    for (int i = 0; i < 8; ++i)
        t[static_cast<size_t>(i)] = isChecked(i);
    return t;
}

void TargetCheckList::setTargets(const TargetList& targets) {
    bool changed = false;
    for (int i = 0; i < 8; ++i) {
        const Qt::CheckState s = targets[static_cast<size_t>(i)] ? Qt::Checked : Qt::Unchecked;
        if (item(i)->checkState() != s) {
            item(i)->setCheckState(s);
            changed = true;
        }
    }
    if (changed)
        emit targetsChanged();
}

void TargetCheckList::setItem(int index, const QString& text, bool selectable) {
    QListWidgetItem* it = item(index);
    it->setText(text);
    it->setFlags(selectable ? Qt::ItemIsEnabled : Qt::NoItemFlags);
}

bool TargetCheckList::itemSelectable(int index) const {
    return item(index)->flags().testFlag(Qt::ItemIsEnabled);
}

QString TargetCheckList::itemText(int index) const {
    return item(index)->text();
}

bool TargetCheckList::isChecked(int index) const {
    return item(index)->checkState() == Qt::Checked;
}

void TargetCheckList::toggle(int index) {
    if (index < 0 || index >= count() || !isEnabled() || !itemSelectable(index))
        return;
    QListWidgetItem* it = item(index);
    it->setCheckState(it->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    emit targetsChanged();
}

QSize TargetCheckList::sizeHint() const {
    const int rows = count();
    const int rowHeight = rows ? sizeHintForRow(0) : fontMetrics().height();
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("+363012345678901")) + 48;
    return {width, rowHeight * rows + 2 * frameWidth()};
}

QSize TargetCheckList::minimumSizeHint() const {
    return sizeHint();
}

void TargetCheckList::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        const QModelIndex index = indexAt(e->position().toPoint());
        if (index.isValid()) {
            setCurrentRow(index.row());
            toggle(index.row());
        }
    }
    e->accept();
}

void TargetCheckList::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Space) {
        toggle(currentRow());
        e->accept();
        return;
    }
    QListWidget::keyPressEvent(e);
}

void fillTargetList(TargetCheckList* list, const PhoneTexts& phones, bool blankFiveToEight) {
    for (int i = 0; i < 8; ++i) {
        const QString& text = phones[static_cast<size_t>(i)];
        if (phoneSlotFilled(text))
            list->setItem(i, text, true);
        else if (blankFiveToEight && i >= 4)
            list->setItem(i, QString(), false);
        else
            list->setItem(i, QStringLiteral("Phone%1").arg(i + 1), false);
    }
}

bool ModuleTextValidator::storable(QChar c) {
    // Every byte of the code page stands for one character; a character is
    // storable when it is one of them.
    static const QString table = [] {
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = static_cast<char>(b);
        const QString decoded = fromCodePage1250(all);
        QString usable;
        for (QChar ch : decoded)
            if (toCodePage1250(QString(ch)).size() == 1)
                usable += ch;
        return usable;
    }();
    return table.contains(c);
}

QValidator::State ModuleTextValidator::validate(QString& input, int&) const {
    for (QChar c : input)
        if (!storable(c))
            return Invalid;
    return Acceptable;
}

QLineEdit* moduleTextEdit(const QString& objectName, int maxBytes, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setMaxLength(maxBytes);
    edit->setValidator(new ModuleTextValidator(edit));
    return edit;
}

QLabel* buddyLabel(const QString& objectName, const QString& text, QWidget* buddy,
                   QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setBuddy(buddy);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* headingLabel(const QString& objectName, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    QFont f = label->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.15);
    label->setFont(f);
    return label;
}

QGroupBox* plainGroup(QWidget* parent) {
    auto* box = new QGroupBox(parent);
    box->setFlat(false);
    return box;
}
