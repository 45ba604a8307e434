#include "auxiliary/contact_window.h"

#include "image/file_text.h"
#include "ui/widgets.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TAV4Form8::TAV4Form8(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TAV4Form8"));
    setWindowTitle(QStringLiteral("Contact"));
    setModal(true);
    auto* column = new QVBoxLayout(this);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(641, 105);
    Image1->setScaledContents(true);
    column->addWidget(Image1);
    Memo1 = new QPlainTextEdit(QStringLiteral("Not contact"), this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    column->addWidget(Memo1, 1);
    auto* close = new QPushButton(QStringLiteral("Kilépés"), this);
    close->setObjectName(QStringLiteral("BitBtn1"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    column->addWidget(close, 0, Qt::AlignRight);
    resize(665, 360);
}

void TAV4Form8::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    activate();
}

void TAV4Form8::activate() {
    Memo1->clear();
    // A missing or unreadable file leaves the box empty, without a word.
    QFile f(QDir(startDirectory()).filePath(QStringLiteral("contact.txt")));
    if (f.open(QIODevice::ReadOnly)) {
        QString text = fromForeignText(f.readAll());
        if (text.endsWith(u'\n'))
            text.chop(1);
        Memo1->setPlainText(text);
    }
    if (logo)
        Image1->setPixmap(logo());
}
