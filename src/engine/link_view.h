#pragma once
#include "engine/modem_results.h"

#include <QString>

// What the link engine needs of the window that runs it. The configurator
// window implements it with its status bar, gauge, buttons and pages; the
// command-line mode implements it without a window.
class LinkView {
  public:
    virtual ~LinkView() = default;

    // Status bar panels: the port name (already without a "\\.\" prefix), the
    // module software version ("Sw: 4.3") and the engine's status text.
    virtual void showPortName(const QString& name) = 0;
    virtual void showModuleVersion(const QString& text) = 0;
    virtual void showStatus(const QString& text) = 0;

    // The main progress gauge `kijelzo`.
    virtual void setGaugeMaximum(int maximum) = 0;
    virtual void setGaugeValue(int value) = 0;
    virtual void setGaugeVisible(bool visible) = 0;

    // "Elküldés" and "Olvasás" (`BitBtn1`, `BitBtn2`): off while a transfer runs.
    virtual void setTransferButtonsEnabled(bool enabled) = 0;

    // A modal message box with an OK button.
    virtual void showMessage(const QString& text) = 0;

    // Controls to image, and image to controls.
    virtual void encode() = 0;
    virtual void decode() = 0;

    // The show logic of the pages whose controls derive values that Encode
    // reads; runs before every write of the whole image.
    virtual void runPageShowLogic() = 0;
    // Shows and hides the controls that depend on the module version; runs
    // after each accepted version reply.
    virtual void applyVersionRules() = 0;
    // A byte or block read leaves the output-2 time unit selector on "Sec".
    virtual void resetOutput2TimeUnit() = 0;

    // The time label `Label99`, refreshed on every tick.
    virtual void showTime(const QString& text) = 0;
    // Interval of the `adas` timer in milliseconds.
    virtual void setTickInterval(int milliseconds) = 0;
    // The engine has been given work and its ticks must run. A view may stop
    // its tick timers once the engine needs no ticks (LinkEngine::needsTicks);
    // this is where they start again.
    virtual void ticksNeeded() {}
    // An operation is starting: whatever an earlier one left on show for its
    // outcome is no longer news.
    virtual void operationStarted() {}

    // The firmware window waits for a version reply before it closes itself.
    virtual void closeFirmwareWindow() {}

    // The page "Szám azonosítás": the SIM names grid `StringGrid1` (row n is
    // SIM slot n), its gauge `Gauge2`, read `BitBtn5` and write `BitBtn6`.
    // A phonebook read reports every slot it asks: an occupied one with its
    // number and name (the grid then holds at least that row), an empty or
    // refused one with both empty (its row, if the grid has it, is emptied).
    virtual void showPhonebookSlot(const PhonebookEntry& /*entry*/) {}
    virtual void setPhonebookGaugeMaximum(int /*maximum*/) {}
    virtual void setPhonebookGaugeValue(int /*value*/) {}
    virtual void setPhonebookGaugeVisible(bool /*visible*/) {}
    virtual void setPhonebookButtonsEnabled(bool /*read*/, bool /*write*/) {}
};
