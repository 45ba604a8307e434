#include "discovery/search_window.h"
#include "i18n/caption_tables.h"
#include "i18n/messages.h"
#include "image/file_access.h"
#include "settings/app_context.h"
#include "ui/picture.h"
#include "ui/widgets.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// A banner logo; a larger file in the start directory is not a logo of ours.
constexpr int kMaxLogoSize = 4 * 1024 * 1024;

const QColor kLabelColour(50, 50, 50);
const QColor kLedOff(70, 20, 20);

// The window caption ("*"), the exit button and the port chooser's OK
// button per language (assets/captions/TForm8.tsv).
const QList<CaptionTableRow>& languageCaptions() {
    static const QList<CaptionTableRow> rows = CaptionTables::table(QStringLiteral("TForm8"));
    return rows;
}

// What an edition changes on the search window.
struct EditionLayout {
    int brand;
    const char* hide; // space-separated control names
    const char* show;
    const char* labels;           // "Name=Text|Name=Text"
    const char* hungarianCaption; // replaces the Hungarian caption (nullptr: none)
    const char* caption;          // replaces the caption in every language (nullptr: none)
};

const EditionLayout kEditionLayouts[] = {
    {1, "Panel1 Panel6 Panel7", "Image12", "", nullptr, nullptr},
    {10, "Panel4 Panel5 Panel6 Panel7 Image14", "Image15 Image16",
     "Label2=Olmira GSM1|Label4=Olmira GSM4", nullptr, nullptr},
    {20, "Image14 Panel2 Panel3 Panel4 Panel5 Panel6 Panel7 Image7 Image8 Image9 Image11", "",
     "Label2=Pumara", nullptr, "Search... Pumara GSM"},
    {30, "Panel2 Panel3 Panel4 Panel5 Panel6 Panel8", "Image14",
     "Label2=Ferrolt|Label8=Ferrolt-CID", nullptr, "Keresés... Ferrolt"},
    {40, "", "Panel8", "Label4=Norvik", "Keresés... NORVIK", nullptr},
    {41, "Image14 Panel1 Panel2 Panel4 Panel5 Panel6 Panel7 Image7 Image8 Image9 Image11", "",
     "Label4=Telvaro", "Keresés... Telvaro", nullptr},
    {50, "Panel1 Panel6 Panel7", "BitBtn4", "Label2=Vesmar|Label4=Makrel|Label7=|Label8=Quillo",
     nullptr, "Search... Sorel GSM"},
};

const EditionLayout* editionLayout(int brand) {
    for (const auto& e : kEditionLayouts)
        if (e.brand == brand)
            return &e;
    return nullptr;
}

// The model panels as designed: the found model's panel blinks.
struct ModelPanel {
    const char* name;
    const char* label;
    const char* caption;
    const char* picture;
    bool shown;
};
const ModelPanel kModelPanels[] = {
    {"Panel1", "Label2", "GSM - 1", "model_gsm1", true},
    {"Panel2", "Label3", "Alvento - 4", "model_gsm4", true},
    {"Panel3", "Label4", "Kestrin", "model_own", true},
    {"Panel4", "Label6", "Alvento - GPRS", "model_gprs", false},
    {"Panel5", "Label5", "GPRS/CID Konv.", "model_conv", false},
    {"Panel6", "Label7", "Alvento -GPS", "model_gps", false},
    {"Panel7", "Label8", "GSM - CID", "model_cid", true},
};

struct DemoEntry {
    const char* panel;
    int model;
    int picture;
    bool presetVersion;
};
const DemoEntry kDemos[] = {
    {"Panel1", 80, 1, true},  {"Panel3", 71, 3, true},   {"Panel5", 50, 5, false},
    {"Panel6", 90, 6, false}, {"Panel7", 100, 7, false},
};

} // namespace

void TForm8::reg(QWidget* w, const QString& name) {
    w->setObjectName(name);
    controls_.insert(name, w);
}

QWidget* TForm8::control(const QString& name) const {
    return controls_.value(name);
}

QFrame* TForm8::makePanel(const QString& name, const QString& labelName, const QString& caption,
                          const QString& picture) {
    auto* panel = new QFrame(this);
    reg(panel, name);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Raised);
    setBackground(panel, panelGrey());
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(6, 6, 6, 6);
    auto* pic = new QLabel(panel);
    pic->setObjectName(name + QStringLiteral("Picture"));
    pic->setPixmap(QPixmap::fromImage(loadJpeg(picture)));
    pic->setAlignment(Qt::AlignCenter);
    auto* label = new QLabel(caption, panel);
    reg(label, labelName);
    label->setAlignment(Qt::AlignCenter);
    QFont f = label->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 1);
    label->setFont(f);
    v->addWidget(pic);
    v->addWidget(label);
    panel->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(panel, &QWidget::customContextMenuRequested, this, [this, panel](const QPoint& p) {
        PopupMenu1->setProperty("panel", panel->objectName());
        PopupMenu1->popup(panel->mapToGlobal(p));
    });
    return panel;
}

TForm8::TForm8(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), vilogo_(new QTimer(this)), gaugeido_(new QTimer(this)),
      zido_(new QTimer(this)) {
    setObjectName(QStringLiteral("TForm8"));
    setWindowTitle(
        CaptionTables::textOf(languageCaptions(), QStringLiteral("*"), 0).value_or(QString()));
    setBackground(this, panelGrey());

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* sideBar = new QFrame(this);
    reg(sideBar, QStringLiteral("Panel8"));
    sideBar->setFixedWidth(14);
    setBackground(sideBar, QColor(200, 16, 32));
    sideBar->hide();
    outer->addWidget(sideBar);

    auto* content = new QVBoxLayout;
    content->setContentsMargins(10, 4, 10, 0);
    outer->addLayout(content, 1);

    auto* top = new QHBoxLayout;
    auto* buildDate = new QLabel(QStringLiteral("2024.09"), this);
    reg(buildDate, QStringLiteral("Label1"));
    top->addWidget(buildDate);
    top->addStretch(1);
    auto* badge = new QLabel(this);
    reg(badge, QStringLiteral("Image12"));
    badge->setPixmap(QPixmap::fromImage(loadJpeg(QStringLiteral(":/pictures/logo_alt.jpg"))));
    badge->hide();
    top->addWidget(badge);
    content->addLayout(top);

    auto* panels = new QHBoxLayout;
    panels->setSpacing(8);
    for (const ModelPanel& p : kModelPanels) {
        QFrame* panel = makePanel(
            QString::fromLatin1(p.name), QString::fromLatin1(p.label), QString::fromUtf8(p.caption),
            QStringLiteral(":/pictures/%1.jpg").arg(QLatin1String(p.picture)));
        panel->setVisible(p.shown);
        panels->addWidget(panel);
    }
    for (int i = 0; i < 2; ++i) {
        auto* pic = new QLabel(this);
        reg(pic, QStringLiteral("Image%1").arg(15 + i));
        pic->setPixmap(
            QPixmap::fromImage(loadJpeg(i ? QStringLiteral(":/pictures/model_gsm4.jpg")
                                          : QStringLiteral(":/pictures/model_gsm1.jpg"))));
        pic->hide();
        panels->addWidget(pic);
    }
    content->addLayout(panels);

    auto* banner = new QLabel(this);
    reg(banner, QStringLiteral("Image14"));
    banner->setPixmap(QPixmap::fromImage(loadJpeg(QStringLiteral(":/pictures/banner.jpg"))));
    banner->setAlignment(Qt::AlignCenter);
    content->addWidget(banner);

    auto* flagsRow = new QHBoxLayout;
    flagsRow->setObjectName(QStringLiteral("flagsRow"));
    flagsRow->addStretch(1);
    static const char* flagNames[] = {"Image7", "Image8", "Image9", "Image11"};
    for (int i = 0; i < 4; ++i) {
        auto* box = new QVBoxLayout;
        auto* flag = new ClickableLabel(this);
        reg(flag, QString::fromLatin1(flagNames[i]));
        flag->setPixmap(QPixmap::fromImage(loadJpeg(flagPicture(i)))
                            .scaled(64, 43, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        flag->setCursor(Qt::PointingHandCursor);
        connect(flag, &ClickableLabel::clicked, this, [this, i] { flagClicked(i); });
        flags_[i] = flag;
        auto* leds = new QHBoxLayout;
        hhALed_[i] = new Led(this);
        reg(hhALed_[i], QStringLiteral("hhALed%1").arg(i + 1));
        TILed_[i] = new Led(this);
        reg(TILed_[i], QStringLiteral("TILed%1").arg(i + 1));
        TILed_[i]->hide();
        leds->addStretch(1);
        leds->addWidget(hhALed_[i]);
        leds->addWidget(TILed_[i]);
        leds->addStretch(1);
        box->addWidget(flag, 0, Qt::AlignHCenter);
        box->addLayout(leds);
        flagsRow->addLayout(box);
        flagsRow->addSpacing(8);
    }
    flagsRow->addStretch(1);
    BitBtn3 = new QPushButton(QStringLiteral("COM port"), this);
    reg(BitBtn3, QStringLiteral("BitBtn3"));
    flagsRow->addWidget(BitBtn3, 0, Qt::AlignVCenter);
    content->addLayout(flagsRow);

    Gauge2 = new QProgressBar(this);
    reg(Gauge2, QStringLiteral("Gauge2"));
    Gauge2->setRange(0, 100);
    Gauge2->setValue(0);
    Gauge2->setTextVisible(false);
    content->addWidget(Gauge2);

    auto* buttons = new QHBoxLayout;
    BitBtn2 = new QPushButton(QStringLiteral("COM port"), this);
    reg(BitBtn2, QStringLiteral("BitBtn2"));
    demoButton_ = new QPushButton(QStringLiteral("Demo"), this);
    reg(demoButton_, QStringLiteral("BitBtn4"));
    demoButton_->hide();
    BitBtn1 = new QPushButton(QStringLiteral("Kilépés"), this);
    reg(BitBtn1, QStringLiteral("BitBtn1"));
    buttons->addWidget(BitBtn2);
    buttons->addWidget(demoButton_);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    content->addLayout(buttons);

    StatusBar1 = new QStatusBar(this);
    reg(StatusBar1, QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    const int widths[] = {80, 100, 100, 100, 50};
    for (int i = 0; i < 5; ++i) {
        statusPanels_[i] = new QLabel(this);
        statusPanels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        statusPanels_[i]->setMinimumWidth(widths[i]);
        statusPanels_[i]->setFrameShape(QFrame::StyledPanel);
        statusPanels_[i]->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        StatusBar1->addWidget(statusPanels_[i], i == 4 ? 1 : 0);
    }
    searchHint_ = new QLabel(this);
    searchHint_->setObjectName(QStringLiteral("searchHint"));
    searchHint_->setTextFormat(Qt::PlainText);
    searchHint_->setWordWrap(true);
    searchHint_->setStyleSheet(QStringLiteral("color: #a00000; padding: 4px;"));
    searchHint_->hide();
    content->addWidget(searchHint_);
    noAnswer_ = new QTimer(this);
    noAnswer_->setObjectName(QStringLiteral("noAnswer"));
    noAnswer_->setSingleShot(true);
    noAnswer_->setInterval(10000);
    connect(noAnswer_, &QTimer::timeout, this, &TForm8::explainMissingAnswer);
    content->addWidget(StatusBar1);
    setCounters(0, 0, 0);
    statusPanels_[1]->setText(QStringLiteral("Gsm: "));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* demo = PopupMenu1->addAction(QStringLiteral("Start DEMO"));
    connect(demo, &QAction::triggered, this,
            [this] { demoStart(PopupMenu1->property("panel").toString()); });

    connect(BitBtn1, &QPushButton::clicked, this, [this] { emit programEndRequested(); });
    connect(BitBtn2, &QPushButton::clicked, this, &TForm8::comPortClicked);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm8::comPortClicked);
    connect(demoButton_, &QPushButton::clicked, this,
            [this] { demoStart(QStringLiteral("Panel3")); });

    vilogo_->setObjectName(QStringLiteral("vilogo"));
    vilogo_->setInterval(200);
    connect(vilogo_, &QTimer::timeout, this, &TForm8::vilogoTimer);
    gaugeido_->setObjectName(QStringLiteral("gaugeido"));
    gaugeido_->setInterval(50);
    connect(gaugeido_, &QTimer::timeout, this, &TForm8::gaugeidoTimer);
    zido_->setObjectName(QStringLiteral("zido"));
    zido_->setInterval(200);
    connect(zido_, &QTimer::timeout, this, &TForm8::zidoTimer);
}

void TForm8::showModalSearch() {
    setWindowModality(Qt::ApplicationModal);
    gaugeido_->start();
    noAnswer_->start();
    show();
    centreOnScreen(this);
}

void TForm8::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    activation_.shown();
    FormActivate();
}

bool TForm8::event(QEvent* e) {
    if (activation_.activates(e))
        FormActivate();
    return QDialog::event(e);
}

void TForm8::FormActivate() {
    portClosedSinceActivation_ = false;
    const AppContext& ctx = ctx_;

    const QString stamp = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
    ctx.write(QStringLiteral("StartDate"), stamp);
    if (ctx.read(QStringLiteral("StartDate")) != stamp)
        showMessage(this, message("discovery.no_write_rights", 0));

    applyEditionLayout();

    for (const char* name : {"Panel1", "Panel3", "Panel6", "Panel7"})
        setBackground(control(QString::fromLatin1(name)), panelGrey());
    setBackground(this, panelGrey());
    for (const char* name : {"Label2", "Label4", "Label7", "Label8"}) {
        QWidget* l = control(QString::fromLatin1(name));
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, kLabelColour);
        l->setPalette(p);
    }
    blinkColour_ = panelGrey();
    for (Led* led : TILed_)
        led->setColor(Qt::red);

    QString language = ctx.read(QStringLiteral("Language"));
    if (language.isEmpty()) {
        ctx.write(QStringLiteral("Language"), QStringLiteral("0"));
        language = QStringLiteral("0");
    }
    applyLanguage(language);
}

void TForm8::applyEditionLayout() {
    const int brand = ctx_.brandCode;
    const EditionLayout* e = editionLayout(brand);
    if (!e)
        return;
    for (const QString& n : QString::fromLatin1(e->hide).split(u' ', Qt::SkipEmptyParts))
        if (QWidget* w = control(n))
            w->hide();
    for (const QString& n : QString::fromLatin1(e->show).split(u' ', Qt::SkipEmptyParts))
        if (QWidget* w = control(n))
            w->show();
    for (const QString& pair : QString::fromUtf8(e->labels).split(u'|', Qt::SkipEmptyParts)) {
        const int eq = static_cast<int>(pair.indexOf(u'='));
        if (auto* l = qobject_cast<QLabel*>(control(pair.left(eq))))
            l->setText(pair.mid(eq + 1));
    }
    if (brand == 20) {
        auto* pic = findChild<QLabel*>(QStringLiteral("Panel1Picture"));
        pic->setPixmap(QPixmap::fromImage(loadJpeg(QStringLiteral(":/pictures/model_own.jpg"))));
        for (int i = 0; i < 4; ++i) {
            hhALed_[i]->hide();
            TILed_[i]->hide();
        }
    }
    if (brand == 30) {
        auto* banner = qobject_cast<QLabel*>(control(QStringLiteral("Image14")));
        banner->setPixmap(QPixmap::fromImage(loadJpeg(QStringLiteral(":/pictures/logo_alt.jpg"))));
    }
    if (brand == 50) {
        auto* banner = qobject_cast<QLabel*>(control(QStringLiteral("Image14")));
        // The installer's own logo, when the start directory holds a regular
        // file of a picture's size.
        const FileAccess::ReadResult own =
            FileAccess::readAtMost(ctx_.startDir + QStringLiteral("/logo.jpg"), kMaxLogoSize + 1);
        QImage logo =
            own.error || own.bytes.size() > kMaxLogoSize ? QImage() : decodeJpeg(own.bytes);
        if (logo.isNull())
            logo = loadJpeg(QStringLiteral(":/pictures/logo_alt.jpg"));
        banner->setPixmap(QPixmap::fromImage(logo));
        if (!edition50Moved_) {
            // The logo moves beside the flags at the left edge; the banner row
            // it leaves empty is taken out, so the buttons and the progress bar
            // move up and the window gets shorter, once per run.
            edition50Moved_ = true;
            auto* flagsRow = findChild<QHBoxLayout*>(QStringLiteral("flagsRow"));
            banner->setParent(this);
            flagsRow->insertWidget(0, banner);
            flagsRow->setStretch(1, 0);
            banner->show();
            adjustSize();
        }
        for (int i = 0; i < 4; ++i) {
            hhALed_[i]->hide();
            TILed_[i]->show();
        }
    }
}

void TForm8::applyLanguage(const QString& language) {
    const int brand = ctx_.brandCode;
    if (language.size() != 1 || language[0] < u'0' || language[0] > u'3')
        return; // an unknown value keeps the captions already shown
    const int lang = language[0].unicode() - '0';
    currentLanguage_ = language;
    const QList<CaptionTableRow>& rows = languageCaptions();
    QString caption =
        CaptionTables::textOf(rows, QStringLiteral("*"), lang).value_or(windowTitle());
    const EditionLayout* e = editionLayout(brand);
    if (lang == 0 && e && e->hungarianCaption)
        caption = QString::fromUtf8(e->hungarianCaption);
    if (e && e->caption)
        caption = QString::fromUtf8(e->caption);
    setWindowTitle(caption);
    if (const auto exit = CaptionTables::textOf(rows, QStringLiteral("BitBtn1"), lang))
        BitBtn1->setText(*exit);
    if (const auto ok = CaptionTables::textOf(rows, QStringLiteral("chooserOk"), lang))
        emit chooserOkCaptionChanged(*ok);
    for (int i = 0; i < 4; ++i)
        hhALed_[i]->setColor(i == lang ? QColor(Qt::red) : kLedOff);
    if (brand == 50)
        TILed_[lang]->setColor(QColor(0, 255, 0));
}

QFrame* TForm8::panelForPicture(int index) const {
    // Picture index n blinks PanelN; no panel has index 0 or 2.
    if (index != 1 && (index < 3 || index > 7))
        return nullptr;
    return qobject_cast<QFrame*>(control(QStringLiteral("Panel%1").arg(index)));
}

QPixmap TForm8::panelPicture(const QString& panelName) const {
    auto* pic = findChild<QLabel*>(panelName + QStringLiteral("Picture"));
    return pic ? pic->pixmap() : QPixmap();
}

void TForm8::vilogoTimer() {
    if (!portClosedSinceActivation_) {
        portClosedSinceActivation_ = true;
        emit discoveryPortReleaseRequested();
    }
    if (QFrame* panel = panelForPicture(pictureIndex_)) {
        const bool grey = backgroundOf(panel) == blinkColour_;
        setBackground(panel, grey ? QColor(Qt::red) : blinkColour_);
    }
}

void TForm8::gaugeidoTimer() {
    if (Gauge2->value() < Gauge2->maximum())
        Gauge2->setValue(Gauge2->value() + 1);
    // A full bar stays full: nothing is left for the timer to do.
    if (Gauge2->value() >= Gauge2->maximum())
        gaugeido_->stop();
}

void TForm8::flagClicked(int language) {
    ctx_.write(QStringLiteral("Language"), QString::number(language));
    FormActivate();
    flagBlinking_ = language;
    flagBlinkTicks_ = 0;
    zido_->start();
}

void TForm8::zidoTimer() {
    if (flagBlinking_ < 0) {
        zido_->stop();
        return;
    }
    if (++flagBlinkTicks_ <= 6) {
        flags_[flagBlinking_]->setVisible(!flags_[flagBlinking_]->isVisible());
        return;
    }
    endFlagBlink();
}

void TForm8::endFlagBlink() {
    zido_->stop();
    flagBlinking_ = -1;
    if (ctx_.brandCode != 20 && ctx_.brandCode != 41)
        for (auto* f : flags_)
            f->show();
}

void TForm8::comPortClicked() {
    emit discoveryPortReleaseRequested();
    emit portChooserRequested();
}

void TForm8::demoStart(const QString& panelName) {
    for (const DemoEntry& d : kDemos) {
        if (panelName != QLatin1String(d.panel))
            continue;
        emit demoRequested(d.model, d.picture, d.presetVersion ? 50 : 0);
        return;
    }
}

void TForm8::setPortPanel(const QString& text) {
    statusPanels_[0]->setText(text);
}

void TForm8::setModelPanel(int modelCode) {
    statusPanels_[1]->setText(QStringLiteral("Gsm: %1").arg(modelCode));
}

void TForm8::explainMissingAnswer() {
    if (rx_ > 0)
        return;
    const int lang = languageFromSetting(ctx_.read(QStringLiteral("Language")));
    // A device file that is missing or not ours to open is the port's fault,
    // not the module's (a name without a path is a Windows port: not checked).
    const QString device = ctx_.comport();
    const QFileInfo file(device);
    const bool portUsable =
        !QDir::isAbsolutePath(device) || (file.exists() && file.isReadable() && file.isWritable());
    searchHint_->setText(
        message(portUsable ? "discovery.no_answer" : "discovery.port_unusable", lang)
            .arg(statusPanels_[0]->text().isEmpty() ? device : statusPanels_[0]->text()));
    searchHint_->show();
}

void TForm8::setCounters(int tx, int rx, int bad) {
    tx_ = tx;
    rx_ = rx;
    if (rx > 0) {
        noAnswer_->stop();
        searchHint_->hide();
    }
    statusPanels_[2]->setText(QStringLiteral("TX: %1").arg(tx));
    statusPanels_[3]->setText(QStringLiteral("RX: %1").arg(rx));
    statusPanels_[4]->setText(QStringLiteral("BAD: %1").arg(bad));
}

QString TForm8::statusPanel(int i) const {
    return statusPanels_[i]->text();
}

void TForm8::startBlinking(int pictureIndex, bool blink) {
    pictureIndex_ = pictureIndex;
    if (blink && !vilogo_->isActive())
        vilogo_->start();
}

void TForm8::showTrekkaMode() {
    for (const char* name : {"Label2", "Label4", "Label5"})
        qobject_cast<QLabel*>(control(QString::fromLatin1(name)))
            ->setText(QStringLiteral("TREKKA/4800"));
}

void TForm8::keyPressEvent(QKeyEvent* e) {
    // Escape does not leave the search; only the exit button and the port
    // chooser do.
    if (e->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(e);
}

void TForm8::closeForDispatch() {
    closingForDispatch_ = true;
    close();
    closingForDispatch_ = false;
}

void TForm8::hideEvent(QHideEvent* e) {
    QDialog::hideEvent(e);
    // Hidden (closed by the dispatch or behind the configurator), the window
    // has nothing to animate; a flag half way through its blink is shown.
    vilogo_->stop();
    gaugeido_->stop();
    noAnswer_->stop();
    if (zido_->isActive())
        endFlagBlink();
}

void TForm8::closeEvent(QCloseEvent* e) {
    vilogo_->stop();
    gaugeido_->stop();
    QDialog::closeEvent(e);
    // Closing the search window by its title bar would otherwise leave the
    // program running with no window at all.
    if (!closingForDispatch_)
        emit programEndRequested();
}
