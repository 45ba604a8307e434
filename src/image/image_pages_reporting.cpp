// Remote monitoring, GPRS, line gains, open/close, caller identification and the
// code records of ModelCode 100.
#include "image/image_fields.h"

namespace ImageFields {
namespace {

constexpr int kRecordNameOffset = 6;

// The module reads both texts as the argument list of its connection command.
constexpr int kServerText = 400;
constexpr int kAccessPointText = 640;
const QByteArray kServerPrefix("\"UDP\",\"");
const QByteArray kServerSuffix("\",\"53500\"");
const QByteArray kAccessPointPrefix("\"");
const QByteArray kAccessPointSuffix("\",\"\",\"\"");

void writeBytes(ConfigImage& image, int address, const QByteArray& bytes) {
    for (int i = 0; i < bytes.size(); ++i)
        image[address + i] = static_cast<uint8_t>(bytes[i]);
}

void writeConnectionText(ConfigImage& image, int address, const QByteArray& prefix,
                         const QString& text, int limit, const QByteArray& suffix) {
    const QByteArray whole =
        prefix + toImageTextBytes(text).left(limit) + suffix + QByteArray(1, char(kEnd));
    writeBytes(image, address, whole);
}

// Up to `limit` bytes from `address`, ending at 0xFF or the closing double quote.
QString readConnectionText(const ConfigImage& image, int address, int limit) {
    QByteArray bytes;
    for (int i = 0; i < limit; ++i) {
        const uint8_t b = image[address + i];
        if (b == kEnd || b == '"')
            break;
        bytes += static_cast<char>(b);
    }
    return fromImageTextBytes(bytes);
}

int recordAddress(int record) {
    return kCodeRecordSize * record;
}

void writeRecordName(ConfigImage& image, int record, const QString& name) {
    const QByteArray bytes = toCodePage1250(name).left(kRecordNameLength);
    const int address = recordAddress(record) + kRecordNameOffset;
    writeBytes(image, address, bytes);
    if (bytes.size() < kRecordNameLength)
        image[address + static_cast<int>(bytes.size())] = kEnd;
}

QString readRecordName(const ConfigImage& image, int record) {
    const int address = recordAddress(record) + kRecordNameOffset;
    QByteArray bytes;
    for (int i = 0; i < kRecordNameLength; ++i) {
        const uint8_t b = image[address + i];
        if (b == kEnd || b == 0)
            break;
        bytes += static_cast<char>(b);
    }
    return fromCodePage1250(bytes);
}

} // namespace

// ---------------------------------------------------------------- Encode

void encodeReportingBytes(ConfigImage& image, const ImageValues& values) {
    const auto& answer = values.callerId.answerIdentifiedCalls;
    // Bit 4 is always set; only bit 1 is the user's.
    const std::optional<uint8_t> alwaysSet = answer ? std::optional<uint8_t>(0x10) : std::nullopt;
    composeByte(image, 122, {flag(1, answer), {0x10, alwaysSet}}, 0xED);
    // The module's transmit level is fixed; the list only shows what it holds.
    image[102] = 7;
    writeTableValue(image, 103, kRxLevelBytes, values.remoteMonitoring.rxLevel);
    image[111] = 7;
    image[112] = 7;
}

void encodePartitionRecords(ConfigImage& image, const ImageValues& values,
                            const ImageContext& context) {
    if (!isCodeRecordModel(context))
        return;
    const auto& rows = values.codeRecords.partitions;
    for (size_t k = 0; k < rows.size(); ++k) {
        if (!rows[k])
            continue;
        const int record = kFirstPartitionRecord + static_cast<int>(k);
        const int address = recordAddress(record);
        const PartitionRow& row = *rows[k];
        if (row.code.isEmpty()) {
            image[address] = kEnd;
            continue;
        }
        writeDigitCodes(image, address, 5, row.code);
        image[address + 5] = 0;
        writeRecordName(image, record,
                        row.name.isEmpty() ? QStringLiteral("Partition+zone: ") + row.code
                                           : row.name);
    }
}

void encodeCodeRecords(ConfigImage& image, const ImageValues& values, const ImageContext& context) {
    if (!isCodeRecordModel(context))
        return;
    const auto& rows = values.codeRecords.codes;
    for (size_t k = 0; k < rows.size(); ++k) {
        if (!rows[k])
            continue;
        const int record = kFirstCodeRecord + static_cast<int>(k);
        const int address = recordAddress(record);
        const ContactIdCodeRow& row = *rows[k];
        if (row.code.isEmpty()) {
            image[address] = kEnd;
            continue;
        }
        QString digits = row.code;
        if (digits.startsWith(u'E'))
            digits[0] = u'1'; // qualifier 1: new event; 'R' is already 3, a restore
        writeDigitCodes(image, address, 4, digits);
        image[address + 4] = packTargetMask(row.sms);
        image[address + 5] = 0;
        writeRecordName(image, record,
                        row.name.isEmpty() ? QStringLiteral("Event code: ") + row.code : row.name);
    }
}

void encodeGprsTexts(ConfigImage& image, const ImageValues& values, const ImageContext& context) {
    if (!isCodeRecordModel(context))
        return;
    const GprsValues& g = values.gprs;
    if (g.accessPoint)
        writeConnectionText(image, kAccessPointText, kAccessPointPrefix, *g.accessPoint,
                            kAccessPointLength, kAccessPointSuffix);
    if (g.server)
        writeConnectionText(image, kServerText, kServerPrefix, *g.server, kServerLength,
                            kServerSuffix);
}

// ---------------------------------------------------------------- Decode

void decodeGprsTexts(const ConfigImage& image, ImageValues& values, const ImageContext& context) {
    if (!isCodeRecordModel(context))
        return;
    GprsValues& g = values.gprs;
    g.accessPoint =
        readConnectionText(image, kAccessPointText + kAccessPointPrefix.size(), kAccessPointLength);
    // The whole address comes back, up to the longest the field takes.
    g.server = readConnectionText(image, kServerText + kServerPrefix.size(), kServerLength);
}

void decodeReportingBits(const ConfigImage& image, ImageValues& values) {
    values.callerId.answerIdentifiedCalls = bitSet(image[122], 1);
}

void decodeCodeRecords(const ConfigImage& image, ImageValues& values, const ImageContext& context) {
    if (!isCodeRecordModel(context))
        return;
    CodeRecordValues& c = values.codeRecords;
    for (size_t k = 0; k < c.partitions.size(); ++k) {
        const int record = kFirstPartitionRecord + static_cast<int>(k);
        QString code = readDigitCodes(image, recordAddress(record), 5);
        if (code.startsWith(u'x'))
            code.clear();
        c.partitions[k] = PartitionRow{code, readRecordName(image, record)};
    }
    for (size_t k = 0; k < c.codes.size(); ++k) {
        const int record = kFirstCodeRecord + static_cast<int>(k);
        const int address = recordAddress(record);
        ContactIdCodeRow row;
        const QChar qualifier = digitChar(image[address]);
        if (qualifier != u'x') {
            row.code = qualifier == u'1'   ? QStringLiteral("E")
                       : qualifier == u'3' ? QStringLiteral("R")
                                           : QString(qualifier);
            row.code += readDigitCodes(image, address + 1, 3);
            row.name = readRecordName(image, record);
        }
        row.sms = unpackTargetMask(image[address + 4]);
        c.codes[k] = row;
    }
}

void decodeLevels(const ConfigImage& image, ImageValues& values) {
    RemoteMonitoringValues& r = values.remoteMonitoring;
    const uint8_t tx = image[102];
    r.txLevel = tx >= 1 && tx <= 9 ? tx - 1 : unlistedValue(tx);
    r.rxLevel = tableValue(kRxLevelBytes, image[103]);
}

} // namespace ImageFields
