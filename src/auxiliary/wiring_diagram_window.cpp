#include "auxiliary/wiring_diagram_window.h"

#include "ui/widgets.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kPictureWidth = 689;
constexpr int kPictureHeight = 457;

struct Terminal {
    const char* name;
    const char* use;
};
// The module's screw terminals, left to right.
constexpr Terminal kTerminals[] = {
    {"+12V", "táp +"},          {"GND", "táp −"},       {"IN1", "1. bemenet"},
    {"IN2", "2. bemenet"},      {"IN3", "3. bemenet"},  {"IN4", "4. bemenet"},
    {"GND", "bemenetek közös"}, {"OUT1", "1. kimenet"}, {"OUT2", "2. kimenet"},
    {"TEL-A", "vonal A"},       {"TEL-B", "vonal B"},
};
} // namespace

QPixmap wiringDiagramPicture() {
    QPixmap pixmap(kPictureWidth, kPictureHeight);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = p.font();
    font.setPixelSize(13);
    p.setFont(font);

    // The module's board.
    const QRect board(40, 40, 609, 170);
    p.setPen(QPen(QColor(30, 30, 30), 2));
    p.setBrush(QColor(232, 240, 232));
    p.drawRoundedRect(board, 8, 8);
    QFont title = font;
    title.setPixelSize(18);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(board.left(), board.top() + 10, board.width(), 26), Qt::AlignCenter,
               QStringLiteral("GSM kommunikátor"));
    p.setFont(font);
    p.drawText(QRect(board.left(), board.top() + 38, board.width(), 20), Qt::AlignCenter,
               QStringLiteral("antenna csatlakozó fent, SIM kártya a panel hátoldalán"));

    // The terminal block along the board's lower edge, each wire down to its use.
    const int n = static_cast<int>(std::size(kTerminals));
    const int pitch = (board.width() - 40) / n;
    for (int i = 0; i < n; ++i) {
        const int x = board.left() + 20 + i * pitch + pitch / 2;
        const QRect screw(x - 18, board.bottom() - 50, 36, 36);
        p.setBrush(QColor(70, 120, 200));
        p.setPen(QPen(QColor(20, 20, 20), 1.5));
        p.drawRect(screw);
        p.setBrush(QColor(200, 200, 200));
        p.drawEllipse(screw.center(), 8, 8);
        p.drawText(QRect(x - pitch / 2, board.bottom() - 78, pitch, 22), Qt::AlignCenter,
                   QString::fromLatin1(kTerminals[i].name));
        const QColor wire = i == 0               ? QColor(200, 30, 30)
                            : (i == 1 || i == 6) ? QColor(20, 20, 20)
                                                 : QColor(40, 110, 40);
        p.setPen(QPen(wire, 3));
        // Wire ends in two rows, so that neighbouring labels never meet.
        const int end = board.bottom() + 40 + (i % 2) * 70;
        p.drawLine(x, board.bottom() + 2, x, end);
        p.setPen(QColor(20, 20, 20));
        p.drawText(QRect(x - pitch, end + 4, 2 * pitch, 40), Qt::AlignHCenter | Qt::TextWordWrap,
                   QString::fromUtf8(kTerminals[i].use));
    }
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRect(20, kPictureHeight - 40, kPictureWidth - 40, 30), Qt::AlignCenter,
               QStringLiteral("A bemenetek a GND-hez képest működnek; a kimenetek nyitott "
                              "kollektorosak, legfeljebb 100 mA"));
    return pixmap;
}

TAV4Form4::TAV4Form4(int brandCode, QWidget* parent)
    : QDialog(parent), brandCode_(brandCode), timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("TAV4Form4"));
    setModal(true);
    auto* column = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    auto* sheet = new QWidget(pages_);
    sheet->setObjectName(QStringLiteral("TabSheet4"));
    const QString caption = brandCode == 40   ? QStringLiteral("Norvik")
                            : brandCode == 41 ? QStringLiteral("Telvaro")
                                              : QStringLiteral("Bekötési rajz");
    pages_->addTab(sheet, caption);
    auto* sheetColumn = new QVBoxLayout(sheet);
    Image1 = new QLabel(sheet);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(kPictureWidth, kPictureHeight);
    Image1->setScaledContents(true);
    Image1->setPixmap(wiringDiagramPicture());
    Image1->hide();
    sheetColumn->addWidget(Image1);
    column->addWidget(pages_);
    auto* close = new QPushButton(QStringLiteral("Kilépés"), this);
    close->setObjectName(QStringLiteral("BitBtn1"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    column->addWidget(close, 0, Qt::AlignRight);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    timer_->setSingleShot(true);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &TAV4Form4::applyModel);
}

void TAV4Form4::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    timer_->start();
}

void TAV4Form4::applyModel() {
    switch (modelCode()) {
    case 70:
        setWindowTitle(QStringLiteral("AV-4"));
        Image1->show();
        break;
    case 71:
        setWindowTitle(brandCode_ == 40   ? QStringLiteral("Norvik")
                       : brandCode_ == 41 ? QStringLiteral("Telvaro")
                                          : QStringLiteral("Kestrin"));
        Image1->show();
        break;
    case 80:
        setWindowTitle(QStringLiteral("AV-1"));
        Image1->hide();
        break;
    case 90:
        setWindowTitle(QStringLiteral("AV-GPS"));
        break;
    default:
        break;
    }
    // The picture changes the window's size: it stays in the middle.
    adjustSize();
    if (isVisible())
        centreOnScreen(this);
}
