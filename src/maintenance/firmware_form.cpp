#include "maintenance/firmware_form.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

// Outside any namespace: the resource's initialiser is a global function. Only
// a maker's build compiles an image in; the stock tool has no such resource.
static QByteArray carriedText() {
#if ALVENTO_CARRIES_FIRMWARE
    Q_INIT_RESOURCE(firmware);
    QFile f(QStringLiteral(":/firmware/firmware.hex"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
#else
    return {};
#endif
}

TFirmware::TFirmware(QWidget* parent) : QWidget(parent), text_(carriedText()) {
    setObjectName(QStringLiteral("TFirmware"));
    if (carries())
        image_ = FirmwareImage::parse(text_);
    auto* v = new QVBoxLayout(this);
    Label1 = new QLabel(QString::fromLatin1(FirmwareImage::kShownVersion), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QString::number(FirmwareImage::kCarriedVersion), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    // The text stays with the form only as the bytes it was read from: laying
    // out six thousand lines in a control nobody sees would cost every start.
    firmwareMAKREL = new QPlainTextEdit(this);
    firmwareMAKREL->setObjectName(QStringLiteral("firmwareMAKREL"));
    firmwareMAKREL->setReadOnly(true);
    firmwareMAKREL->hide();
    v->addWidget(Label1);
    v->addWidget(Label2);
    v->addWidget(firmwareMAKREL);
}
