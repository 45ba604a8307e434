#pragma once
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// The configurator's values as plain data, one struct per page group. Encode
// writes what a field holds; an empty optional leaves the image bytes as they were.
// Decode fills every field it reads.

// Page "Telefonszámok": slot n at 256 + 16 * (n - 1), as the masked edit shows it.
struct PhoneNumberValues {
    std::array<std::optional<QString>, 8> numbers;
};

// Pages "Be1".."Be4", "Tamper", "Tápmonitor", "Hőmérséklet", "Sebesség", "Emelés":
// records, target lists, option boxes and SMS texts.
struct InputPageValues {};

// Page "Kimenet": bytes 64..69.
struct OutputValues {};

// Page "Életjel": bytes 70..74 and its text at 864.
struct LifeSignalValues {};

// Page "Egyéb": security code, option bits of 76, redirection, ring, filter,
// power alarm voltage, restore text and SMS header.
struct OtherPageValues {
    // Stored only when exactly four characters long.
    std::optional<QString> securityCode;
};

// Page "GPS": byte 81, speed limit 85 and lift setting 86.
struct GpsValues {};

// Page "GPRS": test period 92..93, access-point and server texts.
struct GprsValues {};

// Telephone-line gains 94..97 and levels 102, 103 (ModelCode 100 uses the gains).
struct LineValues {};

// Page "Távfelügyelet": account, event codes and zones, receiver numbers, cycle 104..105.
struct RemoteMonitoringValues {};

// Page "Nyitás/Zárás": masks 118, 119 and texts 896, 928; caller-ID bit of 122.
struct OpenCloseValues {};

// Page "CID/SMS" (ModelCode 100): partition records 32..47 and code records 48..208.
struct CodeRecordValues {};

struct ImageValues {
    PhoneNumberValues phones;
    InputPageValues inputs;
    OutputValues outputs;
    LifeSignalValues lifeSignal;
    OtherPageValues other;
    GpsValues gps;
    GprsValues gprs;
    LineValues line;
    RemoteMonitoringValues remoteMonitoring;
    OpenCloseValues openClose;
    CodeRecordValues codeRecords;
};
