#pragma once
// A module firmware image as hexadecimal text: two digits per byte, most
// significant first, in lines of any length (a byte's digits may lie on two
// lines).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace FirmwareImage {

// Bytes of a module firmware: the FPGA image has one fixed size.
inline constexpr int kImageBytes = 131056;
// The download always sends 512 blocks of 256 bytes; past the image they are zeros.
inline constexpr int kBlockSize = 256;
inline constexpr int kBlocks = 512;
// Version of a firmware a maker's build carries, compared with the module's
// software version byte, and the version it is shown as.
inline constexpr int kCarriedVersion = 43;
inline constexpr const char* kShownVersion = "4.3.6";
// A module firmware is for this processor only ("J10").
inline constexpr int kProcessor = 10;
// Largest image file read. The image is 262,112 digits; even written one
// digit per line with CR LF it is 786,336 bytes. 1 MiB leaves room for blank
// lines, and anything larger cannot be an image and is refused unread.
inline constexpr qint64 kMaxFileBytes = 1024 * 1024;

enum class Fault {
    None,
    NotADigit, // a character other than a hexadecimal digit or a control character
    OddDigits, // the last byte has one digit
    WrongSize, // whole bytes, but not a firmware's number of them
};

struct Parsed {
    QByteArray bytes; // empty unless the text is a whole firmware image
    Fault fault = Fault::WrongSize;
    int line = 0;       // NotADigit: the line of the character, from 1
    char character = 0; // NotADigit: the character
    qint64 digits = 0;  // OddDigits, WrongSize: the hexadecimal digits counted
    int expectedBytes = kImageBytes;
    bool ok() const { return fault == Fault::None; }
};

// Control characters (line ends) are skipped; every other character must be
// a hexadecimal digit, their number even, and the bytes exactly
// expectedBytes. A text that fails any of these gets its fault and no bytes,
// so nothing of it is ever sent.
Parsed parse(QByteArrayView text, int expectedBytes = kImageBytes);

// What is wrong with a refused image, one sentence in the language (0
// Hungarian, 1 English, 2 German, 3 Slovenian); empty for a whole image.
QString fault(const Parsed& parsed, int language);

} // namespace FirmwareImage
