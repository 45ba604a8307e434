#include "workspace/pages/page_fields.h"

#include "workspace/pages/page_messages.h"
#include "workspace/pages/page_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <algorithm>
#include <set>

namespace {

template <class T> std::optional<T>* slotAs(const FieldTable::Field& f, ImageValues& values) {
    const FieldTable::Slot slot = FieldTable::slotOf(f, values);
    if (auto* const* p = std::get_if<std::optional<T>*>(&slot))
        return *p;
    return nullptr;
}

// The list entry of a stored value no item stores carries the value here.
constexpr int kModuleValueRole = Qt::UserRole + 77;
// The range a spin has when it shows a value inside it.
const char* const kOwnMinimum = "fieldMinimum";
const char* const kOwnMaximum = "fieldMaximum";
// The value the last fill showed, which a widened range is kept for.
const char* const kFilledValue = "fieldFilledValue";

int moduleValueEntry(const QComboBox* list) {
    for (int i = list->count() - 1; i >= 0; --i)
        if (list->itemData(i, kModuleValueRole).isValid())
            return i;
    return -1;
}

// The list shows `value`: an item, or an entry of its own for a value no item
// stores. The entry of an earlier fill goes, so that it never lingers beside
// another module's value.
void showListValue(QComboBox* list, int value) {
    if (const int old = moduleValueEntry(list); old >= 0)
        list->removeItem(old);
    if (!isUnlisted(value)) {
        list->setCurrentIndex(value);
        return;
    }
    list->addItem(pageMessage("pages.module_value", 0).arg(unlistedStored(value)));
    list->setItemData(list->count() - 1, value, kModuleValueRole);
    list->setCurrentIndex(list->count() - 1);
}

// The spin shows `value`, widening its range for a stored value outside it.
// Once the installer moves it, the spin is back in its range (bindSpin).
void showSpinValue(QSpinBox* spin, int value) {
    const int min = spin->property(kOwnMinimum).toInt();
    const int max = spin->property(kOwnMaximum).toInt();
    spin->setRange(std::min(min, value), std::max(max, value));
    spin->setValue(value);
}

void bindSpin(QSpinBox* spin) {
    spin->setProperty(kOwnMinimum, spin->minimum());
    spin->setProperty(kOwnMaximum, spin->maximum());
    QObject::connect(spin, &QSpinBox::valueChanged, spin, [spin](int value) {
        const int min = spin->property(kOwnMinimum).toInt();
        const int max = spin->property(kOwnMaximum).toInt();
        const bool widened = spin->minimum() < min || spin->maximum() > max;
        // A step from the stored value lands at the range's nearest end.
        if (widened && spin->property(kFilledValue).toInt() != value)
            spin->setRange(min, max);
    });
}

} // namespace

void nameModuleValueEntries(QWidget* root, int language) {
    for (QComboBox* list : root->findChildren<QComboBox*>())
        if (const int i = moduleValueEntry(list); i >= 0)
            list->setItemText(
                i, pageMessage("pages.module_value", language)
                       .arg(unlistedStored(list->itemData(i, kModuleValueRole).toInt())));
}

PageFields::PageFields(QWidget* root, const QStringList& ownControls) {
    std::set<QString> seen(ownControls.begin(), ownControls.end());
    for (const FieldTable::Field& f : FieldTable::fields()) {
        // A grid's rows are cells, not controls of their own; a field kept at
        // two addresses (per model) is one control.
        if (f.control.isEmpty() || f.cell != 0 || !seen.insert(f.control).second)
            continue;
        if (auto* w = root->findChild<QWidget*>(f.control)) {
            bound_.push_back({&f, w});
            if (auto* spin = qobject_cast<QSpinBox*>(w))
                bindSpin(spin);
        }
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
                const QVariant stored = list->itemData(index, kModuleValueRole);
                *v = index < 0          ? std::nullopt
                     : stored.isValid() ? std::optional<int>(stored.toInt())
                                        : std::optional<int>(index);
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
            if (auto* v = slotAs<int>(f, in); v && *v) {
                spin->setProperty(kFilledValue, **v);
                showSpinValue(spin, **v);
            }
        } else if (auto* list = qobject_cast<QComboBox*>(b.control)) {
            if (auto* v = slotAs<int>(f, in); v && *v)
                showListValue(list, **v);
        } else if (auto* targets = qobject_cast<TargetCheckList*>(b.control)) {
            if (auto* v = slotAs<TargetList>(f, in); v && *v)
                targets->setTargets(**v);
        } else if (auto* edit = qobject_cast<QLineEdit*>(b.control)) {
            if (auto* v = slotAs<QString>(f, in); v && *v)
                edit->setText(**v);
        }
    }
}
