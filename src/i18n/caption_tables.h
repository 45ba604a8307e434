#pragma once
// Caption tables: per window, the text of each control in the four languages,
// kept as data files (assets/captions/*.tsv) compiled into the program.
//
// A table line is "control<TAB>Hungarian<TAB>English<TAB>German<TAB>Slovenian";
// '#' lines and blank lines are skipped. The control is an objectName, "*" for
// the window's own caption, or "Name[i]" / "Name[a-b]" for items of a list. A
// cell reading "(not set)" leaves the control alone in that language: it keeps
// whatever text it shows.
#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <optional>

struct CaptionTableRow {
    QString control; // objectName, or "*" for the window caption
    int item = -1;   // list item, or -1 for the control's own text
    std::array<std::optional<QString>, 4> texts;
};

// A copy rule: the target takes the text the model control shows.
struct CopyRule {
    QString model;
    int modelItem = -1;
    QString target;
    int targetItem = -1;
};

namespace CaptionTables {

inline constexpr int kLanguages = 4;
inline constexpr const char* kNotSet = "(not set)";

// Parses a caption table. A line with other than five cells, or a control
// that does not parse, is an error: nothing is returned and *badLine (from 1)
// names the line. A range "Name[a-b]" gives one row per item, each with the
// same texts.
QList<CaptionTableRow> parse(const QByteArray& utf8, int* badLine = nullptr);

// Parses copy rules, "model<TAB>target" a line. Ranges pair item by item and
// must be of the same length.
QList<CopyRule> parseCopyRules(const QByteArray& utf8, int* badLine = nullptr);

// The built-in table of a window ("TAV4Form1", "TAV4Form7", "TForm8"), with
// the overlay of the edition (`brand`) after it where one exists; empty for a
// window without a table. `part` names a further table of the window ("sms"
// for the configurator's default SMS texts).
QList<CaptionTableRow> table(const QString& window, int brand = 0);
QList<CaptionTableRow> table(const QString& window, const QString& part);
QList<CopyRule> copyRules(const QString& window);

// The text of `control` (item -1: the control itself) in `language` as the
// rows set it; nothing when no row sets it. Later rows win.
std::optional<QString> textOf(const QList<CaptionTableRow>& rows, const QString& control,
                              int language, int item = -1);

} // namespace CaptionTables
