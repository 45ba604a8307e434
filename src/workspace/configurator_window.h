#pragma once
#include "discovery/model_table.h"
#include "engine/link_engine.h"
#include "engine/link_view.h"
#include "image/config_image.h"
#include "report/commissioning_report.h"
#include "ui/widgets.h"
#include "workspace/send_plan.h"
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct AppContext;
class QLabel;
class QProgressBar;
class QPushButton;
class QAbstractButton;
class QTabWidget;
class QAction;
class QCheckBox;
class QTableWidget;
class QMenu;
class QTimer;
class QTextEdit;
class QPlainTextEdit;
class QVBoxLayout;
class QBoxLayout;
class TAsynComm32;
class ConfiguratorPages;
class ConfigurationFiles;
class Panel16;
class UploadControls;
class WriteGuard;
class SafetyMenu;
class ReportRun;
struct ImageContext;

// The configurator of the multi-model communicators (ModelCode 70 ... 100):
// one page per group of settings, read/send/restart buttons, a status bar. Its
// link engine does the talking; the window is the engine's view.
class TAV4Form1 : public QMainWindow, public LinkView {
    Q_OBJECT
  public:
    // `discoveryPortReleased` tells whether the start window has let go of the
    // port, which the configurator's first operation must wait for.
    TAV4Form1(AppContext& ctx, std::function<bool()> discoveryPortReleased,
              QWidget* parent = nullptr);
    ~TAV4Form1() override;

    // Set by the model dispatch before the window is shown.
    void setModelCode(int code);
    int modelCode() const { return ModelCode_; }
    void setModelTitle(const QString& title);
    void presetModuleVersion(int v) { engine_->setModuleVersion(v); }
    int moduleVersion() const { return engine_->state().ModuleVersion; }
    // Shows, hides or disables a page (by objectName) or a control group.
    void applyItemRule(const QString& item, ItemRule rule);
    void setModelPicture(const QPixmap& picture);
    // The start window's model text, the default of an empty communicator type.
    void setModelLabel(const QString& text) { modelLabel_ = text; }

    QTabWidget* pageControl() const { return PageControl1; }
    // A menu or menu item of the main menu, by objectName.
    QAction* menuAction(const QString& objectName) const;
    // The buttons that share Alt letters with the menu bar: the window's own
    // first, then the service buttons.
    QList<QAbstractButton*> mnemonicButtons() const;
    QList<QAbstractButton*> laterMnemonicButtons() const;
    ConfiguratorPages& pages() const { return *pages_; }
    bool pageVisible(const QString& objectName) const;
    QString statusPanel(int i) const;
    ConfigImage& image() { return image_; }
    LinkEngine& engine() { return *engine_; }
    TAsynComm32* channel() const { return AsynComm321; }
    int language() const { return language_; }
    // The settings value "mode" that turns the service controls on.
    static constexpr const char* kServiceCode = "5082613";
    QString modeText() const { return modeText_; }
    // Set by the first read or file load: from then on the pages hold
    // settings that activations must not reset.
    bool holdsModuleData() const { return holdsModuleData_; }
    // The window's scale for a settings value "monitor"; none for "2" and any
    // value that is not a choice of the screen size window.
    static std::optional<double> screenScaleFactor(const QString& monitor);
    bool screenSizeApplied() const { return scalingDone_; }
    Panel16* installationPanel() const { return Panel16_; }
    ConfigurationFiles& files() const { return *files_; }
    // Voice uploads, caller-ID memory and the service buttons.
    UploadControls* uploads() const { return uploads_; }
    // The safety net: backup before each send, read-back verify, comparisons.
    WriteGuard& safetyNet() const { return *guard_; }
    SafetyMenu& safetyMenu() const { return *safetyMenu_; }
    // What the window holds now: the fields it shows written onto its image.
    ConfigImage imageToSend() const;
    // The restore window's read of the module, into the safety net's own
    // image as a comparison's: answered by moduleReadForRestore, or by
    // moduleReadRefused while another operation runs.
    void readModuleForRestore();
    // Loads a backup into the window, as opening it would (with 1024..1535
    // when the backup kept them), and sends it as "Elküldés" does: backup of
    // the module first, then the write and its verify.
    void restoreBackup(const QString& path);
    // "Telepítési jegyzőkönyv...": the commissioning report of what the window
    // holds and of this run's send, IMEI and status poll, as a PDF.
    void makeReport();
    CommissioningReport::Facts reportFacts() const;
    // How the last send of this run ended; nothing before the first.
    std::optional<CommissioningReport::SendResult> lastSendResult() const;

    void FormActivate();
    // One tick of the five engine timers; the last tick of an operation
    // stops them.
    void adasTimer();
    // Whether the engine timers run.
    bool ticking() const;
    void AsynComm321RxChar(int count);
    void BitBtn1Click(); // send all
    // The menu item beside "Elküldés": every position rewritten, not only
    // those that differ from what the module holds.
    void sendEverything();
    void send(bool everything);
    void BitBtn2Click(); // read all
    void BitBtn4Click(); // restart, after a question
    void saveConfiguration();
    void openConfiguration();
    // A language menu item: stores the language code and activates the window.
    void chooseLanguage(int code);

    // What the installer wants done with edits not yet sent when an action
    // would replace or drop them ("Olvasás", "Megnyitás", "Kilépés").
    enum class UnsentChoice { Send, Discard, Cancel };
    std::function<UnsentChoice()> askUnsentEdits;
    // Whether a send would now write something the module (or the file) was
    // not last given: an edit made since the last read, open or send.
    bool hasUnsentEdits() const;
    // "module read at hh:mm", or the file last opened or saved; with the
    // module's own firmware once a read has told it.
    void refreshTitle();
    // What "Verzió" shows: the edition's program version, or the window's
    // title with the firmware the module itself reported (none before a read).
    QString versionBoxText() const;

    // Yes/No questions go through here so tests can answer them.
    std::function<bool(const QString&)> askYesNo;
    // Input boxes (caption, prompt) likewise; nothing when cancelled.
    std::function<std::optional<QString>(const QString&, const QString&)> askText;

    // LinkView
    void showPortName(const QString& name) override;
    void showModuleVersion(const QString& text) override;
    void showStatus(const QString& text) override;
    void setGaugeMaximum(int maximum) override;
    void setGaugeValue(int value) override;
    void setGaugeVisible(bool visible) override;
    void setTransferButtonsEnabled(bool enabled) override;
    void showMessage(const QString& text) override;
    const AppContext& context() const { return ctx_; }
    void encode() override;
    void encodeShown();
    void decode() override;
    void runPageShowLogic() override;
    void applyVersionRules() override;
    void resetOutput2TimeUnit() override;
    void showTime(const QString& text) override;
    void setTickInterval(int milliseconds) override;
    void ticksNeeded() override;
    void operationStarted() override;
    void showPhonebookSlot(const PhonebookEntry& entry) override;
    void setPhonebookGaugeMaximum(int maximum) override;
    void setPhonebookGaugeValue(int value) override;
    void setPhonebookGaugeVisible(bool visible) override;
    void setPhonebookButtonsEnabled(bool read, bool write) override;
    void closeFirmwareWindow() override;

    // The SIM names grid: "SIM", "Number", "Name"; grid row n (from 1) is SIM slot n.
    QTableWidget* simNamesGrid() const { return StringGrid1; }
    void BitBtn5Click(); // read the SIM phonebook into the grid
    void BitBtn6Click(); // write the grid's rows to the SIM phonebook
    void Button2Click(); // one more row
    void Button3Click(); // save the grid as a SIM names file
    void Button4Click(); // open a SIM names file into the grid

  signals:
    // Closing the configurator ends the program.
    void programEndRequested();
    // "SMS központ telefonszám" and "Egyenleg lekérdezés (T-Mobile)": their
    // windows work through this window's engine.
    void smsCentreRequested();
    void balanceRequested();
    // The maintenance windows, which work through this window's engine:
    // "Modul állapot megjelenítése", "Monitor", "Szoftver frissítés"; and the
    // module's version answer after a firmware load.
    void statusWindowRequested();
    void monitorWindowRequested();
    void firmwareWindowRequested();
    void firmwareWindowCloseRequested();
    // "Visszaállítás mentésből…" and the read its window asked for.
    void restoreWindowRequested();
    void moduleReadForRestore(const ConfigImage& module, int bytesRead, int modelCode);
    void moduleReadRefused(const QString& why);

  public slots:
    // The service indicators: `Panel32` turns green while the status window
    // sees output 1 active; "Tesztelés END" gives `Panel28`..`Panel31` back
    // their face colour.
    void showOutput1Active();
    void resetServiceIndicators();
    // The last status block the status window showed.
    void rememberStatus(const QByteArray& block);

  protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void buildMenus();
    // True when the action may go on: no unsent edits, or the installer let
    // them go; "send" starts the send and stops the action.
    bool settleUnsentEdits();
    // Keeps the title's modified mark up to date as controls change.
    void watchForEdits();
    void refreshModifiedMark();
    void noteSaved(const QString& path);
    // Shortcuts, Enter on buttons, the Tab order and a visible focus.
    void setUpKeyboard();
    // Alt letters for the menus and buttons, after each change of their texts.
    void placeMnemonics();
    void setTicking(bool on);
    // The time label has a timer of its own while it is shown.
    void updateTimeLabelTimer();
    void connectLanguageMenu();
    void applyLanguage();
    void applyDefaultTexts();
    void resetListSelections();
    void showServiceControls();
    void applyEditionAdjustments();
    void applyEdition20Values();
    void arrangeForEdition20(QVBoxLayout* column, QBoxLayout* helpRow);
    void applyScreenSize();
    void buildSimNamesPage();
    int phonebookSlots() const;
    void setSimGridRows(int rows);
    QAction* menuItem(const char* objectName) const;
    void setPageVisible(const QString& objectName, bool visible);
    ImageContext imageContext() const;
    SendPlan::WindowState windowState() const;

    AppContext& ctx_;
    int ModelCode_ = 0;
    int language_ = 0;
    ActivationGate activation_;
    bool companyStarred_ = false;
    ConfigImage image_;
    TAsynComm32* AsynComm321;
    std::unique_ptr<LinkEngine> engine_;
    // The bytes the pages were last filled from (a read or a file).
    std::optional<ConfigImage> filledFrom_;
    QTimer* adas_;
    QTimer* timers_[4];
    QTimer* timeLabelTimer_;
    QTabWidget* PageControl1;
    ConfiguratorPages* pages_;
    QLabel* statusPanels_[4];
    QProgressBar* kijelzo;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    QPushButton* BitBtn4;
    QPushButton* Button16;
    QLabel* Image1;
    QLabel* Label3D1;
    QLabel* Label99;
    Panel16* Panel16_;
    ConfigurationFiles* files_;
    QString modelLabel_;
    QString modeText_;
    bool holdsModuleData_ = false;
    QString titleSource_;    // the file, or the time of the read
    QString moduleFirmware_; // as the last read of the module told it
    QString versionText_;    // the version panel's text
    QTimer* modifiedCheck_ = nullptr;
    // The screen size is applied at the first activation of the run only.
    bool scalingDone_ = false;
    QWidget* Clock1 = nullptr;
    QTextEdit* RichEdit1 = nullptr;
    QPlainTextEdit* Memo_[6] = {};
    std::vector<QWidget*> serviceControls_;
    QTableWidget* StringGrid1;
    QProgressBar* Gauge2;
    QPushButton* BitBtn5;
    QPushButton* BitBtn6;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    QCheckBox* CheckBox12;
    UploadControls* uploads_ = nullptr;
    void buildSafetyNet();
    std::unique_ptr<WriteGuard> guard_;
    SafetyMenu* safetyMenu_ = nullptr;
    void buildReport();
    std::unique_ptr<ReportRun> reportRun_;
};
