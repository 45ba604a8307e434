#pragma once
#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

// The GPRS-to-Contact ID converter (ModelCode 50): its settings block as the
// window reads it (0 ... 252) and writes it back (0 ... 199).
namespace Converter {

inline constexpr int kReadSize = 253;
inline constexpr int kWriteSize = 200;
inline constexpr int kCodeLength = 11;
inline constexpr int kAccountAddress = 106;
inline constexpr int kAccountLength = 4;
inline constexpr int kExternalAddress = 110; // "Külső kommunikáció"
inline constexpr int kBackupAddress = 111;   // "Tartalék ág"
inline constexpr int kLineSimAddress = 112;  // "Vonalszimulátor"
inline constexpr int kSensitivityAddress = 113;
inline constexpr int kApnAddress = 128;
// The APN field holds 32 characters and the carriage return that ends them;
// a module without the return shows all 33 bytes.
inline constexpr int kApnChars = 32;
inline constexpr int kApnShown = 33;
inline constexpr uint8_t kApnEnd = 13;
inline constexpr int kSensitivityMin = 1;
inline constexpr int kSensitivityMax = 5000;
inline constexpr int kSensitivityReset = 510;

// Module disconnect, server disconnect, server restore.
inline constexpr std::array<int, 3> kEventAddresses = {0, 22, 33};
inline constexpr std::array<int, 3> kListSizes = {3, 3, 2}; // external, backup, line simulator

struct Values {
    std::array<bool, 3> on{};
    std::array<QString, 3> code;
    QString account;
    // External communication, backup path, line simulator; none: no item.
    std::array<std::optional<int>, 3> lists;
    int sensitivity = kSensitivityReset;
    QString apn;
};

// What the window shows for the block read (a sensitivity outside 1 ... 5000
// shows as the nearest end of the range).
Values decode(const QByteArray& image);
// The block with the form's values in it; a value that still reads as it was
// decoded leaves its bytes as they are. The APN must fit its 32 characters
// when it has changed.
QByteArray encode(const Values& values, const QByteArray& image);

} // namespace Converter
