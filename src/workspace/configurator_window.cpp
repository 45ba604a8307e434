#include "workspace/configurator_window.h"
#include "workspace/send_plan.h"

#include "i18n/messages.h"
#include "image/image_convert.h"
#include "safety/backup_store.h"
#include "safety/compare_window.h"
#include "safety/safety_menu.h"
#include "safety/safety_settings.h"
#include "safety/write_guard.h"
#include "serial/tasyncomm32.h"
#include "settings/app_context.h"
#include "settings/edition.h"
#include "settings/presets.h"
#include "ui/analog_clock.h"
#include "ui/widgets.h"
#include "workspace/configuration_files.h"
#include "workspace/installation_panel.h"
#include "workspace/page_strip.h"
#include "workspace/pages/configurator_pages.h"
#include "workspace/pages/reporting_pages.h"
#include "workspace/pages/settings_pages.h"
#include "workspace/report_run.h"
#include "workspace/stored_text_bytes.h"
#include "workspace/trace_menu.h"
#include "workspace/upload_controls.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

TAV4Form1::TAV4Form1(AppContext& ctx, std::function<bool()> discoveryPortReleased, QWidget* parent)
    : QMainWindow(parent), ctx_(ctx), AsynComm321(new TAsynComm32(this)), adas_(new QTimer(this)),
      timeLabelTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("TAV4Form1"));
    // Creating the configurator fixes where every window keeps its settings.
    ctx_.keyPath = settingsKeyPath(ctx_.brandCode);
    AsynComm321->setObjectName(QStringLiteral("AsynComm321"));
    LinkEngineConfig config;
    config.portName = [this] { return ctx_.comport(); };
    config.startWindowIdleClosed = std::move(discoveryPortReleased);
    engine_ = std::make_unique<LinkEngine>(*AsynComm321, *this, image_, config);
    connect(AsynComm321, &TAsynComm32::rxChar, this, &TAV4Form1::AsynComm321RxChar);
    connect(AsynComm321, &TAsynComm32::portLost, this, [this] {
        if (guard_)
            guard_->portLost();
        engine_->portLost();
    });
    askText = [this](const QString& caption, const QString& prompt) -> std::optional<QString> {
        bool ok = false;
        const QString text =
            QInputDialog::getText(this, caption, prompt, QLineEdit::Normal, QString(), &ok);
        return ok ? std::optional<QString>(text) : std::nullopt;
    };
    askYesNo = [this](const QString& question) {
        return QMessageBox::question(this, QString(), question,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    askUnsentEdits = [this] {
        QMessageBox box(QMessageBox::Question, windowTitle(),
                        message("workspace.unsent_edits", language_), QMessageBox::NoButton, this);
        box.setObjectName(QStringLiteral("UnsentEditsQuestion"));
        QPushButton* send =
            box.addButton(message("workspace.unsent_send", language_), QMessageBox::AcceptRole);
        QPushButton* discard = box.addButton(message("workspace.unsent_discard", language_),
                                             QMessageBox::DestructiveRole);
        QPushButton* cancel =
            box.addButton(message("workspace.unsent_cancel", language_), QMessageBox::RejectRole);
        box.setDefaultButton(send);
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == send)
            return UnsentChoice::Send;
        return box.clickedButton() == discard ? UnsentChoice::Discard : UnsentChoice::Cancel;
    };
    setWindowTitle(QStringLiteral("Halvor programer_ Firmware: 3.8 Program: 2012_01"));
    setBackground(this, QColor(174, 204, 248));

    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(4, 4, 4, 4);
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
    Clock1 = new AnalogClock(central);
    Clock1->setObjectName(QStringLiteral("Clock1"));
    Clock1->setFixedSize(72, 72);
    top->addWidget(Clock1);
    v->addLayout(top);

    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    // Narrow tabs, so that a model's pages fit side by side without scrolling.
    PageControl1->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 4px 6px; }"));
    // A strip that scrolls loses pages from sight (and the mouse) once some
    // are hidden for the model; longer captions are shortened instead, each
    // whole in its tooltip.
    PageControl1->tabBar()->setUsesScrollButtons(false);
    PageControl1->tabBar()->setElideMode(Qt::ElideRight);
    for (const PageInfo& p : configuratorPages()) {
        auto* page = new QWidget(PageControl1);
        page->setObjectName(QString::fromLatin1(p.objectName));
        PageControl1->addTab(page, QString::fromUtf8(p.caption));
    }
    PageControl1->setCurrentIndex(0);
    keepPagesInReach(PageControl1);
    pages_ = new ConfiguratorPages(
        PageControl1, [this] { return engine_->state().ModuleVersion; },
        [this] { return language_; });
    connect(pages_, &ConfiguratorPages::message, this, &TAV4Form1::showMessage);
    // "PSTN send" writes the two telephone-line gains alone, then the clock.
    connect(pages_->pstnGainBox(), &PstnGainBox::pstnSendRequested, this,
            [this] { uploads_->pstnSend(); });
    Button16 = pages_->lifeSignalPage()->testButton();
    connect(Button16, &QPushButton::clicked, this, [this] { engine_->startLifeSignal(); });
    // The installation panel is a narrow column beside the pages, each label
    // above its edit: the pages keep the width their longest captions need
    // and their full height in the 1036 x 708 window.
    auto* middle = new QHBoxLayout;
    middle->addWidget(PageControl1, 1);
    Panel16_ = new Panel16(central);
    if (auto* form = Panel16_->findChild<QFormLayout*>())
        form->setRowWrapPolicy(QFormLayout::WrapAllRows);
    Panel16_->setFixedWidth(170);
    auto* side = new QVBoxLayout;
    side->addWidget(Panel16_, 0, Qt::AlignTop);
    middle->addLayout(side);
    v->addLayout(middle, 1);
    buildSimNamesPage();
    files_ = new ConfigurationFiles(image_, *Panel16_, this);
    files_->modelCode = [this] { return ModelCode_; };
    files_->language = [this] { return language_; };
    files_->busy = [this] { return ConfigurationFiles::transferRunning(*engine_); };
    files_->encode = [this] { encodeShown(); };
    files_->decode = [this] { decode(); };
    files_->confirm = [this](const QString& question) { return askYesNo(question); };
    files_->setStartDirectory(ctx_.startDir);
    connect(Panel16_, &Panel16::saveRequested, this, &TAV4Form1::saveConfiguration);
    connect(Panel16_, &Panel16::openRequested, this, &TAV4Form1::openConfiguration);

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
    auto* helpRow = new QHBoxLayout;
    v->addLayout(helpRow);

    // Service controls: shown only in service mode.
    auto* service = new QHBoxLayout;
    const std::pair<const char*, const char*> serviceButtons[] = {
        {"Button6", "Memory load"}, {"Button7", "Sziréna Hangfile Beírása"},
        {"Button13", "DTMF"},       {"Button14", "Modul állapot"},
        {"Button15", "Elküldés"},
    };
    for (const auto& [name, caption] : serviceButtons) {
        auto* b = new QPushButton(QString::fromUtf8(caption), central);
        b->setObjectName(QString::fromLatin1(name));
        service->addWidget(b);
        serviceControls_.push_back(b);
    }
    for (int i = 28; i <= 32; ++i) {
        auto* p = new QLabel(i == 32 ? QStringLiteral("KI1") : QString(), central);
        p->setObjectName(QStringLiteral("Panel%1").arg(i));
        p->setFrameShape(QFrame::Panel);
        p->setMinimumWidth(30);
        service->addWidget(p);
        serviceControls_.push_back(p);
    }
    service->addStretch(1);
    for (QWidget* w : serviceControls_)
        w->hide();
    v->addLayout(service);
    uploads_ = new UploadControls(*this, *engine_, *pages_, PageControl1);
    connect(uploads_, &UploadControls::statusWindowRequested, this,
            &TAV4Form1::statusWindowRequested);
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
    // What needs the installer's action is read whole: the line wraps
    // rather than running past the window's edge.
    statusPanels_[3]->setWordWrap(true);
    statusPanels_[3]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    buildMenus();
    buildSafetyNet();
    buildReport();
    watchForEdits();
    setUpKeyboard();
    resize(1036, 708);
    if (ctx_.brandCode == 20) {
        side->addStretch(1);
        arrangeForEdition20(side, helpRow);
    }

    // Five timers share one handler; the engine counts their ticks. They run
    // only while the engine has something to do (ticksNeeded starts them, the
    // handler stops them), so an idle window does not wake the machine 24
    // times a second.
    adas_->setObjectName(QStringLiteral("adas"));
    adas_->setInterval(1000);
    connect(adas_, &QTimer::timeout, this, &TAV4Form1::adasTimer);
    for (int i = 0; i < 4; ++i) {
        timers_[i] = new QTimer(this);
        timers_[i]->setObjectName(QStringLiteral("Timer%1").arg(i + 1));
        timers_[i]->setInterval(1000);
        connect(timers_[i], &QTimer::timeout, this, &TAV4Form1::adasTimer);
    }
    // While the engine is idle its ticks no longer refresh the time label.
    timeLabelTimer_->setObjectName(QStringLiteral("timeLabelTimer"));
    timeLabelTimer_->setInterval(1000);
    connect(timeLabelTimer_, &QTimer::timeout, this, [this] {
        Label99->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    });
}

TAV4Form1::~TAV4Form1() = default;

namespace {
QAction* addItem(QMenu* menu, const char* objectName, const char* caption) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromLatin1(objectName));
    return a;
}

QMenu* addMenu(QMenuBar* bar, const char* objectName, const char* caption) {
    QMenu* m = bar->addMenu(QString::fromUtf8(caption));
    m->setObjectName(QString::fromLatin1(objectName));
    m->menuAction()->setObjectName(QString::fromLatin1(objectName));
    return m;
}

} // namespace

void TAV4Form1::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* functions = addMenu(bar, "Funcik1", "Funciók");
    connect(addItem(functions, "GSMsoftververzi1", "GSM szoftver verzió"), &QAction::triggered,
            this, [this] { engine_->startVersionQuery(true); });
    connect(addItem(functions, "Modulllapotmegjelentse1", "Modul állapot megjelenítése"),
            &QAction::triggered, this, &TAV4Form1::statusWindowRequested);
    connect(addItem(functions, "GSMraszinkronozsa1", "GSM óra szinkronozása"), &QAction::triggered,
            this, [this] { engine_->startClockSync(); });
    connect(addItem(functions, "SIMPINkdkikapcsolsa1", "SIM PIN kód kikapcsolása"),
            &QAction::triggered, this, [this] {
                if (const auto pin = askText(message("engine.pin_title", language_),
                                             message("engine.pin_prompt", language_)))
                    engine_->startPinSwitchOff(*pin);
            });
    QAction* monitor = addItem(functions, "Hibakeress1", "Monitor");
    monitor->setEnabled(false);
    connect(monitor, &QAction::triggered, this, &TAV4Form1::monitorWindowRequested);
    connect(addItem(functions, "Voicehvstest1", "Voice hívás test (Nincs HANG!)"),
            &QAction::triggered, this, [this] {
                if (const auto n = askText(message("engine.voice_call_title", language_),
                                           message("engine.call_prompt", language_)))
                    engine_->startVoiceCallTest(*n);
            });
    connect(addItem(functions, "Adathvsellenrzs1", "Adathívás test"), &QAction::triggered, this,
            [this] {
                if (const auto n = askText(message("engine.data_call_title", language_),
                                           message("engine.call_prompt", language_)))
                    engine_->startDataCallTest(*n);
            });
    connect(addItem(functions, "SMStest1", "SMS test"), &QAction::triggered, this, [this] {
        if (const auto n = askText(message("engine.sms_test_title", language_),
                                   message("engine.sms_prompt", language_)))
            engine_->startSmsTest(*n);
    });
    QAction* firmware = addItem(functions, "Szoftverfrissts1", "Szoftver frissítés");
    firmware->setVisible(false);
    connect(firmware, &QAction::triggered, this, &TAV4Form1::firmwareWindowRequested);
    connect(addItem(functions, "IMEInumber1", "IMEI number"), &QAction::triggered, this,
            [this] { engine_->startImeiQuery(); });
    connect(addItem(functions, "SMSkzponttelefonszm1", "SMS központ telefonszám"),
            &QAction::triggered, this, &TAV4Form1::smsCentreRequested);
    connect(addItem(functions, "EgyenleglekrdezsTMobile1", "Egyenleg lekérdezés (T-Mobile)"),
            &QAction::triggered, this, &TAV4Form1::balanceRequested);
    functions->addSeparator();
    connect(addItem(functions, "Exportls1", "Exportálás…"), &QAction::triggered, this,
            [this] { files_->exportConfiguration(); });
    connect(addItem(functions, "Importls1", "Importálás…"), &QAction::triggered, this,
            [this] { files_->importConfiguration(); });
    functions->addSeparator();
    connect(addItem(functions, "Kilps1", "Kilépés"), &QAction::triggered, this, &QWidget::close);

    QAction* help = bar->addAction(QStringLiteral("Help"), this, [this] {
        showMessage(message("workspace.no_help", language_));
    });
    help->setObjectName(QStringLiteral("Help1"));
    QAction* version =
        bar->addAction(QStringLiteral("Verzió"), this, [this] { showMessage(versionBoxText()); });
    version->setObjectName(QStringLiteral("Verzi1"));

    // "Saját Profil" has only hidden items: it opens empty where it is shown.
    QMenu* profile = addMenu(bar, "SajtProfil1", "Saját Profil");
    QAction* forbid = addItem(profile, "ilts1", "Tiltás");
    forbid->setCheckable(true);
    forbid->setChecked(true);
    forbid->setVisible(false);
    addItem(profile, "Ments1", "Mentés")->setVisible(false);

    QMenu* descriptions = addMenu(bar, "Lersok1", "Leírások");
    addItem(descriptions, "Bektsirajz1", "Bekötési rajz");
    addItem(descriptions, "eleptilers1", "Telepítői leírás");

    QMenu* settings = addMenu(bar, "Belltsok1", "Beállítások");
    addItem(settings, "Contact1", "Contact")->setVisible(false);
    addItem(settings, "Kpernyfelbontsbelltsa1", "Képernyő felbontás beállítása");
    addItem(settings, "Magyar1", "Magyar");
    addItem(settings, "Angol1", "English");
    // Each language by its own name, so that it is found by whoever reads it.
    addItem(settings, "German1", "Deutsch");
    addItem(settings, "Sloven1", "Slovenščina");
    connectLanguageMenu();
    settings->addSeparator();
    // Where the monitor window sends a fault report; the dialog is not this window's.
    addItem(settings, "Hibajelentoszerver1", "Hibajelentő szerver...");
    new TraceMenuItem(settings, this, [this] { return language_; });

    QMenu* gsm = addMenu(bar, "GSM1", "GSM");
    connect(addItem(gsm, "Olvass1", "Olvasás"), &QAction::triggered, this,
            &TAV4Form1::BitBtn2Click);
    connect(addItem(gsm, "Elklds1", "Elküldés"), &QAction::triggered, this,
            &TAV4Form1::BitBtn1Click);
    connect(addItem(gsm, "TeljesElkuldes1", "Teljes elküldés (minden bájt újraírása)"),
            &QAction::triggered, this, &TAV4Form1::sendEverything);
    connect(addItem(gsm, "jraindts1", "Újraindítás"), &QAction::triggered, this,
            &TAV4Form1::BitBtn4Click);
}

void TAV4Form1::setModelCode(int code) {
    ModelCode_ = code;
    engine_->setModelCode(code);
    pages_->setModelCode(code);
}

void TAV4Form1::adasTimer() {
    if (!(guard_ && guard_->tick()))
        engine_->tick();
    if (!engine_->needsTicks() && !(guard_ && guard_->busy()))
        setTicking(false);
}

void TAV4Form1::ticksNeeded() {
    setTicking(true);
}

void TAV4Form1::operationStarted() {
    if (guard_)
        guard_->operationStarted();
}

void TAV4Form1::setTicking(bool on) {
    if (adas_->isActive() == on)
        return;
    // A restart keeps each timer's interval, so an operation is paced as if
    // the timers had never stopped.
    for (QTimer* t : {adas_, timers_[0], timers_[1], timers_[2], timers_[3]}) {
        if (on)
            t->start();
        else
            t->stop();
    }
}

bool TAV4Form1::ticking() const {
    return adas_->isActive();
}

void TAV4Form1::updateTimeLabelTimer() {
    if (isVisible() && !Label99->isHidden())
        timeLabelTimer_->start();
    else
        timeLabelTimer_->stop();
}

void TAV4Form1::AsynComm321RxChar(int count) {
    const QByteArray bytes = AsynComm321->read(count);
    if (!bytes.isEmpty() && !(guard_ && guard_->receive(bytes)))
        engine_->receive(bytes);
}

void TAV4Form1::BitBtn1Click() {
    send(false);
}

void TAV4Form1::sendEverything() {
    send(true);
}

void TAV4Form1::send(bool everything) {
    if (!pages_->readyToStore())
        return;
    // A short configuration file would leave the remote-monitoring bytes of
    // the block write empty: they must come from the module first.
    if (files_->imageNeedsModuleBytes(engine_->state().ModuleVersion)) {
        showMessage(files_->moduleBytesMessage());
        return;
    }
    guard_->startWrite(everything); // identification, backup, write, read-back
}

void TAV4Form1::saveConfiguration() {
    if (!pages_->readyToStore())
        return;
    if (files_->saveConfiguration())
        noteSaved(files_->lastPath());
}

void TAV4Form1::openConfiguration() {
    if (!settleUnsentEdits())
        return;
    files_->openConfiguration();
}

void TAV4Form1::BitBtn2Click() {
    if (!settleUnsentEdits())
        return;
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
    // The version reply has no build number; a read has told it already.
    if (!(versionText_.startsWith(text + u'.') && !text.isEmpty()))
        versionText_ = text;
    statusPanels_[2]->setText(versionText_);
}
// While a send runs, its engines' gauge, buttons and success text pass
// through the safety net, which shows one bar for its phases and keeps the
// buttons off and success unsaid until the read-back has ended.
void TAV4Form1::showStatus(const QString& text) {
    if (guard_ && guard_->holdStatus(text))
        return;
    QLabel* panel = statusPanels_[3];
    // Only a line longer than the panel wraps; a short one keeps the status
    // bar one line high, so the pages keep their room.
    panel->setWordWrap(panel->fontMetrics().horizontalAdvance(text) >
                       panel->contentsRect().width());
    panel->setText(text);
    panel->setToolTip(text);
}
void TAV4Form1::setGaugeMaximum(int maximum) {
    if (guard_ && guard_->sendRunning())
        return guard_->setPhaseMaximum(maximum);
    kijelzo->setMaximum(maximum);
}
void TAV4Form1::setGaugeValue(int value) {
    kijelzo->setValue(guard_ && guard_->sendRunning() ? guard_->gaugePosition(value) : value);
}
void TAV4Form1::setGaugeVisible(bool visible) {
    if (!visible && guard_ && guard_->sendRunning())
        return;
    kijelzo->setVisible(visible);
}

void TAV4Form1::setTransferButtonsEnabled(bool enabled) {
    if (enabled && guard_ && guard_->sendRunning())
        return;
    BitBtn1->setEnabled(enabled);
    BitBtn2->setEnabled(enabled);
}

void TAV4Form1::showMessage(const QString& text) {
    ::showMessage(this, text);
}

ImageContext TAV4Form1::imageContext() const {
    return ImageContext{ModelCode_, ctx_.brandCode, ctx_.read(QStringLiteral("company"))};
}

// A send writes the fields the window shows onto the module's bytes its
// backup read has just found (send_plan.h). Any other write (the PSTN gains)
// writes only the fields the installer changed since the last read or file
// load; every other byte goes back as the module had it (page_changes.h).
void TAV4Form1::encode() {
    if (const ConfigImage* base = guard_ ? guard_->sendBase() : nullptr) {
        const ImageValues shown = pages_->shownValues();
        image_ = SendPlan::target(*base, shown, imageContext(), windowState());
        guard_->sending(shown);
        return;
    }
    encodeImage(image_, pages_->changedValues(), imageContext());
    if (modifiedCheck_)
        modifiedCheck_->start();
}

// A save writes the fields the window shows onto what the window last held (a
// module read, a file, or nothing at all), as a send writes them onto the module.
void TAV4Form1::encodeShown() {
    image_ = SendPlan::target(image_, pages_->shownValues(), imageContext(), windowState());
}

SendPlan::WindowState TAV4Form1::windowState() const {
    return {&pages_->touchedValues(), filledFrom_ ? &*filledFrom_ : nullptr};
}

void TAV4Form1::decode() {
    const ConfigImage stored = image_;
    filledFrom_ = stored;
    const DecodeResult r = decodeImage(image_, imageContext());
    keepStoredLetters(stored, image_);
    // The version of the module at the port decides how it is read and
    // written; a file opened for another version does not change it.
    if (!files_->decodingFile()) {
        engine_->setModuleVersion(r.moduleVersion);
        showModuleVersion(r.statusText);
        moduleFirmware_ = versionText_.section(u' ', -1);
        titleSource_ = message("workspace.title_module_read", language_)
                           .arg(QTime::currentTime().toString(QStringLiteral("HH:mm")));
    } else if (!files_->lastPath().isEmpty()) {
        titleSource_ = QFileInfo(files_->lastPath()).fileName();
    }
    pages_->fill(r.values);
    holdsModuleData_ = true;
    files_->moduleImageRead();
    refreshTitle();
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

QAction* TAV4Form1::menuAction(const QString& objectName) const {
    return menuBar()->findChild<QAction*>(objectName);
}

QAction* TAV4Form1::menuItem(const char* objectName) const {
    return menuAction(QString::fromLatin1(objectName));
}

void TAV4Form1::applyVersionRules() {
    const int v = engine_->state().ModuleVersion;
    // Items a version switches on stay on when a lower version answers later.
    if (v >= 16)
        menuItem("Hibakeress1")->setEnabled(true);
    if (v >= 29)
        menuItem("Szoftverfrissts1")->setVisible(true);
    if (ModelCode_ == 100) {
        menuItem("SajtProfil1")->setVisible(false);
        menuItem("Bektsirajz1")->setEnabled(false);
        menuItem("GSMraszinkronozsa1")->setEnabled(false);
    }
    if (v < 34)
        setPageVisible(QStringLiteral("TabSheet24"), false); // Távfelügyelet
    if (v < 40)
        setPageVisible(QStringLiteral("TabSheet27"), false); // Nyitás/Zárás
    setPageVisible(QStringLiteral("TabSheet15"), v < 50);    // Szám azonosítás
    if (ctx_.brandCode == 20)                                // the edition has no SIM names page
        setPageVisible(QStringLiteral("TabSheet15"), false);
    setPageVisible(QStringLiteral("TabSheet23"), v >= 50); // Szám Azonosítás MEM
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

void TAV4Form1::hideEvent(QHideEvent* e) {
    QMainWindow::hideEvent(e);
    updateTimeLabelTimer();
}

bool TAV4Form1::event(QEvent* e) {
    if (activation_.activates(e))
        FormActivate();
    return QMainWindow::event(e);
}

namespace {
// The list selections a fresh window starts with (objectName, item).
constexpr std::pair<const char*, int> kFreshSelections[] = {
    {"ComboKi1", 0},  {"ComboKi2", 0},  {"ComboBox1", 1},  {"ComboBox2", 1},  {"ComboBox3", 0},
    {"ComboBox4", 0}, {"ComboBox9", 1}, {"ComboBox10", 1}, {"ComboBox12", 2}, {"ComboBox13", 0},
};
} // namespace

// A list the installer has set keeps the choice: a send writes what it shows.
void TAV4Form1::resetListSelections() {
    std::vector<std::pair<QComboBox*, int>> resets;
    for (const auto& [name, item] : kFreshSelections)
        if (auto* box = findChild<QComboBox*>(QString::fromLatin1(name));
            box && !pages_->touched(box->objectName()))
            resets.emplace_back(box, item);
    pages_->applyAsFilled([&resets] {
        for (const auto& [box, item] : resets)
            box->setCurrentIndex(item);
    });
}

void TAV4Form1::showServiceControls() {
    for (QWidget* w : serviceControls_)
        w->show();
}

void TAV4Form1::FormActivate() {
    const int brand = ctx_.brandCode;
    const EditionInfo& e = edition(brand);
    Q_UNUSED(e);
    const AppContext& ctx = ctx_;
    setBackground(this, brand == 50 ? palette().color(QPalette::Button) : QColor(174, 204, 248));
    CheckBox12->setChecked(false); // the phonebook commands handle 100 entries
    language_ = languageFromSetting(ctx.read(QStringLiteral("Language")));
    Panel16_->fillEmptyTexts(modelLabel_,
                             systemDateTimeText(QDateTime::currentDateTime(), language_));
    engine_->setLanguage(language_);
    applyLanguage();
    // The window comes back to the front whenever one of its dialogs closes:
    // once the pages hold a module's or a file's settings, the installer's
    // choices stay as they are.
    if (!holdsModuleData_)
        resetListSelections();
    QString mode = ctx.read(QStringLiteral("mode"));
    if (mode.isEmpty()) {
        ctx.write(QStringLiteral("mode"), QStringLiteral("0"));
        mode = QStringLiteral("0");
    }
    modeText_ = mode;
    if (mode == QLatin1String(kServiceCode))
        showServiceControls();
    if (!engine_->busy())
        engine_->startVersionQuery(false);
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
    applyEditionAdjustments();
    updateTimeLabelTimer();
    applyScreenSize();
    refreshTitle();
    pages_->gprsPage()->setVaronetPreset(Presets::varonetApn(ctx, kAccessPointLength),
                                         message("preset.not_configured", language_));
}

void TAV4Form1::closeEvent(QCloseEvent* e) {
    // The backup read and the read-back of a send run on the safety net's
    // engine; leaving during either loses the backup or the proof.
    if ((engine_->busy() || guard_->busy()) &&
        !askYesNo(message("workspace.confirm_quit", language_))) {
        e->ignore();
        return;
    }
    if (!engine_->busy() && !settleUnsentEdits()) {
        e->ignore();
        return;
    }
    QMainWindow::closeEvent(e);
    AsynComm321->close();
    emit programEndRequested();
}

// The SIM names grid goes below the caller-identification box of its page.
void TAV4Form1::buildSimNamesPage() {
    QWidget* sheet = PageControl1->findChild<QWidget*>(QStringLiteral("TabSheet15"));
    auto* box = new QWidget(sheet);
    box->setObjectName(QStringLiteral("SimNamesBox"));
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    StringGrid1 = new QTableWidget(0, 3, box);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setHorizontalHeaderLabels(
        {QStringLiteral("SIM"), QStringLiteral("Number"), QStringLiteral("Name")});
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    StringGrid1->setColumnWidth(0, 50);
    StringGrid1->setColumnWidth(1, 180);
    setSimGridRows(1);
    column->addWidget(StringGrid1, 1);
    Gauge2 = new QProgressBar(box);
    Gauge2->setObjectName(QStringLiteral("Gauge2"));
    Gauge2->hide();
    column->addWidget(Gauge2);
    auto* row = new QHBoxLayout;
    BitBtn5 = new QPushButton(QStringLiteral("Számok beolvasása"), box);
    BitBtn5->setObjectName(QStringLiteral("BitBtn5"));
    BitBtn6 = new QPushButton(QStringLiteral("Számok kiírása"), box);
    BitBtn6->setObjectName(QStringLiteral("BitBtn6"));
    BitBtn6->setEnabled(false); // until a read has finished
    Button2 = new QPushButton(QStringLiteral("Új"), box);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = new QPushButton(QStringLiteral("Mentés"), box);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button4 = new QPushButton(QStringLiteral("Megnyitás"), box);
    Button4->setObjectName(QStringLiteral("Button4"));
    CheckBox12 = new QCheckBox(QStringLiteral("250db szám ir/olvas"), box);
    CheckBox12->setObjectName(QStringLiteral("CheckBox12"));
    for (QWidget* w :
         std::initializer_list<QWidget*>{BitBtn5, BitBtn6, Button2, Button3, Button4, CheckBox12})
        row->addWidget(w);
    row->addStretch(1);
    column->addLayout(row);
    if (auto* layout = qobject_cast<QVBoxLayout*>(sheet->layout()))
        layout->insertWidget(1, box, 10);
    connect(BitBtn5, &QPushButton::clicked, this, &TAV4Form1::BitBtn5Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TAV4Form1::BitBtn6Click);
    connect(Button2, &QPushButton::clicked, this, &TAV4Form1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TAV4Form1::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TAV4Form1::Button4Click);
}

int TAV4Form1::phonebookSlots() const {
    return CheckBox12->isChecked() ? 250 : 100;
}

// Grid rows 1..rows; the slot column shows each row's slot.
void TAV4Form1::setSimGridRows(int rows) {
    rows = std::clamp(rows, 1, SimNamesFile::kRows);
    const int old = StringGrid1->rowCount();
    StringGrid1->setRowCount(rows);
    for (int r = old; r < rows; ++r) {
        auto* slot = new QTableWidgetItem(QString::number(r + 1));
        slot->setFlags(slot->flags() & ~Qt::ItemIsEditable);
        StringGrid1->setItem(r, 0, slot);
    }
}

void TAV4Form1::showPhonebookSlot(const PhonebookEntry& entry) {
    if (entry.slot < 1 || entry.slot > SimNamesFile::kRows)
        return;
    if (entry.number.isEmpty() && entry.slot > StringGrid1->rowCount())
        return;
    if (entry.slot > StringGrid1->rowCount())
        setSimGridRows(entry.slot);
    StringGrid1->setItem(entry.slot - 1, 1, new QTableWidgetItem(entry.number));
    StringGrid1->setItem(entry.slot - 1, 2, new QTableWidgetItem(entry.name));
}

void TAV4Form1::setPhonebookGaugeMaximum(int maximum) {
    Gauge2->setMaximum(maximum);
}
void TAV4Form1::setPhonebookGaugeValue(int value) {
    Gauge2->setValue(value);
}
void TAV4Form1::setPhonebookGaugeVisible(bool visible) {
    Gauge2->setVisible(visible);
}
void TAV4Form1::setPhonebookButtonsEnabled(bool read, bool write) {
    BitBtn5->setEnabled(read);
    BitBtn6->setEnabled(write);
}

void TAV4Form1::BitBtn5Click() {
    engine_->startPhonebookRead(phonebookSlots());
}

namespace {
QString cellText(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}
} // namespace

void TAV4Form1::BitBtn6Click() {
    std::vector<PhonebookEntry> rows;
    for (int r = 0; r < StringGrid1->rowCount(); ++r)
        rows.push_back({r + 1, cellText(StringGrid1, r, 1).trimmed(), cellText(StringGrid1, r, 2)});
    engine_->startPhonebookWrite(rows, phonebookSlots());
}

void TAV4Form1::Button2Click() {
    setSimGridRows(StringGrid1->rowCount() + 1);
}

void TAV4Form1::Button3Click() {
    std::vector<SimNamesFile::Row> rows;
    for (int r = 0; r < StringGrid1->rowCount(); ++r)
        rows.push_back({cellText(StringGrid1, r, 1), cellText(StringGrid1, r, 2)});
    // The file counts the grid's header row.
    files_->saveSimNames(StringGrid1->rowCount() + 1, rows);
}

void TAV4Form1::Button4Click() {
    const std::optional<SimNamesFile::Content> content = files_->openSimNames();
    if (!content)
        return;
    setSimGridRows(content->rowCount - 1);
    for (int r = 0; r < StringGrid1->rowCount(); ++r) {
        const SimNamesFile::Row& row = content->rows[static_cast<size_t>(r)];
        StringGrid1->setItem(r, 1, new QTableWidgetItem(row.number));
        StringGrid1->setItem(r, 2, new QTableWidgetItem(row.name));
    }
}

void TAV4Form1::closeFirmwareWindow() {
    emit firmwareWindowCloseRequested();
}

void TAV4Form1::showOutput1Active() {
    if (auto* p = findChild<QLabel*>(QStringLiteral("Panel32")))
        setBackground(p, Qt::green);
}

void TAV4Form1::resetServiceIndicators() {
    for (int i = 28; i <= 31; ++i)
        if (auto* p = findChild<QLabel*>(QStringLiteral("Panel%1").arg(i)))
            setBackground(p, palette().color(QPalette::Window));
}

// ---------------------------------------------------------------- safety net

ConfigImage TAV4Form1::imageToSend() const {
    return SendPlan::target(image_, pages_->shownValues(), imageContext(), windowState());
}

void TAV4Form1::readModuleForRestore() {
    // A read now would cut a running transfer or send short.
    if (ConfigurationFiles::transferRunning(*engine_) || guard_->busy()) {
        emit moduleReadRefused(message("restore.busy", language_));
        return;
    }
    guard_->readModule([this](const ConfigImage& module, int bytesRead) {
        emit moduleReadForRestore(module, bytesRead, ModelCode_);
    });
}

void TAV4Form1::restoreBackup(const QString& path) {
    if (ConfigurationFiles::transferRunning(*engine_) || guard_->busy()) {
        showMessage(message("restore.busy", language_));
        return;
    }
    const BackupStore::Loaded backup = BackupStore::load(path, ModelCode_);
    if (!backup.ok) {
        showMessage(message("restore.unreadable", language_).arg(backup.error));
        return;
    }
    if (files_->loadBackupImage(backup.image, backup.carriedBytes))
        BitBtn1Click();
}

void TAV4Form1::buildSafetyNet() {
    WriteGuard::Setup s;
    s.channel = AsynComm321;
    s.engine = engine_.get();
    s.image = &image_;
    s.view = this;
    s.config.portName = [this] { return ctx_.comport(); };
    s.config.startWindowIdleClosed = [] { return true; };
    s.language = [this] { return language_; };
    s.companyStarred = [this] { return companyStarred_; };
    s.verifyEnabled = [this] { return SafetySettings::verifyAfterWrite(ctx_.keyPath); };
    auto* verifyPanel = new QLabel(this);
    verifyPanel->setObjectName(QStringLiteral("StatusPanelVerify"));
    statusBar()->addPermanentWidget(verifyPanel);
    s.showVerify = [this, verifyPanel](const QString& text, bool failed) {
        verifyPanel->setText(text);
        // The status panel has room for the first fields only; all of them here.
        verifyPanel->setToolTip(failed ? guard_->report().join(QLatin1Char('\n')) : QString());
        verifyPanel->setStyleSheet(failed ? QStringLiteral("color: white; background: #c00000;")
                                          : QString());
    };
    guard_ = std::make_unique<WriteGuard>(std::move(s));
    engine_->setWriteAllDoneHandler([this] { guard_->writeAllDone(); });

    SafetyMenu::Hooks h;
    h.parent = this;
    h.guard = guard_.get();
    h.modelCode = [this] { return ModelCode_; };
    h.windowImage = [this] { return imageToSend(); };
    h.chooseFile = [this](const QString& title) {
        FileDialogRequest r;
        r.title = title;
        r.objectName = QStringLiteral("OpenDialog3");
        r.nameFilters = {message("safety.file_filter", language_), QStringLiteral("*.*")};
        r.defaultSuffix = QStringLiteral("dat");
        // What is compared is most often a backup written before a send.
        const QString backups = BackupStore::defaultFolder();
        r.directory = QDir(backups).exists() ? backups : files_->dialogDirectory();
        r.newestFirst = true;
        return files_->chooseFile ? files_->chooseFile(r) : runFileDialog(this, r);
    };
    h.message = [this](const QString& text) { showMessage(text); };
    h.verifyEnabled = [this] { return SafetySettings::verifyAfterWrite(ctx_.keyPath); };
    h.setVerifyEnabled = [this](bool on) {
        ctx_.write(QString::fromLatin1(SafetySettings::kVerifyName),
                   on ? QStringLiteral("1") : QStringLiteral("0"));
    };
    h.backupFolder = [] { return BackupStore::defaultFolder(); };
    h.language = [this] { return language_; };
    safetyMenu_ = new SafetyMenu(std::move(h), this);
    safetyMenu_->build(menuBar());
    connect(safetyMenu_, &SafetyMenu::restoreRequested, this, &TAV4Form1::restoreWindowRequested);

    // Opening a file offers to show what it changes against what the window
    // held, before anything is sent.
    files_->windowImage = [this] { return imageToSend(); };
    files_->fileOpened = [this](const ConfigImage& before, bool heldData, const QString& path) {
        if (!heldData)
            return;
        auto* offer = new QMessageBox(QMessageBox::Question, QString(),
                                      message("safety.offer_compare", language_),
                                      QMessageBox::Yes | QMessageBox::No, this);
        offer->setObjectName(QStringLiteral("CompareOffer"));
        offer->setAttribute(Qt::WA_DeleteOnClose);
        const QString name = QFileInfo(path).fileName();
        connect(offer, &QMessageBox::buttonClicked, this, [this, offer, before, name](auto* b) {
            if (offer->standardButton(b) != QMessageBox::Yes)
                return;
            safetyMenu_->showCompare(CompareSide::own("safety.side_window_before"), before,
                                     CompareSide::file(name), imageToSend(), ModelCode_);
        });
        offer->open();
    };
}
