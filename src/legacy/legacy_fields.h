#pragma once
#include <QLineEdit>
#include <QString>

// Field behaviour the older device windows share.
namespace LegacyFields {

// Runs `rule` after every change of the field's text; a corrected text is put
// back with the caret at its end.
template <class Rule> void applyRule(QLineEdit* field, Rule rule) {
    QObject::connect(field, &QLineEdit::textChanged, field, [field, rule](const QString& text) {
        const QString kept = rule(text);
        if (kept != text) {
            field->setText(kept);
            field->setCursorPosition(static_cast<int>(kept.size()));
        }
    });
}

} // namespace LegacyFields
