#pragma once
// The configurator's pages as one whole: builds them into the tab sheets of
// PageControl1, hands their values to Encode and takes Decode's, and runs the
// rules that span pages (phone check lists on page show, the page change rule,
// leaving "Egyéb", the accent warning, the version and model rules).
#include "image/image_values.h"
#include "workspace/pages/page_widgets.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <functional>

class ConfigPage;
class InputPage;
class LifeSignalPage;
class LiftPage;
class OtherPage;
class OutputPage;
class PhoneNumbersPage;
class PowerPage;
class SpeedPage;
class TamperPage;
class TemperaturePage;
class GpsPage;
class RemoteMonitoringPage;
class GprsPage;
class CidSmsPage;
class OpenClosePage;
class SoundFilesPage;
class CallerIdBox;
class PstnGainBox;
class QLabel;
class QLineEdit;
class QTabWidget;

class ConfiguratorPages : public QObject {
    Q_OBJECT
  public:
    // `moduleVersion` and `language` are asked whenever a rule needs them.
    ConfiguratorPages(QTabWidget* pageControl, std::function<int()> moduleVersion,
                      std::function<int()> language);

    void setModelCode(int modelCode);

    // The fields Encode is to write: those the installer touched since the
    // window built them or last filled them from the image (page_changes.h).
    ImageValues changedValues();
    // Every field as the controls show it.
    ImageValues currentValues() const;
    // The fields the window shows for this model and version, as shown; a field
    // whose page or control is hidden or disabled stays empty.
    ImageValues shownValues() const;
    // The fields the installer touched since the last fill (set where touched).
    const ImageValues& touchedValues();
    // Decode's values into the controls, each page's show rules after it; what
    // the controls then show is the new reference for changedValues().
    void fill(const ImageValues& values);
    // A text the window puts into a field itself (a language's default SMS
    // text): it goes in only while the installer has not touched the field,
    // and it does not count as an edit, so a send leaves the field as the
    // module has it. `field` is the field the edit shows; without one (a text
    // the image does not keep) a text the installer typed stays. Returns
    // whether the text went in.
    using TextField = std::optional<QString>& (*)(ImageValues&);
    bool setDefaultText(QLineEdit* edit, TextField field, const QString& text);
    // Values the window sets itself (an edition's starting values, the fresh
    // window's list selections): what `change` sets counts as filled, not as
    // an edit, while the installer's earlier edits stay marked.
    void applyAsFilled(const std::function<void()>& change);
    // Whether the installer has touched the field the control shows.
    bool touched(const QString& control);

    // The show routines that the send runs before Encode.
    void runSendShowLogic();
    // The page-show routine of one sheet (TabSheetN).
    void showPage(QWidget* sheet);
    // Whether what the pages show can be sent or saved as it stands; when not,
    // the reason is told through message().
    bool readyToStore();
    void resetOutput2Unit();
    // The version and model rules that concern these pages.
    void applyVersionRules(int version, int modelCode, int brandCode);

    // The accent warning beside the field last typed into, while it shows.
    QString accentHintText() const;
    // A further SMS text for the accent warning (pages built elsewhere).
    void watchAccents(QLineEdit* edit);
    // A further page whose show routine fills phone lists, and whose fields
    // take part in Encode and Decode.
    void addPage(ConfigPage* page);

    PhoneNumbersPage* phonePage() const { return phones_; }
    InputPage* inputPage(int input) const { return inputs_[input - 1]; }
    OutputPage* outputPage() const { return output_; }
    TamperPage* tamperPage() const { return tamper_; }
    PowerPage* powerPage() const { return power_; }
    LifeSignalPage* lifeSignalPage() const { return lifeSignal_; }
    OtherPage* otherPage() const { return other_; }
    TemperaturePage* temperaturePage() const { return temperature_; }
    GpsPage* gpsPage() const { return gps_; }
    SpeedPage* speedPage() const { return speed_; }
    LiftPage* liftPage() const { return lift_; }
    RemoteMonitoringPage* remoteMonitoringPage() const { return remote_; }
    GprsPage* gprsPage() const { return gprs_; }
    CidSmsPage* cidSmsPage() const { return cidSms_; }
    OpenClosePage* openClosePage() const { return openClose_; }
    SoundFilesPage* soundFilesPage() const { return sounds_; }
    CallerIdBox* callerIdBox() const { return callerId_; }
    PstnGainBox* pstnGainBox() const { return gains_; }

  signals:
    // A message box for the installer.
    void message(const QString& text);

  private:
    void onPageChanged(int index);
    // Any control of a page changed: remember which fields left their reference.
    void controlChanged();
    void watchControls(QWidget* sheet);
    void checkAccent(const QString& text);
    QWidget* sheet(const QString& objectName) const;
    QWidget* sheet(const char* objectName) const;
    bool shownOnPageControl(const QWidget* w) const;

    QTabWidget* pageControl_;
    std::function<int()> moduleVersion_;
    std::function<int()> language_;
    int modelCode_ = 0;
    int currentIndex_ = 0;
    bool accentWarned_ = false;
    QLabel* accentHint_ = nullptr;
    bool filling_ = false;
    ImageValues reference_; // the fields as the window last set them
    ImageValues touched_;   // the fields that have differed from it since

    PhoneNumbersPage* phones_;
    std::array<InputPage*, 4> inputs_{};
    OutputPage* output_;
    TamperPage* tamper_;
    PowerPage* power_;
    LifeSignalPage* lifeSignal_;
    OtherPage* other_;
    TemperaturePage* temperature_;
    GpsPage* gps_;
    SpeedPage* speed_;
    LiftPage* lift_;
    RemoteMonitoringPage* remote_;
    GprsPage* gprs_;
    CidSmsPage* cidSms_;
    OpenClosePage* openClose_;
    SoundFilesPage* sounds_;
    CallerIdBox* callerId_;
    PstnGainBox* gains_;
    QList<ConfigPage*> pages_;
    QHash<QWidget*, ConfigPage*> bySheet_;
};
