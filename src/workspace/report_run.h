#pragma once
#include "engine/listener_subscription.h"
#include "engine/modem_results.h"

#include <QByteArray>
#include <QString>

class LinkEngine;

// What the configurator learns in a run that a commissioning report names
// and no image holds: the IMEI the modem gave, the last live status shown.
class ReportRun : public ModemListener {
  public:
    explicit ReportRun(LinkEngine& engine);

    void modemOperationDone(int operation, const ModemResult& result) override;

    QString imei;           // empty until an IMEI query answered
    QByteArray statusBlock; // empty until the status window showed one

  private:
    ListenerSubscription subscription_;
};
