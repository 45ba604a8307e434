#include "auxiliary/contact_window.h"

#include "image/file_access.h"
#include "image/file_text.h"
#include "ui/widgets.h"

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// A few lines of the maker's or the installer's contacts; a box of text.
constexpr int kMaxContactFileSize = 64 * 1024;
} // namespace

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
    // A missing or unreadable file leaves the box empty, without a word; a
    // folder, device or pipe of that name, or a file too long to be a
    // contact note, is named in the box instead of read.
    const QString path = QDir(startDirectory()).filePath(QStringLiteral("contact.txt"));
    const FileAccess::ReadResult read = FileAccess::readAtMost(path, kMaxContactFileSize + 1);
    if (read.error.problem == FileAccess::Problem::NotAFile ||
        read.bytes.size() > kMaxContactFileSize) {
        Memo1->setPlainText(QStringLiteral("contact.txt: %1")
                                .arg(read.error ? FileAccess::errorText(read.error)
                                                : QStringLiteral("longer than %1 bytes, not shown")
                                                      .arg(kMaxContactFileSize)));
    } else if (!read.error) {
        QString text = fromForeignText(read.bytes);
        if (text.endsWith(u'\n'))
            text.chop(1);
        Memo1->setPlainText(text);
    }
    if (logo)
        Image1->setPixmap(logo());
}
