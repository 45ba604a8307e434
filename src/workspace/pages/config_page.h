#pragma once
#include "image/image_values.h"
#include "workspace/pages/page_widgets.h"

#include <QList>
#include <QObject>

class QLineEdit;
class QWidget;

// One page of the configurator, built into its tab sheet (TabSheetN). A page
// reads its controls into the values of its image fields and fills them back.
class ConfigPage : public QObject {
    Q_OBJECT
  public:
    explicit ConfigPage(QWidget* sheet) : QObject(sheet), sheet_(sheet) {}
    QWidget* sheet() const { return sheet_; }

    // Every field of the page as its controls show it now.
    virtual void read(ImageValues& values) const = 0;
    // Sets the controls from decoded values and runs the page's own rules; an
    // empty field leaves its control as it is.
    virtual void fill(const ImageValues& values) = 0;
    // The page-show routine: the phone check lists from the numbers.
    virtual void fillPhoneLists(const PhoneTexts& phones, int modelCode) {
        Q_UNUSED(phones);
        Q_UNUSED(modelCode);
    }
    // The SMS texts of the page that the accent warning watches.
    virtual QList<QLineEdit*> smsTexts() const { return {}; }

  private:
    QWidget* sheet_;
};
