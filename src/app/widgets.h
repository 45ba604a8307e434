#pragma once
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
