#pragma once
#include "ui/widgets.h"
#include <QDialog>
#include <QHash>

struct AppContext;
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
    explicit TForm8(AppContext& ctx, QWidget* parent = nullptr);

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
    // Ten seconds into a search without an answer the window says why it may
    // be: "searchHint" names the port and the usual causes.
    QTimer* timerNoAnswer() const { return noAnswer_; }
    void explainMissingAnswer();
    int pictureIndex() const { return pictureIndex_; }
    QString statusPanel(int i) const;
    // The picture of a model panel (the configurator shows the found model's).
    QPixmap panelPicture(const QString& panelName) const;

  signals:
    // The exit button, or the window closed other than by the dispatch.
    void programEndRequested();
    // The start window's discovery port must be let go (a module was found,
    // or the port chooser is about to probe).
    void discoveryPortReleaseRequested();
    void portChooserRequested();
    // The port chooser's OK button speaks the search window's language.
    void chooserOkCaptionChanged(const QString& caption);
    // A demo behaves as if `modelCode` had answered; some demos preset the
    // configurator's module version.
    void demoRequested(int modelCode, int pictureIndex, int presetModuleVersion);

  protected:
    void showEvent(QShowEvent* e) override;
    bool event(QEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    QFrame* makePanel(const QString& name, const QString& labelName, const QString& caption,
                      const QString& picture);
    void applyEditionLayout();
    void applyLanguage(const QString& language);
    QFrame* panelForPicture(int index) const;
    void endFlagBlink();
    void reg(QWidget* w, const QString& name);

    AppContext& ctx_;
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
    QTimer* noAnswer_;
    QLabel* searchHint_;
    int tx_ = 0;
    int rx_ = 0;
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
