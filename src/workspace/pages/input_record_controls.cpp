#include "workspace/pages/input_record_controls.h"

#include "image/field_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
// A list under its caption, in a frame of its own so that a rule can grey
// both at once.
QWidget* captionedList(const QString& frameName, const QString& labelName, const char* caption,
                       TargetCheckList* list, QWidget* parent) {
    auto* frame = new QWidget(parent);
    frame->setObjectName(frameName);
    auto* v = new QVBoxLayout(frame);
    v->setContentsMargins(0, 0, 0, 0);
    QLabel* label = buddyLabel(labelName, QString::fromUtf8(caption), list, frame);
    label->setWordWrap(true);
    v->addWidget(label);
    list->setParent(frame);
    v->addWidget(list);
    v->addStretch(1);
    return frame;
}
} // namespace

QStringList inputTypeItems() {
    return FieldTable::itemTexts(FieldTable::inputTypes());
}

InputRecordControls::InputRecordControls(const InputRecordNames& n, QWidget* page,
                                         const PageRows& pageRows)
    : QObject(page) {
    settings_ = plainGroup(page);
    form = new QFormLayout(settings_);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

    typeList = new QComboBox(settings_);
    typeList->setObjectName(n.type);
    typeList->addItems(inputTypeItems());
    form->addRow(buddyLabel(n.typeLabel, QStringLiteral("Bemenet Típusa:"), typeList, settings_),
                 typeList);
    inverted = new QCheckBox(QStringLiteral("Invertált működés"), settings_);
    inverted->setObjectName(n.inverted);
    form->setWidget(form->rowCount(), QFormLayout::FieldRole, inverted);
    if (!n.text.isEmpty()) {
        text = moduleTextEdit(n.text, kSmsTextSize, settings_);
        form->addRow(buddyLabel(n.textLabel, QStringLiteral("SMS szöveg:"), text, settings_), text);
    }
    // Created here, so that the tab order follows the form down.
    if (pageRows)
        pageRows(form, settings_);

    lists_ = plainGroup(page);
    auto* listRow = new QHBoxLayout(lists_);
    sms = new TargetCheckList(n.sms, lists_);
    voice = new TargetCheckList(n.voice, lists_);
    listRow->addWidget(captionedList(n.smsBox, n.smsLabel,
                                     "Jelölje ki mely számokra kíván SMS-t küldeni", sms, lists_));
    listRow->addWidget(captionedList(
        QString(), n.voiceLabel, "Jelölje ki mely számokra kíván hívást küldeni", voice, lists_));

    optionBox_ = plainGroup(page);
    auto* optionColumn = new QVBoxLayout(optionBox_);
    for (size_t i = 0; i < options.size(); ++i) {
        if (n.options[i].isEmpty())
            continue;
        options[i] = new QCheckBox(FieldTable::optionBoxes()[i].caption, optionBox_);
        options[i]->setObjectName(n.options[i]);
        optionColumn->addWidget(options[i]);
    }

    connect(typeList, &QComboBox::currentIndexChanged, this, &InputRecordControls::applyTypeRule);
    applyTypeRule();
}

QGridLayout* InputRecordControls::layOut(QWidget* page, QLabel* heading) {
    auto* grid = new QGridLayout(page);
    int row = 0;
    if (heading)
        grid->addWidget(heading, row++, 0, 1, 2);
    grid->addWidget(settings_, row, 0);
    grid->addWidget(lists_, row, 1, 2, 1, Qt::AlignTop);
    grid->addWidget(optionBox_, row + 1, 0, Qt::AlignTop);
    grid->setRowStretch(row + 2, 1);
    grid->setColumnStretch(0, 1);
    return grid;
}

void InputRecordControls::applyTypeRule() {
    const bool reports = typeList->currentIndex() != 0;
    sms->setEnabled(reports);
    voice->setEnabled(reports);
}

void InputRecordControls::fillRules(const InputPageValues& v) {
    if (!v.type)
        typeList->setCurrentIndex(-1);
    applyTypeRule();
}

void InputRecordControls::fillLists(const PhoneTexts& phones, bool blankFiveToEight) {
    fillTargetList(sms, phones, blankFiveToEight);
    fillTargetList(voice, phones, blankFiveToEight);
}
