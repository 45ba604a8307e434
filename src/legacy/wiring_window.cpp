#include "legacy/wiring_window.h"
#include "ui/picture.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

TrajzGPS14::TrajzGPS14(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TrajzGPS14"));
    setWindowTitle(QStringLiteral("Bekötési rajz"));
    setModal(true);
    auto* v = new QVBoxLayout(this);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(QPixmap::fromImage(loadJpeg(QStringLiteral(":/pictures/model_gps.jpg"))));
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

bool TrajzGPS14::hasPicture() const {
    return !Image1->pixmap().isNull();
}
