#include "i18n/message_table.h"

// Keys are grouped by the area that shows them. Add rows; keep keys stable.
static const MessageRow kMessages[] = {
    // Discovery
    {"discovery.no_write_rights",
     "Nincs windows írási joga! Kérem futtasa a programot Rendszergazdaként!", nullptr, nullptr,
     nullptr},
    // Link engine
    {"engine.module_check", "GSM ellenörzése", "GSM check", "GSM die inspektion", "GSM preverba"},
    {"engine.module_version", "Modul szoftvare verzió: ", "Software version of the module: ",
     "Software Version des Moduls: ", "Programska različica modula: "},
    {"engine.readout_running", "Összes adat kiolvasása folyamatban...", "Readout in progress...",
     "Daten werden ausgelesen...", "Odčitavanje v teku ..."},
    {"engine.readout_done", "Összes adat kiolvasása sikeres!", "Successful readout!",
     "Auslesen Erfolgreich!", "Odčitavanje uspešno!"},
    {"engine.send_running", "Összes adat elküldése folyamatban...", "Data sending in progress...",
     "Data werden gesendet...", "Pošiljannje podatkov v teku ..."},
    {"engine.send_done", "Adatküldés sikeres!", "Data send successful!", "Daterfolgreich gesendet!",
     "Uspešno poslani podatki"},
    {"engine.clock_sync_running", "Óra szinkronozása a PC órájával folyamatban...",
     "GSM time sync in progress...", "GSM Zeit wird synchronisiert...",
     "GSM sinhronizacija časa v teku..."},
    {"engine.clock_sync_done", "Óra szinkronozása a PC órájával sikeres",
     "GSM time sync successful", "GSM Zeit Synchronisation OK", "GSM sinhronizacija časa uspešna"},
    {"engine.send_contact_id", "Send all ContactID code", "Send all ContactID code",
     "Send all ContactID code", "Send all ContactID code"},
    {"engine.confirm_restart", "Biztosan újra akarja inditani az eszközt?",
     "Are you sure to restart the module?", "Wollen Sie das Modul wirklich neustarten?",
     "Ali ste prepričani, da želite ponovno zagnati modul?"},
    {"engine.port_lost",
     "A soros port megszűnt (kábel kihúzva?). Csatlakoztassa újra, majd indítsa újra a műveletet!",
     "The serial port was lost (cable unplugged?). Plug it in again and restart the operation!",
     "Die serielle Schnittstelle ist weg (Kabel gezogen?). Wieder anschließen und den Vorgang "
     "neu starten!",
     "Serijska vrata so izgubljena (izklopljen kabel?). Ponovno priključite in znova zaženite "
     "operacijo!"},
    {"engine.port_unavailable", "A(z) %1 port nem nyitható meg! Újrapróbálás...",
     "Port %1 cannot be opened! Retrying...",
     "Schnittstelle %1 kann nicht geöffnet werden! Neuer Versuch...",
     "Vrat %1 ni mogoče odpreti! Ponovni poskus..."},
    // Configurator window
    {"workspace.confirm_quit", "Művelet van folyamatban, biztosan ki akar lépni???",
     "Operation in progress, are you sure to quit???", nullptr, nullptr},
    {"workspace.no_help", "Sajnos nincs segítség, majd értesítjük, ha lesz",
     "Help not available yet", nullptr, nullptr},
};

std::span<const MessageRow> messageTable() {
    return kMessages;
}
