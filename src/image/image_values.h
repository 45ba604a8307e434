#pragma once
#include "image/image_codecs.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// The configurator's values as plain data, one struct per page. A page fills its
// struct from its controls before Encode and from Decode's result afterwards.
//
// - An empty optional leaves that field's image bytes exactly as they were. Where
//   several fields share one byte, an empty field keeps its own bits.
// - Decode fills every field it reads. A stored value that no item of a list
//   stores comes back as `unlistedValue(stored)`: the list names it in an entry
//   of its own, and Encode stores it back unchanged.
// - Stored numbers outside a spin's range come back as stored (the spin widens
//   to show them); Encode stores what it is given.
// - Where two fields share image bytes, one model carries only one of them (noted
//   at the field); Encode ignores the other and Decode leaves it empty.

// Inclusive range of a spin control.
struct ValueRange {
    int min = 0;
    int max = 0;
    constexpr int limit(int value) const { return value < min ? min : value > max ? max : value; }
};

// A list's value for a stored value none of its items stores. Item indexes
// stay far below it, so the stored value travels in the same int.
inline constexpr int kUnlistedBase = 1 << 16;
constexpr int unlistedValue(int stored) {
    return kUnlistedBase + stored;
}
constexpr bool isUnlisted(int value) {
    return value >= kUnlistedBase;
}
constexpr int unlistedStored(int value) {
    return value - kUnlistedBase;
}

// ---------------------------------------------------------------- Phone numbers

// Page "Telefonszámok": slot n at 256 + 16 * (n - 1). A number is what the masked
// edit shows (16 characters, blanks as spaces); Encode keeps the leading digits and
// '+' and ends the number at the first other character. A text whose first
// character is a space counts as empty: no check list can select that number.
struct PhoneNumberValues {
    std::array<std::optional<QString>, 8> numbers;
};

// ---------------------------------------------------------------- Input records

// Input type list "00/ Nem használt" .. "05/ Ki/be kapcsolás"; the index is the stored type.
inline constexpr int kInputTypeCount = 6;

// One input record page: "Be1".."Be4" (record 8 + 4 * (n - 1), text 512 + 32 * (n - 1)),
// "Tamper" (40, text 768), "Tápmonitor" (44, text 800), "Hőmérséklet" (48, no text),
// "Sebesség" (24, text 640) and "Emelés" (28, text 672).
struct InputPageValues {
    // Type list index 0..5 (ComboBox1..4, 9, 10, 13, 5, 6). Empty: no selection, the
    // stored type bits stay. Decode gives empty for a stored type above 5.
    std::optional<int> type;
    // "Invertált működés" as the box shows it. The power page stores it reversed
    // (bit 7 set when the box is NOT checked); the struct always holds the box.
    std::optional<bool> inverted;
    // SMS and call check lists (SMSstN, VOICEstN), item i = phone number i + 1. Encode
    // drops the items whose phone number is empty (selectableTargets), except on
    // "Hőmérséklet", whose lists keep what they hold.
    std::optional<TargetList> sms;
    std::optional<TargetList> voice;
    // Option boxes (bestN1, bestN3..bestN7). Only the page's own boxes are stored; the
    // other bits are written as 0 and decoded as false:
    //   "Be1".."Be4": all six;
    //   "Tamper", "Tápmonitor": all but voiceMessage;
    //   "Hőmérséklet", "Sebesség", "Emelés": restoreToo only.
    std::optional<InputOptions> options;
    // SMS text (riasztas, riasztas2..4, riasztas9, riasztas10, riasztas5, riasztas6),
    // at most 32 bytes in code page 1250; Decode gives " " for an empty text. Ignored on
    // "Hőmérséklet". The speed and lift texts share 640..703 with the access-point text
    // and are carried for ModelCodes 70..90 only (ModelCode 100 keeps the access point).
    std::optional<QString> text;
};

// "Tápmonitor": record 44..47 and the alarm voltage at 114.
struct PowerMonitorValues {
    InputPageValues input;
    // ComboBox20 "Riasztási feszültség érték:", index into kPowerAlarmVoltageBytes
    // ("7V" .. "13V"). Decode gives "11V" for a byte that is not in the table.
    std::optional<int> alarmVoltage;
};

// Stored bytes of the alarm voltages "7V", "8V", "9V", "9,5V", "10V", "10,5V", "11V",
// "11,5V", "12V", "12,5V", "13V".
inline constexpr std::array<uint8_t, 11> kPowerAlarmVoltageBytes{48, 55, 62, 65, 69, 72,
                                                                 76, 79, 83, 87, 90};
inline constexpr int kDefaultPowerAlarmVoltage = 6; // "11V"

// "Hőmérséklet": record 48..51 and the limits at 82 (maximum) and 83 (minimum), each
// the value when its box is checked, else 255. Decode fills the limits whatever the
// type; the page disables them while the type is 0 but keeps what they hold.
struct TemperatureValues {
    InputPageValues input;
    std::optional<bool> maxEnabled; // hkompmax "Max hőmérséklet"
    std::optional<int> maxValue;    // SpinEdit6, kTemperatureRange; Decode gives 0 when off
    std::optional<bool> minEnabled; // hkompmin "Min hőmérséklet"
    std::optional<int> minValue;    // SpinEdit7
};
inline constexpr ValueRange kTemperatureRange{0, 120};

// "Sebesség": record 24..27 and the speed limit at 85.
struct SpeedValues {
    InputPageValues input;
    std::optional<int> limitKmh; // SpinEdit8, km/h, kSpeedLimitRange
};
inline constexpr ValueRange kSpeedLimitRange{10, 250};

// "Emelés": record 28..31 and the lift setting at 86 (its meaning is the module's).
struct LiftValues {
    InputPageValues input;
    std::optional<int> setting; // SpinEdit9, kLiftSettingRange
};
inline constexpr ValueRange kLiftSettingRange{1, 32};

// ---------------------------------------------------------------- Outputs

// "Kimenet": output 1 at 64 and 65..66, output 2 at 67 and 68..69.
struct OutputValues {
    // ComboKi1 / ComboKi2: 0 "Egyállapotú időzített (MONO)", 1 "Kétállapotú (BI)",
    // 2 "Élesítés/Hatástalanítás".
    std::optional<int> mode;
    std::optional<bool> onAlarm;    // CheckBox2KIn "Riasztáskor vezérlés"
    std::optional<bool> onCallerId; // CheckBox1KIn "Hivószámazonosításkor vezérlés"
    // CheckBox3KI1 "NINCS hívószámazonosítás"; output 1 only, ignored for output 2.
    std::optional<bool> noCallerId;
    // The kept time in seconds, kOutputSecondsRange. Decode limits to the "Sec" range;
    // a page showing "Min" limits again to kOutputMinutesRange.
    std::optional<int> seconds;
};
inline constexpr ValueRange kOutputSecondsRange{1, 65535};
inline constexpr ValueRange kOutputMinutesRange{1, 1092};

// ---------------------------------------------------------------- Life signal

// "Életjel": bytes 70..74 and the text at 864.
struct LifeSignalValues {
    // CheckBox11 "Életjel küldés" and SpinEdit1 "naponként": byte 70 holds the days when
    // the box is checked, else 0. Decode gives at least 1 day (a stored 0 shows as 1
    // with the box unchecked). Give both: with the box checked and no days, 70 stays.
    std::optional<bool> enabled;
    std::optional<int> periodDays; // kLifeSignalDaysRange
    std::optional<int> hour; // SpinEdit2 "órakor küldés", 0..23, two ASCII digits at 71..72
    // SpinEdit3 "nap múlva az első", 0..255, stored as days + 1 (255 stores 0). Decode
    // does not read byte 73 and leaves this empty; give it only when the user set the
    // spin, so a read and send leaves the module's byte alone.
    std::optional<int> firstAfterDays;
    std::optional<TargetList> sms; // SMSst11, empty phone numbers dropped
    std::optional<QString> text;   // riasztas11, 32 bytes
};
inline constexpr ValueRange kLifeSignalDaysRange{1, 255};
inline constexpr ValueRange kClockHourRange{0, 23};
inline constexpr ValueRange kFirstLifeSignalRange{0, 255};

// ---------------------------------------------------------------- "Egyéb"

struct OtherPageValues {
    // Edit1 "SMS biztonsági kód:", bytes 0..3, one character per byte (Latin-1);
    // stored only when exactly 4 characters.
    std::optional<QString> securityCode;
    // Byte 76 bits 0..4; bits 5 and 7 are written as 0 whenever the byte is (bit 6 is
    // RemoteMonitoringValues::lifeSignalReport).
    std::optional<bool> roundCall;         // CheckEgyeb1 "Körhívás funció ..."
    std::optional<bool> ledsOffWhenClosed; // CheckEgyeb3 "LED-ek kikapcsolása csukot fedőnél"
    std::optional<bool> saveOutput;        // CheckEgyeb4 "Kimenet mentése memóriába"
    std::optional<bool> callerIdArming;    // CheckEgyeb5 "Hívószámazonosításkor élesít/..."
    std::optional<bool> microphone;        // CheckEgyeb6 "Mikrofon üzemmód bekapcsolva"
    // Byte 77: CheckEgyeb2 "SMS átírányítás" and ComboBox11 (phone index 0..7); 255 when
    // off. Decode leaves the target empty for a stored byte above 7 (no selection);
    // redirection on with an empty target keeps the stored byte.
    std::optional<bool> smsRedirection;
    std::optional<int> smsRedirectionTarget;
    std::optional<int> ringSeconds; // SpinEdit4 "Csöngetési idő [sec]:", byte 78, kRingRange
    std::optional<int> maxRedials; // SpinEdit5 "Max hivásismétlések száma", byte 79, kRedialRange
    // ComboBox12, index into kInputFilterBytes ("Kikapcsolva", "Alacsony", "Normál",
    // "Közepes", "Erős"), byte 80. Decode leaves it empty for a stored 2, which the
    // list cannot show.
    std::optional<int> inputFilter;
    std::optional<QString> restoreText; // Edit8 "Bemenet visszaállás SMS szöveg:", 992, 32 bytes
    // Edit12 "SMS fejléc:", at most kSmsHeaderLength characters: 1280..1406 (127 bytes)
    // for ModelCodes 70..90; for ModelCode 100 its first 32 bytes at 896, the slot of
    // the opening text.
    std::optional<QString> smsHeader;
};
inline constexpr ValueRange kRingRange{3, 180};
inline constexpr ValueRange kRedialRange{1, 180};
inline constexpr std::array<uint8_t, 5> kInputFilterBytes{0, 1, 3, 10, 60};
inline constexpr int kDefaultInputFilter = 2; // "Normál"
inline constexpr int kSmsHeaderLength = 120;

// ---------------------------------------------------------------- "GPS"

// Byte 81; its other bits stay as stored.
struct GpsValues {
    std::optional<bool> useReceiver; // GPSbit0 "GPS vevő használata", bit 0 set when NOT checked
    std::optional<bool> sendNmea;    // GPSbit1 "NMEA GPS kódok küldése", bit 1
};

// ---------------------------------------------------------------- "Távfelügyelet"

// One row of the remote-monitoring table: Contact ID event code and zone, three
// DigitCode characters each ('0'..'9', 'B'..'F', '?'; 'A' is stored as '0'). Decode
// shows an 'x' for each stored byte outside that alphabet; Encode stores 255 for a
// missing or unknown character, so 'x' goes back as 255.
struct ContactIdEntry {
    std::optional<QString> code; // CIDbe1.., "CID" column
    std::optional<QString> zone; // ZONAbe1.., "ZONA" column
};

// Entries at 1024 + 8 * n: account n = 0, inputs n = 2..5, tamper 10, power 11,
// life signal 18. The account, codes and receiver numbers (1024..1279) are carried
// for ModelCodes 70..90 only: ModelCode 100 keeps its partition records there.
struct RemoteMonitoringValues {
    std::optional<QString> account;        // CIDUGYFEL "Ügyfélkód:", 4 characters, 1024..1027
    std::array<ContactIdEntry, 4> inputs;  // "Be1:".."Be4:", 1040, 1048, 1056, 1064
    ContactIdEntry tamper;                 // "Tamper:", 1104
    ContactIdEntry power;                  // "Táp:", 1112
    std::optional<QString> lifeSignalCode; // CIDelet "Életjel:", 1168..1170, no zone
    // ELETcid "Életjel": byte 76 bit 6 (carried for every model).
    std::optional<bool> lifeSignalReport;
    // SpinEdit17 "Életjel ciklus: [perc]", minutes, 104..105, kLifeSignalCycleRange.
    std::optional<int> lifeSignalCycleMinutes;
    // TAV1, TAV2 "Telefonszám 1."/"2.": up to 16 characters as typed, at 1248 and 1264.
    std::optional<QString> receiver1;
    std::optional<QString> receiver2;
    // ComboBox17 "Jelszint TX:" index 0..8 (items "1".."9"). Shown only: Encode always
    // stores 7 at 102. Decode gives byte - 1, empty for a byte outside 1..9.
    std::optional<int> txLevel;
    // ComboBox16 "Jelszint RX:" index 0..9 (items "1".."10") into kRxLevelBytes, at
    // 103. Decode picks the highest item whose stored value is at least the byte;
    // empty (no selection, the byte stays) for a byte above 230.
    std::optional<int> rxLevel;
};
inline constexpr ValueRange kLifeSignalCycleRange{1, 65000};
inline constexpr std::array<uint8_t, 10> kRxLevelBytes{230, 220, 210, 200, 190,
                                                       175, 165, 150, 140, 135};
inline constexpr int kDefaultTxLevel = 5; // "6"
inline constexpr int kDefaultRxLevel = 6; // "7"

// ---------------------------------------------------------------- "GPRS"

// ComboBox14 "Kikapcsolva", "Varonet APN", "Egyéni APN": choosing Varonet fills the
// two texts with the monitoring service's access point and server (settings
// values, see settings/presets.h), the other items empty both. Not stored: the
// page shows Varonet when both texts equal the configured pair.
enum class ApnChoice { Off, Varonet, Custom };

// The two texts are ModelCode 100's (the only model with the page); for the other
// models 640..703 hold the speed and lift texts, and 400..461 and the rest of
// 640..711 stay as stored. The test period is carried for every model.
struct GprsValues {
    // SpinEdit10 "Test jelentés iideje [sec]", seconds, 92..93, kTestPeriodRange (every model).
    std::optional<int> testPeriodSeconds;
    // Edit10 "APN": at most kAccessPointLength characters, stored at 640 as
    // "<apn>","","" and 0xFF.
    std::optional<QString> accessPoint;
    // Edit11 "Server IP": at most kServerLength characters, stored at 400 as
    // "UDP","<server>","53500" and 0xFF.
    std::optional<QString> server;
};
inline constexpr ValueRange kTestPeriodRange{10, 65000};
inline constexpr int kAccessPointLength = 63;
inline constexpr int kServerLength = 45;

// ---------------------------------------------------------------- Line gains

// PSTN gain group of "Egyéb" (shown for ModelCode 100, carried for every model),
// bytes 94..97. "PSTN send" writes 94 and 95 alone after Encode.
struct LineGainValues {
    std::optional<int> pstnRx; // SpinEdit11 "PSTN Rx Gain:", kPstnRxGainRange
    std::optional<int> pstnTx; // SpinEdit12 "PSTN Tx Gain:", kGainRange
    std::optional<int> dtmfRx; // SpinEdit13 "DTMF Rx Gain:", kGainRange
    std::optional<int> dtmfTx; // SpinEdit14 "DTMF Tx Gain:", kGainRange
};
inline constexpr ValueRange kPstnRxGainRange{3, 80};
inline constexpr ValueRange kGainRange{1, 80};

// ---------------------------------------------------------------- "Nyitás/Zárás"

struct OpenCloseValues {
    // SMSst16 / SMSst17, at 118 / 119; items of empty phone numbers are dropped.
    std::optional<TargetList> openingSms;
    std::optional<TargetList> closingSms;
    // Edit17 "SMS szöveg (nyitáskor):", 32 bytes at 896. ModelCodes 70..90 only:
    // ModelCode 100 keeps its SMS header in that slot.
    std::optional<QString> openingText;
    // Edit18 "SMS szöveg (záráskor):", 32 bytes at 928.
    std::optional<QString> closingText;
};

// ---------------------------------------------------------------- "Szám azonosítás"

struct CallerIdValues {
    // CheckEgyeb2_1 "Bejövő hívás felvétele (azonosított)". Byte 122 is written as
    // 16 + 2 * this box (bit 4 always set, the other bits 0).
    std::optional<bool> answerIdentifiedCalls;
};

// ---------------------------------------------------------------- "CID/SMS"

// StringGrid2 row k (1..16) is record 31 + k, at 32 * (31 + k).
struct PartitionRow {
    // Five DigitCode characters (e.g. partition "01" and zone "003"); empty: the row
    // is empty, Encode stores 0xFF in the record's first byte and leaves the rest.
    // Decode gives an empty code when the first stored character is no DigitCode.
    QString code;
    // At most kRecordNameLength characters, code page 1250. Encode stores
    // "Partition+zone: " and the code for an empty name. Decode reads the name
    // whether or not the code is empty.
    QString name;
    bool operator==(const PartitionRow&) const = default;
};

// StringGrid3 row k (1..161) is record 47 + k; rows 160 and 161 (records 207, 208)
// lie beyond the visible grid and pass through.
struct ContactIdCodeRow {
    // "E" or "R" and a three-digit event code, e.g. "E130"; empty: the row is empty
    // (0xFF in the record's first byte, the rest left). A leading "E" is stored as
    // qualifier 1, "R" as 3.
    QString code;
    // At most kRecordNameLength characters; Encode stores "Event code: " and the
    // code for an empty name. Decode empties the name of an empty row.
    QString name;
    TargetList sms{}; // SMSst7 for this row, record byte 4
    bool operator==(const ContactIdCodeRow&) const = default;
};

inline constexpr int kPartitionRecordRows = 16;
inline constexpr int kCodeRecordRows = 161;
// Code rows beyond this lie past the end of the grid and pass through.
inline constexpr int kVisibleCodeRecordRows = 159;
// 32-byte records: partition row k is record kFirstPartitionRecord + k - 1,
// code row k record kFirstCodeRecord + k - 1.
inline constexpr int kCodeRecordSize = 32;
inline constexpr int kFirstPartitionRecord = 32;
inline constexpr int kFirstCodeRecord = 48;

// ModelCode 100 only. An empty row optional leaves its record as stored.
struct CodeRecordValues {
    std::array<std::optional<PartitionRow>, kPartitionRecordRows> partitions;
    std::array<std::optional<ContactIdCodeRow>, kCodeRecordRows> codes;
};
inline constexpr int kRecordNameLength = 26;

// ---------------------------------------------------------------- All pages

struct ImageValues {
    PhoneNumberValues phones;
    std::array<InputPageValues, 4> inputs; // "Be1".."Be4"
    InputPageValues tamper;
    PowerMonitorValues power;
    TemperatureValues temperature;
    SpeedValues speed;
    LiftValues lift;
    std::array<OutputValues, 2> outputs;
    LifeSignalValues lifeSignal;
    OtherPageValues other;
    GpsValues gps;
    GprsValues gprs;
    LineGainValues gains;
    RemoteMonitoringValues remoteMonitoring;
    OpenCloseValues openClose;
    CallerIdValues callerId;
    CodeRecordValues codeRecords;
};

// Every field as the window shows it before anything is read: the design defaults
// with the Hungarian texts (the language pass replaces the texts), all phone numbers
// empty, every check list clear and the code grids empty.
ImageValues defaultImageValues();
