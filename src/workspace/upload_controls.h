#pragma once
// What the configurator moves outside its configuration image: the voice
// files of "Hangok" (Button8..Button11, gauge Gauge1), the caller-ID memory of
// "Szám Azonosítás MEM", and the service-mode buttons (Button6 "Memory load",
// Button7 siren, Button13 DTMF, Button14 "Modul állapot", Button15
// "Elküldés") with their indicators Panel28..Panel32. It is the engine's
// upload view.

#include "engine/upload_view.h"

#include <QObject>
#include <QString>
#include <functional>

class CallerIdMemoryPage;
class ConfiguratorPages;
class LinkEngine;
class QTabWidget;
class QWidget;
class TAV4Form1;

class UploadControls : public QObject, public UploadView {
    Q_OBJECT
  public:
    // Stream addresses of the sounds the module keeps.
    static constexpr int kInputSoundAddress[4] = {0x0300, 0x0400, 0x0500, 0x0600};
    static constexpr int kSirenAddress = 0x0F00;
    static constexpr int kDtmfAddress = 0x0FE0;

    UploadControls(TAV4Form1& window, LinkEngine& engine, ConfiguratorPages& pages,
                   QTabWidget* pageControl);

    CallerIdMemoryPage* callerIdPage() const { return page_; }
    // The service sounds are fixed files in the system's temporary folder.
    static QString sirenFile();
    static QString dtmfFile();

    void uploadInputSound(int index); // Button8..Button11
    void uploadSiren();               // Button7
    void uploadDtmf();                // Button13
    void memoryLoad();                // Button6
    void sendAllFromService();        // Button15
    void statusFromService();         // Button14
    void readCallerIds();             // BitBtn18
    void writeCallerIds();            // BitBtn19
    // "PSTN send" (Button5 of "Egyéb"): the two telephone-line gains as the
    // spin edits show them, then the clock.
    void pstnSend();

    // UploadView
    void setUploadGaugeMaximum(int maximum) override;
    void setUploadGaugeValue(int value) override;
    void setUploadGaugeVisible(bool visible) override;
    void showCallerIdBlock(const CallerIdMemory& memory, int block) override;
    void callerIdReadDone() override;
    void setCallerIdGaugeValue(int value) override;
    void setCallerIdGaugeVisible(bool visible) override;
    void setCallerIdButtonsEnabled(bool enabled) override;

  signals:
    // "Modul állapot" in service mode opens the module status window.
    void statusWindowRequested();

  private:
    void pageChanged(int index);
    // The port went away: the engine has ended whatever ran; a caller-ID
    // transfer or an upload gives its gauge and buttons back.
    void portLost();
    void setIndicatorRed(const char* panel);
    QWidget* control(const char* name) const;

    TAV4Form1& window_;
    LinkEngine& engine_;
    ConfiguratorPages& pages_;
    QTabWidget* pageControl_;
    CallerIdMemoryPage* page_;
    int currentPage_ = 0;
    bool simWriteWasEnabled_ = false; // BitBtn6 before a caller-ID transfer took it
    bool callerIdRunning_ = false;    // a caller-ID transfer holds the buttons
};
