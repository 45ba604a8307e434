// The status block decoder: any block of up to 32 bytes, any ModelCode,
// version and language. The lamps a model lacks are grey whatever the bits,
// the numbers stay in their ranges, and the last Contact ID message is either
// "Not" or sixteen digit characters with its parts cut from it.
//
// Input: model, version, language, then the block.

#include "engine/status_block.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    static const int kModels[] = {70, 71, 80, 90, 100};
    const int model = kModels[in.byte() % 5];
    const int version = in.byte();
    const int language = in.byte() % 5; // 4: not a language, read as Hungarian
    const QByteArray bytes = in.bytes(32);
    const std::span<const uint8_t> block(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                         static_cast<size_t>(bytes.size()));

    const StatusBlock::Display d = StatusBlock::decode(block, model, version, language);
    using L = StatusBlock::Lamp;
    FUZZ_CHECK(d.signal >= 0 && d.signal <= 255);
    FUZZ_CHECK(d.signalColour == StatusBlock::signalColour(d.signal));
    if (model == 80) {
        FUZZ_CHECK(d.inputs[2] == L::Absent && d.inputs[3] == L::Absent);
        FUZZ_CHECK(d.supply == L::Absent && d.output2 == L::Absent);
    }
    if (model == 100) {
        for (L lamp : d.inputs)
            FUZZ_CHECK(lamp == L::Absent);
        FUZZ_CHECK(d.clockText.isEmpty());
    } else {
        FUZZ_CHECK(d.inputs[0] != L::Absent && d.inputs[1] != L::Absent);
        FUZZ_CHECK(!d.clockText.isEmpty());
    }
    FUZZ_CHECK(d.tamper != L::Absent && d.arming != L::Absent);
    if (d.temperature)
        FUZZ_CHECK(*d.temperature >= -127 && *d.temperature <= 127);
    FUZZ_CHECK(d.temperature.has_value() == (version >= 18));
    FUZZ_CHECK(!d.errorText.isNull() || language != 0);
    FUZZ_CHECK(!d.networkText.isEmpty());
    FUZZ_CHECK(d.contactIdShown == (model == 100 && version >= 25));
    if (d.contactIdShown) {
        if (d.lastContactId == QLatin1String("Not")) {
            FUZZ_CHECK(d.account.isEmpty() && d.partitionZone.isEmpty() && d.eventCode.isEmpty());
        } else {
            FUZZ_CHECK(d.lastContactId.size() == 16);
            FUZZ_CHECK(d.account == d.lastContactId.left(4));
            FUZZ_CHECK(d.partitionZone == d.lastContactId.mid(10, 5));
            FUZZ_CHECK(d.eventCode.isEmpty() || d.eventCode.size() == 4);
        }
    }
    return 0;
}
