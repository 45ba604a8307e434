#include "workspace/configurator_window.h"
#include "app/alvento_application.h"
#include "app/edition.h"
#include "app/start_window.h"
#include "app/widgets.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
QString editionTitle(int brand) {
    switch (brand) {
    case 40:
        return QStringLiteral("Norvik Read program version 2024.09.03 / GSM Firmware: 4.3.6");
    case 41:
        return QStringLiteral("Telvaro Read program version 2018.04.05 / GSM Firmware: 4.3.5");
    default:
        return QStringLiteral("Halvor program version 2018.04.05 / GSM Firmware: 4.3.5");
    }
}

QString editionCaption(int brand) {
    switch (brand) {
    case 1:
        return QStringLiteral("Kestrin PRG Firmware: 4.3.6 / 2024.09");
    case 10:
        return QStringLiteral("Olmira PRG");
    case 20:
        return QStringLiteral("Pumara GSM");
    case 50:
        return QStringLiteral("Dravik software");
    default:
        return editionTitle(brand);
    }
}
} // namespace

TAV4Form1::TAV4Form1(AlventoApplication& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName(QStringLiteral("TAV4Form1"));
    // Creating the configurator fixes where every window keeps its settings.
    app_.context().keyPath = settingsKeyPath(app_.context().brandCode);
    setWindowTitle(QStringLiteral("Halvor programer_ Firmware: 3.8 Program: 2012_01"));
    setBackground(this, QColor(174, 204, 248));

    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    auto* top = new QHBoxLayout;
    Image1 = new QLabel(central);
    Image1->setObjectName(QStringLiteral("Image1"));
    Label3D1 = new QLabel(QStringLiteral("Kestrin"), central);
    Label3D1->setObjectName(QStringLiteral("Label3D1"));
    QFont big = Label3D1->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    Label3D1->setFont(big);
    Label99 = new QLabel(central);
    Label99->setObjectName(QStringLiteral("Label99"));
    Label99->hide();
    top->addWidget(Image1);
    top->addWidget(Label3D1);
    top->addStretch(1);
    top->addWidget(Label99);
    v->addLayout(top);

    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    for (const PageInfo& p : configuratorPages()) {
        auto* page = new QWidget(PageControl1);
        page->setObjectName(QString::fromLatin1(p.objectName));
        PageControl1->addTab(page, QString::fromUtf8(p.caption));
    }
    PageControl1->setCurrentIndex(0);
    v->addWidget(PageControl1, 1);

    kijelzo = new QProgressBar(central);
    kijelzo->setObjectName(QStringLiteral("kijelzo"));
    kijelzo->hide();
    v->addWidget(kijelzo);

    auto* buttons = new QHBoxLayout;
    BitBtn1 = new QPushButton(QStringLiteral("Elküldés"), central);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 = new QPushButton(QStringLiteral("Olvasás"), central);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn4 = new QPushButton(QStringLiteral("újrainditás"), central);
    BitBtn4->setObjectName(QStringLiteral("BitBtn4"));
    BitBtn3 = new QPushButton(QStringLiteral("Kilépés"), central);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn4})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn3);
    v->addLayout(buttons);
    connect(BitBtn3, &QPushButton::clicked, this, &QWidget::close);
    setCentralWidget(central);

    auto* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    const int widths[] = {100, 100, 100, 50};
    for (int i = 0; i < 4; ++i) {
        statusPanels_[i] = new QLabel(this);
        statusPanels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        statusPanels_[i]->setMinimumWidth(widths[i]);
        statusPanels_[i]->setFrameShape(QFrame::StyledPanel);
        bar->addWidget(statusPanels_[i], i == 3 ? 1 : 0);
    }
    buildMenus();
    resize(1036, 708);
}

TAV4Form1::~TAV4Form1() = default;

void TAV4Form1::buildMenus() {
    QMenu* gsm = menuBar()->addMenu(QStringLiteral("GSM"));
    gsm->setObjectName(QStringLiteral("GSM1"));
    QAction* read = gsm->addAction(QStringLiteral("Olvasás"));
    read->setObjectName(QStringLiteral("Olvass1"));
    QAction* send = gsm->addAction(QStringLiteral("Elküldés"));
    send->setObjectName(QStringLiteral("Elklds1"));
    QAction* restart = gsm->addAction(QStringLiteral("Újraindítás"));
    restart->setObjectName(QStringLiteral("jraindts1"));
}

void TAV4Form1::setModelTitle(const QString& title) {
    statusPanels_[1]->setText(title);
}

QString TAV4Form1::statusPanel(int i) const {
    return statusPanels_[i]->text();
}

void TAV4Form1::setModelPicture(const QPixmap& picture) {
    Image1->setPixmap(picture);
}

void TAV4Form1::applyItemRule(const QString& item, ItemRule rule) {
    if (rule == ItemRule::Unchanged)
        return;
    for (int i = 0; i < PageControl1->count(); ++i) {
        if (PageControl1->widget(i)->objectName() != item)
            continue;
        if (rule == ItemRule::Disable)
            PageControl1->setTabEnabled(i, false);
        else
            PageControl1->setTabVisible(i, rule == ItemRule::Show);
        return;
    }
    if (QWidget* w = findChild<QWidget*>(item)) {
        if (rule == ItemRule::Disable)
            w->setEnabled(false);
        else
            w->setVisible(rule == ItemRule::Show);
    }
}

bool TAV4Form1::pageVisible(const QString& objectName) const {
    for (int i = 0; i < PageControl1->count(); ++i)
        if (PageControl1->widget(i)->objectName() == objectName)
            return PageControl1->isTabVisible(i);
    return false;
}

void TAV4Form1::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    activatedByShow_ = true;
    FormActivate();
}

bool TAV4Form1::event(QEvent* e) {
    // Showing the window runs the activation at once (with or without a window
    // manager); later activations by the window system run it again.
    if (e->type() == QEvent::WindowActivate) {
        if (activatedByShow_)
            activatedByShow_ = false;
        else
            FormActivate();
    }
    return QMainWindow::event(e);
}

void TAV4Form1::FormActivate() {
    const int brand = app_.context().brandCode;
    setWindowTitle(editionCaption(brand));
    const AppContext& ctx = app_.context();
    QString company = ctx.read(QStringLiteral("company"));
    if (company.isEmpty()) {
        ctx.write(QStringLiteral("company"), defaultCompany(brand));
        company = ctx.read(QStringLiteral("company"));
        if (company.isEmpty())
            company = defaultCompany(brand);
    }
    if (company.startsWith(u'*'))
        company.remove(0, 1);
    Label3D1->setText(company);
}

void TAV4Form1::closeEvent(QCloseEvent* e) {
    QMainWindow::closeEvent(e);
    app_.startWindow()->close();
}
