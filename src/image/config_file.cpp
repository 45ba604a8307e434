#include "image/config_file.h"

#include "image/file_text.h"

namespace ConfigFile {

QByteArray textRecord(const QByteArray& text) {
    QByteArray record(kTextRecordSize, '\0');
    const QByteArray kept = text.left(kTextCapacity);
    record.replace(1, kept.size(), kept);
    return record;
}

QByteArray recordText(const QByteArray& record) {
    const QByteArray body = record.mid(1, kTextCapacity);
    const qsizetype end = body.indexOf('\0');
    return end < 0 ? body : body.left(end);
}

QByteArray build(const QByteArray& image, const Texts& texts) {
    QByteArray file = image;
    for (const QByteArray& text : texts)
        file += textRecord(text.isEmpty() ? QByteArray(" ") : text);
    return file;
}

std::optional<Content> parse(const QByteArray& file, int imageSize) {
    if (file.size() != fileSize(imageSize))
        return std::nullopt;
    Content c;
    c.image = file.left(imageSize);
    for (int i = 0; i < kTextCount; ++i)
        c.texts[static_cast<size_t>(i)] =
            recordText(file.mid(imageSize + i * kTextRecordSize, kTextRecordSize));
    return c;
}

std::optional<int> imageSizeOfFile(qsizetype size) {
    for (int imageSize : {kShortImageSize, kFullImageSize})
        if (size == fileSize(imageSize))
            return imageSize;
    return std::nullopt;
}

Fit fitOf(qsizetype size, int imageSize) {
    if (size == fileSize(imageSize))
        return Fit::Exact;
    if (imageSizeOfFile(size))
        return Fit::OtherModel;
    return size < fileSize(imageSize) ? Fit::Short : Fit::Long;
}

Texts textsToBytes(const InstallationTexts& texts) {
    Texts bytes;
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = toFileText(texts[i]).left(kTextCapacity);
    return bytes;
}

InstallationTexts textsFromBytes(const Texts& texts) {
    InstallationTexts strings;
    for (size_t i = 0; i < strings.size(); ++i)
        strings[i] = fromFileText(texts[i]);
    return strings;
}

} // namespace ConfigFile
