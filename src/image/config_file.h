#pragma once
#include <QByteArray>
#include <QString>
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

// Image parts of the two kinds of file: ModelCodes 70..90 and ModelCode 100.
inline constexpr int kShortImageSize = 1024;
inline constexpr int kFullImageSize = 8192;

using Texts = std::array<QByteArray, kTextCount>;
// The same texts as the installation panel shows them.
using InstallationTexts = std::array<QString, kTextCount>;

struct Content {
    QByteArray image; // N bytes
    Texts texts;      // single-byte text as stored, without the terminating zero
};

// Size of a whole file whose image part holds imageSize bytes.
constexpr int fileSize(int imageSize) {
    return imageSize + kTextsSize;
}
// The largest file of either kind; reading one more byte tells a longer file.
inline constexpr int kLargestFileSize = kFullImageSize + kTextsSize;

// One 128-byte record: a reserved zero, the text cut to 127 bytes, then zeros.
QByteArray textRecord(const QByteArray& text);
// The text of a record: the bytes after the reserved one up to the first zero.
QByteArray recordText(const QByteArray& record);

// The file's bytes. An empty text is stored as one space, as the configurator
// shows an empty installation field once it has been saved.
QByteArray build(const QByteArray& image, const Texts& texts);

// Splits a file made for an image of imageSize bytes; nothing when the size differs.
std::optional<Content> parse(const QByteArray& file, int imageSize);

// How a file of fileSize bytes stands to a module whose files hold imageSize
// image bytes.
enum class Fit {
    Exact,      // made for this module's kind
    OtherModel, // exactly the size of the other kind of file
    Short,      // shorter than expected (an empty or cut-off file)
    Long,       // longer than expected and not the other kind either
};
Fit fitOf(qsizetype fileSize, int imageSize);

// The image size a file of this size was made for, if it is one of the two.
std::optional<int> imageSizeOfFile(qsizetype fileSize);

// The texts are single-byte code page 1250 in the file, the module's character
// set. Characters the page lacks are stored as '?'; a text longer than a
// record holds keeps its first 127 characters.
Texts textsToBytes(const InstallationTexts& texts);
// Every byte value has a character, so reading and saving again keeps the bytes.
InstallationTexts textsFromBytes(const Texts& texts);

} // namespace ConfigFile
