#include "workspace/balance_window.h"

#include "engine/link_engine.h"
#include "i18n/messages.h"
#include "ui/widgets.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kHungarian = 0;

QString hu(const char* key) {
    return message(key, kHungarian);
}
} // namespace

TMESS1::TMESS1(LinkEngine& engine, QWidget* parent)
    : QDialog(parent), engine_(engine), subscription_(engine, this) {
    setObjectName(QStringLiteral("TMESS1"));
    setWindowTitle(QStringLiteral("Ingyenes Egyenleg lekérdezés (csak T-mobile!)"));

    auto* column = new QVBoxLayout(this);
    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setAutoFillBackground(true);
    Panel1->setMinimumHeight(32);
    column->addWidget(Panel1);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setAccessibleName(QStringLiteral("Egyenleg"));
    column->addWidget(Memo1, 1);

    auto* exit = new QPushButton(QStringLiteral("Kilépés"), this);
    exit->setObjectName(QStringLiteral("exitButton"));
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    column->addWidget(exit, 0, Qt::AlignRight);
    resize(420, 260);
}

void TMESS1::openAndQuery() {
    Memo1->clear();
    setBackground(Panel1, Qt::red);
    Panel1->setText(hu("balance.running"));
    subscription_.setActive(true);
    engine_.startBalanceQuery();
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void TMESS1::modemOperationDone(int operation, const ModemResult& result) {
    if (operation != LinkCode::kBalanceQuery)
        return;
    if (result.ok) {
        Panel1->setText(hu("balance.done"));
        Memo1->setPlainText(result.text);
        setBackground(Panel1, Qt::green);
        return;
    }
    // The panel stays red: no balance was received.
    Panel1->setText(hu("balance.failed"));
    if (result.reasonKey) {
        const QString why = hu(result.reasonKey);
        Memo1->setPlainText(result.detail.isEmpty() ? why : why.arg(result.detail));
    }
}

void TMESS1::done(int result) {
    subscription_.setActive(false);
    engine_.leaveModemMode();
    QDialog::done(result);
}
