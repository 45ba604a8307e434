#pragma once
// The reporting pages: remote monitoring ("Távfelügyelet"), "GPRS", the Contact
// ID name tables ("CID/SMS"), opening and closing ("Nyitás/Zárás"), the voice
// file fields of "Hangok", and the two boxes that live on other pages: the
// caller-identification box of "Szám azonosítás" and the PSTN gains of "Egyéb".
#include "settings/presets.h"
#include "workspace/pages/config_page.h"
#include "workspace/pages/page_fields.h"

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

// "Távfelügyelet" (TabSheet24): account, Contact ID codes and zones, receiver
// numbers, life-signal reporting and the signal levels.
class RemoteMonitoringPage : public ConfigPage {
    Q_OBJECT
  public:
    explicit RemoteMonitoringPage(QWidget* sheet);
    void read(ImageValues& values) const override;
    void fill(const ImageValues& values) override;
    // The life-signal reporting controls exist from module version 3.5 on.
    void setLifeSignalVisible(bool visible);
    // Whether the module stores the account, the event codes and the receivers;
    // where it does not they are not offered.
    void setCodesStored(bool stored);

  signals:
    // Either level list changed: the tamper page's type rule runs again.
    void levelChanged();

  private:
    std::optional<PageFields> fields_; // bound once the layout stands
    struct CodeRow {
        QLineEdit* code;
        QLineEdit* zone; // nullptr for the life signal
    };
    QLineEdit* CIDUGYFEL;
    std::array<CodeRow, 6> rows_{}; // Be1..Be4, Tamper, Táp
    QLineEdit* CIDelet;
    QCheckBox* ELETcid;
    QSpinBox* SpinEdit17;
    QLineEdit* TAV1;
    QLineEdit* TAV2;
    QComboBox* ComboBox17;
    QComboBox* ComboBox16;
    QList<QWidget*> lifeSignalControls_;
    QList<QWidget*> codeGroups_;
};

// "GPRS" (TabSheet20, ModelCode 100): test report period, access point and server.
class GprsPage : public ConfigPage {
    Q_OBJECT
  public:
    explicit GprsPage(QWidget* sheet);
    void read(ImageValues& values) const override;
    void fill(const ImageValues& values) override;
    void choose(ApnChoice choice);
    // The access point and server behind "Varonet APN", from the settings;
    // while they are not configured the item says so (`notConfigured`) and
    // cannot be chosen.
    void setVaronetPreset(const Presets::ServerPair& preset, const QString& notConfigured);

  private:
    std::optional<PageFields> fields_; // bound once the layout stands
    void showTexts(bool shown);
    bool holdsVaronet() const;
    Presets::ServerPair varonet_{{}, {}, {QStringLiteral("varonetapn")}};
    QSpinBox* SpinEdit10;
    QComboBox* ComboBox14;
    QLineEdit* Edit10;
    QLineEdit* Edit11;
    QList<QWidget*> textControls_;
};

// "CID/SMS" (TabSheet21, ModelCode 100): the partition names (StringGrid2), the
// Contact ID code names (StringGrid3) with their SMS targets (SMSst7, Label87),
// and the popups that load the built-in lists.
class CidSmsPage : public ConfigPage {
    Q_OBJECT
  public:
    explicit CidSmsPage(QWidget* sheet);
    void read(ImageValues& values) const override;
    void fill(const ImageValues& values) override;
    void fillPhoneLists(const PhoneTexts& phones, int modelCode) override;

    void loadPartitionTemplate();     // "Sablon Betöltése"
    void loadDefaultContactIdCodes(); // "Alap ContactID kódok betöltése"
    // Selects code row k (1..159): SMSst7 and Label87 show that row.
    void selectCodeRow(int row);
    int codeTargets(int row) const { return targets_[static_cast<size_t>(row - 1)]; }

  private:
    void cellChanged(QTableWidget* grid, int row, int column);
    void targetsEdited();
    QString cell(const QTableWidget* grid, int row, int column) const;
    void setCell(QTableWidget* grid, int row, int column, const QString& text);

    QTableWidget* StringGrid2;
    QTableWidget* StringGrid3;
    TargetCheckList* SMSst7;
    QLabel* Label87;
    QMenu* PopupMenu2;
    QMenu* PopupMenu3;
    int selectedRow_ = 0; // code row shown in SMSst7, 0 = none
    bool applyingRule_ = false;
    // One target byte per code row, 1..161, between Decode and Encode.
    std::array<int, kCodeRecordRows> targets_{};
    // Rows 160 and 161 lie beyond the grid; they pass through as decoded.
    std::array<std::optional<ContactIdCodeRow>, 2> unseenRows_{};
    // Rows that were decoded, loaded or edited. A row the installer never saw
    // filled stays out of Encode, so its record keeps what the module holds.
    std::array<bool, kPartitionRecordRows> partitionGiven_{};
    std::array<bool, kCodeRecordRows> codeGiven_{};
};

// "Nyitás/Zárás" (TabSheet27): SMS targets and texts for opening and closing.
class OpenClosePage : public ConfigPage {
    Q_OBJECT
  public:
    explicit OpenClosePage(QWidget* sheet);
    void read(ImageValues& values) const override;
    void fill(const ImageValues& values) override;
    void fillPhoneLists(const PhoneTexts& phones, int modelCode) override;
    QList<QLineEdit*> smsTexts() const override;
    // ModelCode 100 keeps its SMS header where the opening text would be.
    void setModelCode(int modelCode);

  private:
    std::optional<PageFields> fields_; // bound once the layout stands
    TargetCheckList* SMSst16;
    TargetCheckList* SMSst17;
    QLineEdit* Edit17;
    QLineEdit* Edit18;
    int modelCode_ = 0;
};

// "Hangok" (TabSheet22, ModelCode 71): one sound file per input. No image fields:
// a chosen file must hold the WAV tag "data" within its first 256 bytes.
class SoundFilesPage : public ConfigPage {
    Q_OBJECT
  public:
    explicit SoundFilesPage(QWidget* sheet);
    void read(ImageValues&) const override {}
    void fill(const ImageValues&) override {}

    // Where the page asks for a file and shows a message; tests replace them.
    std::function<QString()> chooseFile;
    std::function<void(const QString&)> message;

    // A click on field `index` (0..3): choose a file and check it.
    void pickFile(int index);
    QString file(int index) const;
    // Whether the first 256 bytes of `head` hold the tag "data".
    static bool hasDataTag(const QByteArray& head);
    // The upload gauge `Gauge1`, hidden while no upload runs.
    QProgressBar* uploadGauge() const { return Gauge1; }

  signals:
    void uploadRequested(int index);

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    std::array<QLineEdit*, 4> files_{};
    QProgressBar* Gauge1 = nullptr;
};

// "Szám azonosítás" (TabSheet15): the caller-identification box (byte 122).
class CallerIdBox : public ConfigPage {
    Q_OBJECT
  public:
    // Builds its box into `group`, which the page places.
    explicit CallerIdBox(QGroupBox* group);
    void read(ImageValues& values) const override;
    void fill(const ImageValues& values) override;
    QCheckBox* box() const { return CheckEgyeb2_1; }

  private:
    std::optional<PageFields> fields_; // bound once the layout stands
    QCheckBox* CheckEgyeb2_1;
};

// "Egyéb" (ModelCode 100): the telephone-line gains and "PSTN send".
class PstnGainBox : public ConfigPage {
    Q_OBJECT
  public:
    // Builds its rows into `group` (objectName "PstnGainGroup"), which the page places.
    explicit PstnGainBox(QGroupBox* group);
    void read(ImageValues& values) const override;
    void fill(const ImageValues& values) override;

  signals:
    void pstnSendRequested();

  private:
    std::optional<PageFields> fields_; // bound once the layout stands
    QSpinBox* SpinEdit11;
    QSpinBox* SpinEdit12;
    QSpinBox* SpinEdit13;
    QSpinBox* SpinEdit14;
};
