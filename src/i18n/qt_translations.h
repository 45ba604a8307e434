#pragma once
// Qt's own texts (the buttons of message boxes, file dialogs, context menus)
// in the window's language, from the translations the system's Qt carries.

// Loads them for a language code (0..3); English, and any catalogue the
// system lacks, leave Qt's own English. Returns whether a catalogue is in use.
bool useQtTranslations(int language);
