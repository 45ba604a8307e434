#pragma once
// The firmware image the tool carries, as hexadecimal text: two digits per
// byte, most significant first, in lines of any length (a byte's digits may
// lie on two lines).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace FirmwareImage {

// Bytes of a module firmware: the FPGA image has one fixed size.
inline constexpr int kImageBytes = 131056;
// The download always sends 512 blocks of 256 bytes; past the image they are zeros.
inline constexpr int kBlockSize = 256;
inline constexpr int kBlocks = 512;
// Version of the carried firmware, compared with the module's software
// version byte, and the version it is shown as.
inline constexpr int kCarriedVersion = 43;
inline constexpr const char* kShownVersion = "4.3.6";
// The carried image is for this processor only ("J10").
inline constexpr int kProcessor = 10;

struct Parsed {
    QByteArray bytes;
    QString error; // empty: the text is a whole firmware image
    bool ok() const { return error.isEmpty(); }
};

// Control characters (line ends) are skipped; every other character must be
// a hexadecimal digit, their number even, and the bytes exactly kImageBytes.
// A text that fails any of these gets a message saying what is wrong and no
// bytes, so nothing of it is ever sent.
Parsed parse(QByteArrayView text, int expectedBytes = kImageBytes);

} // namespace FirmwareImage
