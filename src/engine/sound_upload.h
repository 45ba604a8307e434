#pragma once
// Sound files for the module's voice messages, siren and DTMF tones: the
// check of the file's header and the 256-byte blocks of the upload stream.
// Pure functions on bytes.

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace SoundUpload {

inline constexpr int kBlockSize = 256;
inline constexpr int kMaxBlocks = 255;
// The "data" tag must start within the file's first 256 bytes.
inline constexpr int kHeadSize = 256;
// The stream carries the samples from this far after the start of the tag:
// past the tag, its four-byte chunk length and the first sample byte.
inline constexpr int kSkipAfterTag = 9;
// The module plays until it meets 0xFF: the last block carries it in its
// bytes 253..255, the rest of that block is 0xFF fill, and a 0xFF sample goes
// out as 0xFE so that it cannot end the sound early, in the last block too
// (there a full-scale sample would otherwise cut off the rest of the sound).
// The end mark takes the place of the last block's samples 253 and 254, so a
// last block of 254 or 255 samples loses one or two of them.
inline constexpr int kEndMarkFrom = 253;
inline constexpr uint8_t kEndByte = 0xFF;
inline constexpr uint8_t kFullScaleSample = 0xFE;
// Every stream ends with a block shorter than full (possibly holding only the
// end mark), so at most 254 full blocks and 255 more bytes fit.
inline constexpr int kMaxSamples = (kMaxBlocks - 1) * kBlockSize + (kBlockSize - 1);

using Block = std::array<uint8_t, kBlockSize>;

enum class Problem {
    None,
    NoDataTag, // not a sound file of the module's format
    Empty,     // nothing after the header
    TooLong,   // more samples than 255 blocks hold
};

struct Sound {
    Problem problem = Problem::None;
    int dataTag = -1;   // offset of "data" in the file
    QByteArray samples; // what the stream carries, before the block rules
};

// Where "data" starts within the first 256 bytes of `head`.
std::optional<int> findDataTag(QByteArrayView head);

// The file's bytes as read (at most headerEnd + kMaxSamples + 1 of them are
// needed to tell a sound that is too long).
Sound fromFile(QByteArrayView file);

// The number of file bytes worth reading: enough for the longest sound that
// fits and one byte more.
inline constexpr int kMaxFileRead = kHeadSize + kSkipAfterTag + kMaxSamples + 1;

// The stream's blocks: full blocks, then one last block of the remaining
// 0..255 samples, 0xFF fill and the end mark; 0xFF samples as 0xFE. A sound
// that fills its last block exactly gets a block holding only the end mark.
std::vector<Block> makeBlocks(QByteArrayView samples);

// The samples a module keeps from a stream: every byte up to the first 0xFF.
QByteArray playedSamples(const std::vector<Block>& blocks);

} // namespace SoundUpload
