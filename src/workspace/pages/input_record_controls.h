#pragma once
// The controls of one input record, as every input-like page shows them: the
// type list, "Invertált működés", the SMS and call lists, the option boxes and
// the SMS text. Inputs 1..4, tamper, power, temperature, speed and lift each
// build one of these under their own control names.
#include "image/image_values.h"
#include "workspace/pages/page_widgets.h"

#include <QObject>
#include <QString>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

// Object names of one page's record controls. An option or text left empty is
// not on that page.
struct InputRecordNames {
    QString type;     // ComboBoxN
    QString inverted; // CheckBoxN
    QString sms;      // SMSstN
    QString voice;    // VOICEstN
    // Option boxes for bits 0, 2, 3, 4, 5, 6 of the record's fourth byte.
    std::array<QString, 6> options;
    QString text; // riasztasN
    QString typeLabel;
    QString textLabel;
    QString smsLabel;
    QString voiceLabel;
    QString smsBox; // name of the SMS list's frame, when a rule needs it
};

// The input type list, identical on every input-like page.
QStringList inputTypeItems();

class InputRecordControls : public QObject {
    Q_OBJECT
  public:
    // Adds the page's own rows to the record's form, parented to `group`.
    using PageRows = std::function<void(QFormLayout* form, QWidget* group)>;
    InputRecordControls(const InputRecordNames& names, QWidget* page,
                        const PageRows& pageRows = {});

    // After the page's fields are filled: a record without a type shows no
    // selection, and the type rule follows the type.
    void fillRules(const InputPageValues& values);
    // Page-show routine: the lists' items from the phone numbers.
    void fillLists(const PhoneTexts& phones, bool blankFiveToEight);
    // Type rule: type 0 leaves nothing to report, so the lists go grey.
    void applyTypeRule();

    // Lays the page out: heading (may be null), the record's form, the lists
    // beside it and the option boxes below it.
    QGridLayout* layOut(QWidget* page, QLabel* heading);

    QFormLayout* form = nullptr; // type, inverted box, text and the page's own rows
    QComboBox* typeList = nullptr;
    QCheckBox* inverted = nullptr;
    TargetCheckList* sms = nullptr;
    TargetCheckList* voice = nullptr;
    std::array<QCheckBox*, 6> options{}; // bits 0, 2, 3, 4, 5, 6; null where absent
    QLineEdit* text = nullptr;

  private:
    QGroupBox* settings_ = nullptr;
    QGroupBox* lists_ = nullptr;
    QGroupBox* optionBox_ = nullptr;
};
