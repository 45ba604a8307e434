#include "ui/analog_clock.h"

#include <QPainter>
#include <QTimer>
#include <algorithm>

AnalogClock::AnalogClock(QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
    setMinimumSize(48, 48);
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

// Nobody sees the hands of a hidden clock move.
void AnalogClock::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    timer_->start();
}

void AnalogClock::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    timer_->stop();
}

void AnalogClock::paintEvent(QPaintEvent*) {
    const QTime t = now();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height());
    p.translate(width() / 2.0, height() / 2.0);
    p.scale(side / 200.0, side / 200.0);

    p.setPen(QPen(QColor(40, 40, 40), 4));
    p.setBrush(QColor(250, 250, 245));
    p.drawEllipse(QPointF(0, 0), 96, 96);
    for (int i = 0; i < 60; ++i) {
        p.setPen(QPen(QColor(40, 40, 40), i % 5 == 0 ? 5 : 2));
        p.drawLine(QPointF(0, i % 5 == 0 ? -78 : -86), QPointF(0, -92));
        p.rotate(6.0);
    }

    auto hand = [&p](double degrees, double length, double width, const QColor& colour) {
        p.save();
        p.rotate(degrees);
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0, 12), QPointF(0, -length));
        p.restore();
    };
    const double minutes = t.minute() + t.second() / 60.0;
    hand(30.0 * ((t.hour() % 12) + minutes / 60.0), 50, 9, QColor(20, 20, 20));
    hand(6.0 * minutes, 76, 6, QColor(20, 20, 20));
    hand(6.0 * t.second(), 84, 2, QColor(200, 30, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 30, 30));
    p.drawEllipse(QPointF(0, 0), 5, 5);
}
