#pragma once
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

// A picture the user can click (language flags, model panels).
class ClickableLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;
  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
            emit clicked();
        QLabel::mouseReleaseEvent(e);
    }
};

// A round indicator lamp.
class Led : public QLabel {
    Q_OBJECT
  public:
    explicit Led(QWidget* parent = nullptr);
    void setColor(const QColor& c);
    QColor color() const { return color_; }

  private:
    QColor color_;
};

// Sets a widget's background colour (panels, windows).
void setBackground(QWidget* w, const QColor& c);
QColor backgroundOf(const QWidget* w);

// Places a top-level window in the middle of its screen.
void centreOnScreen(QWidget* w);

// A message box that does not block the caller (the event loop keeps running,
// so timers and the serial port go on). Its objectName is "MessageBox".
void showMessage(QWidget* parent, const QString& text);

// When a window's activation routine runs: at once when it is shown (with or
// without a window manager), and again at every later activation by the window
// system, but not twice for the activation that follows the show.
class ActivationGate {
  public:
    void shown() { pendingFromShow_ = true; }
    // True when this event is an activation the routine has not run for yet.
    bool activates(const QEvent* e) {
        if (e->type() != QEvent::WindowActivate)
            return false;
        if (pendingFromShow_) {
            pendingFromShow_ = false;
            return false;
        }
        return true;
    }

  private:
    bool pendingFromShow_ = false;
};
