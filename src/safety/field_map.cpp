#include "safety/field_map.h"

#include "image/module_version.h"

#include <array>

namespace FieldMap {
namespace {

using Show = std::function<std::optional<QString>(const ImageValues&)>;
using InputGetter = const InputPageValues& (*)(const ImageValues&);

constexpr int kCodeRecordModel = 100;
constexpr int kRecordSize = 32;
constexpr int kTextSize = 32;

// The item texts of the pages' lists, in list order.
const QStringList kInputTypes{
    QStringLiteral("00/ Nem használt"), QStringLiteral("01/ 24h normál bemenet"),
    QStringLiteral("02/ tartalék"),     QStringLiteral("03/ Központi bemenet"),
    QStringLiteral("04/ tartalék"),     QStringLiteral("05/ Ki/be kapcsolás")};
const QStringList kOutputModes{QStringLiteral("Egyállapotú időzített (MONO)"),
                               QStringLiteral("Kétállapotú (BI)"),
                               QStringLiteral("Élesítés/Hatástalanítás")};
const QStringList kInputFilters{QStringLiteral("Kikapcsolva"), QStringLiteral("Alacsony"),
                                QStringLiteral("Normál"), QStringLiteral("Közepes"),
                                QStringLiteral("Erős")};
const QStringList kAlarmVoltages{
    QStringLiteral("7V"),  QStringLiteral("8V"),    QStringLiteral("9V"),  QStringLiteral("9,5V"),
    QStringLiteral("10V"), QStringLiteral("10,5V"), QStringLiteral("11V"), QStringLiteral("11,5V"),
    QStringLiteral("12V"), QStringLiteral("12,5V"), QStringLiteral("13V")};

struct OptionBox {
    const char* caption;
    bool InputOptions::*member;
    int bit;
};
const std::array<OptionBox, 6> kOptionBoxes{{
    {"Visszaállásról is SMS/hívás", &InputOptions::restoreToo, 0},
    {"Szirénahang", &InputOptions::siren, 2},
    {"Hangüzenet küldése", &InputOptions::voiceMessage, 3},
    {"Távfelügyelet értesítés", &InputOptions::remoteMonitoring, 4},
    {"Híváskor nem kell felvenni", &InputOptions::noPickUp, 5},
    {"DTMF nyugtázás híváskor (# nyugta, * nyugta és törlés)", &InputOptions::dtmfAck, 6},
}};

QString onOff(bool on) {
    return on ? QStringLiteral("be") : QStringLiteral("ki");
}

QString targetsText(const TargetList& t) {
    QStringList numbers;
    for (int i = 0; i < 8; ++i)
        if (t[static_cast<size_t>(i)])
            numbers << QString::number(i + 1);
    return numbers.isEmpty() ? QStringLiteral("-") : numbers.join(QLatin1Char(','));
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString itemText(const QStringList& items, int index) {
    return index >= 0 && index < items.size() ? items[index] : QString::number(index);
}

std::optional<QString> boolText(const std::optional<bool>& v) {
    if (!v)
        return std::nullopt;
    return onOff(*v);
}

std::optional<QString> numberText(const std::optional<int>& v) {
    if (!v)
        return std::nullopt;
    return QString::number(*v);
}

std::optional<QString> textText(const std::optional<QString>& v) {
    if (!v)
        return std::nullopt;
    return quoted(*v);
}

std::optional<QString> listText(const std::optional<int>& v, const QStringList& items) {
    if (!v)
        return std::nullopt;
    return itemText(items, *v);
}

std::optional<QString> targetText(const std::optional<TargetList>& v) {
    if (!v)
        return std::nullopt;
    return targetsText(*v);
}

class Builder {
  public:
    explicit Builder(std::vector<Field>& out) : out_(out) {}

    Builder& page(const char* caption) {
        page_ = QString::fromUtf8(caption);
        return *this;
    }
    void add(const QString& name, int first, int last, const char* encoding, Show show,
             Carried carried = Carried::All) {
        out_.push_back(
            {page_, name, first, last, QString::fromLatin1(encoding), carried, std::move(show)});
    }
    void add(const char* name, int first, int last, const char* encoding, Show show,
             Carried carried = Carried::All) {
        add(QString::fromUtf8(name), first, last, encoding, std::move(show), carried);
    }

    // An input record page: type and inverted flag in the record's first byte,
    // the SMS and call lists in the next two, the page's own option boxes in the
    // fourth, and its SMS text when it has one.
    void inputRecord(InputGetter get, int record, std::optional<int> text, uint8_t ownBoxes,
                     Carried textCarried = Carried::All) {
        add("Bemenet Típusa:", record, record, "InputRecord type, bits 0..6",
            [get](const ImageValues& v) { return listText(get(v).type, kInputTypes); });
        add("Invertált működés", record, record, "InputRecord bit 7",
            [get](const ImageValues& v) { return boolText(get(v).inverted); });
        add("SMS", record + 1, record + 1, "TargetMask",
            [get](const ImageValues& v) { return targetText(get(v).sms); });
        add("Hívás", record + 2, record + 2, "TargetMask",
            [get](const ImageValues& v) { return targetText(get(v).voice); });
        for (const OptionBox& box : kOptionBoxes) {
            if (!(ownBoxes & (1u << box.bit)))
                continue;
            const auto member = box.member;
            add(box.caption, record + 3, record + 3, "InputRecord option bit",
                [get, member](const ImageValues& v) -> std::optional<QString> {
                    const auto& o = get(v).options;
                    if (!o)
                        return std::nullopt;
                    return onOff((*o).*member);
                });
        }
        if (text)
            add(
                "SMS szöveg:", *text, *text + kTextSize - 1, "ImageText 32",
                [get](const ImageValues& v) { return textText(get(v).text); }, textCarried);
    }

  private:
    std::vector<Field>& out_;
    QString page_;
};

constexpr uint8_t kAllBoxes = 0x7D;       // bits 0, 2..6
constexpr uint8_t kNoVoiceMessage = 0x75; // all but bit 3
constexpr uint8_t kRestoreOnly = 0x01;

std::vector<Field> buildFields() {
    std::vector<Field> out;
    Builder b(out);

    b.page("Telefonszámok");
    for (int n = 0; n < 8; ++n)
        b.add(QStringLiteral("%1. telefonszám").arg(n + 1), 256 + 16 * n, 256 + 16 * n + 15,
              "phone number, 16 bytes", [n](const ImageValues& v) {
                  return textText(v.phones.numbers[static_cast<size_t>(n)]);
              });

    static const std::array<InputGetter, 4> inputs{
        [](const ImageValues& v) -> const InputPageValues& { return v.inputs[0]; },
        [](const ImageValues& v) -> const InputPageValues& { return v.inputs[1]; },
        [](const ImageValues& v) -> const InputPageValues& { return v.inputs[2]; },
        [](const ImageValues& v) -> const InputPageValues& { return v.inputs[3]; }};
    static const std::array<const char*, 4> inputPages{"Be1", "Be2", "Be3", "Be4"};
    for (int n = 0; n < 4; ++n) {
        b.page(inputPages[static_cast<size_t>(n)]);
        b.inputRecord(inputs[static_cast<size_t>(n)], 8 + 4 * n, 512 + kTextSize * n, kAllBoxes);
    }

    b.page("Kimenet");
    for (int n = 0; n < 2; ++n) {
        const int at = 64 + 3 * n;
        const QString prefix = QStringLiteral("Kimenet %1: ").arg(n + 1);
        auto out = [n](const ImageValues& v) -> const OutputValues& {
            return v.outputs[static_cast<size_t>(n)];
        };
        b.add(prefix + QStringLiteral("mód"), at, at, "bits",
              [out](const ImageValues& v) { return listText(out(v).mode, kOutputModes); });
        b.add(prefix + QStringLiteral("Riasztáskor vezérlés"), at, at, "bit",
              [out](const ImageValues& v) { return boolText(out(v).onAlarm); });
        b.add(prefix + QStringLiteral("Hivószámazonosításkor vezérlés"), at, at, "bit",
              [out](const ImageValues& v) { return boolText(out(v).onCallerId); });
        if (n == 0)
            b.add(prefix + QStringLiteral("NINCS hívószámazonosítás"), at, at, "bit",
                  [out](const ImageValues& v) { return boolText(out(v).noCallerId); });
        b.add(prefix + QStringLiteral("idő [sec]"), at + 1, at + 2, "16-bit",
              [out](const ImageValues& v) { return numberText(out(v).seconds); });
    }

    b.page("Tamper");
    b.inputRecord([](const ImageValues& v) -> const InputPageValues& { return v.tamper; }, 40, 768,
                  kNoVoiceMessage);

    b.page("Tápmonitor");
    b.inputRecord([](const ImageValues& v) -> const InputPageValues& { return v.power.input; }, 44,
                  800, kNoVoiceMessage);
    b.add("Riasztási feszültség érték:", 114, 114, "value table",
          [](const ImageValues& v) { return listText(v.power.alarmVoltage, kAlarmVoltages); });

    b.page("Hőmérséklet");
    b.inputRecord(
        [](const ImageValues& v) -> const InputPageValues& { return v.temperature.input; }, 48,
        std::nullopt, kRestoreOnly);
    b.add("Max hőmérséklet", 82, 82, "byte, 255 off", [](const ImageValues& v) {
        const auto& t = v.temperature;
        if (!t.maxEnabled)
            return std::optional<QString>();
        return std::optional<QString>(*t.maxEnabled ? QString::number(t.maxValue.value_or(0))
                                                    : onOff(false));
    });
    b.add("Min hőmérséklet", 83, 83, "byte, 255 off", [](const ImageValues& v) {
        const auto& t = v.temperature;
        if (!t.minEnabled)
            return std::optional<QString>();
        return std::optional<QString>(*t.minEnabled ? QString::number(t.minValue.value_or(0))
                                                    : onOff(false));
    });

    b.page("Sebesség");
    b.inputRecord([](const ImageValues& v) -> const InputPageValues& { return v.speed.input; }, 24,
                  640, kRestoreOnly, Carried::Models70To90);
    b.add("Sebesség határ [km/h]", 85, 85, "byte",
          [](const ImageValues& v) { return numberText(v.speed.limitKmh); });

    b.page("Emelés");
    b.inputRecord([](const ImageValues& v) -> const InputPageValues& { return v.lift.input; }, 28,
                  672, kRestoreOnly, Carried::Models70To90);
    b.add("Emelés beállítás", 86, 86, "byte",
          [](const ImageValues& v) { return numberText(v.lift.setting); });

    b.page("Életjel");
    b.add("Életjel küldés", 70, 70, "days, 0 off",
          [](const ImageValues& v) { return boolText(v.lifeSignal.enabled); });
    b.add("naponként", 70, 70, "days, 0 off",
          [](const ImageValues& v) { return numberText(v.lifeSignal.periodDays); });
    b.add("órakor küldés", 71, 72, "clock hour, 2 ASCII digits",
          [](const ImageValues& v) { return numberText(v.lifeSignal.hour); });
    b.add("nap múlva az első", 73, 73, "days + 1",
          [](const ImageValues& v) { return numberText(v.lifeSignal.firstAfterDays); });
    b.add("SMS", 74, 74, "TargetMask",
          [](const ImageValues& v) { return targetText(v.lifeSignal.sms); });
    b.add("SMS szöveg:", 864, 895, "ImageText 32",
          [](const ImageValues& v) { return textText(v.lifeSignal.text); });

    b.page("Egyéb");
    b.add("SMS biztonsági kód:", 0, 3, "ASCII 4",
          [](const ImageValues& v) { return textText(v.other.securityCode); });
    b.add("Körhívás funció", 76, 76, "bit 0",
          [](const ImageValues& v) { return boolText(v.other.roundCall); });
    b.add("LED-ek kikapcsolása csukot fedőnél", 76, 76, "bit 1",
          [](const ImageValues& v) { return boolText(v.other.ledsOffWhenClosed); });
    b.add("Kimenet mentése memóriába", 76, 76, "bit 2",
          [](const ImageValues& v) { return boolText(v.other.saveOutput); });
    b.add("Hívószámazonosításkor élesít/hatástalanít", 76, 76, "bit 3",
          [](const ImageValues& v) { return boolText(v.other.callerIdArming); });
    b.add("Mikrofon üzemmód bekapcsolva", 76, 76, "bit 4",
          [](const ImageValues& v) { return boolText(v.other.microphone); });
    b.add("SMS átírányítás", 77, 77, "phone index, 255 off",
          [](const ImageValues& v) { return boolText(v.other.smsRedirection); });
    b.add("SMS átírányítás telefonszám", 77, 77, "phone index, 255 off",
          [](const ImageValues& v) -> std::optional<QString> {
              if (!v.other.smsRedirectionTarget)
                  return std::nullopt;
              return QString::number(*v.other.smsRedirectionTarget + 1);
          });
    b.add("Csöngetési idő [sec]:", 78, 78, "byte",
          [](const ImageValues& v) { return numberText(v.other.ringSeconds); });
    b.add("Max hivásismétlések száma", 79, 79, "byte",
          [](const ImageValues& v) { return numberText(v.other.maxRedials); });
    b.add("Bemenet szűrés", 80, 80, "value table",
          [](const ImageValues& v) { return listText(v.other.inputFilter, kInputFilters); });
    b.add("Bemenet visszaállás SMS szöveg:", 992, 1023, "ImageText 32",
          [](const ImageValues& v) { return textText(v.other.restoreText); });
    b.add(
        "SMS fejléc:", 1280, 1406, "ImageText 127",
        [](const ImageValues& v) { return textText(v.other.smsHeader); }, Carried::Models70To90);
    b.add(
        "SMS fejléc:", 896, 927, "ImageText 32",
        [](const ImageValues& v) { return textText(v.other.smsHeader); }, Carried::Model100);
    b.add("PSTN Rx Gain:", 94, 94, "byte",
          [](const ImageValues& v) { return numberText(v.gains.pstnRx); });
    b.add("PSTN Tx Gain:", 95, 95, "byte",
          [](const ImageValues& v) { return numberText(v.gains.pstnTx); });
    b.add("DTMF Rx Gain:", 96, 96, "byte",
          [](const ImageValues& v) { return numberText(v.gains.dtmfRx); });
    b.add("DTMF Tx Gain:", 97, 97, "byte",
          [](const ImageValues& v) { return numberText(v.gains.dtmfTx); });

    b.page("GPS");
    b.add("GPS vevő használata", 81, 81, "bit 0, set when off",
          [](const ImageValues& v) { return boolText(v.gps.useReceiver); });
    b.add("NMEA GPS kódok küldése", 81, 81, "bit 1",
          [](const ImageValues& v) { return boolText(v.gps.sendNmea); });

    b.page("Távfelügyelet");
    const Carried rm = Carried::Models70To90;
    b.add(
        "Ügyfélkód:", 1024, 1027, "DigitCode 4",
        [](const ImageValues& v) { return textText(v.remoteMonitoring.account); }, rm);
    auto entry = [&b, rm](const QString& name, int at, auto get) {
        b.add(
            name + QStringLiteral(" CID"), at, at + 2, "DigitCode 3",
            [get](const ImageValues& v) { return textText(get(v).code); }, rm);
        b.add(
            name + QStringLiteral(" ZONA"), at + 3, at + 5, "DigitCode 3",
            [get](const ImageValues& v) { return textText(get(v).zone); }, rm);
    };
    for (int n = 0; n < 4; ++n)
        entry(QStringLiteral("Be%1:").arg(n + 1), 1040 + 8 * n,
              [n](const ImageValues& v) -> const ContactIdEntry& {
                  return v.remoteMonitoring.inputs[static_cast<size_t>(n)];
              });
    entry(QStringLiteral("Tamper:"), 1104,
          [](const ImageValues& v) -> const ContactIdEntry& { return v.remoteMonitoring.tamper; });
    entry(QStringLiteral("Táp:"), 1112,
          [](const ImageValues& v) -> const ContactIdEntry& { return v.remoteMonitoring.power; });
    b.add(
        "Életjel: CID", 1168, 1170, "DigitCode 3",
        [](const ImageValues& v) { return textText(v.remoteMonitoring.lifeSignalCode); }, rm);
    b.add("Életjel", 76, 76, "bit 6",
          [](const ImageValues& v) { return boolText(v.remoteMonitoring.lifeSignalReport); });
    b.add("Életjel ciklus: [perc]", 104, 105, "16-bit", [](const ImageValues& v) {
        return numberText(v.remoteMonitoring.lifeSignalCycleMinutes);
    });
    b.add(
        "Telefonszám 1.", 1248, 1263, "phone number, 16 bytes",
        [](const ImageValues& v) { return textText(v.remoteMonitoring.receiver1); }, rm);
    b.add(
        "Telefonszám 2.", 1264, 1279, "phone number, 16 bytes",
        [](const ImageValues& v) { return textText(v.remoteMonitoring.receiver2); }, rm);
    b.add("Jelszint TX:", 102, 102, "level + 1",
          [](const ImageValues& v) -> std::optional<QString> {
              if (!v.remoteMonitoring.txLevel)
                  return std::nullopt;
              return QString::number(*v.remoteMonitoring.txLevel + 1);
          });
    b.add("Jelszint RX:", 103, 103, "value table",
          [](const ImageValues& v) -> std::optional<QString> {
              if (!v.remoteMonitoring.rxLevel)
                  return std::nullopt;
              return QString::number(*v.remoteMonitoring.rxLevel + 1);
          });

    b.page("GPRS");
    b.add("Test jelentés iideje [sec]", 92, 93, "16-bit",
          [](const ImageValues& v) { return numberText(v.gprs.testPeriodSeconds); });
    b.add(
        "APN", 640, 711, "connection text",
        [](const ImageValues& v) { return textText(v.gprs.accessPoint); }, Carried::Model100);
    b.add(
        "Server IP", 400, 461, "connection text",
        [](const ImageValues& v) { return textText(v.gprs.server); }, Carried::Model100);

    b.page("Nyitás/Zárás");
    b.add("SMS (nyitáskor)", 118, 118, "TargetMask",
          [](const ImageValues& v) { return targetText(v.openClose.openingSms); });
    b.add("SMS (záráskor)", 119, 119, "TargetMask",
          [](const ImageValues& v) { return targetText(v.openClose.closingSms); });
    b.add(
        "SMS szöveg (nyitáskor):", 896, 927, "ImageText 32",
        [](const ImageValues& v) { return textText(v.openClose.openingText); },
        Carried::Models70To90);
    b.add("SMS szöveg (záráskor):", 928, 959, "ImageText 32",
          [](const ImageValues& v) { return textText(v.openClose.closingText); });

    b.page("Szám azonosítás");
    b.add("Bejövő hívás felvétele (azonosított)", 122, 122, "16 + 2 x box",
          [](const ImageValues& v) { return boolText(v.callerId.answerIdentifiedCalls); });

    b.page("CID/SMS");
    for (int k = 1; k <= 16; ++k) {
        const int at = kRecordSize * (31 + k);
        b.add(
            QStringLiteral("Partíció sor %1").arg(k), at, at + kRecordSize - 1, "CodeRecord",
            [k](const ImageValues& v) -> std::optional<QString> {
                const auto& row = v.codeRecords.partitions[static_cast<size_t>(k - 1)];
                if (!row)
                    return std::nullopt;
                return row->code + QStringLiteral(" ") + quoted(row->name);
            },
            Carried::Model100);
    }
    for (int k = 1; k <= 161; ++k) {
        const int at = kRecordSize * (47 + k);
        b.add(
            QStringLiteral("Contact ID kód sor %1").arg(k), at, at + kRecordSize - 1, "CodeRecord",
            [k](const ImageValues& v) -> std::optional<QString> {
                const auto& row = v.codeRecords.codes[static_cast<size_t>(k - 1)];
                if (!row)
                    return std::nullopt;
                return row->code + QStringLiteral(" ") + quoted(row->name) +
                       QStringLiteral(" SMS ") + targetsText(row->sms);
            },
            Carried::Model100);
    }

    return out;
}

} // namespace

const std::vector<Field>& fields() {
    static const std::vector<Field> all = buildFields();
    return all;
}

bool carriedBy(const Field& field, int modelCode) {
    switch (field.carried) {
    case Carried::All:
        return true;
    case Carried::Models70To90:
        return modelCode != kCodeRecordModel;
    case Carried::Model100:
        return modelCode == kCodeRecordModel;
    }
    return true;
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

} // namespace FieldMap
