#pragma once
#include "engine/firmware_image.h"
#include "engine/maintenance_listener.h"

#include <QDialog>
#include <functional>
#include <optional>

class LinkEngine;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// `TAV4Form9`: downloads the carried firmware into the module through the
// configurator's link engine: the processor query, the memory download and
// the load command, ended by the module's version answer. Its texts are not
// translated. The engine must outlive it.
class TAV4Form9 : public QDialog, public MaintenanceListener {
    Q_OBJECT
  public:
    explicit TAV4Form9(LinkEngine& engine, QWidget* parent = nullptr);
    ~TAV4Form9() override;

    // The four-digit code that unlocks "Download OLD firmware!".
    static constexpr const char* kServiceCode = "9043";

    // The carried image (from `TFirmware`).
    std::function<const FirmwareImage::Parsed&()> carriedImage;
    // Input boxes (caption, prompt); nothing when cancelled. Tests answer them.
    std::function<std::optional<QString>(const QString&, const QString&)> askText;
    // Message boxes; tests collect them.
    std::function<void(const QString&)> showMessage;

    // The menu item "Szoftver frissítés": shows the window modally without
    // blocking (the engine's timers keep running) and asks for the processor.
    void openWindow();
    void FormActivate();
    void Button1Click();  // "Download Start": the image is parsed a second later
    void oldFirmware();   // "Download OLD firmware!" of `Label6`'s menu
    void startDownload(); // the parse and the memory download
    // The module's version answer after the load command closes the window.
    void versionAfterLoad();
    bool downloading() const { return downloading_; }
    QTimer* parseTimer() const { return parseTimer_; }
    QTimer* timer1() const { return Timer1; }

    void processorAnswered(const ProcessorAnswer& answer) override;
    void firmwareDownloadStarted() override;
    void firmwareBlockSent(int block) override;
    void firmwareBlockAcknowledged(int block) override;
    void firmwareLoadSent() override;
    void firmwareFailed(FirmwareFailure failure) override;

  public slots:
    void done(int result) override;

  protected:
    void resizeEvent(QResizeEvent* e) override;
    bool event(QEvent* e) override;

  private:
    void listen(bool on);

    LinkEngine& engine_;
    bool listening_ = false;
    bool downloading_ = false;
    bool activated_ = false;
    int processor_ = 0;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QPushButton* Button1;
    QPushButton* BitBtn3;
    QProgressBar* ProgressBar1;
    QTimer* Timer1;
    QTimer* parseTimer_;
};
