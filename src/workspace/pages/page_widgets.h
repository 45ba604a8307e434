#pragma once
// Widgets and helpers every configurator page uses.
#include "image/image_codecs.h"

#include <QLineEdit>
#include <QListWidget>
#include <QString>
#include <QValidator>
#include <array>

class QGridLayout;
class QGroupBox;
class QLabel;
class QFormLayout;

// What the eight phone-number edits show, one 16-character text each, blank
// positions as spaces. A text whose first character is a space is an empty slot.
using PhoneTexts = std::array<QString, 8>;
bool phoneSlotFilled(const QString& text);

// The eight-item check list of the phone numbers (SMSstN, VOICEstN, SMSst11):
// item i stands for phone number i + 1. An item whose number is empty cannot
// be ticked. A click anywhere on an item, or Space, toggles its mark.
class TargetCheckList : public QListWidget {
    Q_OBJECT
  public:
    TargetCheckList(const QString& objectName, QWidget* parent);

    TargetList targets() const;
    void setTargets(const TargetList& targets);
    // Shows `text` for item `index`; `selectable` false greys it out.
    void setItem(int index, const QString& text, bool selectable);
    bool itemSelectable(int index) const;
    QString itemText(int index) const;
    bool isChecked(int index) const;
    // What a click on the item does.
    void toggle(int index);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void targetsChanged();

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

// Fills a list from the phone numbers as the page-show routine does: a filled
// number is its item's text and can be ticked; an empty one reads "PhoneN" and
// cannot. With `blankFiveToEight` an empty number 5..8 gives an empty item.
// The marks are left as they are.
void fillTargetList(TargetCheckList* list, const PhoneTexts& phones, bool blankFiveToEight);

// Accepts only characters the module's code page can store, one byte each, so
// a text never reaches the image as something else.
class ModuleTextValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
    static bool storable(QChar c);
};

// A single-line text the module stores in code page 1250, `maxBytes` long at most.
QLineEdit* moduleTextEdit(const QString& objectName, int maxBytes, QWidget* parent);

// A caption that names its control for the keyboard (Alt+letter moves there)
// and for screen readers.
QLabel* buddyLabel(const QString& objectName, const QString& text, QWidget* buddy, QWidget* parent);

// A heading over a page's settings.
QLabel* headingLabel(const QString& objectName, const QString& text, QWidget* parent);

// A frame around a group of controls, without a title of its own.
QGroupBox* plainGroup(QWidget* parent);
