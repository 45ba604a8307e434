// The sound file check and the upload's blocks: any bytes as a sound file.
// The "data" tag is found exactly where a plain search of the first 256 bytes
// finds it; a file is refused exactly when it holds no samples or more than
// 255 blocks take; every stream fits 255 blocks, has no 0xFF in its full
// blocks, always ends with the end mark, and gives the module back every
// sample (0xFF as 0xFE) but those the end mark takes the place of.

#include "engine/sound_upload.h"
#include "fuzz_input.h"

#include <cstring>

namespace {
FUZZ_NO_COVERAGE int plainTagSearch(const uint8_t* data, size_t size) {
    const size_t head = size < 256 ? size : 256;
    for (size_t i = 0; i + 4 <= head; ++i)
        if (std::memcmp(data + i, "data", 4) == 0)
            return static_cast<int>(i);
    return -1;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > SoundUpload::kMaxFileRead)
        return 0;
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const SoundUpload::Sound s = SoundUpload::fromFile(file);
    const int tag = plainTagSearch(data, size);
    if (tag < 0) {
        FUZZ_CHECK(s.problem == SoundUpload::Problem::NoDataTag);
        return 0;
    }
    FUZZ_CHECK(s.dataTag == tag);
    const qsizetype rest = file.size() - (tag + SoundUpload::kSkipAfterTag);
    if (rest <= 0) {
        FUZZ_CHECK(s.problem == SoundUpload::Problem::Empty);
        return 0;
    }
    if (rest > SoundUpload::kMaxSamples) {
        FUZZ_CHECK(s.problem == SoundUpload::Problem::TooLong);
        return 0;
    }
    FUZZ_CHECK(s.problem == SoundUpload::Problem::None);
    FUZZ_CHECK(s.samples == file.right(rest));

    const std::vector<SoundUpload::Block> blocks = SoundUpload::makeBlocks(s.samples);
    FUZZ_CHECK(!blocks.empty() && blocks.size() <= size_t(SoundUpload::kMaxBlocks));
    FUZZ_CHECK(blocks.size() == size_t(s.samples.size() / 256 + 1));
    for (size_t b = 0; b + 1 < blocks.size(); ++b)
        for (uint8_t byte : blocks[b])
            FUZZ_CHECK(byte != SoundUpload::kEndByte);
    const SoundUpload::Block& last = blocks.back();
    for (int i = SoundUpload::kEndMarkFrom; i < SoundUpload::kBlockSize; ++i)
        FUZZ_CHECK(last[size_t(i)] == SoundUpload::kEndByte);

    const qsizetype full = (s.samples.size() / 256) * 256;
    QByteArray expected = s.samples.left(full + SoundUpload::kEndMarkFrom);
    expected.replace('\xFF', '\xFE');
    FUZZ_CHECK(SoundUpload::playedSamples(blocks) == expected);
    return 0;
}
