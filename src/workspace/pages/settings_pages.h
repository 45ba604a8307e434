#pragma once
// Pages of single settings: "Életjel", "Egyéb" and "GPS".
#include "workspace/pages/config_page.h"
#include "workspace/pages/page_fields.h"

#include <optional>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;

// "Életjel": bytes 70..74 and the text at 864.
class LifeSignalPage : public ConfigPage {
    Q_OBJECT
  public:
    explicit LifeSignalPage(QWidget* sheet);
    void read(ImageValues& values) const override;
    void fill(const ImageValues& values) override;
    void fillPhoneLists(const PhoneTexts& phones, int modelCode) override;
    QList<QLineEdit*> smsTexts() const override;
    QPushButton* testButton() const { return Button16; }
    // Life-signal rule: the three spins follow "Életjel küldés".
    void applyLifeSignalRule();

  private:
    std::optional<PageFields> fields_; // bound once the layout stands
    QCheckBox* CheckBox11;
    QSpinBox* SpinEdit1;
    QSpinBox* SpinEdit2;
    QSpinBox* SpinEdit3;
    TargetCheckList* SMSst11;
    QLineEdit* riasztas11;
    QPushButton* Button16;
};

// "Egyéb": security code 0..3, option bits of 76, redirection 77, ring time 78,
// redials 79, input filter 80, restore text 992 and the SMS header (1280, or
// 896 on ModelCode 100).
class OtherPage : public ConfigPage {
    Q_OBJECT
  public:
    explicit OtherPage(QWidget* sheet);
    void read(ImageValues& values) const override;
    void fill(const ImageValues& values) override;
    void fillPhoneLists(const PhoneTexts& phones, int modelCode) override;
    QList<QLineEdit*> smsTexts() const override;

    QString securityCode() const;
    // Redirection rule: the target list only counts while redirection is on.
    void applyRedirectionRule();
    // ModelCode 100 keeps 32 bytes of the header, the others 120; the edit
    // takes no more than is kept, and Label181 counts what is left.
    void setHeaderLength(int length);
    void setHeaderReachable(bool reachable);
    // The frame of the version-dependent boxes shows while one of them does.
    void showFeatures();
    // A frame below the calling options for the telephone-line gains.
    QGroupBox* addGainGroup();

  private:
    std::optional<PageFields> fields_; // bound once the layout stands
    QLineEdit* Edit1;
    QCheckBox* CheckEgyeb1;
    QCheckBox* CheckEgyeb2;
    QCheckBox* CheckEgyeb3;
    QCheckBox* CheckEgyeb4;
    QCheckBox* CheckEgyeb5;
    QCheckBox* CheckEgyeb6;
    QComboBox* ComboBox11;
    QSpinBox* SpinEdit4;
    QSpinBox* SpinEdit5;
    QComboBox* ComboBox12;
    QLineEdit* Edit8;
    QLineEdit* Edit12;
    QLabel* Label181;
    QGroupBox* features_;
    QGridLayout* grid_;

    void showHeaderRoom();
};

// "GPS": bits 0 and 1 of byte 81.
class GpsPage : public ConfigPage {
    Q_OBJECT
  public:
    explicit GpsPage(QWidget* sheet);
    void read(ImageValues& values) const override;
    void fill(const ImageValues& values) override;

  private:
    std::optional<PageFields> fields_; // bound once the layout stands
    QCheckBox* GPSbit0;
    QCheckBox* GPSbit1;
};
