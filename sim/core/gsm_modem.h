#pragma once
// The module's GSM modem as a terminal sees it once the module passes bytes
// through: V.250 command lines ("AT" ... CR) with echo and CR LF framed
// answers, and the 3GPP TS 27.007 / 27.005 commands an installer uses on a
// SIM: the phonebook (+CPBS, +CPBR, +CPBW), the SIM PIN (+CPIN, +CLCK), the
// SMS centre (+CSCA), SMS in text or PDU mode (+CMGF, +CMGS), the serial
// number (+CGSN), dialling (D) with USSD codes (+CUSD) answered by the network.
// No I/O: bytes go in through feed() and come back as what the modem sends.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace alvento::sim {

using Bytes = std::vector<std::uint8_t>;

inline constexpr int kPhonebookSlots = 250;
// What one SIM entry holds: digits of the number (a leading + not counted)
// and bytes of the text.
inline constexpr std::size_t kPhonebookNumberDigits = 20;
inline constexpr std::size_t kPhonebookTextLength = 14;

struct PhonebookSlot {
    std::string number;
    int type = 129; // 145: international (the number begins with +)
    std::string text;
};

struct ModemOptions {
    // The SIM's PIN. Empty: the SIM asks for none (its PIN is then "0000"
    // and the PIN request is off); otherwise the PIN request is on.
    std::string pin;
    std::string puk = "12345678";
    std::string imei = "490154203237518";
    std::string balanceCode = "*102#";
    // The network's answer to the balance code, as UTF-8.
    std::string balanceText = "Egyenlege: 1000 Ft.";
    int ussdDelayMs = 300; // from the dial to the network's answer
    // The modem answers this many command lines, then nothing more (after
    // the echo of the next line, not even an echo); 0: never stops.
    int silentAfter = 0;
};

struct ModemOutput {
    Bytes now;   // echo and answers, at once
    Bytes later; // what the network sends afterwards (+CUSD)
    int laterMs = 0;
    std::vector<std::string> events; // "CMD <line>", "PHONEBOOK <slot>", "CALL VOICE <n>", ...
    bool phonebookChanged = false;
};

// The network's text in the modem's character set (ISO 8859-1): the GSM
// alphabet has no á í ó ú ő ű, so operators send à ì ò ù ö ü (and capitals
// without the accent, Ő and Ű as Ö and Ü); what Latin-1 cannot hold is '?'.
std::string networkText(const std::string& utf8);

class GsmModem {
  public:
    explicit GsmModem(const ModemOptions& options);

    ModemOutput feed(std::span<const std::uint8_t> bytes);

    const std::array<std::optional<PhonebookSlot>, kPhonebookSlots>& phonebook() const {
        return phonebook_;
    }
    // Lines "slot<TAB>number<TAB>type<TAB>text"; blank lines and lines
    // beginning with # are skipped. Returns what was wrong, or "" when loaded.
    std::string loadPhonebook(const std::string& text);
    std::string phonebookText() const;

    bool pinRequestOn() const { return pinLock_; }
    const std::string& smsCentre() const { return csca_; }

  private:
    enum class SimState { Ready, Pin, Puk };
    enum class ErrorKind { Plain, Cme, Cms };
    struct Failure {
        ErrorKind kind;
        int code;
    };
    using Result = std::optional<Failure>; // nullopt: OK

    void commandLine(const std::string& line, ModemOutput& out);
    Result extended(const std::string& name, char op, const std::string& args,
                    std::vector<std::string>& info, ModemOutput& out);
    Result dial(const std::string& dialString, ModemOutput& out, std::string& finalText);
    void smsByte(std::uint8_t b, ModemOutput& out);
    Result simReady() const;
    Result checkPassword(const std::string& given);
    void line(ModemOutput& out, const std::string& text) const; // an information line
    void finalOk(ModemOutput& out) const;
    void finalError(ModemOutput& out, const Failure& f) const;
    void finalText(ModemOutput& out, const std::string& text, int code) const;
    void reset();

    ModemOptions options_;
    std::array<std::optional<PhonebookSlot>, kPhonebookSlots> phonebook_{};
    std::string lineBuffer_;
    bool overlong_ = false;
    int linesTaken_ = 0;
    bool silent_ = false;
    // V.250 and 27.007 settings.
    bool echo_ = true;
    bool verbose_ = true;
    bool quiet_ = false;
    int cmee_ = 0;
    bool textMode_ = true; // the module's own program leaves the modem in text mode
    // SIM.
    SimState sim_ = SimState::Ready;
    bool pinLock_ = false;
    std::string pin_;
    int pinTries_ = 3;
    std::string csca_;
    int cscaType_ = 145;
    // An SMS being typed after the "> " prompt.
    bool smsEntry_ = false;
    std::string smsTo_;
    std::string smsBody_;
    int messageRef_ = 0;
};

} // namespace alvento::sim
