// Inputs, outputs, life signal, "Egyéb", sensor and GPS pages.
#include "image/field_table.h"
#include "image/image_fields.h"

#include <cctype>
#include <functional>

namespace ImageFields {
namespace {

struct InputSlot {
    int record;
    bool reversedInvert; // bit 7 set when the box is not checked
    InputPageValues& (*page)(ImageValues&);
};

// In the order Encode writes the records and Decode reads the pages. The
// pages' SMS texts and lists are the field table's (image_pages_table.cpp).
// clang-format off
const std::array<InputSlot, 9> kInputSlots{{
    {8,  false, [](ImageValues& v) -> auto& { return v.inputs[0]; }},
    {12, false, [](ImageValues& v) -> auto& { return v.inputs[1]; }},
    {16, false, [](ImageValues& v) -> auto& { return v.inputs[2]; }},
    {20, false, [](ImageValues& v) -> auto& { return v.inputs[3]; }},
    {24, false, [](ImageValues& v) -> auto& { return v.speed.input; }},
    {28, false, [](ImageValues& v) -> auto& { return v.lift.input; }},
    {40, false, [](ImageValues& v) -> auto& { return v.tamper; }},
    {44, true,  [](ImageValues& v) -> auto& { return v.power.input; }},
    {48, false, [](ImageValues& v) -> auto& { return v.temperature.input; }},
}};
// clang-format on
constexpr size_t kTemperatureSlot = 8;

// The bits of the record's fourth byte that the page has option boxes for;
// the others are written as 0 and read as false.
uint8_t optionBits(const InputSlot& slot) {
    uint8_t bits = 0;
    for (const FieldTable::Field& f : FieldTable::fields()) {
        if (!f.option || f.first != slot.record + 3)
            continue;
        InputOptions one;
        one.*f.option = true;
        bits |= packInputOptions(one);
    }
    return bits;
}

const InputPageValues& page(const InputSlot& slot, const ImageValues& values) {
    return slot.page(const_cast<ImageValues&>(values));
}

// Byte 70 holds the period when the life signal is on, else 0.
void encodeOnOffValue(ConfigImage& image, int address, const std::optional<bool>& on,
                      const std::optional<int>& value, uint8_t offByte) {
    if (!on)
        return;
    if (!*on)
        image[address] = offByte;
    else if (value)
        image[address] = static_cast<uint8_t>(*value & 0xFF);
}

// A list value's stored form: the item's, or the unlisted value itself.
int storedOf(int value, const std::function<int(int)>& item) {
    return isUnlisted(value) ? unlistedStored(value) : item(value);
}

} // namespace

// ---------------------------------------------------------------- Encode

void encodeRecordTypes(ConfigImage& image, const ImageValues& values) {
    for (const InputSlot& slot : kInputSlots) {
        const InputPageValues& p = page(slot, values);
        std::optional<uint8_t> type;
        if (p.type && *p.type >= 0)
            type = static_cast<uint8_t>(storedOf(*p.type, [](int i) { return i; }) & 0x7F);
        std::optional<bool> bit7 = p.inverted;
        if (bit7 && slot.reversedInvert)
            bit7 = !*bit7;
        composeByte(image, slot.record, {{0x7F, type}, flag(7, bit7)});
    }
}

void encodeOptionBytes(ConfigImage& image, const ImageValues& values) {
    for (const InputSlot& slot : kInputSlots)
        if (const auto& options = page(slot, values).options)
            image[slot.record + 3] =
                static_cast<uint8_t>(packInputOptions(*options) & optionBits(slot));
}

void encodeOutputs(ConfigImage& image, const ImageValues& values) {
    for (int n = 0; n < 2; ++n) {
        const OutputValues& o = values.outputs[static_cast<size_t>(n)];
        const int address = n == 0 ? 64 : 67;
        std::optional<uint8_t> mode;
        if (o.mode)
            mode = static_cast<uint8_t>(
                storedOf(*o.mode, [](int i) { return i == 1   ? 0x01
                                                     : i == 2 ? 0x10
                                                              : 0x00; }) &
                0x11);
        // Output 2 has no "NINCS hívószámazonosítás"; its bit 3 is always 0.
        const bool first = n == 0;
        composeByte(image, address,
                    {{0x11, mode},
                     flag(1, o.onAlarm),
                     flag(2, o.onCallerId),
                     flag(3, first ? o.noCallerId : std::nullopt)},
                    first ? 0xE0 : 0xE8);
    }
}

void encodeLifeSignal(ConfigImage& image, const ImageValues& values) {
    const LifeSignalValues& l = values.lifeSignal;
    encodeOnOffValue(image, 70, l.enabled, l.periodDays, 0);
    if (l.hour) {
        const auto digits = encodeClockHour(*l.hour);
        image[71] = digits[0];
        image[72] = digits[1];
    }
    if (l.firstAfterDays)
        image[73] = static_cast<uint8_t>((*l.firstAfterDays + 1) & 0xFF);
}

void encodeOtherPageBytes(ConfigImage& image, const ImageValues& values) {
    const OtherPageValues& o = values.other;
    // Bits 5 and 7 belong to no field and always go out as 0.
    encodeTableBits(image, values, 76, 0xA0);
    std::optional<int> redirection;
    if (o.smsRedirection && !*o.smsRedirection)
        redirection = 255;
    else if (o.smsRedirection && o.smsRedirectionTarget && isUnlisted(*o.smsRedirectionTarget))
        redirection = unlistedStored(*o.smsRedirectionTarget);
    else if (o.smsRedirection && o.smsRedirectionTarget && *o.smsRedirectionTarget >= 0 &&
             *o.smsRedirectionTarget <= 7)
        redirection = o.smsRedirectionTarget;
    writeByte(image, 77, redirection);
    writeTableValue(image, 80, kInputFilterBytes, o.inputFilter);
}

void encodeSensorBytes(ConfigImage& image, const ImageValues& values) {
    encodeTableBits(image, values, 81);
    const TemperatureValues& t = values.temperature;
    encodeOnOffValue(image, 82, t.maxEnabled, t.maxValue, 255);
    encodeOnOffValue(image, 83, t.minEnabled, t.minValue, 255);
}

void encodePowerAlarmVoltage(ConfigImage& image, const ImageValues& values) {
    writeTableValue(image, 114, kPowerAlarmVoltageBytes, values.power.alarmVoltage);
}

// ---------------------------------------------------------------- Decode

namespace {
void decodeRecord(const ConfigImage& image, const InputSlot& slot, InputPageValues& p) {
    const uint8_t typeByte = image[slot.record];
    const int type = typeByte & 0x7F;
    p.type = type < kInputTypeCount ? type : unlistedValue(type);
    p.inverted = bitSet(typeByte, 7) != slot.reversedInvert;
    p.options = unpackInputOptions(static_cast<uint8_t>(image[slot.record + 3] & optionBits(slot)));
}

void decodeLifeSignal(const ConfigImage& image, LifeSignalValues& l) {
    l.enabled = image[70] != 0;
    l.periodDays = kLifeSignalDaysRange.limit(image[70]);
    // Two digits are the hour as stored, even past 23; other bytes are no
    // hour at all.
    const bool digits = std::isdigit(image[71]) && std::isdigit(image[72]);
    const int hour = decodeClockHour({image[71], image[72]});
    l.hour = digits ? hour : kClockHourRange.limit(hour);
}

void decodeLimit(uint8_t byte, std::optional<bool>& enabled, std::optional<int>& value) {
    enabled = byte != 255;
    value = *enabled ? byte : 0;
}
} // namespace

void decodeInputPages(const ConfigImage& image, ImageValues& values) {
    for (size_t i = 0; i < kTemperatureSlot; ++i)
        decodeRecord(image, kInputSlots[i], kInputSlots[i].page(values));
    decodeLifeSignal(image, values.lifeSignal);
    const InputSlot& temperature = kInputSlots[kTemperatureSlot];
    decodeRecord(image, temperature, temperature.page(values));
    decodeLimit(image[82], values.temperature.maxEnabled, values.temperature.maxValue);
    decodeLimit(image[83], values.temperature.minEnabled, values.temperature.minValue);
}

void decodeOtherPage(ConfigImage& image, ImageValues& values) {
    OtherPageValues& o = values.other;
    const uint8_t redirection = image[77];
    o.smsRedirection = redirection != 255;
    o.smsRedirectionTarget = redirection <= 7     ? std::optional<int>(redirection)
                             : redirection == 255 ? std::nullopt
                                                  : std::optional<int>(unlistedValue(redirection));
    o.inputFilter = tableValue(kInputFilterBytes, image[80]);
    values.power.alarmVoltage = tableValue(kPowerAlarmVoltageBytes, image[114]);
}

void decodeOutputs(const ConfigImage& image, ImageValues& values) {
    for (int n = 0; n < 2; ++n) {
        OutputValues& o = values.outputs[static_cast<size_t>(n)];
        const int address = n == 0 ? 64 : 67;
        const uint8_t byte = image[address];
        o.mode = bitSet(byte, 4) ? 2 : bitSet(byte, 0) ? 1 : 0;
        o.onAlarm = bitSet(byte, 1);
        o.onCallerId = bitSet(byte, 2);
        o.noCallerId = n == 0 ? std::optional<bool>(bitSet(byte, 3)) : std::nullopt;
    }
}

} // namespace ImageFields
