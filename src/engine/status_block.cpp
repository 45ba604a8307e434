#include "engine/status_block.h"

#include "i18n/messages.h"

namespace StatusBlock {

namespace {
constexpr int kModelOneInput = 80; // inputs 3, 4, supply and output 2 absent
constexpr int kModelMemoryCheck = 71;
constexpr int kModelContactId = 100;
constexpr int kContactIdVersion = 25;
constexpr int kTemperatureVersion = 18;

Lamp lamp(uint8_t byte, int bit) {
    return (byte >> bit) & 1 ? Lamp::Set : Lamp::Clear;
}

QString errorText(uint8_t error, uint8_t contactIdState, int language) {
    if (error == 0) {
        static const char* const kContactIdStates[] = {
            "CID: Tárcsázás", "CID: Felvéve a vonal/ Handshake várása", "CID: handshake OK",
            "CID: Send DTMF", "CID: CID send ok"};
        if (contactIdState >= 1 && contactIdState <= 5)
            return QString::fromUtf8(kContactIdStates[contactIdState - 1]);
        // "No error" is said in Hungarian only; the other languages leave it empty.
        return language == 0 ? QStringLiteral("Nincs hiba") : QString();
    }
    switch (error) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 10:
        return message(QStringLiteral("status.error.%1").arg(error).toLatin1().constData(),
                       language);
    case 12:
        return QStringLiteral("GSM monitor mode");
    default:
        return QStringLiteral("Ismeretlen hiba: %1").arg(error);
    }
}

QString networkText(uint8_t state, int language) {
    if (state <= 3)
        return message(QStringLiteral("status.net.%1").arg(state).toLatin1().constData(), language);
    return QStringLiteral("Ismeretlen állapot: %1").arg(state);
}
} // namespace

GaugeColour signalColour(int strength) {
    if (strength <= 5)
        return GaugeColour::Red;
    if (strength <= 10)
        return GaugeColour::Yellow;
    if (strength <= 15)
        return GaugeColour::Blue;
    if (strength <= 20)
        return GaugeColour::Green;
    return GaugeColour::Lime;
}

QChar digitCharacter(uint8_t code) {
    if (code == 10)
        return QLatin1Char('0');
    if (code >= 1 && code <= 9)
        return QLatin1Char(static_cast<char>('0' + code));
    if (code >= 11 && code <= 15)
        return QLatin1Char(static_cast<char>('B' + code - 11));
    if (code == 63)
        return QLatin1Char('?');
    return QLatin1Char('x');
}

Display decode(std::span<const uint8_t> block, int modelCode, int moduleVersion, int language) {
    auto S = [&](size_t i) -> uint8_t { return i < block.size() ? block[i] : 0; };
    Display d;
    const bool oneInput = modelCode == kModelOneInput;
    d.inputs[0] = lamp(S(0), 0);
    d.inputs[1] = lamp(S(0), 1);
    d.inputs[2] = oneInput ? Lamp::Absent : lamp(S(0), 2);
    d.inputs[3] = oneInput ? Lamp::Absent : lamp(S(0), 3);

    d.signal = S(3);
    d.signalColour = signalColour(d.signal);
    d.errorText = errorText(S(2), S(11), language);
    d.networkText = networkText(S(1), language);

    d.tamper = lamp(S(4), 0);
    d.output1 = lamp(S(4), 2);
    d.output1Active = d.output1 == Lamp::Set;
    d.arming = lamp(S(4), 4);
    if (modelCode == kModelMemoryCheck && !(S(4) & 0x80))
        d.errorText = QStringLiteral("MEMORY FAULT");
    d.supply = oneInput ? Lamp::Absent : lamp(S(4), 1);
    d.output2 = oneInput ? Lamp::Absent : lamp(S(4), 3);

    if (modelCode != kModelContactId) {
        QString clock;
        for (size_t i = 5; i <= 8; ++i) {
            // The clock digits are ASCII; anything else is shown as a dot.
            const uint8_t c = S(i);
            clock += (c >= 0x20 && c < 0x7F) ? QLatin1Char(static_cast<char>(c)) : QLatin1Char('.');
            if (i == 6)
                clock += QLatin1Char(':');
        }
        d.clockText = message("status.gsm_time", language) + clock;
    }
    if (moduleVersion >= kTemperatureVersion) {
        const int t = S(9) & 0x7F;
        d.temperature = (S(9) & 0x80) ? -t : t;
    }
    if (modelCode == kModelContactId) {
        d.inputs = {Lamp::Absent, Lamp::Absent, Lamp::Absent, Lamp::Absent};
        d.supply = d.output1 = d.output2 = Lamp::Absent;
    }
    if (modelCode == kModelContactId && moduleVersion >= kContactIdVersion) {
        d.contactIdShown = true;
        QString digits;
        for (size_t i = 16; i < 32; ++i)
            digits += digitCharacter(S(i));
        if (digits.startsWith(QLatin1Char('x'))) {
            d.lastContactId = QStringLiteral("Not");
        } else {
            d.lastContactId = digits;
            d.account = digits.mid(0, 4);
            d.partitionZone = digits.mid(10, 5);
            const QChar kind = digits[6];
            if (kind == QLatin1Char('1'))
                d.eventCode = QLatin1Char('E') + digits.mid(7, 3);
            else if (kind == QLatin1Char('3'))
                d.eventCode = QLatin1Char('R') + digits.mid(7, 3);
        }
    }
    return d;
}

} // namespace StatusBlock
