#pragma once
// Helpers shared by the page-group conversions; not for use outside src/image.
#include "image/config_image.h"
#include "image/image_convert.h"
#include "image/image_values.h"

#include <cstdint>
#include <initializer_list>
#include <optional>

namespace ImageFields {

inline constexpr uint8_t kEnd = 0xFF;
inline constexpr int kCodeRecordModel = 100;

// ModelCode 100 keeps other fields than models 70..90 at three shared places:
// 640..711 hold its access-point text (not the speed and lift texts), 896 its SMS
// header (not the opening text) and 1024..1535 its partition records (not the
// remote-monitoring codes and receiver numbers).
inline bool isCodeRecordModel(const ImageContext& context) {
    return context.modelCode == kCodeRecordModel;
}

// Some bits of one byte, already in position; an empty value keeps the stored bits.
struct BitField {
    uint8_t mask = 0;
    std::optional<uint8_t> value;
};

inline BitField flag(int bit, const std::optional<bool>& on) {
    const auto mask = static_cast<uint8_t>(1u << bit);
    if (!on)
        return {mask, std::nullopt};
    return {mask, static_cast<uint8_t>(*on ? mask : 0)};
}

inline bool bitSet(uint8_t byte, int bit) {
    return ((byte >> bit) & 1u) != 0;
}

// Writes a byte shared by several fields when at least one of them is given: the
// given fields set their bits, the empty ones keep theirs, and `zeroBits` (bits no
// field owns that the byte always carries as 0) are cleared.
inline void composeByte(ConfigImage& image, int address, std::initializer_list<BitField> fields,
                        uint8_t zeroBits = 0) {
    bool any = false;
    uint8_t byte = image[address];
    for (const BitField& f : fields) {
        if (!f.value)
            continue;
        any = true;
        byte = static_cast<uint8_t>((byte & ~f.mask) | (*f.value & f.mask));
    }
    if (any)
        image[address] = static_cast<uint8_t>(byte & ~zeroBits);
}

inline void writeByte(ConfigImage& image, int address, const std::optional<int>& value) {
    if (value)
        image[address] = static_cast<uint8_t>(*value & 0xFF);
}

inline void writeOptionalWord(ConfigImage& image, int address, const std::optional<int>& value) {
    if (value)
        writeWord(image, address, *value & 0xFFFF);
}

inline void writeText(ConfigImage& image, int address, const std::optional<QString>& text,
                      int limit = kSmsTextSize) {
    if (text)
        writeImageText(image, address, *text, limit);
}

// Index of `byte` in a value table, or empty.
template <size_t N>
std::optional<int> tableIndex(const std::array<uint8_t, N>& table, uint8_t byte) {
    for (size_t i = 0; i < N; ++i)
        if (table[i] == byte)
            return static_cast<int>(i);
    return std::nullopt;
}

// The item that stores `byte`, or the byte itself as a value no item stores.
template <size_t N> int tableValue(const std::array<uint8_t, N>& table, uint8_t byte) {
    return tableIndex(table, byte).value_or(unlistedValue(byte));
}

// Stores table[index], or the stored value of an unlisted one; an empty or
// out-of-table index keeps the stored byte.
template <size_t N>
void writeTableValue(ConfigImage& image, int address, const std::array<uint8_t, N>& table,
                     const std::optional<int>& index) {
    if (index && isUnlisted(*index))
        image[address] = static_cast<uint8_t>(unlistedStored(*index) & 0xFF);
    else if (index && *index >= 0 && *index < static_cast<int>(N))
        image[address] = table[static_cast<size_t>(*index)];
}

// ---- Encode steps (image_pages_inputs.cpp), in the order encodeImage runs them ----
void encodeRecordTypes(ConfigImage& image, const ImageValues& values);
void encodeOptionBytes(ConfigImage& image, const ImageValues& values);
void encodeOutputs(ConfigImage& image, const ImageValues& values);
void encodeLifeSignal(ConfigImage& image, const ImageValues& values);
void encodeOtherPageBytes(ConfigImage& image, const ImageValues& values);
void encodeSensorBytes(ConfigImage& image, const ImageValues& values);
void encodePowerAlarmVoltage(ConfigImage& image, const ImageValues& values);

// ---- The fields of the table that are one value in bytes of their own (image_pages_table.cpp)
// ----
void encodePlainValues(ConfigImage& image, const ImageValues& values, const ImageContext& context);
void decodePlainValues(const ConfigImage& image, ImageValues& values, const ImageContext& context);
void encodeTexts(ConfigImage& image, const ImageValues& values, const ImageContext& context);
// A list drops the numbers whose slot is empty (`selectable`) unless its row keeps them.
void encodeTargetLists(ConfigImage& image, const ImageValues& values, const ImageContext& context,
                       uint8_t selectable);
void decodeTargetLists(const ConfigImage& image, ImageValues& values, const ImageContext& context);
void encodeCodesAndAscii(ConfigImage& image, const ImageValues& values,
                         const ImageContext& context);
void decodeCodesAndAscii(const ConfigImage& image, ImageValues& values,
                         const ImageContext& context);
// Reading a text maps its replaced letters back in the image as well.
void decodeTexts(ConfigImage& image, ImageValues& values, const ImageContext& context);

// ---- Encode steps (image_pages_reporting.cpp) ----
void encodeReportingBytes(ConfigImage& image, const ImageValues& values);
void encodePartitionRecords(ConfigImage& image, const ImageValues& values,
                            const ImageContext& context);
void encodeCodeRecords(ConfigImage& image, const ImageValues& values, const ImageContext& context);
void encodeGprsTexts(ConfigImage& image, const ImageValues& values, const ImageContext& context);

// ---- Decode steps (image_pages_inputs.cpp) ----
void decodeInputPages(const ConfigImage& image, ImageValues& values);
void decodeOtherPage(ConfigImage& image, ImageValues& values);
void decodeOutputs(const ConfigImage& image, ImageValues& values);
// The switches that are one bit of a shared byte, walked from the field table:
// the rows of one byte are written together (`zeroBits` as composeByte's).
void encodeTableBits(ConfigImage& image, const ImageValues& values, int address,
                     uint8_t zeroBits = 0);
void decodeTableBits(const ConfigImage& image, ImageValues& values);

// ---- Decode steps (image_pages_reporting.cpp) ----
void decodeGprsTexts(const ConfigImage& image, ImageValues& values, const ImageContext& context);
void decodeReportingBits(const ConfigImage& image, ImageValues& values);
void decodeCodeRecords(const ConfigImage& image, ImageValues& values, const ImageContext& context);
void decodeLevels(const ConfigImage& image, ImageValues& values);

} // namespace ImageFields
