// The firmware image's hex text parser: any bytes. A text it takes holds
// exactly the bytes asked for, and writing them back as hex text in lines of
// any length gives the same bytes; a text it refuses gives no bytes and says
// why. Taken or not agrees with a plain model of the rules.
//
// Input: byte 0 chooses the size asked for (1..64, so that whole images are
// found), the rest is the text.

#include "engine/firmware_image.h"
#include "fuzz_input.h"

namespace {
bool hexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const int expected = 1 + in.byte() % 64;
    const QByteArray text = in.bytes(size);

    const FirmwareImage::Parsed p = FirmwareImage::parse(text, expected);

    qsizetype digits = 0;
    bool allHex = true;
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20)
            continue;
        allHex = allHex && hexDigit(c);
        ++digits;
    }
    const bool whole = allHex && digits == 2 * expected;
    FUZZ_CHECK(p.ok() == whole);
    if (!p.ok()) {
        FUZZ_CHECK(p.bytes.isEmpty());
        for (int language = 0; language < 4; ++language)
            FUZZ_CHECK(!FirmwareImage::fault(p, language).isEmpty());
        return 0;
    }
    FUZZ_CHECK(p.bytes.size() == expected);
    // Written back in lines of the lengths the input's bytes give.
    const QByteArray hex = p.bytes.toHex().toUpper();
    QByteArray again;
    for (qsizetype i = 0, n = 1; i < hex.size(); i += n, n = 1 + (n * 7) % 51)
        again += hex.mid(i, n) + "\r\n";
    const FirmwareImage::Parsed q = FirmwareImage::parse(again, expected);
    FUZZ_CHECK(q.ok() && q.bytes == p.bytes);
    return 0;
}
