#pragma once
#include "image/config_image.h"
#include "image/image_values.h"

#include <QString>

// What the conversions need to know about the module and the edition.
struct ImageContext {
    int modelCode = 70;
    int brandCode = 40;
    QString company; // the settings value "company"
};

// Writes the values into the image in the module's field order. Besides the given
// fields it always clears the reserved records 32..39 and 52..63, stores 7 at 102,
// 111 and 112 and writes the edition tag at 384. Where fields of two pages share
// bytes, each model carries only one of them (image_values.h).
void encodeImage(ConfigImage& image, const ImageValues& values, const ImageContext& context);

struct DecodeResult {
    ImageValues values;
    int moduleVersion = 0; // software version x 10, from byte 254
    QString statusText;    // "Sw: 4.3.<build>"
};

// Reads the image into values. It also changes the image: 120 and 121 are cleared
// and the replaced letters of every text read are mapped back.
DecodeResult decodeImage(ConfigImage& image, const ImageContext& context);

// Targets whose phone number is filled; the others cannot be selected in any list.
// A slot left as it was counts as filled when its stored number is.
uint8_t selectableTargets(const PhoneNumberValues& phones, const ConfigImage& image);

// "Sw: " + version div 10 + "." + version mod 10 + "." + build; a build byte of 255 shows 0.
QString moduleStatusText(int moduleVersion, int buildByte);
