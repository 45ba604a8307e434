#include "legacy/model30_codec.h"
#include "legacy/legacy_codes.h"

namespace Model30 {

namespace {
uint8_t at(const QByteArray& image, int address) {
    return static_cast<uint8_t>(image.at(address));
}

void put(QByteArray& image, int address, const QByteArray& bytes) {
    image.replace(address, bytes.size(), bytes);
}
} // namespace

int heartbeatItem(int seconds) {
    for (int item : {OneMinute, TenMinutes, OneHour})
        if (heartbeatSeconds(item) == seconds)
            return item;
    return ModulePeriod;
}

int heartbeatSeconds(int item) {
    static constexpr int kSeconds[] = {60, 600, 3600};
    return kSeconds[item];
}

Values decode(const QByteArray& image) {
    using namespace LegacyCodes;
    Values v;
    v.storedHeartbeat = at(image, 0) * 256 + at(image, 1);
    v.heartbeat = heartbeatItem(v.storedHeartbeat);
    const int format = at(image, 2);
    if (format < kFormats)
        v.format = format;
    v.automaticAccount = at(image, 3) == 1;
    v.account = decodeDigits(image.mid(kCodesAddress, kAccountLength));
    for (int k = 0; k < kEvents; ++k) {
        const int a = eventAddress(k);
        v.on[k] = eventOn(at(image, a), FlagRule::Below127);
        v.code[k] = decodeDigits(image.mid(a, kCodeLength));
    }
    return v;
}

QByteArray encode(const Values& values, const QByteArray& image) {
    using namespace LegacyCodes;
    QByteArray out = image;
    const Values was = decode(image);
    if (values.heartbeat && *values.heartbeat != ModulePeriod &&
        values.heartbeat != was.heartbeat) {
        const int s = heartbeatSeconds(*values.heartbeat);
        out[0] = static_cast<char>(s / 256);
        out[1] = static_cast<char>(s % 256);
    }
    if (values.format && values.format != was.format)
        out[2] = static_cast<char>(*values.format);
    if (values.automaticAccount != was.automaticAccount)
        out[3] = static_cast<char>(values.automaticAccount ? 1 : 0);
    if (values.account != was.account)
        put(out, kCodesAddress, encodeDigits(values.account, kAccountLength));
    for (int k = 0; k < kEvents; ++k) {
        if (!eventShown(k) || (values.code[k] == was.code[k] && values.on[k] == was.on[k]))
            continue;
        put(out, eventAddress(k), encodeEvent(values.code[k], kCodeLength, values.on[k]));
    }
    return out;
}

} // namespace Model30
