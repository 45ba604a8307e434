#include "app/language_window.h"
#include "app/alvento_application.h"
#include "app/picture.h"
#include "app/start_window.h"
#include "app/widgets.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPixmap>
#include <QTimer>

QString flagPicture(int language) {
    static const char* names[] = {"hu", "en", "de", "sl"};
    return QStringLiteral(":/pictures/flag_%1.jpg").arg(QLatin1String(names[language & 3]));
}

TForm10::TForm10(AlventoApplication& app, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint), app_(app) {
    setObjectName(QStringLiteral("TForm10"));
    setWindowTitle(QStringLiteral("Language/nyelv"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(24);
    static const char* tips[] = {"Magyar", "English", "Deutsch", "Slovenščina"};
    for (int i = 0; i < 4; ++i) {
        auto* f = new ClickableLabel(this);
        f->setObjectName(QStringLiteral("Image%1").arg(i + 1));
        f->setPixmap(QPixmap::fromImage(loadJpeg(flagPicture(i))));
        f->setToolTip(QString::fromUtf8(tips[i]));
        f->setCursor(Qt::PointingHandCursor);
        connect(f, &ClickableLabel::clicked, this, [this, i] { chooseLanguage(i); });
        layout->addWidget(f);
        flags_[i] = f;
    }
    setFixedSize(sizeHint());
}

void TForm10::chooseLanguage(int language) {
    app_.context().write(QStringLiteral("Language"), QString::number(language));
    close();
}

void TForm10::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    centreOnScreen(this);
}

void TForm10::closeEvent(QCloseEvent* e) {
    QWidget::closeEvent(e);
    // The start timer's next tick runs the language gate again.
    app_.startWindow()->timerStart()->start();
}
