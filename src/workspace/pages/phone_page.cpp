#include "workspace/pages/phone_page.h"

#include "i18n/messages.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

namespace {
// First position a digit, '+' or '-', then fifteen optional digits; '_' marks
// a blank position on screen.
constexpr char kPhoneMask[] = "#999999999999999;_";
constexpr QChar kBlank = u'_';

// What the module keeps of a number: the characters up to the first one that
// is not a digit or '+'.
QString storedPart(const QString& number) {
    int n = 0;
    while (n < number.size() && (number[n].isDigit() || number[n] == u'+'))
        ++n;
    return number.left(n);
}

// A number as the installer meant it: the blanks a click into the middle of
// the slots or a space left behind are not part of it.
QString compacted(const QString& text) {
    QString number = text;
    number.remove(u' ');
    return number;
}
} // namespace

PhoneNumberEdit::PhoneNumberEdit(int number, QWidget* parent) : QLineEdit(parent) {
    setObjectName(QStringLiteral("MaskEdit%1").arg(number));
    setInputMask(QString::fromLatin1(kPhoneMask));
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setMinimumWidth(fontMetrics().horizontalAdvance(QString(18, u'0')) + 12);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

int PhoneNumberEdit::typedLength() const {
    const QString shown = displayText();
    int n = int(shown.size());
    while (n > 0 && (shown[n - 1] == kBlank || shown[n - 1] == u' '))
        --n;
    return n;
}

void PhoneNumberEdit::keepCursorInNumber() {
    // The underscores look like slots to click into; a number starts at the first.
    if (!hasSelectedText() && cursorPosition() > typedLength())
        setCursorPosition(typedLength());
}

void PhoneNumberEdit::closeGaps() {
    const QString number = compacted(text());
    if (number != text())
        setText(number);
}

void PhoneNumberEdit::mousePressEvent(QMouseEvent* e) {
    QLineEdit::mousePressEvent(e);
    keepCursorInNumber();
}

void PhoneNumberEdit::mouseReleaseEvent(QMouseEvent* e) {
    QLineEdit::mouseReleaseEvent(e);
    keepCursorInNumber();
}

void PhoneNumberEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    keepCursorInNumber();
}

void PhoneNumberEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    closeGaps();
    emit left();
}

void PhoneNumberEdit::keyPressEvent(QKeyEvent* e) {
    const QString before = text();
    keepCursorInNumber();
    QLineEdit::keyPressEvent(e);
    const QString typed = e->text();
    if (typed.size() == 1 && typed[0].isPrint() && !(e->modifiers() & Qt::ControlModifier) &&
        text() == before) {
        emit keyRefused(typed[0]);
    }
}

PhoneNumbersPage::PhoneNumbersPage(QWidget* sheet) : ConfigPage(sheet) {
    auto* grid = new QGridLayout(sheet);
    grid->addWidget(headingLabel(QStringLiteral("Label1"),
                                 QStringLiteral("Értesítendő telefonszámok beállítása:"), sheet),
                    0, 0, 1, 2);

    auto* numbers = plainGroup(sheet);
    auto* column = new QVBoxLayout(numbers);
    auto* first = new QFormLayout;
    auto* rest = new QWidget(numbers);
    rest->setObjectName(QStringLiteral("PhoneNumbers5to8"));
    auto* second = new QFormLayout(rest);
    second->setContentsMargins(0, 0, 0, 0);
    column->addLayout(first);
    column->addWidget(rest);
    QList<QLabel*> labels;
    for (int i = 0; i < 8; ++i) {
        QWidget* parent = i < 4 ? numbers : rest;
        edits_[size_t(i)] = new PhoneNumberEdit(i + 1, parent);
        QLabel* label = buddyLabel(QStringLiteral("Label%1").arg(i + 2),
                                   QStringLiteral("Szám%1:").arg(i + 1), edits_[size_t(i)], parent);
        labels << label;
        (i < 4 ? first : second)->addRow(label, edits_[size_t(i)]);
    }
    // The two forms line up as one.
    int labelWidth = 0;
    for (QLabel* l : labels)
        labelWidth = std::max(labelWidth, l->sizeHint().width());
    for (QLabel* l : labels)
        l->setMinimumWidth(labelWidth);
    grid->addWidget(numbers, 1, 0, Qt::AlignTop);
    // Why a key did nothing, or why a number would not reach the module as shown.
    hint_ = new QLabel(sheet);
    hint_->setObjectName(QStringLiteral("phoneHint"));
    hint_->setTextFormat(Qt::PlainText);
    hint_->setWordWrap(true);
    hint_->setStyleSheet(QStringLiteral("color: #b00000;"));
    hint_->hide();
    grid->addWidget(hint_, 2, 0, 1, 3);
    for (PhoneNumberEdit* e : edits_) {
        connect(e, &PhoneNumberEdit::keyRefused, this, [this](QChar c) {
            QApplication::beep();
            refusal_ = c.isDigit() ? message("phone.full", language())
                                   : message("phone.key_refused", language()).arg(c);
            markUnsendable();
        });
        connect(e, &QLineEdit::textChanged, this, &PhoneNumbersPage::markUnsendable);
        connect(e, &PhoneNumberEdit::left, this, [this] {
            refusal_.clear();
            markUnsendable();
        });
    }

    auto* help = new QLabel(QStringLiteral("Értesítendő telefonszámok \nmegadása:\n"
                                           "Használható formátum:\n+3630telefonszám\nvagy a\n"
                                           "0630telefonszám"),
                            sheet);
    help->setObjectName(QStringLiteral("phoneHelpText"));
    help->setTextFormat(Qt::PlainText);
    auto* helpBox = plainGroup(sheet);
    (new QVBoxLayout(helpBox))->addWidget(help);
    grid->addWidget(helpBox, 1, 1, Qt::AlignTop);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);

    PopupMenu1 = new QMenu(sheet);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto act = [this](const QString& caption, const QString& text) {
        QAction* a = PopupMenu1->addAction(caption, this, [this, text] {
            if (!popupTarget_)
                return;
            if (text.isEmpty())
                popupTarget_->clear();
            else
                popupTarget_->setText(text);
        });
        a->setObjectName(QStringLiteral("PopupMenu1_") + caption);
    };
    act(QStringLiteral("Delete"), QString());
    act(QStringLiteral("+3630"), QStringLiteral("+3630"));
    act(QStringLiteral("+3620"), QStringLiteral("+3620"));
    for (QLineEdit* e : edits_)
        connect(e, &QWidget::customContextMenuRequested, this, [this, e](const QPoint& at) {
            popupTarget_ = e;
            PopupMenu1->popup(e->mapToGlobal(at));
        });
}

PhoneTexts PhoneNumbersPage::texts() const {
    PhoneTexts t;
    for (size_t i = 0; i < edits_.size(); ++i) {
        const QString number = compacted(edits_[i]->displayText().replace(kBlank, u' '));
        t[i] = number.leftJustified(int(edits_[i]->displayText().size()), u' ');
    }
    return t;
}

int PhoneNumbersPage::language() const {
    return language_ ? language_() : 0;
}

void PhoneNumbersPage::showHint(const QString& text) {
    hint_->setText(text);
    hint_->setVisible(!text.isEmpty());
}

void PhoneNumbersPage::markUnsendable() {
    QStringList reasons;
    for (size_t i = 0; i < edits_.size(); ++i) {
        PhoneNumberEdit* e = edits_[i];
        const QString number = compacted(e->text());
        const bool lost = storedPart(number) != number;
        if (lost)
            reasons << message("phone.not_sendable", language())
                           .arg(int(i) + 1)
                           .arg(storedPart(number));
        e->setStyleSheet(lost ? QStringLiteral("background: #ffd0d0;") : QString());
        e->setToolTip(lost ? reasons.last() : QString());
    }
    if (!refusal_.isEmpty())
        reasons.prepend(refusal_);
    showHint(reasons.join(u'\n'));
}

void PhoneNumbersPage::read(ImageValues& v) const {
    const PhoneTexts t = texts();
    for (size_t i = 0; i < t.size(); ++i)
        v.phones.numbers[i] = t[i];
}

void PhoneNumbersPage::fill(const ImageValues& v) {
    for (size_t i = 0; i < edits_.size(); ++i)
        if (const auto& number = v.phones.numbers[i])
            edits_[i]->setText(*number);
    markUnsendable();
}
