#include "legacy/wiring_window.h"
#include "settings/data_dir.h"
#include "ui/maker_document.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

TrajzGPS14::TrajzGPS14(QWidget* parent)
    : QDialog(parent),
      picturePath(dataPath(QString::fromLatin1(MakerDocument::kGpsWiringDiagram))) {
    setObjectName(QStringLiteral("TrajzGPS14"));
    setWindowTitle(QStringLiteral("Bekötési rajz"));
    setModal(true);
    auto* v = new QVBoxLayout(this);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setWordWrap(true);
    Image1->setMinimumSize(480, 240);
    v->addWidget(Image1, 1);
    auto* buttons = new QHBoxLayout;
    auto* exit = new QPushButton(QStringLiteral("Kilépés"), this);
    exit->setObjectName(QStringLiteral("exitButton"));
    exit->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(exit);
    v->addLayout(buttons);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
}

void TrajzGPS14::showDiagram() {
    // The maker's drawing, looked for at each opening.
    const QPixmap picture = MakerDocument::picture(picturePath);
    if (picture.isNull())
        Image1->setText(MakerDocument::missingText(picturePath, 0));
    else
        Image1->setPixmap(picture);
    open();
}

bool TrajzGPS14::hasPicture() const {
    return !Image1->pixmap().isNull();
}
