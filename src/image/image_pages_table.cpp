// The fields that are one value in bytes of their own, walked from the field
// table: plain numbers (as stored, even outside the spin's range), SMS texts,
// lists of phone numbers, Contact ID codes and ASCII texts.
#include "image/field_table.h"
#include "image/image_fields.h"

namespace ImageFields {
namespace {

using FieldTable::Encoding;

template <class T> std::optional<T>& slot(const FieldTable::Field& f, ImageValues& values) {
    return *std::get<std::optional<T>*>(FieldTable::slotOf(f, values));
}
template <class T>
const std::optional<T>& slot(const FieldTable::Field& f, const ImageValues& values) {
    return slot<T>(f, const_cast<ImageValues&>(values));
}

// Calls f(field) for every row of this encoding that the model carries.
template <class F> void each(Encoding encoding, const ImageContext& context, F f) {
    for (const FieldTable::Field& field : FieldTable::fields())
        if (field.encoding == encoding && FieldTable::carriedBy(field.carried, context.modelCode))
            f(field);
}

int width(const FieldTable::Field& f) {
    return f.last - f.first + 1;
}

} // namespace

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
        *std::get<std::optional<int>*>(FieldTable::slotOf(f, values)) = stored;
    }
}

void encodeTableBits(ConfigImage& image, const ImageValues& values, int address, uint8_t zeroBits) {
    bool any = false;
    uint8_t byte = image[address];
    for (const FieldTable::Field& f : FieldTable::fields()) {
        if (f.bit < 0 || f.first != address)
            continue;
        const auto& on = slot<bool>(f, values);
        if (!on)
            continue;
        any = true;
        const auto mask = static_cast<uint8_t>(1u << f.bit);
        byte = static_cast<uint8_t>(*on != f.setWhenOff ? byte | mask : byte & ~mask);
    }
    if (any)
        image[address] = static_cast<uint8_t>(byte & ~zeroBits);
}

void decodeTableBits(const ConfigImage& image, ImageValues& values) {
    for (const FieldTable::Field& f : FieldTable::fields())
        if (f.bit >= 0)
            slot<bool>(f, values) = bitSet(image[f.first], f.bit) != f.setWhenOff;
}

void encodeTexts(ConfigImage& image, const ImageValues& values, const ImageContext& context) {
    each(Encoding::ImageText, context, [&](const FieldTable::Field& f) {
        writeText(image, f.first, slot<QString>(f, values), width(f));
    });
}

void decodeTexts(ConfigImage& image, ImageValues& values, const ImageContext& context) {
    each(Encoding::ImageText, context, [&](const FieldTable::Field& f) {
        slot<QString>(f, values) = readImageText(image, f.first, width(f));
    });
}

void encodeTargetLists(ConfigImage& image, const ImageValues& values, const ImageContext& context,
                       uint8_t selectable) {
    each(Encoding::TargetMask, context, [&](const FieldTable::Field& f) {
        if (const auto& targets = slot<TargetList>(f, values))
            image[f.first] = static_cast<uint8_t>(packTargetMask(*targets) &
                                                  (f.keepsEveryNumber ? 0xFF : selectable));
    });
}

void decodeTargetLists(const ConfigImage& image, ImageValues& values, const ImageContext& context) {
    each(Encoding::TargetMask, context, [&](const FieldTable::Field& f) {
        slot<TargetList>(f, values) = unpackTargetMask(image[f.first]);
    });
}

void encodeCodesAndAscii(ConfigImage& image, const ImageValues& values,
                         const ImageContext& context) {
    each(Encoding::DigitCode, context, [&](const FieldTable::Field& f) {
        if (const auto& code = slot<QString>(f, values))
            writeDigitCodes(image, f.first, width(f), *code);
    });
    each(Encoding::AsciiText, context, [&](const FieldTable::Field& f) {
        if (const auto& text = slot<QString>(f, values))
            writeAsciiField(image, f.first, width(f), *text);
    });
    each(Encoding::AsciiCode, context, [&](const FieldTable::Field& f) {
        if (const auto& code = slot<QString>(f, values); code && code->size() == width(f))
            writeAsciiField(image, f.first, width(f), *code);
    });
}

void decodeCodesAndAscii(const ConfigImage& image, ImageValues& values,
                         const ImageContext& context) {
    each(Encoding::DigitCode, context, [&](const FieldTable::Field& f) {
        slot<QString>(f, values) = readDigitCodes(image, f.first, width(f));
    });
    each(Encoding::AsciiText, context, [&](const FieldTable::Field& f) {
        slot<QString>(f, values) = readAsciiField(image, f.first, width(f));
    });
    each(Encoding::AsciiCode, context, [&](const FieldTable::Field& f) {
        QString code;
        for (int a = f.first; a <= f.last; ++a)
            code += QChar(image[a]);
        slot<QString>(f, values) = code;
    });
}

} // namespace ImageFields
