#pragma once
#include "image/config_image.h"
#include "image/field_table.h"
#include "image/image_convert.h"
#include "image/image_values.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// The configuration image as compare, verify and `alvento diff` list it: the
// fields of the field table (image/field_table.h) with their shown values.
// Values come from Decode (image_convert.h). Compare lists every field whose
// shown value differs and the differing bytes outside every field; verify
// names the fields whose bytes did not reach the module.
namespace FieldMap {

using Carried = FieldTable::Carried;

struct Field {
    QString page;     // the tab caption ("Be1", "Telefonszámok", ...)
    QString name;     // the control's caption
    int first = 0;    // image bytes first..last hold it (with other fields'
    int last = 0;     // bits where a byte is shared)
    QString encoding; // "InputRecord type", "TargetMask", "ImageText 32", ...
    Carried carried = Carried::All;
    // The value as the page shows it; empty where the control would show no
    // selection.
    std::function<std::optional<QString>(const ImageValues&)> show;
};

// Every field, page by page in tab order.
const std::vector<Field>& fields();
bool carriedBy(const Field& field, int modelCode);

// A decoded image: its values, keeping the bytes for fields that show nothing.
struct Decoded {
    ConfigImage image;
    ImageValues values;
    int moduleVersion = 0;
};
Decoded decode(const ConfigImage& image, int modelCode);

// The field's value text; where the control would show nothing, the stored
// bytes in hex, so two different unshowable values still differ.
QString valueText(const Field& field, const Decoded& decoded);

struct FieldDifference {
    QString page;
    QString name;
    QString left;
    QString right;
    int first = 0;
    int last = 0;
};

// The fields of a module of this model whose values differ between two images,
// in table order.
// Only the first `carriedBytes` bytes are in both (a configuration file of
// ModelCodes 70..90 carries 1024): a field that lies beyond them is not compared.
std::vector<FieldDifference> diff(const ConfigImage& left, const ConfigImage& right, int modelCode,
                                  int carriedBytes = ConfigImage::kSize);

// A byte that differs outside every field of the model.
struct ByteDifference {
    int address = 0;
    uint8_t left = 0;
    uint8_t right = 0;
};

// The bytes below `carriedBytes` that differ between two images and that no
// field of this model holds, so that nothing that differs goes unshown.
std::vector<ByteDifference> otherBytes(const ConfigImage& left, const ConfigImage& right,
                                       int modelCode, int carriedBytes = ConfigImage::kSize);

// "page / name" of the fields that hold this byte on this model; empty for a
// byte no field holds.
QStringList fieldsAt(int address, int modelCode);

// "page / caption", the caption without a closing colon.
QString label(const QString& page, const QString& name);

// One line of a difference, as the command line prints it.
QString line(const FieldDifference& d);
QString line(const ByteDifference& d);
// A byte's value as compare shows it: two hex digits.
QString byteText(uint8_t value);

// The model a configuration file was saved from: its size tells ModelCode 100;
// otherwise the module's own byte 255, or `fallback` where that holds no model
// of the configurator.
int modelOfFile(const ConfigImage& image, int imageSize, int fallback);

} // namespace FieldMap
