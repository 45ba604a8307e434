#pragma once
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

// The TREKKA GPS module (ModelCode 60): server address, port, APN and the
// G-sensor switch in its byte memory (0 ... 254), and the server address in
// the 64-byte record of its older firmware.
namespace Trekka {

inline constexpr int kImageSize = 255;
inline constexpr int kGSensorAddress = 15;
inline constexpr int kApnAddress = 128;
inline constexpr int kApnChars = 32;
inline constexpr int kIpAddress = 160;
inline constexpr int kIpChars = 15; // "nnn.nnn.nnn.nnn"
inline constexpr int kSlashAddress = 175;
inline constexpr int kPortAddress = 176;
inline constexpr int kPortChars = 5;
// Ends a text shorter than its field.
inline constexpr uint8_t kTextEnd = 255;

// The older firmware's record: high byte 98, low 0; the address in every
// second byte from offset 18.
inline constexpr uint8_t kRecordHigh = 98;
inline constexpr uint8_t kRecordLow = 0;
inline constexpr int kRecordIpOffset = 18;

struct Values {
    bool gSensorOff = false;
    QString ip;
    QString port;
    QString apn;
};

Values decode(const QByteArray& image);
// The memory with the form's values in it; a value that still reads as it was
// decoded leaves its bytes as they are. Changed values must have passed the
// checks below.
QByteArray encode(const Values& values, const QByteArray& image);

QString recordIp(const QByteArray& record);
QByteArray withRecordIp(const QByteArray& record, const QString& ip);

// Why a value cannot be sent, or an empty text. The length and dot checks
// apply to every send; the content checks to what the installer has changed.
QString ipProblem(const QString& ip, bool changed);
QString portProblem(const QString& port, bool changed);
QString apnProblem(const QString& apn, bool changed);

// The IP field takes digits and dots only.
bool ipCharacter(QChar c);

} // namespace Trekka
