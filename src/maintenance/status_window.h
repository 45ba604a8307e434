#pragma once
#include "engine/listener_subscription.h"
#include "engine/maintenance_listener.h"
#include "engine/status_block.h"

#include <QDialog>
#include <array>

struct AppContext;
class LinkEngine;
class Led;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

// `TAV4Form2` "Modul állapot": polls the module's live status block through
// the configurator's link engine and shows it. The block is read into a
// buffer of the engine's own, so a poll never changes the configuration
// image a later send or file save writes. The engine must outlive it.
class TAV4Form2 : public QDialog, public MaintenanceListener {
    Q_OBJECT
  public:
    TAV4Form2(LinkEngine& engine, AppContext& ctx, QWidget* parent = nullptr);

    void FormActivate();
    void Timer1Tick();   // the link state, every second
    void Button1Click(); // "Tesztelés END"

    QString statusPanel(int i) const;
    int linkCounter() const { return linkCounter_; }
    QTimer* timer1() const { return Timer1; }

    // The model's rule for the temperature caption and field: a model whose
    // module has no temperature input never shows them, whatever the block holds.
    void setTemperatureHidden(bool hidden);
    bool temperatureHidden() const { return temperatureHidden_; }

    void statusBlockRead(std::span<const uint8_t> block) override;
    void testEndAcknowledged() override;

  public slots:
    // The menu item "Modul állapot megjelenítése" and the service button
    // "Modul állapot": shows the window modally without blocking.
    void openWindow();
    void done(int result) override;

  signals:
    // Output 1 is active: the configurator's service indicator turns green.
    void output1Active();
    // "Tesztelés END": the configurator's service indicators return to grey.
    void testEndPressed();
    // A status block the window has shown: its signal and registration go
    // into the configurator's commissioning report.
    void statusShown(const QByteArray& block);

  protected:
    bool event(QEvent* e) override;

  private:
    void showBlock(const StatusBlock::Display& d);
    int language() const;

    LinkEngine& engine_;
    AppContext& ctx_;
    ListenerSubscription subscription_;
    bool temperatureHidden_ = false;
    bool activated_ = false;
    bool scaled_ = false;
    int linkCounter_ = 0;
    std::array<QLabel*, 10> panels_{}; // Panel1..Panel9, by number
    QProgressBar* Gauge1;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QLineEdit* Edit5;
    QLineEdit* Edit6;
    QLineEdit* Edit7;
    QLabel* Label11; // the temperature caption
    std::array<QLabel*, 4> contactIdCaptions_{};
    Led* TILed1;
    QLabel* statusPanels_[2];
    QPushButton* BitBtn3;
    QPushButton* Button1;
    QTimer* Timer1;
};
