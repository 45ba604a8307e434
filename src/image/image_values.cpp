#include "image/image_values.h"

#include "image/field_table.h"

ImageValues defaultImageValues() {
    ImageValues v;
    for (const FieldTable::Field& field : FieldTable::fields()) {
        const FieldTable::Slot slot = FieldTable::slotOf(field, v);
        if (field.option) {
            auto& options = *std::get<std::optional<InputOptions>*>(slot);
            if (!options)
                options = InputOptions{};
            (*options).*field.option = std::get<bool>(field.defaultValue);
            continue;
        }
        std::visit(
            [&field](auto* value) {
                using T = typename std::remove_reference_t<decltype(*value)>::value_type;
                *value = std::get<T>(field.defaultValue);
            },
            slot);
    }
    return v;
}
