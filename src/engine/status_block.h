#pragma once
// The module's live status block (16 bytes from address 512, 32 for
// ModelCode 100 from version 2.5) as the status window shows it.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace StatusBlock {

// An indicator panel: red for a set bit (active, alarm), green for a clear
// one, grey where the model has no such input or output.
enum class Lamp { Clear, Set, Absent };
// The signal gauge's colour by strength 0..31.
enum class GaugeColour { Red, Yellow, Blue, Green, Lime };

struct Display {
    std::array<Lamp, 4> inputs{};
    Lamp tamper = Lamp::Clear;
    Lamp supply = Lamp::Clear;
    Lamp output1 = Lamp::Clear;
    Lamp output2 = Lamp::Clear;
    Lamp arming = Lamp::Clear;
    bool output1Active = false; // bit 2 of S[4], whatever the model shows
    int signal = 0;
    GaugeColour signalColour = GaugeColour::Red;
    QString errorText;              // `Edit1`
    QString networkText;            // `Edit2`
    QString clockText;              // first status-bar panel; empty for ModelCode 100
    std::optional<int> temperature; // none: hidden (versions below 1.8)
    // The last Contact ID message (ModelCode 100 from 2.5).
    bool contactIdShown = false;
    QString lastContactId; // `Edit4`
    QString account;       // `Edit5`
    QString partitionZone; // `Edit6`
    QString eventCode;     // `Edit7`
};

GaugeColour signalColour(int strength);
// One Contact ID digit code: 10 "0", 1..9, 11..15 "B".."F", 63 "?", else "x".
QChar digitCharacter(uint8_t code);
// Bytes beyond the block are read as 0.
Display decode(std::span<const uint8_t> block, int modelCode, int moduleVersion, int language);

} // namespace StatusBlock
