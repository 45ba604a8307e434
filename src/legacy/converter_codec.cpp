#include "legacy/converter_codec.h"
#include "legacy/legacy_codes.h"

#include <algorithm>

namespace Converter {

namespace {
constexpr std::array<int, 3> kListAddresses = {kExternalAddress, kBackupAddress, kLineSimAddress};

uint8_t at(const QByteArray& image, int address) {
    return static_cast<uint8_t>(image.at(address));
}
} // namespace

Values decode(const QByteArray& image) {
    using namespace LegacyCodes;
    Values v;
    for (size_t i = 0; i < kEventAddresses.size(); ++i) {
        const int a = kEventAddresses[i];
        v.on[i] = eventOn(at(image, a), FlagRule::Bit7Clear);
        v.code[i] = decodeDigits(image.mid(a, kCodeLength));
    }
    v.account = decodeDigits(image.mid(kAccountAddress, kAccountLength));
    for (size_t i = 0; i < kListAddresses.size(); ++i) {
        const int item = at(image, kListAddresses[i]);
        if (item < kListSizes[i])
            v.lists[i] = item;
    }
    const int stored = at(image, kSensitivityAddress) + 256 * at(image, kSensitivityAddress + 1);
    v.sensitivity = std::clamp(stored, kSensitivityMin, kSensitivityMax);
    v.apn = textUntil(image, kApnAddress, kApnShown, kApnEnd);
    return v;
}

QByteArray encode(const Values& values, const QByteArray& image) {
    using namespace LegacyCodes;
    QByteArray out = image;
    const Values was = decode(image);
    for (size_t i = 0; i < kEventAddresses.size(); ++i) {
        if (values.code[i] == was.code[i] && values.on[i] == was.on[i])
            continue;
        out.replace(kEventAddresses[i], kCodeLength,
                    encodeEvent(values.code[i], kCodeLength, values.on[i]));
    }
    if (values.account != was.account)
        out.replace(kAccountAddress, kAccountLength, encodeDigits(values.account, kAccountLength));
    for (size_t i = 0; i < kListAddresses.size(); ++i)
        if (values.lists[i] && values.lists[i] != was.lists[i])
            out[kListAddresses[i]] = static_cast<char>(*values.lists[i]);
    if (values.sensitivity != was.sensitivity) {
        out[kSensitivityAddress] = static_cast<char>(values.sensitivity % 256);
        out[kSensitivityAddress + 1] = static_cast<char>(values.sensitivity / 256);
    }
    if (values.apn != was.apn) {
        const QByteArray text = values.apn.left(kApnChars).toLatin1();
        out.replace(kApnAddress, text.size(), text);
        out[kApnAddress + text.size()] = static_cast<char>(kApnEnd);
    }
    return out;
}

} // namespace Converter
