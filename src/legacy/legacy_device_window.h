#pragma once
#include "serial/block_transfer.h"
#include "serial/frame_assembler.h"
#include <QWidget>
#include <functional>

struct AppContext;
class TAsynComm32;
class QLabel;
class QTimer;

// What the converter and the two GPS windows share: their own port, held only
// while a transfer is pending, a 350 ms send timer that repeats the current
// request after the hold-off, and the version read they open with.
class LegacyDeviceWindow : public QWidget {
    Q_OBJECT
  public:
    // `discoveryPortReleased` tells whether the start window has let go of the port.
    LegacyDeviceWindow(AppContext& ctx, std::function<bool()> discoveryPortReleased,
                       const QString& className, const QString& caption,
                       BlockTransfer::AcceptRule rule, int baud, QWidget* parent = nullptr);
    ~LegacyDeviceWindow() override;

    static constexpr int kVersionRead = 1;

    void adasTimer();
    void AsynComm321RxChar(int count);

    int linkState() const { return link_.LinkState; }
    void setLinkState(int s) { link_.LinkState = s; }
    TAsynComm32* channel() const { return AsynComm321; }
    QTimer* timerAdas() const { return adas_; }
    QString versionText() const;

  signals:
    // Closing a device window ends the program.
    void programEndRequested();

  protected:
    void closeEvent(QCloseEvent* e) override;
    void sendRequest();

    AppContext& ctx_;
    std::function<bool()> discoveryPortReleased_;
    TAsynComm32* AsynComm321;
    QTimer* adas_;
    BlockTransfer link_;
    FrameAssembler rx_;
    QLabel* Label6;
};

// GPRS-to-Contact ID converter (ModelCode 50).
class TForm5 : public LegacyDeviceWindow {
    Q_OBJECT
  public:
    TForm5(AppContext& ctx, std::function<bool()> discoveryPortReleased, QWidget* parent = nullptr);
};

// GPS module, Marlo variant (ModelCode 61).
class TForm7 : public LegacyDeviceWindow {
    Q_OBJECT
  public:
    TForm7(AppContext& ctx, std::function<bool()> discoveryPortReleased, QWidget* parent = nullptr);
};

// GPS module, TREKKA variant (ModelCode 60): 4800 baud, replies marked 0xAB.
class Ttrekkamain : public LegacyDeviceWindow {
    Q_OBJECT
  public:
    Ttrekkamain(AppContext& ctx, std::function<bool()> discoveryPortReleased,
                QWidget* parent = nullptr);
};
