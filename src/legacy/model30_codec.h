#pragma once
#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

// The GPRS Contact ID module (ModelCode 30): what its memory holds and how the
// form's values map to it. The image is the module's memory 0 ... 510 as the
// form last read or wrote it.
namespace Model30 {

inline constexpr int kImageSize = 511;
// Heartbeat (big-endian seconds), line-simulator format, account-code source.
inline constexpr int kSettingsAddress = 0;
inline constexpr int kSettingsBlock = 20;
inline constexpr int kSettingsWritten = 4;
// Account code, then 22 event codes of 11 digits each.
inline constexpr int kCodesAddress = 256;
inline constexpr int kCodesBlock = 255;
inline constexpr int kCodesWritten = 246;
inline constexpr int kAccountLength = 4;
inline constexpr int kEvents = 22;
inline constexpr int kCodeLength = 11;

constexpr int eventAddress(int k) {
    return kCodesAddress + kAccountLength + kCodeLength * k;
}
// Events 16 and 17 have no field; the module keeps what it holds.
constexpr bool eventShown(int k) {
    return k != 16 && k != 17;
}

// Items of the heartbeat list: 1 minute, 10 minutes, 1 hour; a stored period
// that none of them gives is ModulePeriod, an entry naming the period itself.
enum Heartbeat { OneMinute = 0, TenMinutes = 1, OneHour = 2, ModulePeriod = 3 };
// The list item whose period is stored, or ModulePeriod.
int heartbeatItem(int seconds);
// What the module is given for an item: 60, 600 or 3600 seconds.
int heartbeatSeconds(int item);

inline constexpr int kFormats = 4;

struct Values {
    std::optional<int> heartbeat; // list item; none or ModulePeriod: leave as stored
    int storedHeartbeat = 0;      // the period the module holds, in seconds
    std::optional<int> format;    // 0 ... 3; none: leave as stored
    bool automaticAccount = true;
    QString account;
    std::array<bool, kEvents> on{};
    std::array<QString, kEvents> code;
};

// What the form shows for an image.
Values decode(const QByteArray& image);
// The image with the form's values in it. A value that still reads as it was
// decoded from `image` leaves its bytes as they are, so decoding and encoding
// again gives back the same bytes; events 16 and 17 are never touched.
QByteArray encode(const Values& values, const QByteArray& image);

} // namespace Model30
