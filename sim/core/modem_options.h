#pragma once
// The simulator's command-line options for the GSM modem, and its SIM
// phonebook kept in a file.

#include "core/gsm_modem.h"

#include <functional>
#include <optional>
#include <string>

namespace alvento::sim {

// Takes option `name` when it is one of --pin, --imei, --balance-text,
// --balance-code; `value` gives its value. nullopt: not a modem option;
// otherwise "" when taken, or what is wrong with the value.
std::optional<std::string> setModemOption(ModemOptions& options, const std::string& name,
                                          const std::function<const char*()>& value);

// Loads the phonebook from path; a file that is not there is an empty SIM.
// Returns what was wrong, or "".
std::string loadPhonebookFile(GsmModem& modem, const std::string& path);

} // namespace alvento::sim
