#pragma once
#include "serial/block_transfer.h"
#include "serial/frame_assembler.h"
#include <QWidget>
#include <functional>

struct AppContext;
class TAsynComm32;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QVBoxLayout;

// What the converter and the two GPS windows share: their own port, held only
// while a transfer is pending, a 350 ms send timer that repeats the current
// request after the hold-off, the byte-by-byte block transfer, and the version
// read the converter and the Marlo window open with.
class LegacyDeviceWindow : public QWidget {
    Q_OBJECT
  public:
    ~LegacyDeviceWindow() override;

    static constexpr int kVersionRead = 1;

    void adasTimer();
    void AsynComm321RxChar(int count);

    int linkState() const { return link_.LinkState; }
    void setLinkState(int s) {
        link_.LinkState = s;
        wakeSendTimer();
    }
    int holdOff() const { return link_.HoldOff; }
    TAsynComm32* channel() const { return AsynComm321; }
    QTimer* timerAdas() const { return adas_; }
    // "szoftver verzio> 1." and the version once it has been read.
    QString versionText() const;

    // "Olvasás" and "Elküldés".
    virtual void OlvasasClick() = 0;
    virtual void ElkuldesClick() = 0;

    // Where messages and questions go; tests answer them instead of a person.
    std::function<void(const QString&)> tell;
    std::function<bool(const QString&)> askYesNo;

  signals:
    // Closing a device window ends the program.
    void programEndRequested();

  protected:
    // `discoveryPortReleased` tells whether the start window has let go of the port.
    LegacyDeviceWindow(AppContext& ctx, std::function<bool()> discoveryPortReleased,
                       const QString& className, const QString& caption,
                       BlockTransfer::AcceptRule rule, int baud, QWidget* parent = nullptr);

    // A tick of the send timer while the window has work and its port.
    virtual void tick();
    // The request of the current state, sent again on every tick after the hold-off.
    virtual void sendRequest();
    // The bytes of one receive event.
    virtual void received(const QByteArray& bytes);
    virtual void versionReceived() {}
    // A reply was taken as the answer to the current byte of a block.
    virtual void blockProgress();
    // The block is complete; LinkState is its NextState.
    virtual void blockFinished() {}
    virtual void portOpened(const QString& /*name*/) {}

    // Begins a block transfer. Only a window that already holds its port for
    // other work sends the first request at once; otherwise the next tick
    // opens the port and sends it.
    void startBlock(int state, int address, int count, int nextState, int startIndex = 0);
    // Writes a request and starts the next reply from its first byte.
    void writeFrame(const QByteArray& bytes);
    // The send timer stops itself while the window has nothing to do; work
    // that starts (a new LinkState) starts it again.
    void wakeSendTimer();

    // Adds the progress bar and the row "Olvasás", "Elküldés", the window's
    // own buttons and "Kilépés" at the end of `layout`.
    void addTransferRow(QVBoxLayout* layout, std::initializer_list<QPushButton*> own = {});
    virtual void setTransferButtons(bool on);
    // A transfer of `steps` replies begins: buttons off, progress from 0.
    void transferStarted(int steps);
    // It has ended: buttons on, progress hidden.
    void transferEnded();

    AppContext& ctx_;
    std::function<bool()> discoveryPortReleased_;
    TAsynComm32* AsynComm321;
    QTimer* adas_;
    BlockTransfer link_;
    FrameAssembler rx_;
    QLabel* Label6 = nullptr; // the version, in the windows that read it
    QProgressBar* kijelzo = nullptr;
    QPushButton* readButton_ = nullptr;
    QPushButton* sendButton_ = nullptr;
    // Whether a block started while the port is held goes out at once.
    bool firstRequestAtOnce_ = true;
    bool sendTimerIdle_ = false; // adas stopped by its own idle tick

    void closeEvent(QCloseEvent* e) override;
};
