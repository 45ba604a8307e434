#include "engine/caller_id_memory.h"

#include "image/image_codecs.h"

#include <QByteArray>
#include <cstring>

void CallerIdMemory::setRecord(int k, const QString& number) {
    if (k < 0 || k >= kRecords)
        return;
    uint8_t* r = bytes_.data() + k * kRecordSize;
    if (number.isEmpty()) {
        r[0] = kEnd;
        return;
    }
    const QByteArray text = toCodePage1250(number.left(kNumberLength));
    std::memcpy(r, text.constData(), static_cast<size_t>(text.size()));
    if (text.size() < kNumberLength)
        r[text.size()] = kEnd;
    r[14] = 0;
    r[15] = 0;
}

QString CallerIdMemory::recordText(int k) const {
    if (k < 0 || k >= kRecords)
        return {};
    const uint8_t* r = bytes_.data() + k * kRecordSize;
    QByteArray text;
    for (int i = 0; i < kRecordSize && r[i] != kEnd && r[i] != 0; ++i)
        text.append(static_cast<char>(r[i]));
    return fromCodePage1250(text);
}

void CallerIdMemory::storeBlock(int b, const uint8_t* data) {
    if (b >= 0 && b < kBlocks)
        std::memcpy(bytes_.data() + b * kBlockSize, data, kBlockSize);
}
