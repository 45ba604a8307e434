#include "image/image_convert.h"
#include "image/module_version.h"

#include "image/image_codecs.h"
#include "image/image_fields.h"

using namespace ImageFields;

namespace {
using namespace ImageAddress;

int phoneSlot(int index) {
    return kPhoneNumbers + kPhoneSlotSize * index;
}

// The two records 32..39 and the tail 52..63 are reserved and always go out as 0.
// The records in between are rebuilt from their pages field by field; a field
// left empty keeps what the module stored.
void clearReservedRecords(ConfigImage& image) {
    image.fill(0, 32, 8);
    image.fill(0, 52, kZeroedRecordsEnd - 52 + 1);
}

void encodePhoneNumbers(ConfigImage& image, const PhoneNumberValues& phones) {
    // In slot order: a full number's terminator spills into the next slot, which
    // the next number then overwrites (after slot 8, the edition tag does). A next
    // slot left as it was gets its first byte back.
    for (int i = 0; i < 8; ++i) {
        const auto& number = phones.numbers[static_cast<size_t>(i)];
        if (!number)
            continue;
        const int next = phoneSlot(i + 1);
        const uint8_t nextFirst = image[next];
        writePhoneNumber(image, phoneSlot(i), *number);
        if (i < 7 && !phones.numbers[static_cast<size_t>(i + 1)])
            image[next] = nextFirst;
    }
}

void decodePhoneNumbers(const ConfigImage& image, PhoneNumberValues& phones) {
    for (int i = 0; i < 8; ++i)
        phones.numbers[static_cast<size_t>(i)] = readPhoneNumber(image, phoneSlot(i));
}

// The module uses 120 and 121 as scratch; a configuration never carries them.
void clearScratchBytes(ConfigImage& image) {
    image[kClearedOnDecode] = 0;
    image[kClearedOnDecode + 1] = 0;
}
} // namespace

void encodeImage(ConfigImage& image, const ImageValues& values, const ImageContext& context) {
    encodeCodesAndAscii(image, values, context);
    clearReservedRecords(image);
    const uint8_t selectable = selectableTargets(values.phones, image);
    encodeRecordTypes(image, values);
    encodeTargetLists(image, values, context, selectable);
    encodeOptionBytes(image, values);
    encodeOutputs(image, values);
    encodeLifeSignal(image, values);
    encodeTexts(image, values, context);
    encodeOtherPageBytes(image, values);
    encodeSensorBytes(image, values);
    encodeReportingBytes(image, values);
    encodePlainValues(image, values, context);
    encodePowerAlarmVoltage(image, values);
    encodePhoneNumbers(image, values.phones);
    writeEditionTag(image, context.company, context.brandCode);
    encodePartitionRecords(image, values, context);
    encodeCodeRecords(image, values, context);
    encodeGprsTexts(image, values, context);
}

DecodeResult decodeImage(ConfigImage& image, const ImageContext& context) {
    DecodeResult result;
    ImageValues& v = result.values;
    decodePhoneNumbers(image, v.phones);
    decodeInputPages(image, v);
    decodeTexts(image, v, context);
    decodeTargetLists(image, v, context);
    decodeOtherPage(image, v);
    clearScratchBytes(image);
    decodeGprsTexts(image, v, context);
    decodeOutputs(image, v);
    decodeTableBits(image, v);
    decodeReportingBits(image, v);
    result.moduleVersion = image[kModuleVersion];
    result.statusText = moduleStatusText(result.moduleVersion, image[kBuildNumber]);
    decodeCodeRecords(image, v, context);
    decodeCodesAndAscii(image, v, context);
    decodeLevels(image, v);
    decodePlainValues(image, v, context);
    return result;
}

uint8_t selectableTargets(const PhoneNumberValues& phones, const ConfigImage& image) {
    uint8_t mask = 0;
    for (int i = 0; i < 8; ++i) {
        const auto& number = phones.numbers[static_cast<size_t>(i)];
        // The masked edit pads with spaces, so an unused slot begins with one.
        const bool filled =
            number ? !number->isEmpty() && number->front() != u' ' : image[phoneSlot(i)] != 0xFF;
        if (filled)
            mask |= static_cast<uint8_t>(1u << i);
    }
    return mask;
}

QString moduleStatusText(int moduleVersion, int buildByte) {
    const int build = buildByte == 255 ? 0 : buildByte;
    return versionPanelText(moduleVersion) + QStringLiteral(".%1").arg(build);
}
