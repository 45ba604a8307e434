#include "image/field_table.h"

#include "image/image_fields.h"

#include <array>
#include <set>

namespace FieldTable {
namespace {

template <size_t N>
ItemList withStoredBytes(const std::array<uint8_t, N>& stored, const QStringList& texts) {
    ItemList items;
    for (size_t i = 0; i < N; ++i)
        items.push_back({texts[static_cast<int>(i)], stored[i]});
    return items;
}

ItemList numbered(int count, int firstStored) {
    ItemList items;
    for (int i = 0; i < count; ++i)
        items.push_back({QString::number(i + 1), firstStored + i});
    return items;
}

QString onOff(bool on) {
    return on ? QStringLiteral("be") : QStringLiteral("ki");
}

QString targetsText(const TargetList& t) {
    QStringList numbers;
    for (size_t i = 0; i < t.size(); ++i)
        if (t[i])
            numbers << QString::number(i + 1);
    return numbers.isEmpty() ? QStringLiteral("-") : numbers.join(QLatin1Char(','));
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The option boxes of an InputRecord's fourth byte, in the order the pages
// show them, with the digit each box's objectName ends in.
struct OptionRow {
    const char* caption;
    bool InputOptions::*member;
    int bit;
    char digit;
    bool onByDefault; // where the page has the box
};
// clang-format off
const std::array<OptionRow, 6> kOptionBoxes{{
    {"Visszaállásról is SMS/hívás",                            &InputOptions::restoreToo,       0, '1', false},
    {"Szirénahang",                                            &InputOptions::siren,            2, '3', true},
    {"Hangüzenet küldése",                                     &InputOptions::voiceMessage,     3, '4', false},
    {"Távfelügyelet értesítés",                                &InputOptions::remoteMonitoring, 4, '5', false},
    {"Híváskor nem kell felvenni",                             &InputOptions::noPickUp,         5, '6', false},
    {"DTMF nyugtázás híváskor (# nyugta, * nyugta és törlés)", &InputOptions::dtmfAck,          6, '7', false},
}};
// clang-format on

constexpr uint8_t kAllBoxes = 0x7D;       // bits 0, 2..6
constexpr uint8_t kNoVoiceMessage = 0x75; // all but bit 3
constexpr uint8_t kRestoreOnly = 0x01;

using RecordOf = InputPageValues& (*)(ImageValues&);

// One input record page: its record, its text, its own option boxes and the
// names its controls follow.
struct RecordPage {
    const char* page;
    RecordOf values;
    int record;
    int text; // -1: none
    uint8_t boxes;
    int number;              // ComboBoxN, CheckBoxN, SMSstN, VOICEstN
    const char* boxPrefix;   // option boxes are <prefix><number><digit>
    const char* textControl; // riasztasN
    int defaultType;
    const char* defaultText;
    Carried textCarried;
    bool keepsEveryNumber = false; // the lists keep numbers whose slot is empty
};

class Builder {
  public:
    explicit Builder(std::vector<Field>& out) : out_(out) {}

    Builder& page(const char* caption) {
        page_ = QString::fromUtf8(caption);
        return *this;
    }
    Field& add(const QString& control, const QString& name, int first, int last, Encoding encoding,
               const char* encodingText, std::function<Slot(ImageValues&)> slot, Value initial,
               Carried carried = Carried::All) {
        Field f;
        f.page = page_;
        f.control = control;
        f.id = control;
        f.name = name;
        f.first = first;
        f.last = last;
        f.encoding = encoding;
        f.encodingText = QString::fromLatin1(encodingText);
        f.carried = carried;
        f.slot = std::move(slot);
        f.defaultValue = std::move(initial);
        out_.push_back(std::move(f));
        return out_.back();
    }
    Field& add(const char* control, const char* name, int first, int last, Encoding encoding,
               const char* encodingText, std::function<Slot(ImageValues&)> slot, Value initial,
               Carried carried = Carried::All) {
        return add(QString::fromLatin1(control), QString::fromUtf8(name), first, last, encoding,
                   encodingText, std::move(slot), std::move(initial), carried);
    }

    // Type and inverted flag in the record's first byte, the SMS and call lists
    // in the next two, the page's own option boxes in the fourth, and its SMS
    // text when it has one.
    void record(const RecordPage& r) {
        page(r.page);
        const RecordOf get = r.values;
        const QString n = QString::number(r.number);
        add(
            QStringLiteral("ComboBox") + n, QStringLiteral("Bemenet Típusa:"), r.record, r.record,
            Encoding::ListIndex, "InputRecord type, bits 0..6",
            [get](ImageValues& v) -> Slot { return &get(v).type; }, r.defaultType)
            .items = &inputTypes();
        add(
            QStringLiteral("CheckBox") + n, QStringLiteral("Invertált működés"), r.record, r.record,
            Encoding::Bit, "InputRecord bit 7",
            [get](ImageValues& v) -> Slot { return &get(v).inverted; }, false);
        add(
            QStringLiteral("SMSst") + n, QStringLiteral("SMS"), r.record + 1, r.record + 1,
            Encoding::TargetMask, "TargetMask",
            [get](ImageValues& v) -> Slot { return &get(v).sms; }, TargetList{})
            .keepsEveryNumber = r.keepsEveryNumber;
        add(
            QStringLiteral("VOICEst") + n, QStringLiteral("Hívás"), r.record + 2, r.record + 2,
            Encoding::TargetMask, "TargetMask",
            [get](ImageValues& v) -> Slot { return &get(v).voice; }, TargetList{})
            .keepsEveryNumber = r.keepsEveryNumber;
        for (const OptionRow& box : kOptionBoxes) {
            if (!(r.boxes & (1u << box.bit)))
                continue;
            add(
                QString::fromLatin1(r.boxPrefix) + n + QLatin1Char(box.digit),
                QString::fromUtf8(box.caption), r.record + 3, r.record + 3, Encoding::Bit,
                "InputRecord option bit", [get](ImageValues& v) -> Slot { return &get(v).options; },
                box.onByDefault)
                .option = box.member;
        }
        if (r.text >= 0)
            add(
                QString::fromLatin1(r.textControl), QStringLiteral("SMS szöveg:"), r.text,
                r.text + kSmsTextSize - 1, Encoding::ImageText, "ImageText 32",
                [get](ImageValues& v) -> Slot { return &get(v).text; },
                QString::fromUtf8(r.defaultText), r.textCarried);
    }

  private:
    std::vector<Field>& out_;
    QString page_;
};

std::vector<Field> buildFields() {
    std::vector<Field> out;
    Builder b(out);
    using E = Encoding;
    using V = ImageValues;

    b.page("Telefonszámok");
    for (int n = 0; n < 8; ++n)
        b.add(
            QStringLiteral("MaskEdit%1").arg(n + 1), QStringLiteral("%1. telefonszám").arg(n + 1),
            256 + 16 * n, 256 + 16 * n + 15, E::PhoneNumber, "phone number, 16 bytes",
            [n](V& v) -> Slot { return &v.phones.numbers[static_cast<size_t>(n)]; }, QString());

    // The input pages differ only in their slot; the lambdas cannot capture.
    static constexpr std::array<RecordOf, 4> inputs{
        [](V& v) -> InputPageValues& { return v.inputs[0]; },
        [](V& v) -> InputPageValues& { return v.inputs[1]; },
        [](V& v) -> InputPageValues& { return v.inputs[2]; },
        [](V& v) -> InputPageValues& { return v.inputs[3]; }};
    static const std::array<const char*, 4> inputPages{"Be1", "Be2", "Be3", "Be4"};
    static const std::array<const char*, 4> inputTexts{"riasztas", "riasztas2", "riasztas3",
                                                       "riasztas4"};
    static const std::array<const char*, 4> inputDefaults{
        "1 bemenet riasztas", "2 bemenet riasztas", "3 bemenet riasztas", "4 bemenet riasztas"};
    for (size_t n = 0; n < 4; ++n)
        b.record({inputPages[n], inputs[n], 8 + 4 * static_cast<int>(n),
                  512 + kSmsTextSize * static_cast<int>(n), kAllBoxes, static_cast<int>(n) + 1,
                  "best", inputTexts[n], n < 2 ? 1 : 0, inputDefaults[n], Carried::All});

    b.page("Kimenet");
    for (int n = 0; n < 2; ++n) {
        const int address = n == 0 ? 64 : 67;
        const QString prefix = QStringLiteral("Kimenet %1: ").arg(n + 1);
        const QString k = QString::number(n + 1);
        const auto o = static_cast<size_t>(n);
        b.add(
             QStringLiteral("ComboKi") + k, prefix + QStringLiteral("mód"), address, address,
             E::ListIndex, "bits", [o](V& v) -> Slot { return &v.outputs[o].mode; }, 0)
            .items = &outputModes();
        b.add(
            QStringLiteral("CheckBox2KI") + k, prefix + QStringLiteral("Riasztáskor vezérlés"),
            address, address, E::Bit, "bit", [o](V& v) -> Slot { return &v.outputs[o].onAlarm; },
            false);
        b.add(
            QStringLiteral("CheckBox1KI") + k,
            prefix + QStringLiteral("Hivószámazonosításkor vezérlés"), address, address, E::Bit,
            "bit", [o](V& v) -> Slot { return &v.outputs[o].onCallerId; }, n == 0);
        if (n == 0)
            b.add(
                QStringLiteral("CheckBox3KI1"), prefix + QStringLiteral("NINCS hívószámazonosítás"),
                address, address, E::Bit, "bit",
                [o](V& v) -> Slot { return &v.outputs[o].noCallerId; }, false);
        b.add(
             QStringLiteral("SpinKI") + k, prefix + QStringLiteral("idő [sec]"), address + 1,
             address + 2, E::Word, "16-bit", [o](V& v) -> Slot { return &v.outputs[o].seconds; }, 3)
            .range = kOutputSecondsRange;
    }

    b.record({"Tamper", [](V& v) -> InputPageValues& { return v.tamper; }, 40, 768, kNoVoiceMessage,
              9, "best", "riasztas9", 1, "Belso szabotazs riasztas", Carried::All});

    b.record({"Tápmonitor", [](V& v) -> InputPageValues& { return v.power.input; }, 44, 800,
              kNoVoiceMessage, 10, "best", "riasztas10", 1, "Belso taphiba riasztas",
              Carried::All});
    b.add(
         "ComboBox20", "Riasztási feszültség érték:", 114, 114, E::ListIndex, "value table",
         [](V& v) -> Slot { return &v.power.alarmVoltage; }, kDefaultPowerAlarmVoltage)
        .items = &alarmVoltages();

    b.record({"Hőmérséklet", [](V& v) -> InputPageValues& { return v.temperature.input; }, 48, -1,
              kRestoreOnly, 13, "best", nullptr, 0, nullptr, Carried::All, true});
    // Each limit byte holds the value while its box is checked, else 255.
    auto limit = [](const std::optional<bool>& on,
                    const std::optional<int>& value) -> std::optional<QString> {
        if (!on)
            return std::nullopt;
        return *on ? QString::number(value.value_or(0)) : onOff(false);
    };
    b.add(
         "hkompmax", "Max hőmérséklet", 82, 82, E::Byte, "byte, 255 off",
         [](V& v) -> Slot { return &v.temperature.maxEnabled; }, false)
        .show = [limit](const V& v) {
        return limit(v.temperature.maxEnabled, v.temperature.maxValue);
    };
    b.add(
         "SpinEdit6", "Max hőmérséklet", 82, 82, E::Byte, "byte, 255 off",
         [](V& v) -> Slot { return &v.temperature.maxValue; }, 0)
        .listed = false;
    b.add(
         "hkompmin", "Min hőmérséklet", 83, 83, E::Byte, "byte, 255 off",
         [](V& v) -> Slot { return &v.temperature.minEnabled; }, false)
        .show = [limit](const V& v) {
        return limit(v.temperature.minEnabled, v.temperature.minValue);
    };
    b.add(
         "SpinEdit7", "Min hőmérséklet", 83, 83, E::Byte, "byte, 255 off",
         [](V& v) -> Slot { return &v.temperature.minValue; }, 0)
        .listed = false;

    b.record({"Sebesség", [](V& v) -> InputPageValues& { return v.speed.input; }, 24, 640,
              kRestoreOnly, 5, "BEst", "riasztas5", 0, "Sebesseg tullepes", Carried::Models70To90});
    b.add(
         "SpinEdit8", "Sebesség határ [km/h]", 85, 85, E::Byte, "byte",
         [](V& v) -> Slot { return &v.speed.limitKmh; }, 120)
        .range = kSpeedLimitRange;

    b.record({"Emelés", [](V& v) -> InputPageValues& { return v.lift.input; }, 28, 672,
              kRestoreOnly, 6, "BEst", "riasztas6", 0, "Sebesseg tullepes", Carried::Models70To90});
    b.add(
         "SpinEdit9", "Emelés beállítás", 86, 86, E::Byte, "byte",
         [](V& v) -> Slot { return &v.lift.setting; }, 6)
        .range = kLiftSettingRange;

    b.page("Életjel");
    b.add(
        "CheckBox11", "Életjel küldés", 70, 70, E::Byte, "days, 0 off",
        [](V& v) -> Slot { return &v.lifeSignal.enabled; }, false);
    b.add(
        "SpinEdit1", "naponként", 70, 70, E::Byte, "days, 0 off",
        [](V& v) -> Slot { return &v.lifeSignal.periodDays; }, 7);
    b.add(
        "SpinEdit2", "órakor küldés", 71, 72, E::ClockHour, "clock hour, 2 ASCII digits",
        [](V& v) -> Slot { return &v.lifeSignal.hour; }, 12);
    b.add(
        "SpinEdit3", "nap múlva az első", 73, 73, E::Byte, "days + 1",
        [](V& v) -> Slot { return &v.lifeSignal.firstAfterDays; }, 0);
    b.add(
        "SMSst11", "SMS", 74, 74, E::TargetMask, "TargetMask",
        [](V& v) -> Slot { return &v.lifeSignal.sms; }, TargetList{});
    b.add(
        "riasztas11", "SMS szöveg:", 864, 895, E::ImageText, "ImageText 32",
        [](V& v) -> Slot { return &v.lifeSignal.text; },
        QStringLiteral("Eletjel kuldes, minden rendben.."));

    b.page("Egyéb");
    b.add(
        "Edit1", "SMS biztonsági kód:", 0, 3, E::AsciiCode, "ASCII 4",
        [](V& v) -> Slot { return &v.other.securityCode; }, QStringLiteral("1234"));
    struct OtherBit {
        const char* control;
        const char* name;
        const char* encoding;
        std::optional<bool> OtherPageValues::*member;
        int bit;
    };
    // clang-format off
    static const std::array<OtherBit, 5> otherBits{{
        {"CheckEgyeb1", "Körhívás funció",                           "bit 0", &OtherPageValues::roundCall,         0},
        {"CheckEgyeb3", "LED-ek kikapcsolása csukot fedőnél",        "bit 1", &OtherPageValues::ledsOffWhenClosed, 1},
        {"CheckEgyeb4", "Kimenet mentése memóriába",                 "bit 2", &OtherPageValues::saveOutput,        2},
        {"CheckEgyeb5", "Hívószámazonosításkor élesít/hatástalanít", "bit 3", &OtherPageValues::callerIdArming,    3},
        {"CheckEgyeb6", "Mikrofon üzemmód bekapcsolva",              "bit 4", &OtherPageValues::microphone,        4},
    }};
    // clang-format on
    for (const OtherBit& bit : otherBits) {
        const auto member = bit.member;
        b.add(
             bit.control, bit.name, 76, 76, E::Bit, bit.encoding,
             [member](V& v) -> Slot { return &(v.other.*member); }, false)
            .bit = bit.bit;
    }
    b.add(
        "CheckEgyeb2", "SMS átírányítás", 77, 77, E::Byte, "phone index, 255 off",
        [](V& v) -> Slot { return &v.other.smsRedirection; }, false);
    b.add(
         "ComboBox11", "SMS átírányítás telefonszám", 77, 77, E::Byte, "phone index, 255 off",
         [](V& v) -> Slot { return &v.other.smsRedirectionTarget; }, 0)
        .show = [](const V& v) -> std::optional<QString> {
        const auto& target = v.other.smsRedirectionTarget;
        if (!target)
            return std::nullopt;
        return isUnlisted(*target) ? unlistedText(*target) : QString::number(*target + 1);
    };
    b.add(
         "SpinEdit4", "Csöngetési idő [sec]:", 78, 78, E::Byte, "byte",
         [](V& v) -> Slot { return &v.other.ringSeconds; }, 30)
        .range = kRingRange;
    b.add(
         "SpinEdit5", "Max hivásismétlések száma", 79, 79, E::Byte, "byte",
         [](V& v) -> Slot { return &v.other.maxRedials; }, 50)
        .range = kRedialRange;
    b.add(
         "ComboBox12", "Bemenet szűrés", 80, 80, E::ListIndex, "value table",
         [](V& v) -> Slot { return &v.other.inputFilter; }, kDefaultInputFilter)
        .items = &inputFilters();
    b.add(
        "Edit8", "Bemenet visszaállás SMS szöveg:", 992, 1023, E::ImageText, "ImageText 32",
        [](V& v) -> Slot { return &v.other.restoreText; }, QStringLiteral("Visszaallas:"));
    b.add(
        "Edit12", "SMS fejléc:", 1280, 1406, E::ImageText, "ImageText 127",
        [](V& v) -> Slot { return &v.other.smsHeader; }, QString(), Carried::Models70To90);
    b.add(
        "Edit12", "SMS fejléc:", 896, 927, E::ImageText, "ImageText 32",
        [](V& v) -> Slot { return &v.other.smsHeader; }, QString(), Carried::Model100);
    b.add(
         "SpinEdit11", "PSTN Rx Gain:", 94, 94, E::Byte, "byte",
         [](V& v) -> Slot { return &v.gains.pstnRx; }, 20)
        .range = kPstnRxGainRange;
    b.add(
         "SpinEdit12", "PSTN Tx Gain:", 95, 95, E::Byte, "byte",
         [](V& v) -> Slot { return &v.gains.pstnTx; }, 5)
        .range = kGainRange;
    b.add(
         "SpinEdit13", "DTMF Rx Gain:", 96, 96, E::Byte, "byte",
         [](V& v) -> Slot { return &v.gains.dtmfRx; }, 40)
        .range = kGainRange;
    b.add(
         "SpinEdit14", "DTMF Tx Gain:", 97, 97, E::Byte, "byte",
         [](V& v) -> Slot { return &v.gains.dtmfTx; }, 40)
        .range = kGainRange;

    b.page("GPS");
    Field& receiver = b.add(
        "GPSbit0", "GPS vevő használata", 81, 81, E::Bit, "bit 0, set when off",
        [](V& v) -> Slot { return &v.gps.useReceiver; }, true);
    receiver.bit = 0;
    receiver.setWhenOff = true;
    b.add(
         "GPSbit1", "NMEA GPS kódok küldése", 81, 81, E::Bit, "bit 1",
         [](V& v) -> Slot { return &v.gps.sendNmea; }, false)
        .bit = 1;

    b.page("Távfelügyelet");
    const Carried rm = Carried::Models70To90;
    b.add(
        "CIDUGYFEL", "Ügyfélkód:", 1024, 1027, E::DigitCode, "DigitCode 4",
        [](V& v) -> Slot { return &v.remoteMonitoring.account; }, QStringLiteral("1234"), rm);
    struct Entry {
        const char* name;
        const char* code;
        const char* zone;
        int at;
        const char* codeDefault;
        const char* zoneDefault;
        ContactIdEntry& (*of)(V&);
    };
    // clang-format off
    static const std::array<Entry, 6> entries{{
        {"Be1:",    "CIDbe1",    "ZONAbe1",    1040, "130", "001", [](V& v) -> ContactIdEntry& { return v.remoteMonitoring.inputs[0]; }},
        {"Be2:",    "CIDbe2",    "ZONAbe2",    1048, "130", "002", [](V& v) -> ContactIdEntry& { return v.remoteMonitoring.inputs[1]; }},
        {"Be3:",    "CIDbe3",    "ZONAbe3",    1056, "130", "003", [](V& v) -> ContactIdEntry& { return v.remoteMonitoring.inputs[2]; }},
        {"Be4:",    "CIDbe4",    "ZONAbe4",    1064, "130", "004", [](V& v) -> ContactIdEntry& { return v.remoteMonitoring.inputs[3]; }},
        {"Tamper:", "CIDtamper", "ZONAtamper", 1104, "137", "001", [](V& v) -> ContactIdEntry& { return v.remoteMonitoring.tamper; }},
        {"Táp:",    "CIDtap",    "ZONAtap",    1112, "302", "001", [](V& v) -> ContactIdEntry& { return v.remoteMonitoring.power; }},
    }};
    // clang-format on
    for (const Entry& e : entries) {
        const auto of = e.of;
        const QString name = QString::fromUtf8(e.name);
        b.add(
            QString::fromLatin1(e.code), name + QStringLiteral(" CID"), e.at, e.at + 2,
            E::DigitCode, "DigitCode 3", [of](V& v) -> Slot { return &of(v).code; },
            QString::fromLatin1(e.codeDefault), rm);
        b.add(
            QString::fromLatin1(e.zone), name + QStringLiteral(" ZONA"), e.at + 3, e.at + 5,
            E::DigitCode, "DigitCode 3", [of](V& v) -> Slot { return &of(v).zone; },
            QString::fromLatin1(e.zoneDefault), rm);
    }
    b.add(
        "CIDelet", "Életjel: CID", 1168, 1170, E::DigitCode, "DigitCode 3",
        [](V& v) -> Slot { return &v.remoteMonitoring.lifeSignalCode; }, QStringLiteral("602"), rm);
    b.add(
         "ELETcid", "Életjel", 76, 76, E::Bit, "bit 6",
         [](V& v) -> Slot { return &v.remoteMonitoring.lifeSignalReport; }, false)
        .bit = 6;
    b.add(
         "SpinEdit17", "Életjel ciklus: [perc]", 104, 105, E::Word, "16-bit",
         [](V& v) -> Slot { return &v.remoteMonitoring.lifeSignalCycleMinutes; }, 1440)
        .range = kLifeSignalCycleRange;
    b.add(
        "TAV1", "Telefonszám 1.", 1248, 1263, E::AsciiText, "phone number, 16 bytes",
        [](V& v) -> Slot { return &v.remoteMonitoring.receiver1; }, QString(), rm);
    b.add(
        "TAV2", "Telefonszám 2.", 1264, 1279, E::AsciiText, "phone number, 16 bytes",
        [](V& v) -> Slot { return &v.remoteMonitoring.receiver2; }, QString(), rm);
    b.add(
         "ComboBox17", "Jelszint TX:", 102, 102, E::ListIndex, "level + 1",
         [](V& v) -> Slot { return &v.remoteMonitoring.txLevel; }, kDefaultTxLevel)
        .items = &txLevels();
    b.add(
         "ComboBox16", "Jelszint RX:", 103, 103, E::ListIndex, "value table",
         [](V& v) -> Slot { return &v.remoteMonitoring.rxLevel; }, kDefaultRxLevel)
        .items = &rxLevels();

    b.page("GPRS");
    b.add(
         "SpinEdit10", "Test jelentés iideje [sec]", 92, 93, E::Word, "16-bit",
         [](V& v) -> Slot { return &v.gprs.testPeriodSeconds; }, 10)
        .range = kTestPeriodRange;
    b.add(
        "Edit10", "APN", 640, 711, E::ConnectionText, "connection text",
        [](V& v) -> Slot { return &v.gprs.accessPoint; }, QString(), Carried::Model100);
    b.add(
        "Edit11", "Server IP", 400, 461, E::ConnectionText, "connection text",
        [](V& v) -> Slot { return &v.gprs.server; }, QString(), Carried::Model100);

    b.page("Nyitás/Zárás");
    b.add(
        "SMSst16", "SMS (nyitáskor)", 118, 118, E::TargetMask, "TargetMask",
        [](V& v) -> Slot { return &v.openClose.openingSms; }, TargetList{});
    b.add(
        "SMSst17", "SMS (záráskor)", 119, 119, E::TargetMask, "TargetMask",
        [](V& v) -> Slot { return &v.openClose.closingSms; }, TargetList{});
    b.add(
        "Edit17", "SMS szöveg (nyitáskor):", 896, 927, E::ImageText, "ImageText 32",
        [](V& v) -> Slot { return &v.openClose.openingText; }, QStringLiteral("nyitás"),
        Carried::Models70To90);
    b.add(
        "Edit18", "SMS szöveg (záráskor):", 928, 959, E::ImageText, "ImageText 32",
        [](V& v) -> Slot { return &v.openClose.closingText; }, QStringLiteral("zárás"));

    b.page("Szám azonosítás");
    b.add(
        "CheckEgyeb2_1", "Bejövő hívás felvétele (azonosított)", 122, 122, E::Bit, "16 + 2 x box",
        [](V& v) -> Slot { return &v.callerId.answerIdentifiedCalls; }, false);

    b.page("CID/SMS");
    for (int k = 1; k <= kPartitionRecordRows; ++k) {
        const int address = kCodeRecordSize * (kFirstPartitionRecord + k - 1);
        const auto i = static_cast<size_t>(k - 1);
        Field& f = b.add(
            QStringLiteral("StringGrid2"), QStringLiteral("Partíció sor %1").arg(k), address,
            address + kCodeRecordSize - 1, E::CodeRecord, "CodeRecord",
            [i](V& v) -> Slot { return &v.codeRecords.partitions[i]; }, PartitionRow{},
            Carried::Model100);
        f.cell = k;
        f.id = QStringLiteral("StringGrid2.%1").arg(k);
        f.show = [i](const V& v) -> std::optional<QString> {
            const auto& row = v.codeRecords.partitions[i];
            if (!row)
                return std::nullopt;
            return row->code + QStringLiteral(" ") + quoted(row->name);
        };
    }
    for (int k = 1; k <= kCodeRecordRows; ++k) {
        const int address = kCodeRecordSize * (kFirstCodeRecord + k - 1);
        const auto i = static_cast<size_t>(k - 1);
        const bool visible = k <= kVisibleCodeRecordRows;
        Field& f = b.add(
            visible ? QStringLiteral("StringGrid3") : QString(),
            QStringLiteral("Contact ID kód sor %1").arg(k), address, address + kCodeRecordSize - 1,
            E::CodeRecord, "CodeRecord", [i](V& v) -> Slot { return &v.codeRecords.codes[i]; },
            ContactIdCodeRow{}, Carried::Model100);
        f.cell = visible ? k : 0;
        f.id = QStringLiteral("StringGrid3.%1").arg(k);
        f.show = [i](const V& v) -> std::optional<QString> {
            const auto& row = v.codeRecords.codes[i];
            if (!row)
                return std::nullopt;
            return row->code + QStringLiteral(" ") + quoted(row->name) + QStringLiteral(" SMS ") +
                   targetsText(row->sms);
        };
    }
    return out;
}

template <class T> std::optional<QString> plainText(const std::optional<T>& v) {
    if (!v)
        return std::nullopt;
    if constexpr (std::is_same_v<T, bool>)
        return onOff(*v);
    else if constexpr (std::is_same_v<T, int>)
        return QString::number(*v);
    else if constexpr (std::is_same_v<T, QString>)
        return quoted(*v);
    else if constexpr (std::is_same_v<T, TargetList>)
        return targetsText(*v);
    else
        return std::nullopt;
}

} // namespace

QString unlistedText(int value) {
    return QStringLiteral("[%1]").arg(unlistedStored(value));
}

bool carriedBy(Carried carried, int modelCode) {
    switch (carried) {
    case Carried::All:
        return true;
    case Carried::Models70To90:
        return modelCode != ImageFields::kCodeRecordModel;
    case Carried::Model100:
        return modelCode == ImageFields::kCodeRecordModel;
    }
    return true;
}

const ItemList& inputTypes() {
    static const ItemList items{
        {QStringLiteral("00/ Nem használt"), 0}, {QStringLiteral("01/ 24h normál bemenet"), 1},
        {QStringLiteral("02/ tartalék"), 2},     {QStringLiteral("03/ Központi bemenet"), 3},
        {QStringLiteral("04/ tartalék"), 4},     {QStringLiteral("05/ Ki/be kapcsolás"), 5}};
    return items;
}

const ItemList& outputModes() {
    static const ItemList items{{QStringLiteral("Egyállapotú időzített (MONO)"), 0x00},
                                {QStringLiteral("Kétállapotú (BI)"), 0x01},
                                {QStringLiteral("Élesítés/Hatástalanítás"), 0x10}};
    return items;
}

const ItemList& inputFilters() {
    static const ItemList items =
        withStoredBytes(kInputFilterBytes, {QStringLiteral("Kikapcsolva"),
                                            QStringLiteral("Alacsony"), QStringLiteral("Normál"),
                                            QStringLiteral("Közepes"), QStringLiteral("Erős")});
    return items;
}

const ItemList& alarmVoltages() {
    static const ItemList items =
        withStoredBytes(kPowerAlarmVoltageBytes,
                        {QStringLiteral("7V"), QStringLiteral("8V"), QStringLiteral("9V"),
                         QStringLiteral("9,5V"), QStringLiteral("10V"), QStringLiteral("10,5V"),
                         QStringLiteral("11V"), QStringLiteral("11,5V"), QStringLiteral("12V"),
                         QStringLiteral("12,5V"), QStringLiteral("13V")});
    return items;
}

const ItemList& txLevels() {
    static const ItemList items = numbered(9, 1);
    return items;
}

const ItemList& rxLevels() {
    static const ItemList items = [] {
        ItemList list = numbered(static_cast<int>(kRxLevelBytes.size()), 0);
        for (size_t i = 0; i < list.size(); ++i)
            list[i].stored = kRxLevelBytes[i];
        return list;
    }();
    return items;
}

const std::vector<OptionBox>& optionBoxes() {
    static const std::vector<OptionBox> boxes = [] {
        std::vector<OptionBox> out;
        for (const auto& box : kOptionBoxes)
            out.push_back({QString::fromUtf8(box.caption), box.member});
        return out;
    }();
    return boxes;
}

QStringList itemTexts(const ItemList& items) {
    QStringList texts;
    for (const ListItem& item : items)
        texts << item.text;
    return texts;
}

const std::vector<Field>& fields() {
    static const std::vector<Field> all = buildFields();
    return all;
}

Slot slotOf(const Field& field, ImageValues& values) {
    return field.slot(values);
}

std::optional<QString> shownText(const Field& field, const ImageValues& values) {
    if (field.show)
        return field.show(values);
    const Slot slot = slotOf(field, const_cast<ImageValues&>(values));
    if (field.option) {
        const auto& options = *std::get<std::optional<InputOptions>*>(slot);
        if (!options)
            return std::nullopt;
        return onOff((*options).*field.option);
    }
    if (field.items) {
        const auto& index = *std::get<std::optional<int>*>(slot);
        if (!index)
            return std::nullopt;
        const auto& items = *field.items;
        if (isUnlisted(*index))
            return unlistedText(*index);
        return *index >= 0 && *index < static_cast<int>(items.size())
                   ? items[static_cast<size_t>(*index)].text
                   : QString::number(*index);
    }
    return std::visit([](auto* v) { return plainText(*v); }, slot);
}

const std::vector<size_t>& distinctSlots() {
    static const std::vector<size_t> indexes = [] {
        std::vector<size_t> out;
        ImageValues probe;
        std::set<const void*> seen;
        const auto& all = fields();
        for (size_t i = 0; i < all.size(); ++i) {
            const void* address =
                std::visit([](auto* p) -> const void* { return p; }, slotOf(all[i], probe));
            if (seen.insert(address).second)
                out.push_back(i);
        }
        return out;
    }();
    return indexes;
}

} // namespace FieldTable
