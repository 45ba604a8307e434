#pragma once
#include "serial/block_transfer.h"
#include "serial/frame_assembler.h"
#include <QWidget>

class AlventoApplication;
class TAsynComm32;
class QLabel;
class QTimer;

// What the converter and the two GPS windows share: their own port, held only
// while a transfer is pending, a 350 ms send timer that repeats the current
// request after the hold-off, and the version read they open with.
class LegacyDeviceWindow : public QWidget {
    Q_OBJECT
  public:
    LegacyDeviceWindow(AlventoApplication& app, const QString& className, const QString& caption,
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

  protected:
    void closeEvent(QCloseEvent* e) override;
    void sendRequest();

    AlventoApplication& app_;
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
    explicit TForm5(AlventoApplication& app, QWidget* parent = nullptr);
};

// GPS module, Marlo variant (ModelCode 61).
class TForm7 : public LegacyDeviceWindow {
    Q_OBJECT
  public:
    explicit TForm7(AlventoApplication& app, QWidget* parent = nullptr);
};

// GPS module, TREKKA variant (ModelCode 60): 4800 baud, replies marked 0xAB.
class Ttrekkamain : public LegacyDeviceWindow {
    Q_OBJECT
  public:
    explicit Ttrekkamain(AlventoApplication& app, QWidget* parent = nullptr);
};
