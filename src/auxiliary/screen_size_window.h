#pragma once
#include <QDialog>
#include <functional>

struct AppContext;
class QButtonGroup;
class QLabel;
class QRadioButton;

// "Képernyő felbontás beállítása": the configurator's scale, stored as the
// settings value "monitor" and applied at the next program start.
class TAV4Form7 : public QDialog {
    Q_OBJECT
  public:
    explicit TAV4Form7(AppContext& ctx, QWidget* parent = nullptr);
    // Message boxes go through here so tests can see them.
    std::function<void(const QString&)> showMessage;
    QRadioButton* item(int i) const;
    int selectedItem() const;
    void activate();
    void RendbenClick();

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    AppContext& ctx_;
    QButtonGroup* items_;
    QLabel* Label1;
};
