#include "maintenance/maintenance_captions.h"

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>

void applyCaptions(QWidget* window, const CaptionRow* rows, int count, int language) {
    for (int i = 0; i < count; ++i) {
        const CaptionRow& r = rows[i];
        const char* texts[4] = {r.hu, r.en, r.de, r.sl};
        const char* t = texts[(language >= 0 && language < 4) ? language : 0];
        if (!t)
            continue;
        const QString text = QString::fromUtf8(t);
        if (!*r.objectName) {
            window->setWindowTitle(text);
            continue;
        }
        const QString name = QString::fromLatin1(r.objectName);
        if (auto* l = window->findChild<QLabel*>(name))
            l->setText(text);
        else if (auto* b = window->findChild<QAbstractButton*>(name))
            b->setText(text);
    }
}

double screenScale(const QString& monitorSetting) {
    if (monitorSetting == QLatin1String("0"))
        return 1.0 / 2;
    if (monitorSetting == QLatin1String("1"))
        return 2.0 / 3;
    if (monitorSetting == QLatin1String("3"))
        return 4.0 / 3;
    if (monitorSetting == QLatin1String("4"))
        return 5.0 / 3;
    return 1.0;
}

void applyScreenScale(QWidget* window, double factor) {
    if (factor == 1.0)
        return;
    QFont f = window->font();
    f.setPointSizeF(f.pointSizeF() * factor);
    window->setFont(f);
    window->resize(window->size() * factor);
    window->move(5, 5);
}
