#include "workspace/pages/output_page.h"

#include "image/field_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kSecondsPerMinute = 60;

bool inMinutes(const QComboBox* unit) {
    return unit->currentIndex() == 1;
}
} // namespace

OutputPage::OutputPage(QWidget* sheet) : ConfigPage(sheet) {
    auto* column = new QVBoxLayout(sheet);
    auto* row = new QHBoxLayout;
    column->addLayout(row);
    column->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        QGroupBox* group = plainGroup(sheet);
        if (i == 1)
            group->setObjectName(QStringLiteral("Output2Group"));
        build(i, group);
        row->addWidget(group, 0, Qt::AlignTop);
    }
    row->addStretch(1);
    fields_.emplace(sheet, QStringList{QStringLiteral("SpinKI1"), QStringLiteral("SpinKI2")});
    fill(defaultImageValues()); // the field table's defaults
}

void OutputPage::build(int index, QWidget* group) {
    Output& o = outputs_[size_t(index)];
    const int number = index + 1;
    auto* form = new QFormLayout(group);

    o.mode = new QComboBox(group);
    o.mode->setObjectName(QStringLiteral("ComboKi%1").arg(number));
    o.mode->addItems(FieldTable::itemTexts(FieldTable::outputModes()));
    form->addRow(buddyLabel(QStringLiteral("Label%1").arg(33 + number),
                            QStringLiteral("Kimenet%1:").arg(number), o.mode, group),
                 o.mode);

    o.time = new QSpinBox(group);
    o.time->setObjectName(QStringLiteral("SpinKI%1").arg(number));
    o.time->setRange(kOutputSecondsRange.min, kOutputSecondsRange.max);
    o.unit = new QComboBox(group);
    o.unit->setObjectName(QStringLiteral("KI%1SECMIN").arg(number));
    o.unit->addItems({QStringLiteral("Sec"), QStringLiteral("Min")});
    o.unit->setAccessibleName(QStringLiteral("Sec / Min"));
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(o.time);
    timeRow->addWidget(o.unit);
    timeRow->addStretch(1);
    form->addRow(buddyLabel(QStringLiteral("Label%1").arg(35 + number), QStringLiteral("Idő:"),
                            o.time, group),
                 timeRow);

    o.onAlarm = new QCheckBox(QStringLiteral("Riasztáskor vezérlés"), group);
    o.onAlarm->setObjectName(QStringLiteral("CheckBox2KI%1").arg(number));
    form->setWidget(form->rowCount(), QFormLayout::FieldRole, o.onAlarm);
    o.onCallerId = new QCheckBox(QStringLiteral("Hivószámazonosításkor vezérlés"), group);
    o.onCallerId->setObjectName(QStringLiteral("CheckBox1KI%1").arg(number));
    form->setWidget(form->rowCount(), QFormLayout::FieldRole, o.onCallerId);
    if (index == 0) {
        o.noCallerId = new QCheckBox(QStringLiteral("NINCS hívószámazonosítás"), group);
        o.noCallerId->setObjectName(QStringLiteral("CheckBox3KI1"));
        form->setWidget(form->rowCount(), QFormLayout::FieldRole, o.noCallerId);
        // Without caller identification the output still follows the caller.
        connect(o.noCallerId, &QCheckBox::toggled, this, [&o](bool on) {
            if (on)
                o.onCallerId->setChecked(true);
        });
        connect(o.onCallerId, &QCheckBox::toggled, this, [&o](bool on) {
            if (!on)
                o.noCallerId->setChecked(false);
        });
    } else {
        auto* note = new QLabel(QStringLiteral("Bővítőmodullal használható"), group);
        note->setObjectName(QStringLiteral("ExpansionModuleNotes"));
        QFont f = note->font();
        f.setItalic(true);
        note->setFont(f);
        note->hide();
        form->setWidget(form->rowCount(), QFormLayout::SpanningRole, note);
    }

    connect(o.mode, &QComboBox::currentIndexChanged, this, [this, &o] { applyModeRule(o); });
    connect(o.unit, &QComboBox::currentIndexChanged, this,
            [this, &o] { applyUnitRule(o, !filling_); });
    connect(o.time, &QSpinBox::valueChanged, this, [this, &o](int value) {
        if (!filling_)
            o.kept = inMinutes(o.unit) ? value * kSecondsPerMinute : value;
    });
    applyModeRule(o);
}

void OutputPage::applyModeRule(Output& o) {
    // Only the timed mode has a time.
    const bool timed = o.mode->currentIndex() == 0;
    o.time->setEnabled(timed);
    o.unit->setEnabled(timed);
}

void OutputPage::showKept(Output& o) {
    const QSignalBlocker block(o.time);
    if (inMinutes(o.unit)) {
        o.time->setRange(kOutputMinutesRange.min, kOutputMinutesRange.max);
        o.time->setValue(kOutputMinutesRange.limit(o.kept / kSecondsPerMinute));
    } else {
        // A stored 0 is below the range: the spin widens to show it.
        o.time->setRange(std::min(kOutputSecondsRange.min, o.kept), kOutputSecondsRange.max);
        o.time->setValue(o.kept);
    }
}

void OutputPage::applyUnitRule(Output& o, bool userSwitch) {
    showKept(o);
    if (userSwitch)
        o.kept = inMinutes(o.unit) ? o.time->value() * kSecondsPerMinute : o.time->value();
}

void OutputPage::resetOutput2Unit() {
    outputs_[1].unit->setCurrentIndex(0);
}

void OutputPage::read(ImageValues& v) const {
    fields_->read(v);
    for (size_t i = 0; i < 2; ++i)
        v.outputs[i].seconds = outputs_[i].kept;
}

void OutputPage::fill(const ImageValues& v) {
    filling_ = true;
    fields_->fill(v);
    for (size_t i = 0; i < 2; ++i) {
        Output& o = outputs_[i];
        const OutputValues& in = v.outputs[i];
        // Output 1 comes back in seconds; output 2 keeps its unit until the
        // read that decoded it sets it back.
        if (i == 0)
            o.unit->setCurrentIndex(0);
        // The stored seconds are kept whole whatever the unit shows, so a
        // time read while "Min" is selected is not cut to the minute range.
        if (in.seconds)
            o.kept = *in.seconds;
        showKept(o);
        applyModeRule(o);
    }
    filling_ = false;
}
