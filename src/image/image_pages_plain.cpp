// The plain numbers and the SMS texts of every page, walked from the field
// table: a byte or a 16-bit word stored as it is and limited to the spin's
// range when read, and an ImageText filling the row's bytes at most.
#include "image/field_table.h"
#include "image/image_fields.h"

namespace ImageFields {

void encodePlainValues(ConfigImage& image, const ImageValues& values, const ImageContext& context) {
    for (const FieldTable::Field& f : FieldTable::fields()) {
        if (!f.range || !FieldTable::carriedBy(f.carried, context.modelCode))
            continue;
        const auto& value =
            *std::get<std::optional<int>*>(FieldTable::slotOf(f, const_cast<ImageValues&>(values)));
        if (f.encoding == FieldTable::Encoding::Word)
            writeOptionalWord(image, f.first, value);
        else
            writeByte(image, f.first, value);
    }
}

void decodePlainValues(const ConfigImage& image, ImageValues& values, const ImageContext& context) {
    for (const FieldTable::Field& f : FieldTable::fields()) {
        if (!f.range || !FieldTable::carriedBy(f.carried, context.modelCode))
            continue;
        const int stored =
            f.encoding == FieldTable::Encoding::Word ? readWord(image, f.first) : image[f.first];
        *std::get<std::optional<int>*>(FieldTable::slotOf(f, values)) = f.range->limit(stored);
    }
}

void encodeTexts(ConfigImage& image, const ImageValues& values, const ImageContext& context) {
    for (const FieldTable::Field& f : FieldTable::fields()) {
        if (f.encoding != FieldTable::Encoding::ImageText ||
            !FieldTable::carriedBy(f.carried, context.modelCode))
            continue;
        writeText(image, f.first,
                  *std::get<std::optional<QString>*>(
                      FieldTable::slotOf(f, const_cast<ImageValues&>(values))),
                  f.last - f.first + 1);
    }
}

void decodeTexts(ConfigImage& image, ImageValues& values, const ImageContext& context) {
    for (const FieldTable::Field& f : FieldTable::fields()) {
        if (f.encoding != FieldTable::Encoding::ImageText ||
            !FieldTable::carriedBy(f.carried, context.modelCode))
            continue;
        *std::get<std::optional<QString>*>(FieldTable::slotOf(f, values)) =
            readImageText(image, f.first, f.last - f.first + 1);
    }
}

} // namespace ImageFields
