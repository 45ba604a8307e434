#include "i18n/message_table.h"

// Keys are grouped by the area that shows them. Add rows; keep keys stable.
static const MessageRow kMessages[] = {
    // Discovery
    {"discovery.no_write_rights",
     "Nincs windows írási joga! Kérem futtasa a programot Rendszergazdaként!", nullptr, nullptr,
     nullptr},
};

std::span<const MessageRow> messageTable() { return kMessages; }
