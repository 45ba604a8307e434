#include "workspace/configurator_window.h"
#include "i18n/messages.h"
#include "image/image_convert.h"
#include "serial/tasyncomm32.h"
#include "settings/app_context.h"
#include "settings/edition.h"
#include "ui/widgets.h"
#include "workspace/pages/configurator_pages.h"
#include "workspace/pages/reporting_pages.h"
#include "workspace/pages/settings_pages.h"
#include "workspace/stored_text_bytes.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

TAV4Form1::TAV4Form1(AppContext& ctx, std::function<bool()> discoveryPortReleased, QWidget* parent)
    : QMainWindow(parent), ctx_(ctx), AsynComm321(new TAsynComm32(this)), adas_(new QTimer(this)) {
    setObjectName(QStringLiteral("TAV4Form1"));
    // Creating the configurator fixes where every window keeps its settings.
    ctx_.keyPath = settingsKeyPath(ctx_.brandCode);
    AsynComm321->setObjectName(QStringLiteral("AsynComm321"));
    LinkEngineConfig config;
    config.portName = [this] { return ctx_.comport(); };
    config.startWindowIdleClosed = std::move(discoveryPortReleased);
    engine_ = std::make_unique<LinkEngine>(*AsynComm321, *this, image_, config);
    connect(AsynComm321, &TAsynComm32::rxChar, this, &TAV4Form1::AsynComm321RxChar);
    connect(AsynComm321, &TAsynComm32::portLost, this, [this] { engine_->portLost(); });
    askYesNo = [this](const QString& question) {
        return QMessageBox::question(this, QString(), question,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
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
    // Narrow tabs, so that a model's pages fit side by side without scrolling.
    PageControl1->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 4px 6px; }"));
    for (const PageInfo& p : configuratorPages()) {
        auto* page = new QWidget(PageControl1);
        page->setObjectName(QString::fromLatin1(p.objectName));
        PageControl1->addTab(page, QString::fromUtf8(p.caption));
    }
    PageControl1->setCurrentIndex(0);
    pages_ = new ConfiguratorPages(
        PageControl1, [this] { return engine_->state().ModuleVersion; },
        [this] { return language_; });
    connect(pages_, &ConfiguratorPages::message, this, &TAV4Form1::showMessage);
    // "PSTN send" writes the two telephone-line gains alone, then the clock.
    connect(pages_->pstnGainBox(), &PstnGainBox::pstnSendRequested, this,
            [this] { engine_->startPstnSend(); });
    Button16 = pages_->lifeSignalPage()->testButton();
    connect(Button16, &QPushButton::clicked, this, [this] { engine_->startLifeSignal(); });
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
    connect(BitBtn1, &QPushButton::clicked, this, &TAV4Form1::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TAV4Form1::BitBtn2Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TAV4Form1::BitBtn4Click);
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

    // Five timers share one handler; the engine counts their ticks.
    adas_->setObjectName(QStringLiteral("adas"));
    adas_->setInterval(1000);
    connect(adas_, &QTimer::timeout, this, &TAV4Form1::adasTimer);
    adas_->start();
    for (int i = 0; i < 4; ++i) {
        timers_[i] = new QTimer(this);
        timers_[i]->setObjectName(QStringLiteral("Timer%1").arg(i + 1));
        timers_[i]->setInterval(1000);
        connect(timers_[i], &QTimer::timeout, this, &TAV4Form1::adasTimer);
        timers_[i]->start();
    }
}

TAV4Form1::~TAV4Form1() = default;

void TAV4Form1::buildMenus() {
    QMenu* gsm = menuBar()->addMenu(QStringLiteral("GSM"));
    gsm->setObjectName(QStringLiteral("GSM1"));
    QAction* read = gsm->addAction(QStringLiteral("Olvasás"), this, &TAV4Form1::BitBtn2Click);
    read->setObjectName(QStringLiteral("Olvass1"));
    QAction* send = gsm->addAction(QStringLiteral("Elküldés"), this, &TAV4Form1::BitBtn1Click);
    send->setObjectName(QStringLiteral("Elklds1"));
    QAction* restart =
        gsm->addAction(QStringLiteral("Újraindítás"), this, &TAV4Form1::BitBtn4Click);
    restart->setObjectName(QStringLiteral("jraindts1"));

    QMenu* functions = menuBar()->addMenu(QStringLiteral("Funciók"));
    functions->setObjectName(QStringLiteral("Funcik1"));
    QAction* version = functions->addAction(QStringLiteral("GSM szoftver verzió"), this,
                                            [this] { engine_->startVersionQuery(true); });
    version->setObjectName(QStringLiteral("GSMsoftververzi1"));
    QAction* clock = functions->addAction(QStringLiteral("GSM óra szinkronozása"), this,
                                          [this] { engine_->startClockSync(); });
    clock->setObjectName(QStringLiteral("GSMraszinkronozsa1"));
    functions->addSeparator();
    QAction* quit = functions->addAction(QStringLiteral("Kilépés"), this, &QWidget::close);
    quit->setObjectName(QStringLiteral("Kilps1"));

    QAction* help = menuBar()->addAction(QStringLiteral("Help"), this, [this] {
        showMessage(message("workspace.no_help", language_));
    });
    help->setObjectName(QStringLiteral("Help1"));
}

void TAV4Form1::setModelCode(int code) {
    ModelCode_ = code;
    engine_->setModelCode(code);
    pages_->setModelCode(code);
}

void TAV4Form1::adasTimer() {
    engine_->tick();
}

void TAV4Form1::AsynComm321RxChar(int count) {
    const QByteArray bytes = AsynComm321->read(count);
    if (!bytes.isEmpty())
        engine_->receive(bytes);
}

void TAV4Form1::BitBtn1Click() {
    engine_->startWriteAll();
}

void TAV4Form1::BitBtn2Click() {
    engine_->startReadAll();
}

void TAV4Form1::BitBtn4Click() {
    if (askYesNo(message("engine.confirm_restart", language_)))
        engine_->startRestart();
}

void TAV4Form1::showPortName(const QString& name) {
    statusPanels_[0]->setText(name);
}
void TAV4Form1::showModuleVersion(const QString& text) {
    statusPanels_[2]->setText(text);
}
void TAV4Form1::showStatus(const QString& text) {
    statusPanels_[3]->setText(text);
}
void TAV4Form1::setGaugeMaximum(int maximum) {
    kijelzo->setMaximum(maximum);
}
void TAV4Form1::setGaugeValue(int value) {
    kijelzo->setValue(value);
}
void TAV4Form1::setGaugeVisible(bool visible) {
    kijelzo->setVisible(visible);
}

void TAV4Form1::setTransferButtonsEnabled(bool enabled) {
    BitBtn1->setEnabled(enabled);
    BitBtn2->setEnabled(enabled);
}

void TAV4Form1::showMessage(const QString& text) {
    ::showMessage(this, text);
}

ImageContext TAV4Form1::imageContext() const {
    return ImageContext{ModelCode_, ctx_.brandCode, ctx_.read(QStringLiteral("company"))};
}

// Only the fields the installer changed since the last read or file load are
// written; every other byte goes back as the module had it (page_changes.h).
void TAV4Form1::encode() {
    encodeImage(image_, pages_->changedValues(), imageContext());
}

void TAV4Form1::decode() {
    const ConfigImage stored = image_;
    const DecodeResult r = decodeImage(image_, imageContext());
    keepStoredLetters(stored, image_);
    engine_->state().ModuleVersion = r.moduleVersion;
    showModuleVersion(r.statusText);
    pages_->fill(r.values);
}

void TAV4Form1::runPageShowLogic() {
    pages_->runSendShowLogic();
}

void TAV4Form1::resetOutput2TimeUnit() {
    pages_->resetOutput2Unit();
}

void TAV4Form1::showTime(const QString& text) {
    Label99->setText(text);
}
void TAV4Form1::setTickInterval(int milliseconds) {
    adas_->setInterval(milliseconds);
}

void TAV4Form1::setPageVisible(const QString& objectName, bool visible) {
    applyItemRule(objectName, visible ? ItemRule::Show : ItemRule::Hide);
}

void TAV4Form1::applyVersionRules() {
    const int v = engine_->state().ModuleVersion;
    if (v < 34)
        setPageVisible(QStringLiteral("TabSheet24"), false); // Távfelügyelet
    if (v < 40)
        setPageVisible(QStringLiteral("TabSheet27"), false); // Nyitás/Zárás
    setPageVisible(QStringLiteral("TabSheet15"), v < 50);    // Szám azonosítás
    setPageVisible(QStringLiteral("TabSheet23"), v >= 50);   // Szám Azonosítás MEM
    if (v >= 34)
        setPageVisible(QStringLiteral("TabSheet24"), true);
    if (v < 18 || ModelCode_ == 80)
        setPageVisible(QStringLiteral("TabSheet16"), false); // Hőmérséklet
    pages_->applyVersionRules(v, ModelCode_, ctx_.brandCode);
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
    // A control group may appear on several pages (the expansion-module notes).
    for (QWidget* w : findChildren<QWidget*>(item)) {
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
    centreOnScreen(this);
    activation_.shown();
    FormActivate();
}

bool TAV4Form1::event(QEvent* e) {
    if (activation_.activates(e))
        FormActivate();
    return QMainWindow::event(e);
}

void TAV4Form1::FormActivate() {
    const int brand = ctx_.brandCode;
    const EditionInfo& e = edition(brand);
    setWindowTitle(
        QString::fromUtf8(e.configuratorCaption ? e.configuratorCaption : e.configuratorTitle));
    const AppContext& ctx = ctx_;
    QString company = ctx.read(QStringLiteral("company"));
    if (company.isEmpty()) {
        // A default written now leaves the company-write flag as it was.
        ctx.write(QStringLiteral("company"), defaultCompany(brand));
        company = ctx.read(QStringLiteral("company"));
    } else {
        companyStarred_ = company.startsWith(u'*');
    }
    if (company.startsWith(u'*'))
        company.remove(0, 1);
    Label3D1->setText(company);
    engine_->setCompanyStarred(companyStarred_);
    language_ = languageFromSetting(ctx.read(QStringLiteral("Language")));
    engine_->setLanguage(language_);
    if (!engine_->busy())
        engine_->startVersionQuery(false);
}

void TAV4Form1::closeEvent(QCloseEvent* e) {
    if (engine_->busy() && !askYesNo(message("workspace.confirm_quit", language_))) {
        e->ignore();
        return;
    }
    QMainWindow::closeEvent(e);
    AsynComm321->close();
    emit programEndRequested();
}
