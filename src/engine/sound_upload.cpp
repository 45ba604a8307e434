#include "engine/sound_upload.h"

#include <algorithm>
#include <cstring>

namespace SoundUpload {

std::optional<int> findDataTag(QByteArrayView head) {
    const qsizetype at =
        head.first(std::min<qsizetype>(head.size(), kHeadSize)).indexOf(QByteArrayView("data"));
    if (at < 0)
        return std::nullopt;
    return static_cast<int>(at);
}

Sound fromFile(QByteArrayView file) {
    Sound s;
    const std::optional<int> tag = findDataTag(file);
    if (!tag) {
        s.problem = Problem::NoDataTag;
        return s;
    }
    s.dataTag = *tag;
    const qsizetype from = *tag + kSkipAfterTag;
    if (file.size() <= from) {
        s.problem = Problem::Empty;
        return s;
    }
    if (file.size() - from > kMaxSamples) {
        s.problem = Problem::TooLong;
        return s;
    }
    s.samples = file.sliced(from).toByteArray();
    return s;
}

std::vector<Block> makeBlocks(QByteArrayView samples) {
    std::vector<Block> blocks;
    qsizetype pos = 0;
    while (samples.size() - pos >= kBlockSize) {
        Block b;
        std::memcpy(b.data(), samples.data() + pos, kBlockSize);
        std::replace(b.begin(), b.end(), kEndByte, kFullScaleSample);
        blocks.push_back(b);
        pos += kBlockSize;
    }
    Block last;
    last.fill(kEndByte);
    const auto rest = static_cast<size_t>(samples.size() - pos);
    if (rest > 0) {
        std::memcpy(last.data(), samples.data() + pos, rest);
        std::replace(last.begin(), last.begin() + static_cast<long>(rest), kEndByte,
                     kFullScaleSample);
    }
    std::fill(last.begin() + kEndMarkFrom, last.end(), kEndByte);
    blocks.push_back(last);
    return blocks;
}

QByteArray playedSamples(const std::vector<Block>& blocks) {
    QByteArray out;
    for (const Block& b : blocks) {
        const auto end = std::find(b.begin(), b.end(), kEndByte);
        out.append(reinterpret_cast<const char*>(b.data()), end - b.begin());
        if (end != b.end())
            break;
    }
    return out;
}

} // namespace SoundUpload
