#include "ui/widgets.h"

#include <QScreen>

Led::Led(QWidget* parent) : QLabel(parent) {
    setFixedSize(14, 14);
    setColor(Qt::red);
}

void Led::setColor(const QColor& c) {
    color_ = c;
    setStyleSheet(
        QStringLiteral("background-color: %1; border: 1px solid #333; border-radius: 7px;")
            .arg(c.name()));
}

void setBackground(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QColor backgroundOf(const QWidget* w) {
    return w->palette().color(QPalette::Window);
}

void centreOnScreen(QWidget* w) {
    const QScreen* screen = w->screen();
    if (!screen)
        return;
    QRect frame = w->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    w->move(frame.topLeft());
}

#include <QMessageBox>

void showMessage(QWidget* parent, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("MessageBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
