#include "auxiliary/wiring_diagram_window.h"

#include "settings/data_dir.h"
#include "ui/maker_document.h"
#include "ui/widgets.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kPictureWidth = 689;
constexpr int kPictureHeight = 457;
} // namespace

TAV4Form4::TAV4Form4(int brandCode, QWidget* parent)
    : QDialog(parent), picturePath(dataPath(QString::fromLatin1(MakerDocument::kWiringDiagram))),
      brandCode_(brandCode), timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("TAV4Form4"));
    setModal(true);
    auto* column = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    auto* sheet = new QWidget(pages_);
    sheet->setObjectName(QStringLiteral("TabSheet4"));
    const QString caption = brandCode == 40   ? QStringLiteral("Norvik")
                            : brandCode == 41 ? QStringLiteral("Telvaro")
                                              : QStringLiteral("Bekötési rajz");
    pages_->addTab(sheet, caption);
    auto* sheetColumn = new QVBoxLayout(sheet);
    Image1 = new QLabel(sheet);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(kPictureWidth, kPictureHeight);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setWordWrap(true);
    Image1->hide();
    sheetColumn->addWidget(Image1);
    column->addWidget(pages_);
    auto* close = new QPushButton(QStringLiteral("Kilépés"), this);
    close->setObjectName(QStringLiteral("BitBtn1"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    column->addWidget(close, 0, Qt::AlignRight);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    timer_->setSingleShot(true);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &TAV4Form4::applyModel);
}

void TAV4Form4::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    loadPicture();
    timer_->start();
}

// The maker's drawing, read at each opening so that one installed while the
// program runs is shown; in its place, where it belongs.
void TAV4Form4::loadPicture() {
    const QPixmap picture = MakerDocument::picture(picturePath);
    Image1->setScaledContents(!picture.isNull());
    if (picture.isNull())
        Image1->setText(MakerDocument::missingText(picturePath, language()));
    else
        Image1->setPixmap(picture);
}

bool TAV4Form4::hasPicture() const {
    return !Image1->pixmap().isNull();
}

void TAV4Form4::applyModel() {
    switch (modelCode()) {
    case 70:
        setWindowTitle(QStringLiteral("AV-4"));
        Image1->show();
        break;
    case 71:
        setWindowTitle(brandCode_ == 40   ? QStringLiteral("Norvik")
                       : brandCode_ == 41 ? QStringLiteral("Telvaro")
                                          : QStringLiteral("Kestrin"));
        Image1->show();
        break;
    case 80:
        setWindowTitle(QStringLiteral("AV-1"));
        Image1->hide();
        break;
    case 90:
        setWindowTitle(QStringLiteral("AV-GPS"));
        break;
    default:
        break;
    }
    // The picture changes the window's size: it stays in the middle.
    adjustSize();
    if (isVisible())
        centreOnScreen(this);
}
