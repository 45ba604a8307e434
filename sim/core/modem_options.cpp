#include "core/modem_options.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace alvento::sim {

namespace {
bool digits(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}
} // namespace

std::optional<std::string> setModemOption(ModemOptions& options, const std::string& name,
                                          const std::function<const char*()>& value) {
    if (name == "--pin") {
        options.pin = value();
        if (options.pin.size() < 4 || options.pin.size() > 8 || !digits(options.pin))
            return std::string("a SIM PIN is 4 to 8 digits");
    } else if (name == "--imei") {
        options.imei = value();
        if (options.imei.size() != 15 || !digits(options.imei))
            return std::string("an IMEI is 15 digits");
    } else if (name == "--balance-text") {
        options.balanceText = value();
        // The text travels between double quotes in +CUSD.
        if (options.balanceText.find('"') != std::string::npos)
            return std::string("the balance text cannot hold a double quote");
    } else if (name == "--balance-code") {
        options.balanceCode = value();
        const std::string& c = options.balanceCode;
        if (c.size() < 2 || (c.front() != '*' && c.front() != '#') || c.back() != '#')
            return std::string("a service code looks like *102#");
    } else {
        return std::nullopt;
    }
    return std::string();
}

std::string loadPhonebookFile(GsmModem& modem, const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f)
        return {};
    const std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    return modem.loadPhonebook(text);
}

} // namespace alvento::sim
