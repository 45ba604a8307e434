#pragma once
#include "engine/listener_subscription.h"
#include "engine/modem_results.h"

#include <QDialog>

class LinkEngine;
class QLabel;
class QLineEdit;
class QPushButton;

// "SMSk": sets the SIM's SMS centre number through the modem pass-through of
// the configurator's link engine. Hungarian only. The engine must outlive it.
class TSMSk : public QDialog, public ModemListener {
    Q_OBJECT
  public:
    explicit TSMSk(LinkEngine& engine, QWidget* parent = nullptr);

    // The menu item "SMS központ telefonszám": shows the window modally
    // without blocking (the engine's timers keep running).
    void openWindow();

    // "Beállítás / Újrainditás".
    void setClick();

    void modemOperationDone(int operation, const ModemResult& result) override;

  public slots:
    // Closing the window in any way takes the module out of modem mode.
    void done(int result) override;

  private:
    LinkEngine& engine_;
    ListenerSubscription subscription_;
    QLineEdit* Edit1;
    QLabel* statusLabel_;
};
