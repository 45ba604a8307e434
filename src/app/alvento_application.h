#pragma once
#include "settings/app_context.h"
#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

class TForm1;
class TForm8;
class TForm10;
class Tcomprt;
class TForm5;
class TForm6;
class TForm7;
class Ttrekkamain;
class TrajzGPS14;
class Model30Form;
class TAV4Form1;
class TSMSk;
class TMESS1;
class TAV4Form2;
class TAV4Form3;
class TAV4Form9;
class TFirmware;
class TAV4Form4;
class TAV4Form7;
class TAV4Form8;
class Tleiras;
class RestoreWindow;
class ReportServerDialog;

// One run of the tool: every window, created once in a fixed order, and the
// settings context they share. Tests build one per edition without rebuilding.
class AlventoApplication {
  public:
    struct Options {
        int brandCode = 0;    // 0: the build's edition
        QString portOverride; // --port NAME
    };
    explicit AlventoApplication(const Options& options);
    ~AlventoApplication();

    // Shows the start window and runs its activation; the language gate follows.
    void start();
    // True once the start window has closed (the program ends).
    bool ended() const { return ended_; }

    AppContext& context() { return ctx_; }
    const AppContext& context() const { return ctx_; }

    TForm1* startWindow() const { return form1_; }
    TForm8* searchWindow() const { return form8_; }
    TForm10* languageWindow() const { return form10_; }
    Tcomprt* portChooser() const { return comprt_; }
    TForm5* converterWindow() const { return form5_; }
    TForm7* marloWindow() const { return form7_; }
    Ttrekkamain* trekkaWindow() const { return trekka_; }
    TForm6* converterHelp() const { return form6_; }
    TrajzGPS14* wiringDiagram() const { return rajz_; }
    Model30Form* model30Form() const { return model30_; }
    TAV4Form1* configurator() const { return av4_; }
    TSMSk* smsCentreWindow() const { return smsk_; }
    TMESS1* balanceWindow() const { return mess1_; }
    TAV4Form2* statusWindow() const { return av4Form2_; }
    TAV4Form3* monitorWindow() const { return av4Form3_; }
    TAV4Form9* firmwareWindow() const { return av4Form9_; }
    TFirmware* firmwareForm() const { return firmware_; }
    // "Visszaállítás mentésből…", a window of the configurator's.
    RestoreWindow* restoreWindow() const { return restore_; }
    ReportServerDialog* reportServerDialog() const { return reportServer_.get(); }

    // Class names in the order the windows were created.
    QStringList creationOrder() const;
    QWidget* window(const QString& className) const;

    // Runs the model dispatch for the ModelCode the start window holds.
    void dispatch();

    // A demo start presets the configurator's module software version.
    void setDemoModuleVersion(int v) { demoModuleVersion_ = v; }
    int demoModuleVersion() const { return demoModuleVersion_; }

  private:
    template <class W, class... Args> W* create(Args&&... args);
    // A window of the fixed creation order whose content is not built yet.
    void createPlaceholder(const char* className);
    void wire();
    void endProgram();

    AppContext ctx_;
    std::vector<std::unique_ptr<QWidget>> windows_;
    bool ended_ = false;
    int demoModuleVersion_ = 0;
    TForm1* form1_ = nullptr;
    TForm8* form8_ = nullptr;
    TForm10* form10_ = nullptr;
    Tcomprt* comprt_ = nullptr;
    TForm5* form5_ = nullptr;
    TForm7* form7_ = nullptr;
    Ttrekkamain* trekka_ = nullptr;
    TForm6* form6_ = nullptr;
    TrajzGPS14* rajz_ = nullptr;
    Model30Form* model30_ = nullptr;
    TAV4Form1* av4_ = nullptr;
    TSMSk* smsk_ = nullptr;
    TMESS1* mess1_ = nullptr;
    TAV4Form2* av4Form2_ = nullptr;
    TAV4Form3* av4Form3_ = nullptr;
    TAV4Form9* av4Form9_ = nullptr;
    TFirmware* firmware_ = nullptr;
    TAV4Form4* av4Form4_ = nullptr;
    TAV4Form7* av4Form7_ = nullptr;
    TAV4Form8* av4Form8_ = nullptr;
    Tleiras* leiras_ = nullptr;
    RestoreWindow* restore_ = nullptr;
    // Not one of the fixed windows: made here so the configurator's menu can open it.
    std::unique_ptr<ReportServerDialog> reportServer_;
};
