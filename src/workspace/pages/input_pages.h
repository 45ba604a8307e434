#pragma once
// The pages built on an input record: "Be1".."Be4" (one class, four times) and
// the supervision pages "Tamper", "Tápmonitor", "Hőmérséklet", "Sebesség" and
// "Emelés", which share their record controls and layout through
// SupervisionPage and add their own rows.
#include "workspace/pages/config_page.h"
#include "workspace/pages/input_record_controls.h"
#include "workspace/pages/page_fields.h"

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

// Page "Be<n>", n = 1..4: record 8 + 4 (n - 1), SMS text 512 + 32 (n - 1).
class InputPage : public ConfigPage {
    Q_OBJECT
  public:
    InputPage(QWidget* sheet, int input);
    void read(ImageValues& values) const override;
    void fill(const ImageValues& values) override;
    void fillPhoneLists(const PhoneTexts& phones, int modelCode) override;
    QList<QLineEdit*> smsTexts() const override;
    InputRecordControls& record() const { return *record_; }

  private:
    int index_; // 0..3
    InputRecordControls* record_;
    std::optional<PageFields> fields_; // bound once the layout stands
};

// What the tamper, power, temperature, speed and lift pages have in common.
class SupervisionPage : public ConfigPage {
    Q_OBJECT
  public:
    struct Layout {
        InputRecordNames names;
        QString headingName; // empty: no heading
        QString heading;
        // Numbers 5..8 of ModelCode 80 show as empty items in this page's lists.
        bool blankFiveToEight = false;
    };
    void read(ImageValues& values) const override;
    void fill(const ImageValues& values) override;
    void fillPhoneLists(const PhoneTexts& phones, int modelCode) override;
    QList<QLineEdit*> smsTexts() const override;
    InputRecordControls& record() const { return *record_; }

  protected:
    explicit SupervisionPage(QWidget* sheet) : ConfigPage(sheet) {}
    // Called from the page's constructor, so the page's own rows may set its members.
    void build(const Layout& layout, const InputRecordControls::PageRows& pageRows = {});
    // Where the page's record sits among the values.
    virtual InputPageValues& recordOf(ImageValues& values) const = 0;
    virtual void readOwn(ImageValues& values) const { Q_UNUSED(values); }
    virtual void fillOwn(const ImageValues& values) { Q_UNUSED(values); }
    QGridLayout* grid() const { return grid_; }

  private:
    InputRecordControls* record_ = nullptr;
    std::optional<PageFields> fields_; // bound once build() laid the page out
    QGridLayout* grid_ = nullptr;
    bool blankFiveToEight_ = false;
};

// "Tamper": record 40..43, text 768.
class TamperPage : public SupervisionPage {
    Q_OBJECT
  public:
    explicit TamperPage(QWidget* sheet);

  protected:
    InputPageValues& recordOf(ImageValues& v) const override { return v.tamper; }
};

// "Tápmonitor": record 44..47 with the inverted flag stored reversed, text 800,
// alarm voltage 114.
class PowerPage : public SupervisionPage {
    Q_OBJECT
  public:
    explicit PowerPage(QWidget* sheet);
    QComboBox* voltage() const { return ComboBox20; }
    QLabel* voltageLabel() const { return voltageLabel_; }

  protected:
    InputPageValues& recordOf(ImageValues& v) const override { return v.power.input; }
    void readOwn(ImageValues& values) const override;

  private:
    QComboBox* ComboBox20 = nullptr;
    QLabel* voltageLabel_ = nullptr;
};

// "Hőmérséklet": record 48..51 and the limits 82, 83. Its two texts are kept
// by the window only.
class TemperaturePage : public SupervisionPage {
    Q_OBJECT
  public:
    explicit TemperaturePage(QWidget* sheet);
    QList<QLineEdit*> smsTexts() const override;
    // Type 0 greys the limits; each limit box greys its own spin.
    void applyTemperatureRule();

  protected:
    InputPageValues& recordOf(ImageValues& v) const override { return v.temperature.input; }
    void fillOwn(const ImageValues& values) override;

  private:
    QCheckBox* hkompmax = nullptr;
    QCheckBox* hkompmin = nullptr;
    QSpinBox* SpinEdit6 = nullptr;
    QSpinBox* SpinEdit7 = nullptr;
    QLineEdit* riasztas13 = nullptr;
    QLineEdit* riasztas13b = nullptr;
};

// "Sebesség": record 24..27, text 640, limit 85.
class SpeedPage : public SupervisionPage {
    Q_OBJECT
  public:
    explicit SpeedPage(QWidget* sheet);

  protected:
    InputPageValues& recordOf(ImageValues& v) const override { return v.speed.input; }

  private:
    QSpinBox* SpinEdit8 = nullptr;
};

// "Emelés": record 28..31, text 672, setting 86.
class LiftPage : public SupervisionPage {
    Q_OBJECT
  public:
    explicit LiftPage(QWidget* sheet);

  protected:
    InputPageValues& recordOf(ImageValues& v) const override { return v.lift.input; }

  private:
    QSpinBox* SpinEdit9 = nullptr;
};

// A spin box limited to a value range; its value comes with the page's fill.
QSpinBox* rangeSpin(const QString& objectName, const ValueRange& range, QWidget* parent);
