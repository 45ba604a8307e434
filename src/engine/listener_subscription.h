#pragma once
#include "engine/maintenance_listener.h"
#include "engine/modem_results.h"

class LinkEngine;

// Keeps one listener registered with the link engine while its window wants
// the reports, and takes it off at the latest when the subscription goes, so
// the engine never reports to a window that is gone. The engine must outlive
// it.
class ListenerSubscription {
  public:
    ListenerSubscription(LinkEngine& engine, MaintenanceListener* listener);
    ListenerSubscription(LinkEngine& engine, ModemListener* listener);
    ~ListenerSubscription();
    ListenerSubscription(const ListenerSubscription&) = delete;
    ListenerSubscription& operator=(const ListenerSubscription&) = delete;

    // Registers or removes the listener; asking twice for the same changes
    // nothing.
    void setActive(bool on);
    bool active() const { return active_; }

  private:
    LinkEngine& engine_;
    MaintenanceListener* maintenance_ = nullptr;
    ModemListener* modem_ = nullptr;
    bool active_ = false;
};
