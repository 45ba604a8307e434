#include "startup/language_window.h"
#include "settings/app_context.h"
#include "ui/picture.h"
#include "ui/widgets.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPixmap>
#include <QTimer>

TForm10::TForm10(AppContext& ctx, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint), ctx_(ctx) {
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
    ctx_.write(QStringLiteral("Language"), QString::number(language));
    close();
}

void TForm10::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    centreOnScreen(this);
}

void TForm10::closeEvent(QCloseEvent* e) {
    QWidget::closeEvent(e);
    emit closed();
}
