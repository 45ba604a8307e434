#include "workspace/pages/page_changes.h"

#include "image/field_table.h"

namespace {

using FieldTable::Slot;

template <class T> constexpr bool isCodeRow = false;
template <> constexpr bool isCodeRow<PartitionRow> = true;
template <> constexpr bool isCodeRow<ContactIdCodeRow> = true;

// Calls f(field of a, field of b, field of c) for every field of the table,
// the three structs walked side by side; fields that share one value (the
// option boxes of a record) come once.
template <class F> void eachField(ImageValues& a, const ImageValues& b, const ImageValues& c, F f) {
    const auto& fields = FieldTable::fields();
    for (size_t i : FieldTable::distinctSlots()) {
        const FieldTable::Field& field = fields[i];
        const Slot sb = FieldTable::slotOf(field, const_cast<ImageValues&>(b));
        const Slot sc = FieldTable::slotOf(field, const_cast<ImageValues&>(c));
        std::visit(
            [&](auto* pa) {
                using P = decltype(pa);
                f(*pa, *std::get<P>(sb), *std::get<P>(sc));
            },
            FieldTable::slotOf(field, a));
    }
}

// A byte holding a switch and a value goes out whole when either part does.
template <class T>
void writeTogether(std::optional<bool>& on, std::optional<T>& value,
                   const std::optional<bool>& nowOn, const std::optional<T>& nowValue) {
    if (value && !on)
        on = nowOn;
    if (on && *on && !value)
        value = nowValue;
}

// Every check list of phone numbers, for the rule that writes them all.
void takeAllLists(ImageValues& out, const ImageValues& now) {
    for (const FieldTable::Field& field : FieldTable::fields())
        if (field.encoding == FieldTable::Encoding::TargetMask)
            *std::get<std::optional<TargetList>*>(FieldTable::slotOf(field, out)) =
                *std::get<std::optional<TargetList>*>(
                    FieldTable::slotOf(field, const_cast<ImageValues&>(now)));
}

} // namespace

uint8_t filledNumbers(const PhoneNumberValues& phones) {
    uint8_t mask = 0;
    for (size_t i = 0; i < phones.numbers.size(); ++i) {
        const auto& n = phones.numbers[i];
        if (n && !n->isEmpty() && n->front() != u' ')
            mask |= static_cast<uint8_t>(1u << i);
    }
    return mask;
}

void markTouched(ImageValues& touched, const ImageValues& now, const ImageValues& reference) {
    // `touched` is walked as the first struct; `now` and `reference` read alongside.
    eachField(touched, now, reference, [](auto& t, const auto& n, const auto& r) {
        using T = typename std::remove_reference_t<decltype(t)>::value_type;
        // A code row the grid does not give (never shown filled) keeps its mark.
        if constexpr (isCodeRow<T>) {
            if (n && n != r)
                t = n;
        } else if (n != r) {
            t = n;
        }
    });
}

ImageValues touchedFields(const ImageValues& now, const ImageValues& touched,
                          const ImageValues& reference) {
    ImageValues out = now;
    eachField(out, touched, touched, [](auto& o, const auto& t, const auto&) {
        if (!t)
            o.reset();
    });

    writeTogether(out.lifeSignal.enabled, out.lifeSignal.periodDays, now.lifeSignal.enabled,
                  now.lifeSignal.periodDays);
    writeTogether(out.other.smsRedirection, out.other.smsRedirectionTarget,
                  now.other.smsRedirection, now.other.smsRedirectionTarget);
    writeTogether(out.temperature.maxEnabled, out.temperature.maxValue, now.temperature.maxEnabled,
                  now.temperature.maxValue);
    writeTogether(out.temperature.minEnabled, out.temperature.minValue, now.temperature.minEnabled,
                  now.temperature.minValue);
    if (filledNumbers(now.phones) != filledNumbers(reference.phones))
        takeAllLists(out, now);
    return out;
}
