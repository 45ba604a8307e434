#include "workspace/sms_centre_window.h"

#include "engine/link_engine.h"
#include "i18n/messages.h"
#include "ui/widgets.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr int kHungarian = 0;

struct Preset {
    const char* objectName;
    const char* caption;
    const char* number;
};
// The SMS centres of the Hungarian networks.
constexpr Preset kPresets[] = {
    {"tmobileButton", "T-Mobile", "+36309888000"},
    {"telenorButton", "Telenor", "+36209300099"},
    {"vodafoneButton", "Vodafone", "+36709996500"},
};

QString hu(const char* key) {
    return message(key, kHungarian);
}
} // namespace

TSMSk::TSMSk(LinkEngine& engine, QWidget* parent)
    : QDialog(parent), engine_(engine), subscription_(engine, this) {
    setObjectName(QStringLiteral("TSMSk"));
    setWindowTitle(QStringLiteral("SMSk"));

    auto* grid = new QGridLayout(this);
    auto* label = new QLabel(QStringLiteral("SMS központ telefonszáma:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    label->setBuddy(Edit1);
    grid->addWidget(label, 0, 0);
    grid->addWidget(Edit1, 0, 1, 1, 2);

    int column = 0;
    for (const Preset& p : kPresets) {
        auto* b = new QPushButton(QString::fromUtf8(p.caption), this);
        b->setObjectName(QString::fromLatin1(p.objectName));
        const QString number = QString::fromLatin1(p.number);
        connect(b, &QPushButton::clicked, this, [this, number] { Edit1->setText(number); });
        grid->addWidget(b, 1, column++);
    }

    auto* set = new QPushButton(QStringLiteral("Beállítás / Újrainditás"), this);
    set->setObjectName(QStringLiteral("setButton"));
    connect(set, &QPushButton::clicked, this, &TSMSk::setClick);
    grid->addWidget(set, 2, 0, 1, 3);

    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName(QStringLiteral("statusLabel"));
    statusLabel_->setWordWrap(true);
    grid->addWidget(statusLabel_, 3, 0, 1, 3);

    auto* exit = new QPushButton(QStringLiteral("Kilépés"), this);
    exit->setObjectName(QStringLiteral("exitButton"));
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    grid->addWidget(exit, 4, 2);
}

void TSMSk::openWindow() {
    statusLabel_->clear();
    subscription_.setActive(true);
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void TSMSk::setClick() {
    if (Edit1->text().trimmed().isEmpty()) {
        showMessage(this, hu("sms_centre.no_number"));
        return;
    }
    if (engine_.refuseWhileWriting())
        return;
    subscription_.setActive(true);
    if (!engine_.startSmsCentre(Edit1->text())) {
        statusLabel_->clear();
        showMessage(this, hu("sms_centre.bad_number"));
        return;
    }
    statusLabel_->setText(hu("sms_centre.running"));
}

void TSMSk::modemOperationDone(int operation, const ModemResult& result) {
    if (operation != LinkCode::kSmsCentre)
        return;
    if (result.ok) {
        statusLabel_->setText(hu("sms_centre.done"));
        return;
    }
    QString text = hu("sms_centre.failed");
    if (result.reasonKey) {
        const QString why = hu(result.reasonKey);
        text += QStringLiteral(": ") + (result.detail.isEmpty() ? why : why.arg(result.detail));
    }
    statusLabel_->setText(text);
}

void TSMSk::done(int result) {
    subscription_.setActive(false);
    engine_.leaveModemMode();
    QDialog::done(result);
}
