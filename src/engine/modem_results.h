#pragma once
// What the modem pass-through operations hand back to the windows.

#include <QString>

// One row of the SIM names grid `StringGrid1`: grid row n is SIM slot n.
struct PhonebookEntry {
    int slot = 0;   // 1 .. 250
    QString number; // empty: the slot is empty
    QString name;
};

// The outcome of an SMS centre or balance operation, as its window shows it.
struct ModemResult {
    bool ok = false;
    QString text; // the balance: the network's answer
    // A failure: its message key (the windows show it in their own language)
    // and what the modem said, if anything.
    const char* reasonKey = nullptr;
    QString detail;
};

// The SMS centre window `TSMSk` and the balance window `TMESS1` listen to
// the engine while they are open.
class ModemListener {
  public:
    virtual ~ModemListener() = default;
    // Called for the operation that ends; `operation` is its first own code
    // (LinkCode::kSmsCentre, LinkCode::kBalanceQuery, ...).
    virtual void modemOperationDone(int /*operation*/, const ModemResult& /*result*/) {}
};
