#pragma once
#include "engine/firmware_image.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;

// `TFirmware`: holds the firmware image a maker's build carries (the stock
// tool carries none). Created at start-up and never shown; the download
// window asks it for the image.
class TFirmware : public QWidget {
    Q_OBJECT
  public:
    explicit TFirmware(QWidget* parent = nullptr);

    // Whether this build carries an image at all.
    bool carries() const { return !text_.isEmpty(); }
    // The carried image, parsed once; a malformed one holds its fault.
    const FirmwareImage::Parsed& image() const { return image_; }
    // The image text as carried (the hex digits and line ends).
    const QByteArray& text() const { return text_; }

  private:
    QByteArray text_;
    FirmwareImage::Parsed image_;
    QPlainTextEdit* firmwareMAKREL;
    QLabel* Label1; // shown version
    QLabel* Label2; // the version number compared with the module's
};
