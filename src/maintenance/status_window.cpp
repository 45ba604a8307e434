#include "maintenance/status_window.h"

#include "engine/link_engine.h"
#include "i18n/messages.h"
#include "maintenance/maintenance_captions.h"
#include "settings/app_context.h"
#include "ui/widgets.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kLinkTicks = 3;
constexpr int kTallHeight = 620;
constexpr int kLedFlashMs = 150;
constexpr const char* kServiceCode = "5082613";

const QColor kRed(Qt::red);
const QColor kGreen(Qt::green);

const CaptionRow kCaptions[] = {
    {"", "Modul állapot", "Modul status", "Modul Status", "Status modula"},
    {"Label1", "Bemenet1:", "In1:", "In1:", "In1:"},
    {"Label2", "Bemenet2:", "In2:", "In2:", "In2:"},
    {"Label3", "Bemenet3:", "In3:", "In3:", "In3:"},
    {"Label4", "Bemenet4:", "In4:", "In4:", "In4:"},
    {"Label9", "Tamper:", "Tamper:", "Gehäuseschalter:", "Tamper:"},
    {"Label10", "Tápfesz:", "Power supply:", "Spannungsüberwachung:", "Napajanje:"},
    {"Label7", "Hibakód:", "Error code:", "Fehlercode:", "Napačna koda:"},
    {"Label8", "GSM Státusz:", "GSM Status:", "GSM Status:", "GSM Status:"},
    {"Label6", "Térerő", "Network power", "Empfangsstärke", "Moč omrežja"},
    {"Label11", "Hőmérséklet:", "Temperature:", "Temperatur:", "Temperatura:"},
    {"Label12", "Ki1:", "Output1:", "Ausgang1:", "Izhod1:"},
    {"Label13", "Ki2:", "Output2:", "Ausgang2:", "Izhod2:"},
    {"BitBtn3", "Kilépés", "Exit", "Beenden", "Izhod"},
};

QString gaugeColourName(StatusBlock::GaugeColour c) {
    switch (c) {
    case StatusBlock::GaugeColour::Red:
        return QStringLiteral("red");
    case StatusBlock::GaugeColour::Yellow:
        return QStringLiteral("yellow");
    case StatusBlock::GaugeColour::Blue:
        return QStringLiteral("blue");
    case StatusBlock::GaugeColour::Green:
        return QStringLiteral("green");
    case StatusBlock::GaugeColour::Lime:
        return QStringLiteral("lime");
    }
    return QStringLiteral("red");
}
} // namespace

TAV4Form2::TAV4Form2(LinkEngine& engine, AppContext& ctx, QWidget* parent)
    : QDialog(parent), engine_(engine), ctx_(ctx), subscription_(engine, this),
      Timer1(new QTimer(this)) {
    setObjectName(QStringLiteral("TAV4Form2"));
    setWindowTitle(QStringLiteral("Modul állapot"));
    auto* v = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    v->addLayout(grid);
    auto caption = [this](const char* name, const char* text) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    auto panel = [this](int n, const char* text) {
        auto* p = new QLabel(QString::fromUtf8(text), this);
        p->setObjectName(QStringLiteral("Panel%1").arg(n));
        p->setFrameShape(QFrame::Panel);
        p->setFrameShadow(QFrame::Raised);
        p->setMinimumSize(40, 20);
        p->setAlignment(Qt::AlignCenter);
        panels_[static_cast<size_t>(n)] = p;
        return p;
    };
    // Inputs, tamper, supply, arming and outputs: a caption and its lamp each.
    const struct {
        const char* label;
        const char* text;
        int panel;
        const char* panelText;
    } kLamps[] = {
        {"Label1", "Bemenet1:", 1, ""},  {"Label2", "Bemenet2:", 2, ""},
        {"Label3", "Bemenet3:", 3, ""},  {"Label4", "Bemenet4:", 4, ""},
        {"Label9", "Tamper:", 5, ""},    {"Label10", "Tápfesz:", 6, ""},
        {"Label14", "Élesítés:", 9, ""}, {"Label12", "Ki1:", 7, "Ki1"},
        {"Label13", "Ki2:", 8, "Ki2"},
    };
    int row = 0;
    for (const auto& l : kLamps) {
        QLabel* c = caption(l.label, l.text);
        QLabel* p = panel(l.panel, l.panelText);
        c->setBuddy(p);
        grid->addWidget(c, row, 0);
        grid->addWidget(p, row, 1);
        ++row;
    }
    auto edit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setReadOnly(true);
        e->setMinimumWidth(260);
        return e;
    };
    grid->addWidget(caption("Label6", "Térerő"), 0, 2);
    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setRange(0, 31);
    Gauge1->setValue(0);
    Gauge1->setFormat(QStringLiteral("%v"));
    Gauge1->setAlignment(Qt::AlignCenter);
    grid->addWidget(Gauge1, 0, 3);
    Edit1 = edit("Edit1");
    Edit2 = edit("Edit2");
    Edit3 = edit("Edit3");
    QLabel* l7 = caption("Label7", "Hibakód:");
    QLabel* l8 = caption("Label8", "GSM Státusz:");
    Label11 = caption("Label11", "Hőmérséklet:");
    l7->setBuddy(Edit1);
    l8->setBuddy(Edit2);
    Label11->setBuddy(Edit3);
    grid->addWidget(l7, 1, 2);
    grid->addWidget(Edit1, 1, 3);
    grid->addWidget(l8, 2, 2);
    grid->addWidget(Edit2, 2, 3);
    grid->addWidget(Label11, 3, 2);
    grid->addWidget(Edit3, 3, 3);
    Edit4 = edit("Edit4");
    Edit5 = edit("Edit5");
    Edit6 = edit("Edit6");
    Edit7 = edit("Edit7");
    const std::pair<const char*, const char*> kCid[] = {{"Label15", "Utolsó CID kód:"},
                                                        {"Label16", "Ügyfélkód:"},
                                                        {"Label17", "Part+Zóna:"},
                                                        {"Label18", "Eseménykód:"}};
    QLineEdit* cidEdits[] = {Edit4, Edit5, Edit6, Edit7};
    for (int i = 0; i < 4; ++i) {
        QLabel* c = caption(kCid[i].first, kCid[i].second);
        c->setBuddy(cidEdits[i]);
        contactIdCaptions_[static_cast<size_t>(i)] = c;
        grid->addWidget(c, 4 + i, 2);
        grid->addWidget(cidEdits[i], 4 + i, 3);
        c->hide();
        cidEdits[i]->hide();
    }
    grid->setColumnStretch(3, 1);
    v->addStretch(1);

    auto* buttons = new QHBoxLayout;
    TILed1 = new Led(this);
    TILed1->setObjectName(QStringLiteral("TILed1"));
    TILed1->setColor(Qt::darkGreen);
    buttons->addWidget(TILed1);
    buttons->addStretch(1);
    Button1 = new QPushButton(QStringLiteral("Tesztelés END"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->hide();
    BitBtn3 = new QPushButton(QStringLiteral("Kilépés"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    buttons->addWidget(Button1);
    buttons->addWidget(BitBtn3);
    v->addLayout(buttons);

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        statusPanels_[i] = new QLabel(this);
        statusPanels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        statusPanels_[i]->setFrameShape(QFrame::StyledPanel);
        statusPanels_[i]->setMinimumWidth(150);
        statusPanels_[i]->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        bar->addWidget(statusPanels_[i], i);
    }
    v->addWidget(bar);
    resize(620, 420);

    connect(BitBtn3, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button1, &QPushButton::clicked, this, &TAV4Form2::Button1Click);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    // The link state is shown only while the window is open.
    connect(Timer1, &QTimer::timeout, this, &TAV4Form2::Timer1Tick);
}

int TAV4Form2::language() const {
    return languageFromSetting(ctx_.read(QStringLiteral("Language")));
}

QString TAV4Form2::statusPanel(int i) const {
    return (i >= 0 && i < 2) ? statusPanels_[i]->text() : QString();
}

bool TAV4Form2::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && isVisible() && activated_)
        FormActivate();
    return QDialog::event(e);
}

void TAV4Form2::openWindow() {
    // Inputs are grey until the first block says what they are.
    for (int n = 1; n <= 4; ++n)
        setBackground(panels_[static_cast<size_t>(n)], palette().color(QPalette::Button));
    subscription_.setActive(true);
    applyCaptions(this, kCaptions, int(std::size(kCaptions)), language());
    Button1->setVisible(ctx_.read(QStringLiteral("mode")) == QLatin1String(kServiceCode));
    setWindowModality(Qt::ApplicationModal);
    activated_ = false;
    Timer1->start();
    show();
    raise();
    activateWindow();
    FormActivate();
    activated_ = true;
}

void TAV4Form2::FormActivate() {
    engine_.startStatusPoll();
    linkCounter_ = 0;
    setBackground(statusPanels_[1], kRed);
    if (!scaled_) {
        // Once per run: the screen-size setting.
        scaled_ = true;
        applyScreenScale(this, screenScale(ctx_.read(QStringLiteral("monitor"))));
    }
}

void TAV4Form2::Timer1Tick() {
    if (linkCounter_ > 0) {
        --linkCounter_;
        statusPanels_[1]->setText(QStringLiteral("COM OK"));
        setBackground(statusPanels_[1], palette().color(QPalette::Button));
    } else {
        statusPanels_[1]->setText(QStringLiteral("COM ERROR"));
        setBackground(statusPanels_[1], kRed);
    }
}

void TAV4Form2::statusBlockRead(std::span<const uint8_t> block) {
    linkCounter_ = kLinkTicks;
    TILed1->setColor(Qt::green);
    QTimer::singleShot(kLedFlashMs, this, [this] { TILed1->setColor(Qt::darkGreen); });
    showBlock(
        StatusBlock::decode(block, engine_.modelCode(), engine_.state().ModuleVersion, language()));
    emit statusShown(QByteArray(reinterpret_cast<const char*>(block.data()),
                                static_cast<qsizetype>(block.size())));
}

void TAV4Form2::setTemperatureHidden(bool hidden) {
    temperatureHidden_ = hidden;
    if (hidden) {
        Label11->hide();
        Edit3->hide();
    }
}

void TAV4Form2::showBlock(const StatusBlock::Display& d) {
    const QColor grey = palette().color(QPalette::Button);
    auto paint = [&](int n, StatusBlock::Lamp lamp) {
        QLabel* p = panels_[static_cast<size_t>(n)];
        setBackground(p, lamp == StatusBlock::Lamp::Set     ? kRed
                         : lamp == StatusBlock::Lamp::Clear ? kGreen
                                                            : grey);
        p->setProperty("lamp", int(lamp));
    };
    for (int i = 0; i < 4; ++i)
        paint(i + 1, d.inputs[static_cast<size_t>(i)]);
    paint(5, d.tamper);
    paint(6, d.supply);
    paint(7, d.output1);
    paint(8, d.output2);
    paint(9, d.arming);
    if (d.output1Active)
        emit output1Active();
    Gauge1->setValue(std::clamp(d.signal, 0, 31));
    Gauge1->setProperty("colour", gaugeColourName(d.signalColour));
    Gauge1->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: %1; }")
                              .arg(gaugeColourName(d.signalColour)));
    Edit1->setText(d.errorText);
    Edit2->setText(d.networkText);
    if (!d.clockText.isEmpty())
        statusPanels_[0]->setText(d.clockText);
    const bool temperature = d.temperature.has_value() && !temperatureHidden_;
    Label11->setVisible(temperature);
    Edit3->setVisible(temperature);
    if (temperature)
        Edit3->setText(QString::number(*d.temperature));
    QLineEdit* cid[] = {Edit4, Edit5, Edit6, Edit7};
    for (int i = 0; i < 4; ++i) {
        cid[i]->setVisible(d.contactIdShown);
        contactIdCaptions_[static_cast<size_t>(i)]->setVisible(d.contactIdShown);
    }
    if (d.contactIdShown) {
        if (height() < kTallHeight)
            resize(width(), kTallHeight);
        Edit4->setText(d.lastContactId);
        Edit5->setText(d.account);
        Edit6->setText(d.partitionZone);
        Edit7->setText(d.eventCode);
    }
}

void TAV4Form2::Button1Click() {
    emit testEndPressed();
    engine_.startTestEnd();
}

void TAV4Form2::testEndAcknowledged() {
    // The next tick of the link state writes over it.
    statusPanels_[1]->setText(message("status.reg_ok", language()));
}

void TAV4Form2::done(int result) {
    const int32_t c = engine_.state().LinkCommand;
    if (c == LinkCode::kStatusPoll || c == LinkCode::kTestEnd)
        engine_.stopCommand();
    subscription_.setActive(false);
    Timer1->stop();
    QDialog::done(result);
}
