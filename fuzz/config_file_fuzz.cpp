// The configuration-file parser: any bytes, read as a file for a 1024-byte
// image (ModelCodes 70 to 90) and for an 8192-byte one (ModelCode 100). The
// size check agrees with the parser; a file of the right size splits into its
// image and six texts; saving what was read and reading it again gives the
// same image and texts (an empty text comes back as the single space a save
// writes for it). The texts' code page is fuzzed with the SIM names file.

#include "fuzz_input.h"
#include "image/config_file.h"

namespace {
void checkParse(const QByteArray& file, int imageSize) {
    const auto content = ConfigFile::parse(file, imageSize);
    FUZZ_CHECK(content.has_value() == (file.size() == ConfigFile::fileSize(imageSize)));
    // The size check the file commands make agrees with the parser.
    const ConfigFile::Fit fit = ConfigFile::fitOf(file.size(), imageSize);
    FUZZ_CHECK((fit == ConfigFile::Fit::Exact) == content.has_value());
    const auto kind = ConfigFile::imageSizeOfFile(file.size());
    FUZZ_CHECK(kind.has_value() ==
               (fit == ConfigFile::Fit::Exact || fit == ConfigFile::Fit::OtherModel));
    if (fit == ConfigFile::Fit::Short)
        FUZZ_CHECK(file.size() < ConfigFile::fileSize(imageSize));
    if (fit == ConfigFile::Fit::Long)
        FUZZ_CHECK(file.size() > ConfigFile::fileSize(imageSize));
    if (!content)
        return;
    FUZZ_CHECK(content->image == file.left(imageSize));
    for (const QByteArray& text : content->texts) {
        FUZZ_CHECK(text.size() <= ConfigFile::kTextCapacity);
        FUZZ_CHECK(!text.contains('\0'));
    }
    const QByteArray saved = ConfigFile::build(content->image, content->texts);
    FUZZ_CHECK(saved.size() == file.size());
    const auto again = ConfigFile::parse(saved, imageSize);
    FUZZ_CHECK(again && again->image == content->image);
    for (int i = 0; i < ConfigFile::kTextCount; ++i) {
        const QByteArray& before = content->texts[static_cast<size_t>(i)];
        FUZZ_CHECK(again->texts[static_cast<size_t>(i)] == (before.isEmpty() ? " " : before));
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray raw(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkParse(raw, ConfigFile::kShortImageSize);
    checkParse(raw, ConfigFile::kFullImageSize);

    // Files of the sizes that parse, and one byte off, made from the input:
    // the first byte picks the size, the rest is repeated to fill it, so every
    // record boundary sees the fuzzer's bytes.
    FuzzInput in(data, size);
    const uint8_t shape = in.byte();
    const QByteArray body = in.bytes(size);
    if (!body.isEmpty()) {
        const int image = shape & 1 ? ConfigFile::kFullImageSize : ConfigFile::kShortImageSize;
        const int target = ConfigFile::fileSize(image) + (shape >> 1) % 3 - 1;
        QByteArray file;
        file.reserve(target);
        while (file.size() < target)
            file += body;
        file.truncate(target);
        checkParse(file, ConfigFile::kShortImageSize);
        checkParse(file, ConfigFile::kFullImageSize);
    }

    // One record on its own: the text is what follows the reserved byte up to
    // the first zero, and storing that text gives the same text back.
    const QByteArray record = raw.left(ConfigFile::kTextRecordSize);
    const QByteArray text = ConfigFile::recordText(record);
    FUZZ_CHECK(text.size() <= ConfigFile::kTextCapacity && !text.contains('\0'));
    const QByteArray stored = ConfigFile::textRecord(text);
    FUZZ_CHECK(stored.size() == ConfigFile::kTextRecordSize && stored[0] == '\0');
    FUZZ_CHECK(ConfigFile::recordText(stored) == text);
    return 0;
}
