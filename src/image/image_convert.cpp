#include "image/image_convert.h"

#include "image/image_codecs.h"

namespace {
using namespace ImageAddress;

int phoneSlot(int index) {
    return kPhoneNumbers + kPhoneSlotSize * index;
}

// ---- Encode steps, in the order they must run ----

void encodeSecurityCode(ConfigImage& image, const OtherPageValues& other) {
    if (!other.securityCode || other.securityCode->size() != 4)
        return;
    writeAsciiField(image, kSecurityCode, 4, *other.securityCode);
}

// The speed and lift records and the reserved records are rebuilt from nothing
// each time, so no stale bits survive in the positions a model does not use.
void clearRecordArea(ConfigImage& image) {
    image.fill(0, kZeroedRecords, kZeroedRecordsEnd - kZeroedRecords + 1);
}

void encodeInputRecords(ConfigImage&, const InputPageValues&, const OpenCloseValues&,
                        uint8_t /*selectable*/) {}
void encodeOutputsAndLifeSignal(ConfigImage&, const OutputValues&, const LifeSignalValues&) {}
void encodeSmsTexts(ConfigImage&, const InputPageValues&, const LifeSignalValues&,
                    const OtherPageValues&, const OpenCloseValues&) {}
void encodeSingleByteSettings(ConfigImage&, const ImageValues&) {}

void encodePhoneNumbers(ConfigImage& image, const PhoneNumberValues& phones) {
    // In slot order: a full number's terminator spills into the next slot, which
    // the next number then overwrites (after slot 8, the edition tag does).
    for (int i = 0; i < 8; ++i)
        if (const auto& number = phones.numbers[static_cast<size_t>(i)])
            writePhoneNumber(image, phoneSlot(i), *number);
}

void encodePartitionsAndSmsHeader(ConfigImage&, const CodeRecordValues&, const OtherPageValues&,
                                  const ImageContext&) {}
void encodeContactIdCodeRecords(ConfigImage&, const CodeRecordValues&, const ImageContext&) {}
void encodeGprsTexts(ConfigImage&, const GprsValues&) {}
void encodeRemoteMonitoring(ConfigImage&, const RemoteMonitoringValues&) {}

// ---- Decode steps, in the order they must run ----

void decodePhoneNumbers(const ConfigImage& image, PhoneNumberValues& phones) {
    for (int i = 0; i < 8; ++i)
        phones.numbers[static_cast<size_t>(i)] = readPhoneNumber(image, phoneSlot(i));
}

void decodeInputPages(ConfigImage&, InputPageValues&, LifeSignalValues&) {}
void decodeOpenCloseTargets(const ConfigImage&, OpenCloseValues&) {}

void decodeOtherPage(ConfigImage& image, OtherPageValues& other) {
    QString code;
    for (int i = 0; i < 4; ++i)
        code += QChar(image[kSecurityCode + i]);
    other.securityCode = code;
}

// The module uses 120 and 121 as scratch; a configuration never carries them.
void clearScratchBytes(ConfigImage& image) {
    image[kClearedOnDecode] = 0;
    image[kClearedOnDecode + 1] = 0;
}

void decodeGprsTexts(ConfigImage&, GprsValues&) {}
void decodeOutputs(const ConfigImage&, OutputValues&) {}
void decodeOptionBits(const ConfigImage&, OtherPageValues&, OpenCloseValues&) {}
void decodeGps(const ConfigImage&, GpsValues&) {}
void decodeTestPeriod(const ConfigImage&, GprsValues&) {}
void decodeSmsHeader(ConfigImage&, OtherPageValues&, const ImageContext&) {}
void decodeGains(const ConfigImage&, LineValues&) {}
void decodeCodeRecords(const ConfigImage&, CodeRecordValues&, const ImageContext&) {}
void decodeRemoteMonitoring(const ConfigImage&, RemoteMonitoringValues&) {}
void decodeLevelsAndCycle(const ConfigImage&, LineValues&, RemoteMonitoringValues&) {}
} // namespace

void encodeImage(ConfigImage& image, const ImageValues& values, const ImageContext& context) {
    encodeSecurityCode(image, values.other);
    clearRecordArea(image);
    const uint8_t selectable = selectableTargets(values.phones, image);
    encodeInputRecords(image, values.inputs, values.openClose, selectable);
    encodeOutputsAndLifeSignal(image, values.outputs, values.lifeSignal);
    encodeSmsTexts(image, values.inputs, values.lifeSignal, values.other, values.openClose);
    encodeSingleByteSettings(image, values);
    encodePhoneNumbers(image, values.phones);
    writeEditionTag(image, context.company, context.brandCode);
    encodePartitionsAndSmsHeader(image, values.codeRecords, values.other, context);
    encodeContactIdCodeRecords(image, values.codeRecords, context);
    encodeGprsTexts(image, values.gprs);
    encodeRemoteMonitoring(image, values.remoteMonitoring);
}

DecodeResult decodeImage(ConfigImage& image, const ImageContext& context) {
    DecodeResult result;
    ImageValues& v = result.values;
    decodePhoneNumbers(image, v.phones);
    decodeInputPages(image, v.inputs, v.lifeSignal);
    decodeOpenCloseTargets(image, v.openClose);
    decodeOtherPage(image, v.other);
    clearScratchBytes(image);
    decodeGprsTexts(image, v.gprs);
    decodeOutputs(image, v.outputs);
    decodeOptionBits(image, v.other, v.openClose);
    decodeGps(image, v.gps);
    decodeTestPeriod(image, v.gprs);
    result.moduleVersion = image[kModuleVersion];
    result.statusText = moduleStatusText(result.moduleVersion, image[kBuildNumber]);
    decodeSmsHeader(image, v.other, context);
    decodeGains(image, v.line);
    decodeCodeRecords(image, v.codeRecords, context);
    decodeRemoteMonitoring(image, v.remoteMonitoring);
    decodeLevelsAndCycle(image, v.line, v.remoteMonitoring);
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
    return QStringLiteral("Sw: %1.%2.%3")
        .arg(moduleVersion / 10)
        .arg(moduleVersion % 10)
        .arg(build);
}
