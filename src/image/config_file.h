#pragma once
#include <QByteArray>
#include <array>
#include <optional>

// A configuration file (".dat"): the image bytes 0..N-1 as they stand, then the
// six installation texts in 128-byte records (customer name, installation
// address, GSM phone number, alarm panel type, communicator type, installation
// date). No header, no checksum, no model: the size alone tells N.
namespace ConfigFile {

inline constexpr int kTextCount = 6;
inline constexpr int kTextRecordSize = 128;
// A record starts with one reserved byte, so a text keeps at most 127 bytes.
inline constexpr int kTextCapacity = kTextRecordSize - 1;
inline constexpr int kTextsSize = kTextCount * kTextRecordSize;

using Texts = std::array<QByteArray, kTextCount>;

struct Content {
    QByteArray image; // N bytes
    Texts texts;      // single-byte text as stored, without the terminating zero
};

// Size of a whole file whose image part holds imageSize bytes.
constexpr int fileSize(int imageSize) {
    return imageSize + kTextsSize;
}

// One 128-byte record: a reserved zero, the text cut to 127 bytes, then zeros.
QByteArray textRecord(const QByteArray& text);
// The text of a record: the bytes after the reserved one up to the first zero.
QByteArray recordText(const QByteArray& record);

// The file's bytes. An empty text is stored as one space, as the configurator
// shows an empty installation field once it has been saved.
QByteArray build(const QByteArray& image, const Texts& texts);

// Splits a file made for an image of imageSize bytes; nothing when the size differs.
std::optional<Content> parse(const QByteArray& file, int imageSize);

} // namespace ConfigFile
