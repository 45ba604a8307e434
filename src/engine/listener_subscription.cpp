#include "engine/listener_subscription.h"

#include "engine/link_engine.h"

ListenerSubscription::ListenerSubscription(LinkEngine& engine, MaintenanceListener* listener)
    : engine_(engine), maintenance_(listener) {}

ListenerSubscription::ListenerSubscription(LinkEngine& engine, ModemListener* listener)
    : engine_(engine), modem_(listener) {}

ListenerSubscription::~ListenerSubscription() {
    setActive(false);
}

void ListenerSubscription::setActive(bool on) {
    if (on == active_)
        return;
    active_ = on;
    if (maintenance_) {
        if (on)
            engine_.addMaintenanceListener(maintenance_);
        else
            engine_.removeMaintenanceListener(maintenance_);
    } else {
        if (on)
            engine_.addModemListener(modem_);
        else
            engine_.removeModemListener(modem_);
    }
}
