#pragma once
#include <QTime>
#include <QWidget>
#include <functional>

class QTimer;

// A round clock face with hour, minute and second hands showing the PC's time.
// It only displays; it redraws itself once a second while it is shown.
class AnalogClock : public QWidget {
    Q_OBJECT
  public:
    explicit AnalogClock(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {72, 72}; }
    // Where the time comes from; the PC's clock unless a test sets another.
    std::function<QTime()> now = [] { return QTime::currentTime(); };

  protected:
    void paintEvent(QPaintEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

  private:
    QTimer* timer_;
};
