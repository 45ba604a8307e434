#pragma once
#include "discovery/identify_handshake.h"
#include <QWidget>

struct AppContext;
class TAsynComm32;
class QTimer;
class QLabel;
class QPushButton;
class QBoxLayout;
class QVBoxLayout;

// A module the start window configures itself (ModelCode 30). The role brings
// its own controls and transfer states and shares the start window's port,
// send timer (150 ms) and receive handler.
class StartWindowRole {
  public:
    virtual ~StartWindowRole() = default;
    virtual QWidget* roleWidget() = 0;
    // The row of the role's transfer buttons; the start window's "Kilépés" joins it.
    virtual QBoxLayout* buttonRow() = 0;
    // The dispatcher has made the start window this module's configurator.
    virtual void begin() = 0;
    // The role's link state: the port is held while it is not 0.
    virtual int linkState() const = 0;
    // Ticks the role still skips after a reply.
    virtual int holdOff() const = 0;
    // A send-timer tick, after the port has been opened or closed for it.
    virtual void tick() = 0;
    // The bytes of one receive event.
    virtual void receive(const QByteArray& bytes) = 0;
};

// The start window: the program's main window. It owns the discovery port, runs
// the language gate and the identify handshake, and the program ends when it
// closes.
class TForm1 : public QWidget {
    Q_OBJECT
  public:
    explicit TForm1(AppContext& ctx, QWidget* parent = nullptr);
    ~TForm1() override;

    // Handlers, public so tests can drive the timers tick by tick.
    void FormActivate();
    void startTimer();
    void adasTimer();
    void ablakSTARTTimer();
    void AsynComm321RxChar(int count);

    // Closes the discovery port (the search window does this once a module was found).
    void closePort();
    // A demo start: behaves as if the module had reported `modelCode`.
    void startDemo(int modelCode, int pictureIndex);
    // The send timer stops itself once it has nothing left to do (the port
    // given away, the hold-off run out); new work (a search, a transfer of
    // the module-30 form) starts it again.
    void wakeSendTimer();

    bool idleClosed() const { return idleClosed_; }
    // True once a language is known and the search window has been shown.
    bool gatePassed() const { return gatePassed_; }
    IdentifyHandshake& handshake() { return handshake_; }
    int ModelCode() const { return handshake_.ModelCode; }
    TAsynComm32* channel() const { return AsynComm321; }
    QTimer* timerStart() const { return start_; }
    QTimer* timerAdas() const { return adas_; }
    QTimer* timerAblakStart() const { return ablakSTART_; }
    QLabel* label3() const { return Label3; }
    void setLabel3(const QString& text);
    // Model 30: the start window itself becomes the configurator.
    void hostRole(StartWindowRole* role);
    void enableTransferButtons();
    bool roleActive() const { return roleActive_; }

  signals:
    void programEnded();
    // What the search window shows of the discovery.
    void portShown(const QString& name);
    void trekkaModeSet();
    void countersChanged(int tx, int rx, int bad);
    void modelReported(int modelCode);
    void blinkRequested(int pictureIndex, bool blink);
    // The language gate: no language yet, or passed (the search begins).
    void languageChooserRequested();
    void searchRequested();
    // Two seconds after a known model answered: open its window.
    void dispatchRequested();

  protected:
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;

  private:
    void showCounters();
    void onModelReported(int code);
    int linkState() const;
    void stopWhenIdle();

    AppContext& ctx_;
    TAsynComm32* AsynComm321;
    QTimer* start_;
    QTimer* adas_;
    QTimer* ablakSTART_;
    IdentifyHandshake handshake_;
    bool idleClosed_ = false;
    bool gatePassed_ = false;
    bool portLost_ = false; // the port went away while the search needed it
    int reopenTicks_ = 0;
    static constexpr int kReopenEveryTicks = 7;
    bool activated_ = false;
    bool sendTimerIdle_ = false; // adas stopped by stopWhenIdle: wakeSendTimer restarts it
    QLabel* Label3;
    QPushButton* exitButton_;
    QVBoxLayout* layout_;
    StartWindowRole* role_ = nullptr;
    bool roleActive_ = false;
};
