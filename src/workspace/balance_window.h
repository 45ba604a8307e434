#pragma once
#include "engine/listener_subscription.h"
#include "engine/modem_results.h"

#include <QDialog>

class LinkEngine;
class QLabel;
class QPlainTextEdit;

// "Ingyenes Egyenleg lekérdezés (csak T-mobile!)": dials the operator's
// balance service through the modem pass-through of the configurator's link
// engine and shows its answer. Hungarian only. The engine must outlive it.
class TMESS1 : public QDialog, public ModemListener {
    Q_OBJECT
  public:
    explicit TMESS1(LinkEngine& engine, QWidget* parent = nullptr);

    // The menu item "Egyenleg lekérdezés (T-Mobile)": empties the text, puts
    // the panel in red, starts the query and shows the window modally without
    // blocking (the engine's timers keep running).
    void openAndQuery();

    void modemOperationDone(int operation, const ModemResult& result) override;

  public slots:
    // Closing the window in any way ends the query and takes the module out
    // of modem mode.
    void done(int result) override;

  private:
    LinkEngine& engine_;
    ListenerSubscription subscription_;
    QLabel* Panel1;
    QPlainTextEdit* Memo1;
};
