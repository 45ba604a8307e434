#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>

// JPEG pictures (model pictures, flags, the edition logo) are decoded with
// libjpeg. A picture that cannot be read gives a null image.
QImage decodeJpeg(const QByteArray& data);
// Reads a file or a ":/" resource and decodes it.
QImage loadJpeg(const QString& path);
