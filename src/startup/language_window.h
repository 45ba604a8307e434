#pragma once
#include <QWidget>

struct AppContext;
class ClickableLabel;

// First-start language chooser: four flags, no close button.
class TForm10 : public QWidget {
    Q_OBJECT
  public:
    explicit TForm10(AppContext& ctx, QWidget* parent = nullptr);
    // Flag i (0 Hungarian, 1 English, 2 German, 3 Slovenian) was clicked.
    void chooseLanguage(int language);
    ClickableLabel* flag(int language) const { return flags_[language]; }

  signals:
    // The chooser has closed; the language gate runs again.
    void closed();

  protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    AppContext& ctx_;
    ClickableLabel* flags_[4];
};
