#include "app/widgets.h"

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

#include <QMessageBox>

void showMessage(QWidget* parent, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("MessageBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
