#include "workspace/pages/page_fields.h"

#include "workspace/pages/page_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <set>

namespace {

template <class T> std::optional<T>* slotAs(const FieldTable::Field& f, ImageValues& values) {
    const FieldTable::Slot slot = FieldTable::slotOf(f, values);
    if (auto* const* p = std::get_if<std::optional<T>*>(&slot))
        return *p;
    return nullptr;
}

} // namespace

PageFields::PageFields(QWidget* root, const QStringList& ownControls) {
    std::set<QString> seen(ownControls.begin(), ownControls.end());
    for (const FieldTable::Field& f : FieldTable::fields()) {
        // A grid's rows are cells, not controls of their own; a field kept at
        // two addresses (per model) is one control.
        if (f.control.isEmpty() || f.cell != 0 || !seen.insert(f.control).second)
            continue;
        if (auto* w = root->findChild<QWidget*>(f.control))
            bound_.push_back({&f, w});
    }
}

void PageFields::read(ImageValues& values) const {
    std::set<const void*> freshOptions;
    for (const Bound& b : bound_) {
        const FieldTable::Field& f = *b.field;
        if (f.option) {
            if (auto* box = qobject_cast<QCheckBox*>(b.control))
                if (auto* options = slotAs<InputOptions>(f, values)) {
                    if (freshOptions.insert(options).second)
                        *options = InputOptions{};
                    (**options).*f.option = box->isChecked();
                }
        } else if (auto* box = qobject_cast<QCheckBox*>(b.control)) {
            if (auto* v = slotAs<bool>(f, values))
                *v = box->isChecked();
        } else if (auto* spin = qobject_cast<QSpinBox*>(b.control)) {
            if (auto* v = slotAs<int>(f, values))
                *v = spin->value();
        } else if (auto* list = qobject_cast<QComboBox*>(b.control)) {
            if (auto* v = slotAs<int>(f, values)) {
                const int index = list->currentIndex();
                *v = index >= 0 ? std::optional<int>(index) : std::nullopt;
            }
        } else if (auto* targets = qobject_cast<TargetCheckList*>(b.control)) {
            if (auto* v = slotAs<TargetList>(f, values))
                *v = targets->targets();
        } else if (auto* edit = qobject_cast<QLineEdit*>(b.control)) {
            if (auto* v = slotAs<QString>(f, values))
                *v = edit->text();
        }
    }
}

void PageFields::fill(const ImageValues& values) const {
    auto& in = const_cast<ImageValues&>(values);
    for (const Bound& b : bound_) {
        const FieldTable::Field& f = *b.field;
        if (f.option) {
            if (auto* box = qobject_cast<QCheckBox*>(b.control))
                if (auto* options = slotAs<InputOptions>(f, in); options && *options)
                    box->setChecked((**options).*f.option);
        } else if (auto* box = qobject_cast<QCheckBox*>(b.control)) {
            if (auto* v = slotAs<bool>(f, in); v && *v)
                box->setChecked(**v);
        } else if (auto* spin = qobject_cast<QSpinBox*>(b.control)) {
            if (auto* v = slotAs<int>(f, in); v && *v)
                spin->setValue(**v);
        } else if (auto* list = qobject_cast<QComboBox*>(b.control)) {
            if (auto* v = slotAs<int>(f, in); v && *v)
                list->setCurrentIndex(**v);
        } else if (auto* targets = qobject_cast<TargetCheckList*>(b.control)) {
            if (auto* v = slotAs<TargetList>(f, in); v && *v)
                targets->setTargets(**v);
        } else if (auto* edit = qobject_cast<QLineEdit*>(b.control)) {
            if (auto* v = slotAs<QString>(f, in); v && *v)
                edit->setText(**v);
        }
    }
}
