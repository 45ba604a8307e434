#include "image/portable_document.h"

#include "image/field_table.h"
#include "image/image_convert.h"
#include "image/module_version.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cstring>
#include <map>
#include <set>

namespace PortableDocument {
namespace {

using FieldTable::Encoding;
using FieldTable::Field;

const QString kProduct = QStringLiteral("Alvento Configurator");
const QString kKind = QStringLiteral("configuration");
constexpr int kFullModel = 100;
constexpr int kHexRun = 32; // bytes per "other bytes" entry

const QString kProductKey = QStringLiteral("product");
const QString kKindKey = QStringLiteral("document");
const QString kModelKey = QStringLiteral("model");
const QString kVersionKey = QStringLiteral("version");
const QString kFieldsKey = QStringLiteral("fields");
const QString kTextsKey = QStringLiteral("installation texts");
const QString kOtherKey = QStringLiteral("other bytes");

// The spins whose range Decode does not limit, by control.
const std::map<QString, ValueRange>& spinRanges() {
    static const std::map<QString, ValueRange> ranges{
        {QStringLiteral("SpinEdit1"), kLifeSignalDaysRange},
        {QStringLiteral("SpinEdit2"), kClockHourRange},
        {QStringLiteral("SpinEdit3"), kFirstLifeSignalRange},
        {QStringLiteral("SpinEdit6"), kTemperatureRange},
        {QStringLiteral("SpinEdit7"), kTemperatureRange},
    };
    return ranges;
}

// The list of phone numbers whose item is the slot's number, not its text.
bool isPhoneChoice(const Field& f) {
    return f.id == QLatin1String("ComboBox11");
}
constexpr ValueRange kPhoneSlots{1, 8};

int imageSizeOf(int modelCode) {
    return modelCode == kFullModel ? ConfigFile::kFullImageSize : ConfigFile::kShortImageSize;
}

bool inFile(const Field& f, int modelCode) {
    return FieldTable::carriedBy(f.carried, modelCode) && f.last < imageSizeOf(modelCode);
}

// The row of this identifier that a configuration of the model stores.
const Field* rowOf(const QString& id, int modelCode) {
    for (const Field& f : FieldTable::fields())
        if (f.id == id && inFile(f, modelCode))
            return &f;
    return nullptr;
}

bool knownId(const QString& id) {
    for (const Field& f : FieldTable::fields())
        if (f.id == id)
            return true;
    return false;
}

QString label(const Field& f) {
    const QString bare = f.name.endsWith(QLatin1Char(':')) ? f.name.chopped(1) : f.name;
    return f.page + QStringLiteral(" / ") + bare;
}

template <class T> std::optional<T>& slot(const Field& f, ImageValues& values) {
    return *std::get<std::optional<T>*>(FieldTable::slotOf(f, values));
}

QJsonArray targetsJson(const TargetList& t) {
    QJsonArray a;
    for (size_t i = 0; i < t.size(); ++i)
        if (t[i])
            a.append(static_cast<int>(i) + 1);
    return a;
}

// The value as the window shows it; null where the control shows nothing.
QJsonValue jsonOf(const Field& f, const ImageValues& values) {
    auto& v = const_cast<ImageValues&>(values);
    if (f.option) {
        const auto& options = slot<InputOptions>(f, v);
        return options ? QJsonValue((*options).*f.option) : QJsonValue();
    }
    return std::visit(
        [&](auto* p) -> QJsonValue {
            using T = typename std::remove_reference_t<decltype(*p)>::value_type;
            if (!*p)
                return QJsonValue();
            const T& x = **p;
            if constexpr (std::is_same_v<T, int>) {
                // A value no item stores travels as the stored value alone.
                if ((f.items || isPhoneChoice(f)) && isUnlisted(x))
                    return QJsonObject{{QStringLiteral("stored"), unlistedStored(x)}};
                if (f.items) {
                    if (x < 0 || x >= static_cast<int>(f.items->size()))
                        return QJsonValue();
                    const auto& item = (*f.items)[static_cast<size_t>(x)];
                    return QJsonObject{{QStringLiteral("item"), item.text},
                                       {QStringLiteral("stored"), item.stored}};
                }
                return isPhoneChoice(f) ? x + 1 : x;
            } else if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, QString>) {
                return x;
            } else if constexpr (std::is_same_v<T, TargetList>) {
                return targetsJson(x);
            } else if constexpr (std::is_same_v<T, PartitionRow>) {
                return QJsonObject{{QStringLiteral("code"), x.code},
                                   {QStringLiteral("name"), x.name}};
            } else if constexpr (std::is_same_v<T, ContactIdCodeRow>) {
                return QJsonObject{{QStringLiteral("code"), x.code},
                                   {QStringLiteral("name"), x.name},
                                   {QStringLiteral("sms"), targetsJson(x.sms)}};
            } else {
                return QJsonValue();
            }
        },
        FieldTable::slotOf(f, v));
}

QString hexOf(const ConfigImage& image, int first, int last) {
    QStringList hex;
    for (int a = first; a <= last; ++a)
        hex << QStringLiteral("%1").arg(image[a], 2, 16, QLatin1Char('0')).toUpper();
    return hex.join(QLatin1Char(' '));
}

std::optional<QByteArray> bytesOfHex(const QString& text) {
    QByteArray out;
    for (const QString& part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int b = part.toInt(&ok, 16);
        if (!ok || part.size() != 2 || b < 0 || b > 255)
            return std::nullopt;
        out.append(static_cast<char>(b));
    }
    return out;
}

ImageValues decoded(const ConfigImage& image, int modelCode) {
    ConfigImage scratch = image; // Decode rewrites some bytes of what it reads
    return decodeImage(scratch, ImageContext{modelCode, 40, QString()}).values;
}

// ------------------------------------------------------------ value checks

bool digitCodeChars(const QString& s) {
    static const QRegularExpression re(QStringLiteral("^[0-9A-Fa-f?x]*$"));
    return re.match(s).hasMatch();
}

std::optional<QString> checkText(const Field& f, const QString& s, int modelCode) {
    const int width = f.last - f.first + 1;
    switch (f.encoding) {
    case Encoding::PhoneNumber: {
        static const QRegularExpression re(QStringLiteral("^[0-9+]*\\s*$"));
        if (s.size() > width || !re.match(s).hasMatch())
            return QStringLiteral(
                       "a phone number of at most %1 digits and + is expected, not \"%2\"")
                .arg(width)
                .arg(s);
        return std::nullopt;
    }
    case Encoding::ImageText: {
        const int most =
            f.id == QLatin1String("Edit12") && modelCode != kFullModel ? kSmsHeaderLength : width;
        if (s.size() > most)
            return QStringLiteral("at most %1 characters, not %2").arg(most).arg(s.size());
        return std::nullopt;
    }
    case Encoding::AsciiCode:
        if (s.size() != width)
            return QStringLiteral("exactly %1 characters").arg(width);
        return std::nullopt;
    case Encoding::DigitCode:
        if (s.size() > width || !digitCodeChars(s))
            return QStringLiteral("at most %1 of 0-9, B-F, ? expected, not \"%2\"")
                .arg(width)
                .arg(s);
        return std::nullopt;
    case Encoding::AsciiText:
        if (s.size() > width)
            return QStringLiteral("at most %1 characters").arg(width);
        return std::nullopt;
    case Encoding::ConnectionText: {
        const int most = f.id == QLatin1String("Edit10") ? kAccessPointLength : kServerLength;
        if (s.size() > most)
            return QStringLiteral("at most %1 characters").arg(most);
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<TargetList> targetsFrom(const QJsonValue& v, QString* why) {
    if (!v.isArray()) {
        *why = QStringLiteral("a list of phone numbers 1..8 is expected, e.g. [1, 3]");
        return std::nullopt;
    }
    TargetList t{};
    for (const QJsonValue& n : v.toArray()) {
        const double d = n.toDouble(-1);
        const int i = static_cast<int>(d);
        if (!n.isDouble() || d != i || i < 1 || i > 8) {
            *why = QStringLiteral("phone numbers are 1..8");
            return std::nullopt;
        }
        t[static_cast<size_t>(i - 1)] = true;
    }
    return t;
}

std::optional<int> wholeNumber(const QJsonValue& v) {
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    const int i = static_cast<int>(d);
    return d == i ? std::optional<int>(i) : std::nullopt;
}

// Puts the document's value into the field's slot of `values` (which holds the
// other option boxes of a record already); the reason when it does not fit.
std::optional<QString> put(const Field& f, const QJsonValue& v, ImageValues& values,
                           int modelCode) {
    if (f.option) {
        if (!v.isBool())
            return QStringLiteral("true or false is expected");
        auto& options = slot<InputOptions>(f, values);
        if (!options)
            options = InputOptions{};
        (*options).*f.option = v.toBool();
        return std::nullopt;
    }
    QString why;
    FieldTable::Slot s = FieldTable::slotOf(f, values);
    if (auto** p = std::get_if<std::optional<int>*>(&s)) {
        if (f.items) {
            const QJsonObject o = v.toObject();
            const QJsonValue text = v.isString() ? v : o.value(QStringLiteral("item"));
            const QJsonValue stored = o.value(QStringLiteral("stored"));
            if (!text.isString() && !stored.isDouble())
                return QStringLiteral("one of %1 is expected")
                    .arg(FieldTable::itemTexts(*f.items).join(QStringLiteral(", ")));
            for (size_t i = 0; i < f.items->size(); ++i) {
                const auto& item = (*f.items)[i];
                const bool textFits = !text.isString() || text.toString() == item.text;
                const bool storedFits = stored.isUndefined() || wholeNumber(stored) == item.stored;
                if (textFits && storedFits) {
                    **p = static_cast<int>(i);
                    return std::nullopt;
                }
            }
            return QStringLiteral("no item of the list is %1; the items are %2")
                .arg(QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact)))
                .arg(FieldTable::itemTexts(*f.items).join(QStringLiteral(", ")));
        }
        const auto n = wholeNumber(v);
        if (!n)
            return QStringLiteral("a whole number is expected");
        std::optional<ValueRange> range = f.range;
        if (isPhoneChoice(f))
            range = kPhoneSlots;
        else if (const auto r = spinRanges().find(f.id); r != spinRanges().end())
            range = r->second;
        if (range && (*n < range->min || *n > range->max))
            return QStringLiteral("%1 is outside %2..%3").arg(*n).arg(range->min).arg(range->max);
        **p = isPhoneChoice(f) ? *n - 1 : *n;
        return std::nullopt;
    }
    if (auto** p = std::get_if<std::optional<bool>*>(&s)) {
        if (!v.isBool())
            return QStringLiteral("true or false is expected");
        **p = v.toBool();
        return std::nullopt;
    }
    if (auto** p = std::get_if<std::optional<QString>*>(&s)) {
        if (!v.isString())
            return QStringLiteral("a text is expected");
        if (auto problem = checkText(f, v.toString(), modelCode))
            return problem;
        **p = v.toString();
        return std::nullopt;
    }
    if (auto** p = std::get_if<std::optional<TargetList>*>(&s)) {
        const auto t = targetsFrom(v, &why);
        if (!t)
            return why;
        **p = *t;
        return std::nullopt;
    }
    const QJsonObject o = v.toObject();
    const QJsonValue code = o.value(QStringLiteral("code"));
    const QJsonValue name = o.value(QStringLiteral("name"));
    if (!v.isObject() || !code.isString() || !name.isString())
        return QStringLiteral("{\"code\": ..., \"name\": ...} is expected");
    if (name.toString().size() > kRecordNameLength)
        return QStringLiteral("a name of at most %1 characters").arg(kRecordNameLength);
    if (auto** p = std::get_if<std::optional<PartitionRow>*>(&s)) {
        const QString c = code.toString();
        if (!c.isEmpty() && (c.size() != 5 || !digitCodeChars(c)))
            return QStringLiteral("a partition code is five of 0-9, B-F");
        **p = PartitionRow{c, name.toString()};
        return std::nullopt;
    }
    if (auto** p = std::get_if<std::optional<ContactIdCodeRow>*>(&s)) {
        static const QRegularExpression re(QStringLiteral("^([ER][0-9]{3})?$"));
        if (!re.match(code.toString()).hasMatch())
            return QStringLiteral("an event code is E or R and three digits");
        const auto t = targetsFrom(o.value(QStringLiteral("sms")), &why);
        if (!t)
            return why;
        **p = ContactIdCodeRow{code.toString(), name.toString(), *t};
        return std::nullopt;
    }
    return QStringLiteral("this field takes no value");
}

// One value to store: the target's row and the document's value.
struct Edit {
    const Field* row;
    QJsonValue value;
};

// Stores the edits, each over only its own bytes: Encode runs on a copy and
// the edited fields' bytes are taken from it.
void applyEdits(Configuration& c, const std::vector<Edit>& edits) {
    if (edits.empty())
        return;
    const ImageValues current = decoded(c.image, c.modelCode);
    ImageValues wanted; // every field empty: Encode leaves it alone
    for (const Edit& e : edits) {
        if (e.row->option && !slot<InputOptions>(*e.row, wanted))
            slot<InputOptions>(*e.row, wanted) =
                slot<InputOptions>(*e.row, const_cast<ImageValues&>(current));
        put(*e.row, e.value, wanted, c.modelCode);
    }
    ConfigImage encoded = c.image;
    encodeImage(encoded, wanted, ImageContext{c.modelCode, 40, QString()});
    for (const Edit& e : edits)
        for (int a = e.row->first; a <= e.row->last; ++a)
            c.image[a] = encoded[a];
}

int lineAt(const QByteArray& text, qsizetype offset) {
    return static_cast<int>(text.left(offset).count('\n')) + 1;
}

// The line that names the field, for a message that the installer can find.
int lineOf(const QByteArray& text, const QString& id) {
    const QByteArray needle("\"id\":");
    const QByteArray quoted = (QLatin1Char('"') + id + QLatin1Char('"')).toUtf8();
    for (qsizetype at = text.indexOf(needle); at >= 0; at = text.indexOf(needle, at + 1)) {
        qsizetype v = at + needle.size();
        while (v < text.size() && (text[v] == ' ' || text[v] == '\t'))
            ++v;
        if (text.mid(v, quoted.size()) == quoted)
            return lineAt(text, at);
    }
    return 0;
}

// A grid row without code or name is an empty row, whatever else its record
// holds.
bool isEmptyRow(const QJsonValue& v) {
    const QJsonObject o = v.toObject();
    return v.isObject() && o.value(QStringLiteral("code")).toString().isEmpty() &&
           o.value(QStringLiteral("name")).toString().isEmpty();
}

Configuration blankOf(int modelCode, int version) {
    Configuration c;
    c.modelCode = modelCode;
    c.version = version;
    c.imageSize = imageSizeOf(modelCode);
    c.image.fill(0xFF, 0, ConfigImage::kSize);
    encodeImage(c.image, defaultImageValues(), ImageContext{modelCode, 40, QString()});
    c.image[ImageAddress::kModuleVersion] = static_cast<uint8_t>(version);
    c.image[ImageAddress::kModelCode] = static_cast<uint8_t>(modelCode);
    c.image.fill(0xFF, c.imageSize, ConfigImage::kSize - c.imageSize);
    return c;
}

} // namespace

bool isConfigurableModel(int modelCode) {
    return modelCode == 70 || modelCode == 71 || modelCode == 80 || modelCode == 90 ||
           modelCode == kFullModel;
}

std::optional<int> parseVersion(const QString& text) {
    static const QRegularExpression re(QStringLiteral("^([0-9]{1,2})\\.([0-9])$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const int v = m.captured(1).toInt() * 10 + m.captured(2).toInt();
    return v <= 255 ? std::optional<int>(v) : std::nullopt;
}

std::optional<Configuration> fromFile(const QByteArray& file) {
    const auto size = ConfigFile::imageSizeOfFile(file.size());
    if (!size)
        return std::nullopt;
    const auto content = ConfigFile::parse(file, *size);
    if (!content)
        return std::nullopt;
    Configuration c;
    c.imageSize = *size;
    std::memcpy(c.image.data(), content->image.constData(), static_cast<size_t>(*size));
    const int stored = c.image[ImageAddress::kModelCode];
    c.modelCode = *size == ConfigFile::kFullImageSize                   ? kFullModel
                  : isConfigurableModel(stored) && stored != kFullModel ? stored
                                                                        : 70;
    c.version = c.image[ImageAddress::kModuleVersion];
    c.texts = ConfigFile::textsFromBytes(content->texts);
    return c;
}

QByteArray toFile(const Configuration& c) {
    const QByteArray image(reinterpret_cast<const char*>(c.image.data()), c.imageSize);
    return ConfigFile::build(image, ConfigFile::textsToBytes(c.texts));
}

QByteArray exportJson(const Configuration& c) {
    const ImageValues values = decoded(c.image, c.modelCode);
    std::vector<const Field*> rows;
    std::vector<bool> held(static_cast<size_t>(c.imageSize), false);
    for (const Field& f : FieldTable::fields()) {
        if (!inFile(f, c.modelCode))
            continue;
        rows.push_back(&f);
        for (int a = f.first; a <= f.last; ++a)
            held[static_cast<size_t>(a)] = true;
    }
    // Import starts from a new configuration of the model with the bytes
    // outside every field laid in. Where Encode, from there, would not give
    // the bytes back from the shown value, the bytes go with the value; and
    // so do those of every field that shares a byte with such a field.
    ConfigImage again = blankOf(c.modelCode, c.version).image;
    for (int a = 0; a < c.imageSize; ++a)
        if (!held[static_cast<size_t>(a)])
            again[a] = c.image[a];
    encodeImage(again, values, ImageContext{c.modelCode, 40, QString()});
    std::vector<bool> raw(static_cast<size_t>(c.imageSize), false);
    std::vector<bool> withBytes(rows.size(), false);
    for (size_t i = 0; i < rows.size(); ++i) {
        const Field& f = *rows[i];
        ImageValues probe;
        const QJsonValue value = jsonOf(f, values);
        bool same = true;
        for (int a = f.first; a <= f.last; ++a)
            same = same && again[a] == c.image[a];
        withBytes[i] = !same || value.isNull() || put(f, value, probe, c.modelCode).has_value();
    }
    for (bool grew = true; grew;) {
        grew = false;
        for (size_t i = 0; i < rows.size(); ++i) {
            const Field& f = *rows[i];
            for (int a = f.first; a <= f.last; ++a) {
                const auto at = static_cast<size_t>(a);
                if (withBytes[i] && !raw[at]) {
                    raw[at] = true;
                    grew = true;
                } else if (raw[at] && !withBytes[i]) {
                    withBytes[i] = true;
                    grew = true;
                }
            }
        }
    }

    QJsonArray fields;
    for (size_t i = 0; i < rows.size(); ++i) {
        const Field& f = *rows[i];
        QJsonObject o{{QStringLiteral("id"), f.id},
                      {QStringLiteral("page"), f.page},
                      {QStringLiteral("caption"), f.name},
                      {QStringLiteral("value"), jsonOf(f, values)}};
        if (withBytes[i])
            o.insert(QStringLiteral("bytes"), hexOf(c.image, f.first, f.last));
        fields.append(o);
    }
    QJsonArray others;
    for (int a = 0; a < c.imageSize;) {
        if (held[static_cast<size_t>(a)]) {
            ++a;
            continue;
        }
        int end = a;
        while (end + 1 < c.imageSize && !held[static_cast<size_t>(end + 1)] &&
               end + 1 - a < kHexRun)
            ++end;
        others.append(QJsonObject{{QStringLiteral("at"), a},
                                  {QStringLiteral("hex"), hexOf(c.image, a, end)}});
        a = end + 1;
    }
    QJsonArray texts;
    for (const QString& t : c.texts)
        texts.append(t);
    const QJsonObject doc{{kProductKey, kProduct},  {kKindKey, kKind},
                          {kModelKey, c.modelCode}, {kVersionKey, versionNumberText(c.version)},
                          {kFieldsKey, fields},     {kTextsKey, texts},
                          {kOtherKey, others}};
    return QJsonDocument(doc).toJson(QJsonDocument::Indented);
}

ImportResult importJson(const QByteArray& text, std::optional<int> modelCode,
                        std::optional<int> version) {
    ImportResult result;
    auto bad = [&](int line, const QString& why) {
        result.error = line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(why) : why;
        return result;
    };
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return bad(
            lineAt(text, parseError.offset),
            QStringLiteral("not a complete JSON document (%1)").arg(parseError.errorString()));
    const QJsonObject doc = json.object();
    if (!json.isObject() || doc.value(kProductKey).toString() != kProduct ||
        doc.value(kKindKey).toString() != kKind)
        return bad(0, QStringLiteral("not a configuration document of %1").arg(kProduct));
    const auto docModel = wholeNumber(doc.value(kModelKey));
    if (!docModel || !isConfigurableModel(*docModel))
        return bad(0,
                   QStringLiteral("\"model\" is no ModelCode of this tool (70, 71, 80, 90, 100)"));
    const auto docVersion = parseVersion(doc.value(kVersionKey).toString());
    if (!docVersion)
        return bad(0, QStringLiteral("\"version\" is no module version such as \"4.3\""));
    const QJsonValue fieldsValue = doc.value(kFieldsKey);
    const QJsonValue textsValue = doc.value(kTextsKey);
    if (!fieldsValue.isArray())
        return bad(0, QStringLiteral("the document has no \"fields\" list"));
    if (!textsValue.isArray() || textsValue.toArray().size() != ConfigFile::kTextCount)
        return bad(0, QStringLiteral("\"installation texts\" must list %1 texts")
                          .arg(ConfigFile::kTextCount));

    const int target = modelCode.value_or(*docModel);
    const int targetVersion = version.value_or(*docVersion);
    const bool sameKind = target == *docModel && targetVersion == *docVersion;

    // Every field is checked against the document's own model first: a value
    // that model would not take makes the document bad.
    struct Entry {
        const Field* source;
        QJsonValue value;
        std::optional<QByteArray> bytes;
        int line = 0;
        // Why the value would be refused: one that its bytes show still goes
        // back, as it came from a module.
        std::optional<QString> refused;
    };
    std::vector<Entry> entries;
    std::set<QString> seen;
    for (const QJsonValue& item : fieldsValue.toArray()) {
        const QJsonObject o = item.toObject();
        const QString id = o.value(QStringLiteral("id")).toString();
        if (!item.isObject() || id.isEmpty())
            return bad(0, QStringLiteral("a field without \"id\" in \"fields\""));
        const int line = lineOf(text, id);
        if (!knownId(id))
            return bad(line, QStringLiteral("unknown field \"%1\"").arg(id));
        const Field* source = rowOf(id, *docModel);
        if (!source)
            return bad(line, QStringLiteral("field \"%1\" is not stored by ModelCode %2")
                                 .arg(id)
                                 .arg(*docModel));
        if (!seen.insert(id).second)
            return bad(line, QStringLiteral("field \"%1\" is given twice").arg(id));
        if (!o.contains(QStringLiteral("value")))
            return bad(line, QStringLiteral("field \"%1\" has no \"value\"").arg(id));
        Entry e{source, o.value(QStringLiteral("value")), std::nullopt, line, std::nullopt};
        if (o.contains(QStringLiteral("bytes"))) {
            const auto raw = bytesOfHex(o.value(QStringLiteral("bytes")).toString());
            if (!raw || raw->size() != source->last - source->first + 1)
                return bad(line, QStringLiteral("field \"%1\": \"bytes\" must be %2 hex bytes")
                                     .arg(id)
                                     .arg(source->last - source->first + 1));
            e.bytes = raw;
        }
        if (!e.value.isNull()) {
            ImageValues probe;
            if (const auto why = put(*source, e.value, probe, *docModel)) {
                e.refused = QStringLiteral("field \"%1\" (%2): %3").arg(id, label(*source), *why);
                if (!e.bytes)
                    return bad(line, *e.refused);
            }
        } else if (!e.bytes) {
            return bad(line, QStringLiteral("field \"%1\" has neither a value nor bytes").arg(id));
        }
        entries.push_back(e);
    }
    ConfigFile::InstallationTexts texts;
    for (int i = 0; i < ConfigFile::kTextCount; ++i) {
        const QJsonValue t = textsValue.toArray().at(i);
        if (!t.isString() || t.toString().size() > ConfigFile::kTextCapacity)
            return bad(0, QStringLiteral("installation text %1 must be a text of at most %2 "
                                         "characters")
                              .arg(i + 1)
                              .arg(ConfigFile::kTextCapacity));
        texts[static_cast<size_t>(i)] = t.toString();
    }

    Configuration c = blankOf(target, targetVersion);
    c.texts = texts;
    if (sameKind) {
        const QJsonValue others = doc.value(kOtherKey);
        for (const QJsonValue& run : others.toArray()) {
            const auto at = wholeNumber(run.toObject().value(QStringLiteral("at")));
            const auto raw = bytesOfHex(run.toObject().value(QStringLiteral("hex")).toString());
            if (!at || !raw || *at < 0 || *at + raw->size() > c.imageSize)
                return bad(0, QStringLiteral("an entry of \"other bytes\" lies outside the image "
                                             "or holds no hex bytes"));
            std::memcpy(c.image.data() + *at, raw->constData(), static_cast<size_t>(raw->size()));
        }
    }

    // Bytes laid first where the same row holds them on the target; a value
    // then changes them only where it differs from what they show.
    std::vector<std::pair<const Field*, const Entry*>> carried;
    const ImageValues defaults = defaultImageValues();
    for (const Entry& e : entries) {
        const Field* row = rowOf(e.source->id, target);
        const bool fits = row && (e.value.isNull() || e.refused || [&] {
                              ImageValues probe;
                              return !put(*row, e.value, probe, target).has_value();
                          }());
        const bool rawFits =
            row && e.bytes && row->first == e.source->first && row->last == e.source->last;
        if (!fits || ((e.value.isNull() || e.refused) && !rawFits)) {
            // A field that holds only what a new configuration holds loses
            // nothing: an empty grid row of ModelCode 100, say.
            if (e.source->listed && e.value != jsonOf(*e.source, defaults) && !isEmptyRow(e.value))
                result.notCarried << label(*e.source);
            continue;
        }
        if (rawFits)
            std::memcpy(c.image.data() + row->first, e.bytes->constData(),
                        static_cast<size_t>(e.bytes->size()));
        carried.push_back({row, &e});
    }
    const ImageValues shown = decoded(c.image, target);
    std::vector<Edit> edits;
    for (const auto& [row, e] : carried) {
        if (e->refused) {
            if (jsonOf(*row, shown) != e->value)
                return bad(e->line, *e->refused);
            continue;
        }
        if (e->value.isNull())
            continue;
        if (e->bytes && row->first == e->source->first) {
            ImageValues probe = shown;
            put(*row, e->value, probe, target);
            if (jsonOf(*row, probe) == jsonOf(*row, shown))
                continue;
        }
        edits.push_back({row, e->value});
    }
    applyEdits(c, edits);
    result.configuration = c;
    return result;
}

QString setFields(Configuration& c, const QStringList& assignments) {
    const ImageValues current = decoded(c.image, c.modelCode);
    std::vector<Edit> edits;
    for (const QString& assignment : assignments) {
        const qsizetype eq = assignment.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return QStringLiteral("\"%1\" is no FIELD=VALUE").arg(assignment);
        const QString id = assignment.left(eq);
        const QString text = assignment.mid(eq + 1);
        if (!knownId(id))
            return QStringLiteral("unknown field \"%1\"").arg(id);
        const Field* row = rowOf(id, c.modelCode);
        if (!row)
            return QStringLiteral("field \"%1\" is not stored by ModelCode %2")
                .arg(id)
                .arg(c.modelCode);
        // The value as typed, read by the kind of value the field holds.
        QJsonValue value = text;
        const FieldTable::Slot s = FieldTable::slotOf(*row, const_cast<ImageValues&>(current));
        const bool isBool = row->option || std::holds_alternative<std::optional<bool>*>(s);
        if (isBool) {
            static const QStringList on{QStringLiteral("be"), QStringLiteral("true"),
                                        QStringLiteral("1"), QStringLiteral("on")};
            static const QStringList off{QStringLiteral("ki"), QStringLiteral("false"),
                                         QStringLiteral("0"), QStringLiteral("off")};
            if (on.contains(text))
                value = true;
            else if (off.contains(text))
                value = false;
        } else if (std::holds_alternative<std::optional<int>*>(s) && !row->items) {
            bool ok = false;
            const int n = text.toInt(&ok);
            if (ok)
                value = n;
        } else if (std::holds_alternative<std::optional<TargetList>*>(s)) {
            QJsonArray chosen;
            for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                bool ok = false;
                const int n = part.trimmed().toInt(&ok);
                chosen.append(ok ? QJsonValue(n) : QJsonValue(part));
            }
            value = text.trimmed() == QLatin1String("-") ? QJsonArray() : chosen;
        } else if (std::holds_alternative<std::optional<PartitionRow>*>(s) ||
                   std::holds_alternative<std::optional<ContactIdCodeRow>*>(s)) {
            value = QJsonDocument::fromJson(text.toUtf8()).object();
        }
        ImageValues probe = current;
        if (const auto why = put(*row, value, probe, c.modelCode))
            return QStringLiteral("field \"%1\" (%2): %3").arg(id, label(*row), *why);
        edits.push_back({row, value});
    }
    applyEdits(c, edits);
    return QString();
}

} // namespace PortableDocument
