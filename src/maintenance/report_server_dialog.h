#pragma once
// The settings value "reportserver" as the installer sets it: the value
// stored now, a field to type another, and a check of what is typed before it
// is stored. An empty field clears the value; the monitor then says that no
// report server is set.

#include "settings/app_context.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class ReportServerDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kObjectName = "ReportServerDialog";
    static constexpr const char* kSettingName = "reportserver";
    // A host name of 253 characters, or an IPv6 address in brackets, and a port.
    static constexpr int kLongestValue = 260;

    explicit ReportServerDialog(const AppContext& ctx, QWidget* parent = nullptr);

    // Shows the stored value, in the language stored now, modal over the program.
    void openWindow();
    // Stores the field when it holds a server or nothing; otherwise says what
    // is wrong with it and stays open.
    void accept() override;
    void applyLanguage(int language);

    QLineEdit* edit() const { return edit_; }

  private:
    void showCurrent();

    const AppContext& ctx_;
    int language_ = 0;
    QLabel* current_;
    QLabel* prompt_;
    QLineEdit* edit_;
    QLabel* hint_;
    QPushButton* save_;
    QPushButton* cancel_;
};
