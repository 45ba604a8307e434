#include "safety/field_map.h"

#include "image/module_version.h"

#include <algorithm>

namespace FieldMap {
namespace {

constexpr int kCodeRecordModel = 100;

std::vector<Field> buildFields() {
    std::vector<Field> out;
    for (const FieldTable::Field& f : FieldTable::fields()) {
        if (!f.listed)
            continue;
        out.push_back({f.page, f.name, f.first, f.last, f.encodingText, f.carried,
                       [&f](const ImageValues& v) { return FieldTable::shownText(f, v); }});
    }
    return out;
}

} // namespace

const std::vector<Field>& fields() {
    static const std::vector<Field> all = buildFields();
    return all;
}

bool carriedBy(const Field& field, int modelCode) {
    return FieldTable::carriedBy(field.carried, modelCode);
}

Decoded decode(const ConfigImage& image, int modelCode) {
    Decoded d;
    d.image = image;
    ConfigImage scratch = image; // Decode rewrites some bytes of what it reads
    const DecodeResult r = decodeImage(scratch, ImageContext{modelCode, 40, QString()});
    d.values = r.values;
    d.moduleVersion = r.moduleVersion;
    return d;
}

QString valueText(const Field& field, const Decoded& decoded) {
    if (const auto shown = field.show(decoded.values))
        return *shown;
    QStringList hex;
    for (int a = field.first; a <= field.last; ++a)
        hex << QStringLiteral("%1").arg(decoded.image[a], 2, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("[%1]").arg(hex.join(QLatin1Char(' ')));
}

std::vector<FieldDifference> diff(const ConfigImage& left, const ConfigImage& right, int modelCode,
                                  int carriedBytes) {
    const Decoded a = decode(left, modelCode);
    const Decoded b = decode(right, modelCode);
    std::vector<FieldDifference> out;
    for (const Field& f : fields()) {
        if (!carriedBy(f, modelCode) || f.last >= carriedBytes)
            continue;
        const QString l = valueText(f, a);
        const QString r = valueText(f, b);
        if (l != r)
            out.push_back({f.page, f.name, l, r, f.first, f.last});
    }
    return out;
}

std::vector<ByteDifference> otherBytes(const ConfigImage& left, const ConfigImage& right,
                                       int modelCode, int carriedBytes) {
    std::vector<bool> held(static_cast<size_t>(ConfigImage::kSize), false);
    for (const Field& f : fields())
        if (carriedBy(f, modelCode))
            for (int a = f.first; a <= f.last; ++a)
                held[static_cast<size_t>(a)] = true;
    std::vector<ByteDifference> out;
    const int end = std::min(carriedBytes, static_cast<int>(ConfigImage::kSize));
    for (int a = 0; a < end; ++a)
        if (left[a] != right[a] && !held[static_cast<size_t>(a)])
            out.push_back({a, left[a], right[a]});
    return out;
}

QStringList fieldsAt(int address, int modelCode) {
    QStringList names;
    for (const Field& f : fields())
        if (carriedBy(f, modelCode) && address >= f.first && address <= f.last)
            names << label(f.page, f.name);
    return names;
}

int modelOfFile(const ConfigImage& image, int imageSize, int fallback) {
    if (imageSize == ConfigImage::kSize)
        return kCodeRecordModel;
    const int stored = image[ImageAddress::kModelCode];
    return stored == 70 || stored == 71 || stored == 80 || stored == 90 ? stored : fallback;
}

QString label(const QString& page, const QString& name) {
    // Captions that end in a colon lose it before the value's own.
    const QString bare = name.endsWith(QLatin1Char(':')) ? name.chopped(1) : name;
    return page + QStringLiteral(" / ") + bare;
}

QString line(const FieldDifference& d) {
    return QStringLiteral("%1: %2 -> %3").arg(label(d.page, d.name), d.left, d.right);
}

QString byteText(uint8_t value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString line(const ByteDifference& d) {
    return QStringLiteral("byte %1: %2 -> %3")
        .arg(d.address)
        .arg(byteText(d.left), byteText(d.right));
}

} // namespace FieldMap
