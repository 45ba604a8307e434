#pragma once
#include "app/widgets.h"
#include <QDialog>
#include <QHash>

class AlventoApplication;
class ClickableLabel;
class Led;
class QLabel;
class QFrame;
class QMenu;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTimer;

// The search window: shown while the start window looks for a module. Model
// panels, progress bar, language flags and a status bar of counters.
class TForm8 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm8(AlventoApplication& app, QWidget* parent = nullptr);

    static QColor panelGrey() { return QColor(193, 193, 193); }

    void showModalSearch();
    void FormActivate();
    void vilogoTimer();
    void gaugeidoTimer();
    void zidoTimer();
    void flagClicked(int language);
    void comPortClicked();
    void demoStart(const QString& panelName);

    // Fed by the start window.
    void setPortPanel(const QString& text);
    void setModelPanel(int modelCode);
    void setCounters(int tx, int rx, int bad);
    void startBlinking(int pictureIndex, bool blink);
    void showTrekkaMode();
    // The dispatcher closes the window; any other way of closing it ends the program.
    void closeForDispatch();

    QWidget* control(const QString& name) const;
    QTimer* timerVilogo() const { return vilogo_; }
    QTimer* timerZido() const { return zido_; }
    QTimer* timerGauge() const { return gaugeido_; }
    int pictureIndex() const { return pictureIndex_; }
    QString statusPanel(int i) const;
    // The picture of a model panel (the configurator shows the found model's).
    QPixmap panelPicture(const QString& panelName) const;

  protected:
    void showEvent(QShowEvent* e) override;
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    QFrame* makePanel(const QString& name, const QString& labelName, const QString& caption,
                      const QString& picture);
    void applyEditionLayout();
    void applyLanguage(const QString& language);
    QFrame* panelForPicture(int index) const;
    void reg(QWidget* w, const QString& name);

    AlventoApplication& app_;
    QHash<QString, QWidget*> controls_;
    QStatusBar* StatusBar1;
    QLabel* statusPanels_[5];
    QProgressBar* Gauge2;
    ClickableLabel* flags_[4];
    Led* hhALed_[4];
    Led* TILed_[4];
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    QPushButton* demoButton_;
    QMenu* PopupMenu1;
    QTimer* vilogo_;
    QTimer* gaugeido_;
    QTimer* zido_;
    QColor blinkColour_;
    int pictureIndex_ = -1;
    bool portClosedSinceActivation_ = false;
    ActivationGate activation_;
    bool edition50Moved_ = false;
    bool closingForDispatch_ = false;
    int flagBlinkTicks_ = 0;
    int flagBlinking_ = -1;
    QString currentLanguage_;
};
