#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>

// JPEG pictures (model pictures, flags, the edition logo) are decoded with
// libjpeg. A picture that cannot be read gives a null image.
QImage decodeJpeg(const QByteArray& data);
// Reads a file or a ":/" resource and decodes it.
QImage loadJpeg(const QString& path);

// Resource path of a language's flag picture (0 Hungarian, 1 English, 2 German,
// 3 Slovenian).
QString flagPicture(int language);

// Makes the pictures built into the program available as ":/pictures/...".
void initPictures();
