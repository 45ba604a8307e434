#pragma once
#include "engine/firmware_image.h"
#include "engine/listener_subscription.h"
#include "engine/maintenance_listener.h"

#include <QDialog>
#include <functional>
#include <optional>

struct AppContext;
class LinkEngine;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// `TAV4Form9`: downloads a module firmware through the configurator's link
// engine: the processor query, the memory download and the load command,
// ended by the module's version answer. The image is the one a maker's build
// carries or, in the stock tool, which carries none, the maker's file the
// installer opens. Nothing is sent before the installer has confirmed what
// will be loaded. The window's own fixed texts are not translated; what it
// says about the image is. The engine and the context must outlive it.
class TAV4Form9 : public QDialog, public MaintenanceListener {
    Q_OBJECT
  public:
    TAV4Form9(LinkEngine& engine, const AppContext& ctx, QWidget* parent = nullptr);

    // The four-digit code that unlocks "Download OLD firmware!".
    static constexpr const char* kServiceCode = "9043";

    // The image a maker's build carries (from `TFirmware`); left unset when the
    // build carries none, and the window then offers to open a file.
    std::function<const FirmwareImage::Parsed&()> carriedImage;
    // Input boxes (caption, prompt); nothing when cancelled. Tests answer them.
    std::function<std::optional<QString>(const QString&, const QString&)> askText;
    // The open-file dialog (caption, filter); the chosen path, or empty.
    std::function<QString(const QString&, const QString&)> chooseFile;
    // Yes/No questions; true for Yes.
    std::function<bool(const QString&)> askYesNo;
    // Message boxes; tests collect them.
    std::function<void(const QString&)> showMessage;

    // The menu item "Szoftver frissítés": shows the window modally without
    // blocking (the engine's timers keep running) and asks for the processor.
    void openWindow();
    void FormActivate();
    void Button1Click();  // "Download Start": the image is checked a second later
    void oldFirmware();   // "Download OLD firmware!" of `Label6`'s menu
    void startDownload(); // the checks, the confirmation and the memory download
    // The open-file button: asks for the maker's image file and loads it.
    void openImageFile();
    // Reads and checks an image file; on any fault says why and keeps what
    // was loaded before. True when the file is now the image to download.
    bool loadImageFile(const QString& path);
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
    // An image file the installer opened.
    struct OpenedImage {
        FirmwareImage::Parsed image;
        QString fileName;
        qint64 fileBytes = 0;
    };

    int language() const;
    // The image a download would send: the carried one, else the opened one.
    const FirmwareImage::Parsed* image() const;
    // What will be loaded, as the window and the confirmation show it.
    QString imageDescription() const;
    QString confirmation() const;
    // The image label, the open button, `Label6` and `Button1` for the state.
    void showImageState();

    LinkEngine& engine_;
    const AppContext& ctx_;
    ListenerSubscription subscription_;
    bool downloading_ = false;
    bool activated_ = false;
    int processor_ = 0;
    // The module's software version from its processor answer; the oldest
    // modules' answer carries none.
    std::optional<int> moduleSoftware_;
    std::optional<OpenedImage> opened_;
    // Counts every change of the opened image, so that a confirmation is
    // never taken for an image it did not show.
    int imageSerial_ = 0;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* imageLabel_;
    QPushButton* Button1;
    QPushButton* openButton_;
    QPushButton* BitBtn3;
    QProgressBar* ProgressBar1;
    QTimer* Timer1;
    QTimer* parseTimer_;
};
