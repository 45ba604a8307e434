#include "safety/write_verify.h"

#include "i18n/messages.h"
#include "image/module_version.h"
#include "safety/field_map.h"

#include <set>

namespace {
constexpr int kCodeRecordModel = 100;
constexpr int kRecordSize = 32;
// After the blocks, ModelCode 100 gets its Contact ID code name records 48..208.
constexpr ImageRange kCodeNamesAfterBlocks{48 * kRecordSize, 209 * kRecordSize - 1,
                                           TransferUnit::Records};
constexpr int kModuleOwnFirst = 123;
constexpr int kModuleOwnLast = 255;

// Where every send writes the same bytes whatever the pages show: the reserved
// bytes 32..39 and 52..63, the levels and constants at 102, 111 and 112, the
// scratch bytes 120 and 121 and the edition tag.
bool sendConstant(int address) {
    using namespace ImageAddress;
    return (address >= 32 && address <= 39) || (address >= 52 && address <= kZeroedRecordsEnd) ||
           address == 102 || address == 111 || address == 112 || address == kClearedOnDecode ||
           address == kClearedOnDecode + 1 ||
           (address >= kEditionTag && address < kEditionTag + kEditionTagSize);
}
} // namespace

namespace WriteVerify {

bool moduleKeepsByte(int address) {
    return address == ImageAddress::kModuleOwnedByte ||
           (address >= kModuleOwnFirst && address <= kModuleOwnLast);
}

ConfigImage fileOntoModule(const ConfigImage& module, const ConfigImage& file, int modelCode,
                           int fileBytes) {
    ConfigImage out = module;
    for (int a = 0; a < fileBytes && a < ConfigImage::kSize; ++a)
        if (!moduleKeepsByte(a) && (sendConstant(a) || !FieldMap::fieldsAt(a, modelCode).isEmpty()))
            out[a] = file[a];
    return out;
}

std::vector<ImageRange> writtenRanges(int modelCode, int moduleVersion) {
    std::vector<ImageRange> ranges = exchangedExtent(modelCode, moduleVersion).write;
    if (modelCode == kCodeRecordModel && transfersByBlocks(moduleVersion))
        ranges.push_back(kCodeNamesAfterBlocks);
    return ranges;
}

bool checked(int address, int modelCode, int moduleVersion, bool companyStarred) {
    // The build number is the module's too: a block write carries a copy of
    // it, but the module keeps its own.
    if (isModuleOwned(address) || address == ImageAddress::kBuildNumber)
        return false;
    for (const ImageRange& r : writtenRanges(modelCode, moduleVersion)) {
        if (address < r.first || address > r.last)
            continue;
        if (r.unit == TransferUnit::Bytes)
            return !skippedOnByteWrite(address, companyStarred);
        return true;
    }
    return false;
}

std::vector<Difference> compare(const ConfigImage& sent, const ConfigImage& readBack, int modelCode,
                                int moduleVersion, bool companyStarred) {
    std::vector<Difference> out;
    for (const ImageRange& r : writtenRanges(modelCode, moduleVersion))
        for (int a = r.first; a <= r.last; ++a)
            if (sent[a] != readBack[a] && checked(a, modelCode, moduleVersion, companyStarred))
                out.push_back({a, sent[a], readBack[a]});
    return out;
}

QStringList describe(const std::vector<Difference>& differences, const ConfigImage& sent,
                     const ConfigImage& readBack, int modelCode, int language) {
    const FieldMap::Decoded a = FieldMap::decode(sent, modelCode);
    const FieldMap::Decoded b = FieldMap::decode(readBack, modelCode);
    QStringList lines;
    QStringList loose;
    std::set<const FieldMap::Field*> named;
    for (const Difference& d : differences) {
        bool held = false;
        for (const FieldMap::Field& f : FieldMap::fields()) {
            if (!FieldMap::carriedBy(f, modelCode) || d.address < f.first || d.address > f.last)
                continue;
            // A byte shared by several fields names only those whose value changed.
            const QString wanted = FieldMap::valueText(f, a);
            const QString found = FieldMap::valueText(f, b);
            if (wanted == found)
                continue;
            held = true;
            if (named.insert(&f).second)
                lines << message("safety.field_differs", language)
                             .arg(FieldMap::label(f.page, f.name), wanted, found);
        }
        if (!held)
            loose << message("safety.byte_differs", language)
                         .arg(d.address)
                         .arg(d.sent, 2, 16, QLatin1Char('0'))
                         .arg(d.found, 2, 16, QLatin1Char('0'));
    }
    return lines + loose;
}

bool sameValue(const QString& a, const QString& b) {
    auto shown = [](QString t) {
        const QChar quote = QLatin1Char('"');
        if (t.size() >= 2 && t.front() == quote && t.back() == quote) {
            t.chop(1);
            while (t.size() > 1 && t.back() == QLatin1Char(' '))
                t.chop(1);
        }
        return t;
    };
    // A code row without a code is empty: the module keeps no name for it.
    const QString emptyRow = QStringLiteral(" \"");
    if (a.startsWith(emptyRow) && b.startsWith(emptyRow))
        return true;
    return shown(a) == shown(b);
}

QStringList fieldsNotHeld(const ImageValues& shown, const ConfigImage& sent,
                          const ConfigImage& readBack, int modelCode, int moduleVersion,
                          bool companyStarred, int language) {
    const FieldMap::Decoded held = FieldMap::decode(readBack, modelCode);
    const FieldMap::Decoded written = FieldMap::decode(sent, modelCode);
    QStringList lines;
    for (const FieldMap::Field& f : FieldMap::fields()) {
        if (!FieldMap::carriedBy(f, modelCode))
            continue;
        bool carried = false;
        for (int a = f.first; a <= f.last && !carried; ++a)
            carried = checked(a, modelCode, moduleVersion, companyStarred);
        if (!carried)
            continue;
        const std::optional<QString> wanted = f.show(shown);
        if (!wanted)
            continue;
        // A value Decode leaves unread (a byte it does not show) is the byte
        // compare's to check.
        if (!f.show(held.values))
            continue;
        const QString found = FieldMap::valueText(f, held);
        // Where the module holds what was sent, a difference is only in how
        // a page shows bytes it cannot express (a stored number with letters).
        if (!sameValue(*wanted, found) && !sameValue(FieldMap::valueText(f, written), found))
            lines << message("safety.field_differs", language)
                         .arg(FieldMap::label(f.page, f.name), *wanted, found);
    }
    return lines;
}

} // namespace WriteVerify
