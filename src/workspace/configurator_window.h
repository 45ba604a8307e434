#pragma once
#include "discovery/model_table.h"
#include "image/config_image.h"
#include <QMainWindow>

class AlventoApplication;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QAction;
class QMenu;

// The configurator of the multi-model communicators (ModelCode 70 ... 100):
// one page per group of settings, read/send/restart buttons, a status bar.
class TAV4Form1 : public QMainWindow {
    Q_OBJECT
  public:
    explicit TAV4Form1(AlventoApplication& app, QWidget* parent = nullptr);
    ~TAV4Form1() override;

    // Set by the model dispatch before the window is shown.
    void setModelCode(int code) { ModelCode_ = code; }
    int modelCode() const { return ModelCode_; }
    void setModelTitle(const QString& title);
    void presetModuleVersion(int v) { ModuleVersion_ = v; }
    int moduleVersion() const { return ModuleVersion_; }
    // Shows, hides or disables a page (by objectName) or a control group.
    void applyItemRule(const QString& item, ItemRule rule);
    void setModelPicture(const QPixmap& picture);

    QTabWidget* pageControl() const { return PageControl1; }
    bool pageVisible(const QString& objectName) const;
    QString statusPanel(int i) const;
    ConfigImage& image() { return image_; }

    void FormActivate();

  protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void buildMenus();

    AlventoApplication& app_;
    int ModelCode_ = 0;
    int ModuleVersion_ = 0;
    bool activatedByShow_ = false;
    ConfigImage image_;
    QTabWidget* PageControl1;
    QLabel* statusPanels_[4];
    QProgressBar* kijelzo;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    QPushButton* BitBtn4;
    QLabel* Image1;
    QLabel* Label3D1;
    QLabel* Label99;
};
