#include "workspace/pages/phone_page.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

namespace {
// First position a digit, '+' or '-', then fifteen optional digits; '_' marks
// a blank position on screen.
constexpr char kPhoneMask[] = "#999999999999999;_";
constexpr QChar kBlank = u'_';

QLineEdit* phoneEdit(int number, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("MaskEdit%1").arg(number));
    edit->setInputMask(QString::fromLatin1(kPhoneMask));
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(18, u'0')) + 12);
    edit->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    return edit;
}
} // namespace

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
        edits_[size_t(i)] = phoneEdit(i + 1, parent);
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
    grid->setRowStretch(2, 1);

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
    for (size_t i = 0; i < edits_.size(); ++i)
        t[i] = edits_[i]->displayText().replace(kBlank, u' ');
    return t;
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
}
