#pragma once
#include <QWidget>

class AlventoApplication;

// Windows that exist for the whole run but whose content comes later. Each keeps
// the class name the rest of the program refers to it by.
#define ALVENTO_SHELL_WINDOW(Name, Caption)                                                        \
    class Name : public QWidget {                                                                  \
      public:                                                                                      \
        explicit Name(AlventoApplication& app, QWidget* parent = nullptr);                         \
    };

ALVENTO_SHELL_WINDOW(TForm2, "Progress")
ALVENTO_SHELL_WINDOW(TForm3, "Progress")
ALVENTO_SHELL_WINDOW(TForm4, "ContactID / SMS")
ALVENTO_SHELL_WINDOW(TForm6, "TELNET")
ALVENTO_SHELL_WINDOW(TrajzGPS14, "GPS")
ALVENTO_SHELL_WINDOW(TAV4Form2, "Modul status")
ALVENTO_SHELL_WINDOW(TAV4Form3, "Monitor")
ALVENTO_SHELL_WINDOW(TAV4Form4, "")
ALVENTO_SHELL_WINDOW(Tav4Form5, "")
ALVENTO_SHELL_WINDOW(TAV4Form6, "")
ALVENTO_SHELL_WINDOW(TAV4Form7, "")
ALVENTO_SHELL_WINDOW(TAV4Form8, "")
ALVENTO_SHELL_WINDOW(TAV4Form9, "")
ALVENTO_SHELL_WINDOW(TFirmware, "Firmware")
ALVENTO_SHELL_WINDOW(Tleiras, "")
ALVENTO_SHELL_WINDOW(TSMSk, "")
ALVENTO_SHELL_WINDOW(TMESS1, "")
