// The configurator window as each edition shows it, and the screen-size
// scaling of its first activation.
#include "workspace/configurator_window.h"

#include "settings/app_context.h"
#include "ui/widgets.h"
#include "workspace/installation_panel.h"
#include "workspace/pages/configurator_pages.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>
#include <cmath>
#include <functional>
#include <vector>

std::optional<double> TAV4Form1::screenScaleFactor(const QString& monitor) {
    if (monitor == QLatin1String("0"))
        return 1.0 / 2.0;
    if (monitor == QLatin1String("1"))
        return 2.0 / 3.0;
    if (monitor == QLatin1String("3"))
        return 4.0 / 3.0;
    if (monitor == QLatin1String("4"))
        return 5.0 / 3.0;
    return std::nullopt;
}

void TAV4Form1::applyScreenSize() {
    if (scalingDone_)
        return;
    scalingDone_ = true;
    QString monitor = ctx_.read(QStringLiteral("monitor"));
    if (monitor.isEmpty()) {
        ctx_.write(QStringLiteral("monitor"), QStringLiteral("2"));
        monitor = QStringLiteral("2");
    }
    const std::optional<double> factor = screenScaleFactor(monitor);
    if (!factor)
        return;
    const double f = *factor;
    auto scaled = [f](int v) { return static_cast<int>(std::lround(v * f)); };
    // Children without a font of their own follow the window's; those with
    // one (the company label) are scaled themselves.
    auto scaleFont = [f](QWidget* w) {
        QFont font = w->font();
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * f);
        else
            font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * f))));
        w->setFont(font);
    };
    const QList<QWidget*> children = findChildren<QWidget*>();
    for (QWidget* w : children) {
        if (w->testAttribute(Qt::WA_SetFont))
            scaleFont(w);
        // Fixed sizes (the installation panel's column, the help texts)
        // scale with the rest.
        if (w->minimumWidth() > 0)
            w->setMinimumWidth(scaled(w->minimumWidth()));
        if (w->minimumHeight() > 0)
            w->setMinimumHeight(scaled(w->minimumHeight()));
        if (w->maximumWidth() < QWIDGETSIZE_MAX)
            w->setMaximumWidth(scaled(w->maximumWidth()));
        if (w->maximumHeight() < QWIDGETSIZE_MAX)
            w->setMaximumHeight(scaled(w->maximumHeight()));
    }
    scaleFont(this);
    resize(scaled(width()), scaled(height()));
    move(5, 5);
}

namespace {
const QColor kEdition20HelpColour(174, 204, 248);

// The English help texts of edition 20: one below the buttons, six beside the
// pages where the other editions have the installation panel.
constexpr const char* kEdition20Help =
    "Read loads the settings of the connected module into the pages; Send writes the "
    "pages back to the module and sets its clock. Read first, change what you need, "
    "then send. Restart makes the module start again with what it holds.";

constexpr const char* kEdition20Notes[6] = {
    "Phone numbers: up to eight, in international form (+36...). An empty number is "
    "never called.",
    "Areas 1 to 3 are the module's inputs. Tick who gets an SMS and who gets a call "
    "when an area is triggered.",
    "Area texts are what the phone shows. Use plain letters: accents may not show on "
    "every phone.",
    "Life signal: a test SMS every few days at a set hour shows that the module is "
    "alive.",
    "The SMS security code (four characters) protects remote commands. Keep it where "
    "the owner can find it.",
    "After sending, the status bar says when the module has taken every setting. Keep "
    "the module powered meanwhile.",
};
} // namespace

namespace {
// Help texts read as part of the window: its colour behind the text too.
void helpColours(QWidget* w) {
    setBackground(w, kEdition20HelpColour);
    QPalette p = w->palette();
    p.setColor(QPalette::Base, kEdition20HelpColour);
    w->setPalette(p);
}
} // namespace

void TAV4Form1::arrangeForEdition20(QVBoxLayout* column, QBoxLayout* helpRow) {
    // The edition never shows the installation panel, the picture or the
    // company: without them the window can be as low as the edition wants.
    Panel16_->hide();
    Image1->hide();
    Label3D1->hide();
    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setPlainText(QString::fromLatin1(kEdition20Help));
    RichEdit1->setFixedSize(465, 90);
    helpColours(RichEdit1);
    helpRow->addWidget(RichEdit1);
    helpRow->addStretch(1);
    // Nothing else is left in the top row (no picture, no company): the
    // clock goes beside the help text and the pages get the height.
    helpRow->addWidget(Clock1, 0, Qt::AlignBottom);
    const int lineHeight = fontMetrics().lineSpacing();
    for (int i = 0; i < 6; ++i) {
        auto* memo = new QPlainTextEdit(QString::fromLatin1(kEdition20Notes[i]), this);
        memo->setObjectName(QStringLiteral("Memo%1").arg(i + 1));
        memo->setReadOnly(true);
        memo->setFrameShape(QFrame::NoFrame);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        memo->setFixedWidth(250);
        memo->setFixedHeight(4 * lineHeight + 10);
        helpColours(memo);
        column->addWidget(memo);
        Memo_[i] = memo;
    }
    // The buttons stand closer to the pages and the window is 110 pixels lower.
    resize(width(), height() - 110);
}

void TAV4Form1::applyEditionAdjustments() {
    const int brand = ctx_.brandCode;
    auto hide = [this](std::initializer_list<const char*> names) {
        for (const char* name : names)
            if (QAction* a = menuItem(name))
                a->setVisible(false);
    };
    auto hideControls = [this](std::initializer_list<const char*> names) {
        for (const char* name : names)
            if (QWidget* w = findChild<QWidget*>(QString::fromLatin1(name)))
                w->hide();
    };
    switch (brand) {
    case 10:
    case 30:
        hide({"Help1", "Lersok1"});
        Label3D1->setText(brand == 10 ? QStringLiteral("Olmira") : QStringLiteral("Belvance"));
        break;
    case 20:
        hide({"Help1", "Lersok1", "Verzi1", "Hibakeress1", "Adathvsellenrzs1", "SajtProfil1"});
        Label3D1->clear();
        Label3D1->hide();
        Panel16_->hide();
        Image1->hide();
        hideControls({"best11",      "best13",      "best14",      "best21",     "best23",
                      "best24",      "best31",      "best33",      "best34",     "best41",
                      "best43",      "best44",      "best91",      "Label11",    "Label31",
                      "Label32",     "Label33",     "Label42",     "ComboBox12", "Label57",
                      "CheckEgyeb3", "CheckEgyeb4", "CheckEgyeb5", "CheckEgyeb6"});
        for (const char* page : {"TabSheet10", "TabSheet15", "TabSheet16"})
            setPageVisible(QString::fromLatin1(page), false);
        // The edition's own starting values; once the pages hold a module's or
        // a file's settings they are the installer's and stay as they are.
        if (!holdsModuleData_)
            applyEdition20Values();
        break;
    case 40:
    case 41:
        hide({"SajtProfil1", "Help1"});
        break;
    case 50:
        hide({"Voicehvstest1", "Adathvsellenrzs1", "Help1", "SajtProfil1", "Lersok1"});
        menuItem("Contact1")->setVisible(true);
        Label3D1->hide();
        Label99->show();
        setPageVisible(QStringLiteral("TabSheet16"), false);
        hideControls({"Output2Group"});
        break;
    default:
        break;
    }
}

// The edition's starting values go into the fields the installer has not set;
// they count as the window's own, not as edits.
void TAV4Form1::applyEdition20Values() {
    const std::pair<const char*, const char*> texts[] = {
        {"riasztas", "Area #1"},  {"riasztas2", "Area #2"},           {"riasztas3", "Area #3"},
        {"riasztas4", "Area #4"}, {"riasztas9", "Area #3 or Tamper"},
    };
    std::vector<std::function<void()>> sets;
    auto untouched = [this](const char* name) {
        return !pages_->touched(QString::fromLatin1(name));
    };
    for (const auto& [name, text] : texts)
        if (auto* edit = findChild<QLineEdit*>(QString::fromLatin1(name)); edit && untouched(name))
            sets.push_back([edit, text] { edit->setText(QString::fromLatin1(text)); });
    for (const char* name : {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4", "ComboBox9"})
        if (auto* list = findChild<QComboBox*>(QString::fromLatin1(name)); list && untouched(name))
            sets.push_back([list] { list->setCurrentIndex(3); });
    for (const char* name : {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox9"})
        if (auto* box = findChild<QCheckBox*>(QString::fromLatin1(name)); box && untouched(name))
            sets.push_back([box] { box->setChecked(true); });
    if (auto* time = findChild<QSpinBox*>(QStringLiteral("SpinKI1")); time && untouched("SpinKI1"))
        sets.push_back([time] { time->setValue(1); });
    if (auto* redials = findChild<QSpinBox*>(QStringLiteral("SpinEdit5"));
        redials && untouched("SpinEdit5"))
        sets.push_back([redials] { redials->setValue(2); });
    pages_->applyAsFilled([&sets] {
        for (const auto& set : sets)
            set();
    });
}
