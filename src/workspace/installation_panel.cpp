#include "workspace/installation_panel.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace {
struct Field {
    const char* edit;
    const char* label;
    const char* caption;
};
constexpr Field kFields[ConfigFile::kTextCount] = {
    {"Edit2", "Label58", "Ügyfél név:"},         {"Edit3", "Label59", "Telepítési cím:"},
    {"Edit4", "Label60", "GSM telefonszám:"},    {"Edit5", "Label61", "Riasztóközpont típusa:"},
    {"Edit6", "Label62", "GSM átjelző típusa:"}, {"Edit7", "Label63", "Telepítés dátuma:"},
};
} // namespace

Panel16::Panel16(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Panel16"));
    setFrameShape(QFrame::StyledPanel);
    auto* v = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (size_t i = 0; i < edits_.size(); ++i) {
        edits_[i] = new QLineEdit(this);
        edits_[i]->setObjectName(QString::fromLatin1(kFields[i].edit));
        edits_[i]->setMaxLength(kMaxLength);
        labels_[i] = new QLabel(QString::fromUtf8(kFields[i].caption), this);
        labels_[i]->setObjectName(QString::fromLatin1(kFields[i].label));
        labels_[i]->setBuddy(edits_[i]);
        form->addRow(labels_[i], edits_[i]);
    }
    v->addLayout(form);

    auto* buttons = new QHBoxLayout;
    BitBtn7 = new QPushButton(QStringLiteral("Mentés"), this);
    BitBtn7->setObjectName(QStringLiteral("BitBtn7"));
    BitBtn8 = new QPushButton(QStringLiteral("Megnyitás"), this);
    BitBtn8->setObjectName(QStringLiteral("BitBtn8"));
    buttons->addStretch(1);
    buttons->addWidget(BitBtn7);
    buttons->addWidget(BitBtn8);
    v->addLayout(buttons);
    connect(BitBtn7, &QPushButton::clicked, this, &Panel16::saveRequested);
    connect(BitBtn8, &QPushButton::clicked, this, &Panel16::openRequested);

    QList<QWidget*> order(edits_.begin(), edits_.end());
    order << BitBtn7 << BitBtn8;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

ConfigFile::InstallationTexts Panel16::texts() const {
    ConfigFile::InstallationTexts t;
    for (size_t i = 0; i < t.size(); ++i)
        t[i] = edits_[i]->text();
    return t;
}

void Panel16::setTexts(const ConfigFile::InstallationTexts& texts) {
    for (size_t i = 0; i < texts.size(); ++i)
        edits_[i]->setText(texts[i]);
}

void Panel16::fillEmptyTexts(const QString& modelText, const QString& dateTimeText) {
    if (edit(kCommunicatorType)->text().isEmpty())
        edit(kCommunicatorType)->setText(modelText);
    if (edit(kInstallationDate)->text().isEmpty())
        edit(kInstallationDate)->setText(dateTimeText);
}

void Panel16::showSpaceInEmptyTexts() {
    for (QLineEdit* e : edits_)
        if (e->text().isEmpty())
            e->setText(QStringLiteral(" "));
}

QString systemDateTimeText(const QDateTime& when, int language) {
    // The installer reads the date in the window's language, not the system's.
    static const QLocale kLocales[] = {
        QLocale(QLocale::Hungarian, QLocale::Hungary),
        QLocale(QLocale::English, QLocale::UnitedKingdom),
        QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::Slovenian, QLocale::Slovenia),
    };
    const QLocale locale = language >= 0 && language < 4 ? kLocales[language] : QLocale::system();
    // Qt's long time format names the zone ("t"); the program's never did.
    QString time = locale.timeFormat(QLocale::LongFormat);
    time.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    return locale.toString(when, locale.dateFormat(QLocale::ShortFormat) + u' ' + time.trimmed());
}
