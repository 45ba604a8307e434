#pragma once
// Every configuration field once: the page and control that show it, the
// caption compare and verify give it, the image bytes that keep it and how,
// the models that carry it, what the window shows before anything is read,
// and a list's items with the value each stores. The defaults, the change
// tracking and the field map (compare, verify, `alvento diff`) are walked
// from this table, and the pages take their list items and option boxes from
// it. Encode and Decode walk it for every field that is one value in bytes of
// its own (image_pages_table.cpp); fields that share a byte with others keep
// their steps beside the other page groups'.
//
// Adding a field is one row in field_table.cpp plus its control in its page's
// layout.
#include "image/image_values.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

namespace FieldTable {

// Which modules carry a field: some bytes mean one field on ModelCodes 70..90
// and another on ModelCode 100. Encode stores no field differently for another
// module version: the version rules only show or hide controls.
enum class Carried { All, Models70To90, Model100 };
bool carriedBy(Carried carried, int modelCode);

// How the bytes hold the value (the pure functions of image_codecs.h and the
// byte layouts of Encode and Decode).
enum class Encoding {
    PhoneNumber,    // phone field, 16 bytes
    ImageText,      // ImageText, code page 1250
    AsciiText,      // one character per byte, 0xFF after a shorter text
    AsciiCode,      // one character per byte, stored only when it fills the width
    DigitCode,      // Contact ID characters
    TargetMask,     // one bit per phone number
    Word,           // 16-bit, high byte first
    Byte,           // the value itself
    ListIndex,      // a list's item, stored as the item's value
    Bit,            // one bit of a byte shared with other fields
    ClockHour,      // two ASCII digits
    ConnectionText, // a text inside the connection command's argument list
    CodeRecord,     // a 32-byte record of the code grids
};

// One item of a list control and the value it stores.
struct ListItem {
    QString text;
    int stored = 0;
};
using ItemList = std::vector<ListItem>;

// The lists, as the pages show them (Hungarian; the language pass translates).
const ItemList& inputTypes();    // "Bemenet Típusa:", stored as the type bits
const ItemList& outputModes();   // ComboKi1/2, stored in bits 0 and 4
const ItemList& inputFilters();  // ComboBox12
const ItemList& alarmVoltages(); // ComboBox20
const ItemList& txLevels();      // ComboBox17
const ItemList& rxLevels();      // ComboBox16
QStringList itemTexts(const ItemList& items);
// How compare, verify and export name a list value no item stores: the
// stored value in brackets, "[213]".
QString unlistedText(int value);

// The option boxes of an input record's fourth byte (bits 0, 2..6), in the
// order the pages show them; a page has the boxes its rows name.
struct OptionBox {
    QString caption;
    bool InputOptions::*member;
};
const std::vector<OptionBox>& optionBoxes();

// Where the field's value sits among the page values.
using Slot = std::variant<std::optional<int>*, std::optional<bool>*, std::optional<QString>*,
                          std::optional<TargetList>*, std::optional<InputOptions>*,
                          std::optional<PartitionRow>*, std::optional<ContactIdCodeRow>*>;
using Value = std::variant<std::monostate, int, bool, QString, TargetList, InputOptions,
                           PartitionRow, ContactIdCodeRow>;

struct Field {
    QString page;    // the tab caption ("Be1", "Telefonszámok", ...)
    QString control; // the control's objectName; a grid's name for a row of it
    int cell = 0;    // a grid's row (1-based); 0 for a control of its own
    QString name;    // the caption compare and verify give the field
    int first = 0;   // image bytes first..last hold it (with other fields'
    int last = 0;    // bits where a byte is shared)
    Encoding encoding = Encoding::Byte;
    QString encodingText; // "InputRecord type, bits 0..6", "TargetMask", ...
    Carried carried = Carried::All;
    std::function<Slot(ImageValues&)> slot;
    // An option box is one bit of the record's InputOptions.
    bool InputOptions::*option = nullptr;
    Value defaultValue;              // what the window shows before a read
    const ItemList* items = nullptr; // a list's items, index = the value
    // A plain number (Byte or Word) that Encode and Decode keep as it is (the
    // range is the spin's); Encode and Decode walk these rows.
    std::optional<ValueRange> range;
    // A switch that is one bit of a byte shared with other fields: Encode and
    // Decode walk these rows (-1: not such a bit).
    int bit = -1;
    bool setWhenOff = false; // the bit stands for the box's opposite
    // A list of phone numbers that keeps the numbers whose slot is empty.
    bool keepsEveryNumber = false;
    // Compare shows this field under the row before it (a limit's spin under
    // its box): the two share one byte and one shown value.
    bool listed = true;
    // The shown value where it is no plain function of the slot.
    std::function<std::optional<QString>(const ImageValues&)> show;
    // Names the field in exported documents and `alvento set`: the control's
    // objectName, a grid row's "grid.row". Kept when captions change.
    QString id;
};

// Every field, page by page in tab order.
const std::vector<Field>& fields();

// The field's slot in `values`.
Slot slotOf(const Field& field, ImageValues& values);

// The value as the page shows it; empty where the control would show no
// selection (or the slot is empty).
std::optional<QString> shownText(const Field& field, const ImageValues& values);

// The distinct slots of the table (option boxes share their record's), each
// once, as field indexes.
const std::vector<size_t>& distinctSlots();

} // namespace FieldTable
