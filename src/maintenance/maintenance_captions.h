#pragma once
// Captions of the status and monitor windows per language, and the
// screen-size setting both windows apply at their first activation.

#include <QString>

class QWidget;

struct CaptionRow {
    const char* objectName; // "" for the window caption
    const char* hu;
    const char* en;
    const char* de;
    const char* sl;
};

// Sets each listed control's text (labels, buttons) in the language.
void applyCaptions(QWidget* window, const CaptionRow* rows, int count, int language);
// The settings value "monitor": "0" 1/2, "1" 2/3, "3" 4/3, "4" 5/3; anything
// else leaves the window as designed (1).
double screenScale(const QString& monitorSetting);
// Scales the window and its fonts and puts it at (5, 5), unless the factor is 1.
void applyScreenScale(QWidget* window, double factor);
