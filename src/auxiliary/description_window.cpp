#include "auxiliary/description_window.h"

#include "settings/data_dir.h"
#include "ui/maker_document.h"

#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

Tleiras::Tleiras(QWidget* parent)
    : QDialog(parent), manualPath(dataPath(QString::fromLatin1(MakerDocument::kInstallerManual))) {
    setObjectName(QStringLiteral("Tleiras"));
    setWindowTitle(QStringLiteral("leiras"));
    setModal(true);
    auto* column = new QVBoxLayout(this);
    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setAcceptRichText(false);
    column->addWidget(RichEdit1, 1);
    auto* close = new QPushButton(QStringLiteral("Kilépés"), this);
    close->setObjectName(QStringLiteral("BitBtn1"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    column->addWidget(close, 0, Qt::AlignRight);
    resize(760, 620);
}

void Tleiras::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    loadManual();
}

// Once the manual is in the box it stays, with whatever was typed into it;
// until then every opening looks for it again.
void Tleiras::loadManual() {
    if (loaded_)
        return;
    const QString manual = MakerDocument::text(manualPath);
    loaded_ = !manual.isNull();
    RichEdit1->setPlainText(loaded_ ? manual : MakerDocument::missingText(manualPath, language()));
}
