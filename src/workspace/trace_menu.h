#pragma once
// The configurator's menu item for the serial trace ("Soros napló"): checked
// while the program writes every byte it exchanges with a module to a text
// file (serial/serial_trace.h). Checking it asks for the file with a save
// dialog; a dialog left without a file, or a file that cannot be written,
// leaves it unchecked. Unchecking it ends the trace and closes the file. The
// check mark follows the trace however it was started (also --trace).

#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QWidget;

class TraceMenuItem : public QObject {
  public:
    static constexpr const char* kObjectName = "Sorosnaplo1";
    static constexpr const char* kDialogName = "SorosnaploDialog";

    // Adds the item to `menu`; dialogs and messages open over `window`, in
    // the language code `language` gives. The item's caption is the window's
    // language pass's.
    TraceMenuItem(QMenu* menu, QWidget* window, std::function<int()> language);

    QAction* action() const { return action_; }

  private:
    void triggered(bool checked);
    QString chooseFile();
    QString text(const char* key) const;

    QAction* action_;
    QWidget* window_;
    std::function<int()> language_;
    QString lastFolder_;
};
