#pragma once
// Puts caption tables onto a window's controls: menu items, tab pages, labels,
// buttons, group boxes, list items and the window caption, found by
// objectName. A control that a row leaves unset in the language, or that the
// window does not have, keeps the text it shows.
#include "i18n/caption_tables.h"

class QWidget;

namespace LanguagePass {

// The text a control shows now (item >= 0: that list item); nothing when the
// window has no such control or item.
std::optional<QString> controlText(const QWidget* window, const QString& name, int item = -1);
// Sets it; false when the window has no such control or item.
bool setControlText(QWidget* window, const QString& name, int item, const QString& text);

// Every row that sets a text in `language`. Returns the rows' controls that
// the window does not have.
QStringList applyCaptions(QWidget* window, const QList<CaptionTableRow>& rows, int language);
// Each target, in order, takes the text its model shows at that moment.
QStringList applyCopyRules(QWidget* window, const QList<CopyRule>& rules);

} // namespace LanguagePass
