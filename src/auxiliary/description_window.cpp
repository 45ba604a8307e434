#include "auxiliary/description_window.h"

#include <QFile>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

// The texts are compiled into a static library: registered before first use.
static void initTextResources() {
    Q_INIT_RESOURCE(texts);
}

QString installerManualText() {
    initTextResources();
    QFile f(QStringLiteral(":/texts/installer_manual_hu.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

Tleiras::Tleiras(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Tleiras"));
    setWindowTitle(QStringLiteral("leiras"));
    setModal(true);
    auto* column = new QVBoxLayout(this);
    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setAcceptRichText(false);
    RichEdit1->setPlainText(installerManualText());
    column->addWidget(RichEdit1, 1);
    auto* close = new QPushButton(QStringLiteral("Kilépés"), this);
    close->setObjectName(QStringLiteral("BitBtn1"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    column->addWidget(close, 0, Qt::AlignRight);
    resize(760, 620);
}
