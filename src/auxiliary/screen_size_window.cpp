#include "auxiliary/screen_size_window.h"

#include "settings/app_context.h"
#include "ui/widgets.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
// Item i is the settings value "i".
constexpr const char* kItems[] = {"600*480", "800 X 600", "1024*768", "1280*1024", "1600*1280"};
} // namespace

TAV4Form7::TAV4Form7(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), items_(new QButtonGroup(this)) {
    setObjectName(QStringLiteral("TAV4Form7"));
    setWindowTitle(QStringLiteral("Képernyő felbontás beállítása"));
    setModal(true);
    showMessage = [this](const QString& text) { ::showMessage(this, text); };
    auto* column = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Képernyőfelbontás"), this);
    group->setObjectName(QStringLiteral("RadioGroup1"));
    auto* groupColumn = new QVBoxLayout(group);
    for (int i = 0; i < 5; ++i) {
        auto* b = new QRadioButton(QString::fromLatin1(kItems[i]), group);
        b->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
        items_->addButton(b, i);
        groupColumn->addWidget(b);
    }
    column->addWidget(group);
    Label1 = new QLabel(QStringLiteral("a modósításokhoz újrainditás szükséges"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setVisible(ctx_.brandCode == 50);
    column->addWidget(Label1);
    auto* ok = new QPushButton(QStringLiteral("Rendben"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    connect(ok, &QPushButton::clicked, this, &TAV4Form7::RendbenClick);
    column->addWidget(ok, 0, Qt::AlignRight);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QRadioButton* TAV4Form7::item(int i) const {
    return qobject_cast<QRadioButton*>(items_->button(i));
}

int TAV4Form7::selectedItem() const {
    return items_->checkedId();
}

void TAV4Form7::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    activate();
}

void TAV4Form7::activate() {
    QString value = ctx_.read(QStringLiteral("monitor"));
    if (value.isEmpty()) {
        ctx_.write(QStringLiteral("monitor"), QStringLiteral("1"));
        value = QStringLiteral("1");
    }
    bool ok = false;
    const int index = value.toInt(&ok);
    if (!ok) {
        showMessage(QStringLiteral("'%1' is not a valid integer value").arg(value));
        return;
    }
    // A number outside the items leaves none chosen.
    items_->setExclusive(false);
    for (QAbstractButton* b : items_->buttons())
        b->setChecked(false);
    items_->setExclusive(true);
    if (QRadioButton* b = item(index))
        b->setChecked(true);
}

void TAV4Form7::RendbenClick() {
    // With no item chosen there is nothing to store; the value stays as it was.
    const int index = selectedItem();
    if (index >= 0)
        ctx_.write(QStringLiteral("monitor"), QString::number(index));
    if (ctx_.brandCode != 50)
        showMessage(QStringLiteral("Restart program..."));
    accept();
}
