#include "workspace/pages/reporting_pages.h"

#include "image/field_table.h"

#include "image/file_access.h"
#include "ui/widgets.h"
#include "workspace/contact_id_tables.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QSpinBox* spin(const QString& name, ValueRange range, QWidget* parent) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(range.min, range.max);
    s->setMaximumWidth(s->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 12);
    return s;
}

QComboBox* combo(const QString& name, const QStringList& items, QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->addItems(items);
    c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    c->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return c;
}

QCheckBox* checkBox(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QCheckBox(text, parent);
    b->setObjectName(name);
    return b;
}

// A Contact ID code field: the characters a DigitCode can hold ('x' is what a
// stored byte outside the alphabet shows as), upper case, `length` at most.
QLineEdit* digitCodeEdit(const QString& name, int length, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(length);
    e->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f?xX]{0,%1}").arg(length)), e));
    QObject::connect(e, &QLineEdit::textEdited, e, [e](const QString& t) {
        const int pos = e->cursorPosition();
        e->setText(t.toUpper().replace(u'X', u'x'));
        e->setCursorPosition(pos);
    });
    e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("W")) * (length + 2));
    return e;
}

QLineEdit* plainEdit(const QString& name, int length, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(length);
    return e;
}

TargetList targetsFromByte(int byte) {
    TargetList t{};
    for (int i = 0; i < 8; ++i)
        t[static_cast<size_t>(i)] = ContactIdTables::targetTicked(byte, i + 1);
    return t;
}

int byteFromTargets(const TargetList& t) {
    int byte = 0;
    for (int i = 0; i < 8; ++i)
        byte = ContactIdTables::withTarget(byte, i + 1, t[static_cast<size_t>(i)]);
    return byte;
}

} // namespace

// ---------------------------------------------------------------- "Távfelügyelet"

RemoteMonitoringPage::RemoteMonitoringPage(QWidget* sheet) : ConfigPage(sheet) {
    auto* outer = new QVBoxLayout(sheet);
    auto* top = new QHBoxLayout;
    outer->addLayout(top);

    auto* codes = new QGroupBox(sheet);
    codes->setObjectName(QStringLiteral("CidGroup"));
    auto* grid = new QGridLayout(codes);
    CIDUGYFEL = digitCodeEdit(QStringLiteral("CIDUGYFEL"), 4, codes);
    grid->addWidget(
        buddyLabel(QStringLiteral("AccountLabel"), QStringLiteral("Ügyfélkód:"), CIDUGYFEL, codes),
        0, 0);
    grid->addWidget(CIDUGYFEL, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("CID"), codes), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("ZONA"), codes), 1, 2);
    struct RowSpec {
        const char* caption;
        const char* code;
        const char* zone;
    };
    static const RowSpec specs[] = {
        {"Be1:", "CIDbe1", "ZONAbe1"},          {"Be2:", "CIDbe2", "ZONAbe2"},
        {"Be3:", "CIDbe3", "ZONAbe3"},          {"Be4:", "CIDbe4", "ZONAbe4"},
        {"Tamper:", "CIDtamper", "ZONAtamper"}, {"Táp:", "CIDtap", "ZONAtap"},
    };
    for (int i = 0; i < 6; ++i) {
        const RowSpec& s = specs[i];
        CodeRow& r = rows_[static_cast<size_t>(i)];
        r.code = digitCodeEdit(QString::fromLatin1(s.code), 3, codes);
        r.zone = digitCodeEdit(QString::fromLatin1(s.zone), 3, codes);
        grid->addWidget(buddyLabel(QStringLiteral("CidLabel%1").arg(i + 1),
                                   QString::fromUtf8(s.caption), r.code, codes),
                        i + 2, 0);
        grid->addWidget(r.code, i + 2, 1);
        grid->addWidget(r.zone, i + 2, 2);
    }
    CIDelet = digitCodeEdit(QStringLiteral("CIDelet"), 3, codes);
    auto* lifeLabel =
        buddyLabel(QStringLiteral("CidLabel7"), QStringLiteral("Életjel:"), CIDelet, codes);
    grid->addWidget(lifeLabel, 8, 0);
    grid->addWidget(CIDelet, 8, 1);
    grid->setColumnStretch(3, 1);
    top->addWidget(codes, 1);

    auto* right = new QVBoxLayout;
    top->addLayout(right, 1);
    auto* receivers = new QGroupBox(sheet);
    receivers->setObjectName(QStringLiteral("ReceiverGroup"));
    auto* rf = new QFormLayout(receivers);
    TAV1 = plainEdit(QStringLiteral("TAV1"), 16, receivers);
    TAV2 = plainEdit(QStringLiteral("TAV2"), 16, receivers);
    rf->addRow(
        buddyLabel(QStringLiteral("TavLabel1"), QStringLiteral("Telefonszám 1."), TAV1, receivers),
        TAV1);
    rf->addRow(
        buddyLabel(QStringLiteral("TavLabel2"), QStringLiteral("Telefonszám 2."), TAV2, receivers),
        TAV2);
    right->addWidget(receivers);

    auto* life = new QGroupBox(sheet);
    life->setObjectName(QStringLiteral("LifeSignalCidGroup"));
    auto* lf = new QFormLayout(life);
    ELETcid = checkBox(QStringLiteral("ELETcid"), QStringLiteral("Életjel"), life);
    lf->addRow(ELETcid);
    SpinEdit17 = spin(QStringLiteral("SpinEdit17"), kLifeSignalCycleRange, life);
    auto* cycleLabel = buddyLabel(QStringLiteral("CycleLabel"),
                                  QStringLiteral("Életjel ciklus: [perc]"), SpinEdit17, life);
    lf->addRow(cycleLabel, SpinEdit17);
    right->addWidget(life);
    lifeSignalControls_ = {lifeLabel, CIDelet, ELETcid, SpinEdit17, cycleLabel};
    codeGroups_ = {codes, receivers};

    auto* levels = new QGroupBox(sheet);
    levels->setObjectName(QStringLiteral("LevelGroup"));
    auto* lv = new QFormLayout(levels);
    ComboBox17 =
        combo(QStringLiteral("ComboBox17"), FieldTable::itemTexts(FieldTable::txLevels()), levels);
    ComboBox16 =
        combo(QStringLiteral("ComboBox16"), FieldTable::itemTexts(FieldTable::rxLevels()), levels);
    lv->addRow(
        buddyLabel(QStringLiteral("TxLabel"), QStringLiteral("Jelszint TX:"), ComboBox17, levels),
        ComboBox17);
    lv->addRow(
        buddyLabel(QStringLiteral("RxLabel"), QStringLiteral("Jelszint RX:"), ComboBox16, levels),
        ComboBox16);
    right->addWidget(levels);
    right->addStretch(1);
    outer->addStretch(1);
    for (QComboBox* c : {ComboBox17, ComboBox16})
        connect(c, &QComboBox::currentIndexChanged, this, &RemoteMonitoringPage::levelChanged);
    fields_.emplace(sheet);
    fill(defaultImageValues()); // the field table's defaults
}

void RemoteMonitoringPage::setLifeSignalVisible(bool visible) {
    for (QWidget* w : lifeSignalControls_)
        w->setVisible(visible);
}

void RemoteMonitoringPage::setCodesStored(bool stored) {
    for (QWidget* w : codeGroups_)
        w->setVisible(stored);
}

void RemoteMonitoringPage::read(ImageValues& values) const {
    fields_->read(values);
}

void RemoteMonitoringPage::fill(const ImageValues& values) {
    fields_->fill(values);
    // A stored level the list cannot show leaves it without selection.
    const RemoteMonitoringValues& v = values.remoteMonitoring;
    if (!v.txLevel)
        ComboBox17->setCurrentIndex(-1);
    if (!v.rxLevel)
        ComboBox16->setCurrentIndex(-1);
}

// ---------------------------------------------------------------- "GPRS"

GprsPage::GprsPage(QWidget* sheet) : ConfigPage(sheet) {
    auto* outer = new QVBoxLayout(sheet);
    auto* group = new QGroupBox(sheet);
    group->setObjectName(QStringLiteral("GprsGroup"));
    auto* form = new QFormLayout(group);
    SpinEdit10 = spin(QStringLiteral("SpinEdit10"), kTestPeriodRange, group);
    form->addRow(buddyLabel(QStringLiteral("TestPeriodLabel"),
                            QStringLiteral("Test jelentés iideje [sec]"), SpinEdit10, group),
                 SpinEdit10);
    ComboBox14 = combo(QStringLiteral("ComboBox14"),
                       {QStringLiteral("Kikapcsolva"), QStringLiteral("Varonet APN"),
                        QStringLiteral("Egyéni APN")},
                       group);
    form->addRow(
        buddyLabel(QStringLiteral("ApnChoiceLabel"), QStringLiteral("GPRS:"), ComboBox14, group),
        ComboBox14);
    Edit10 = moduleTextEdit(QStringLiteral("Edit10"), kAccessPointLength, group);
    Edit11 = moduleTextEdit(QStringLiteral("Edit11"), kServerLength, group);
    auto* apnLabel = buddyLabel(QStringLiteral("ApnLabel"), QStringLiteral("APN"), Edit10, group);
    auto* serverLabel =
        buddyLabel(QStringLiteral("ServerLabel"), QStringLiteral("Server IP"), Edit11, group);
    form->addRow(apnLabel, Edit10);
    form->addRow(serverLabel, Edit11);
    textControls_ = {apnLabel, Edit10, serverLabel, Edit11};
    outer->addWidget(group);
    outer->addStretch(1);
    showTexts(false);
    setVaronetPreset(varonet_, QStringLiteral("nincs beállítva"));
    connect(ComboBox14, &QComboBox::activated, this,
            [this](int index) { choose(static_cast<ApnChoice>(index)); });
    fields_.emplace(sheet);
    fill(defaultImageValues()); // the field table's defaults
}

void GprsPage::showTexts(bool shown) {
    for (QWidget* w : textControls_)
        w->setVisible(shown);
}

// "Varonet APN" fills in the service's access point and server; "Kikapcsolva"
// empties both. "Egyéni APN" shows the two fields so the installer can type the
// operator's own access point and server, starting from what they hold.
void GprsPage::choose(ApnChoice choice) {
    // The service's pair is not known to the tool until it is configured:
    // nothing is filled in from an empty one.
    if (choice == ApnChoice::Varonet && !varonet_.usable())
        return;
    ComboBox14->setCurrentIndex(static_cast<int>(choice));
    switch (choice) {
    case ApnChoice::Off:
        Edit10->clear();
        Edit11->clear();
        break;
    case ApnChoice::Varonet:
        Edit10->setText(varonet_.first);
        Edit11->setText(varonet_.second);
        break;
    case ApnChoice::Custom:
        break;
    }
    showTexts(choice == ApnChoice::Custom);
}

void GprsPage::setVaronetPreset(const Presets::ServerPair& preset, const QString& notConfigured) {
    varonet_ = preset;
    auto* model = qobject_cast<QStandardItemModel*>(ComboBox14->model());
    QStandardItem* item = model ? model->item(static_cast<int>(ApnChoice::Varonet)) : nullptr;
    if (!item)
        return;
    const QString caption = QStringLiteral("Varonet APN");
    item->setEnabled(preset.usable());
    item->setText(preset.usable()
                      ? caption
                      : caption + QStringLiteral(" (") + notConfigured + QStringLiteral(")"));
    item->setToolTip(preset.usable() ? QString() : preset.missing.join(QStringLiteral(", ")));
    // The choice shown follows the texts, which did not change.
    if (ComboBox14->currentIndex() != static_cast<int>(ApnChoice::Custom)) {
        const bool held = !(Edit10->text().isEmpty() && Edit11->text().isEmpty());
        ApnChoice shown = !held            ? ApnChoice::Off
                          : holdsVaronet() ? ApnChoice::Varonet
                                           : ApnChoice::Custom;
        ComboBox14->setCurrentIndex(static_cast<int>(shown));
        showTexts(shown == ApnChoice::Custom);
    }
}

bool GprsPage::holdsVaronet() const {
    return varonet_.usable() && Edit10->text() == varonet_.first &&
           Edit11->text() == varonet_.second;
}

void GprsPage::read(ImageValues& values) const {
    fields_->read(values);
}

void GprsPage::fill(const ImageValues& values) {
    fields_->fill(values);
    // A module that holds its own access point shows it as "Egyéni APN", so the
    // installer sees what is stored.
    const bool held = !(Edit10->text().isEmpty() && Edit11->text().isEmpty());
    const ApnChoice choice = !held            ? ApnChoice::Off
                             : holdsVaronet() ? ApnChoice::Varonet
                                              : ApnChoice::Custom;
    ComboBox14->setCurrentIndex(static_cast<int>(choice));
    showTexts(choice == ApnChoice::Custom);
}

// ---------------------------------------------------------------- "CID/SMS"

CidSmsPage::CidSmsPage(QWidget* sheet) : ConfigPage(sheet) {
    using namespace ContactIdTables;
    auto* outer = new QHBoxLayout(sheet);

    auto makeGrid = [sheet](const QString& name, int rows) {
        auto* g = new QTableWidget(rows, 2, sheet);
        g->setObjectName(name);
        g->setHorizontalHeaderLabels({QStringLiteral("Kód"), QStringLiteral("Név")});
        g->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
        g->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
        g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 6);
        g->setContextMenuPolicy(Qt::CustomContextMenu);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < 2; ++c)
                g->setItem(r, c, new QTableWidgetItem);
        return g;
    };

    auto* left = new QVBoxLayout;
    StringGrid2 = makeGrid(QStringLiteral("StringGrid2"), kPartitionRows);
    left->addWidget(buddyLabel(QStringLiteral("PartitionGridLabel"),
                               QStringLiteral("Partició elnevezések"), StringGrid2, sheet));
    left->addWidget(StringGrid2, 1);
    outer->addLayout(left, 4);

    auto* middle = new QVBoxLayout;
    StringGrid3 = makeGrid(QStringLiteral("StringGrid3"), kCodeRows);
    middle->addWidget(buddyLabel(QStringLiteral("CodeGridLabel"),
                                 QStringLiteral("ContactID kódok elnevezései"), StringGrid3,
                                 sheet));
    middle->addWidget(StringGrid3, 1);
    outer->addLayout(middle, 4);

    auto* right = new QVBoxLayout;
    SMSst7 = new TargetCheckList(QStringLiteral("SMSst7"), sheet);
    auto* targetsLabel =
        buddyLabel(QStringLiteral("CodeTargetsLabel"),
                   QStringLiteral("Jelölje ki mely számokra kíván SMS-t küldeni"), SMSst7, sheet);
    targetsLabel->setWordWrap(true);
    right->addWidget(targetsLabel);
    right->addWidget(SMSst7);
    // Ticks belong to a code row: until one is chosen there is nowhere to keep them.
    SMSst7->setEnabled(false);
    Label87 = new QLabel(QStringLiteral("???"), sheet);
    Label87->setObjectName(QStringLiteral("Label87"));
    Label87->setTextFormat(Qt::PlainText);
    Label87->setWordWrap(true);
    right->addWidget(Label87);
    right->addStretch(1);
    outer->addLayout(right, 2);

    PopupMenu3 = new QMenu(StringGrid2);
    PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
    PopupMenu3->addAction(QStringLiteral("Sablon Betöltése"), this,
                          &CidSmsPage::loadPartitionTemplate);
    PopupMenu2 = new QMenu(StringGrid3);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PopupMenu2->addAction(QStringLiteral("Alap ContactID kódok betöltése"), this,
                          &CidSmsPage::loadDefaultContactIdCodes);
    connect(StringGrid2, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        PopupMenu3->popup(StringGrid2->viewport()->mapToGlobal(p));
    });
    connect(StringGrid3, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        PopupMenu2->popup(StringGrid3->viewport()->mapToGlobal(p));
    });

    for (QTableWidget* g : {StringGrid2, StringGrid3})
        connect(g, &QTableWidget::cellChanged, this,
                [this, g](int row, int column) { cellChanged(g, row, column); });
    connect(StringGrid3, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { selectCodeRow(row + 1); });
    connect(SMSst7, &TargetCheckList::targetsChanged, this, &CidSmsPage::targetsEdited);
}

QString CidSmsPage::cell(const QTableWidget* grid, int row, int column) const {
    const QTableWidgetItem* item = grid->item(row - 1, column);
    return item ? item->text() : QString();
}

void CidSmsPage::setCell(QTableWidget* grid, int row, int column, const QString& text) {
    applyingRule_ = true;
    grid->item(row - 1, column)->setText(text);
    applyingRule_ = false;
}

// The input rules run on every change of a cell, so a code or a name never
// grows beyond its limit.
void CidSmsPage::cellChanged(QTableWidget* grid, int row, int column) {
    if (applyingRule_)
        return;
    using namespace ContactIdTables;
    const int k = row + 1;
    const QString typed = cell(grid, k, column);
    QString kept;
    if (column == 1)
        kept = nameInput(typed);
    else
        kept = grid == StringGrid2 ? partitionCodeInput(typed) : eventCodeInput(typed);
    if (kept != typed)
        setCell(grid, k, column, kept);
    if (grid == StringGrid2) {
        partitionGiven_[static_cast<size_t>(row)] = true;
    } else {
        codeGiven_[static_cast<size_t>(row)] = true;
        if (k == selectedRow_)
            Label87->setText(cell(StringGrid3, k, 1));
    }
}

void CidSmsPage::selectCodeRow(int row) {
    if (row < 1 || row > ContactIdTables::kCodeRows)
        return;
    selectedRow_ = row;
    SMSst7->setEnabled(true);
    SMSst7->setTargets(targetsFromByte(targets_[static_cast<size_t>(row - 1)]));
    Label87->setText(cell(StringGrid3, row, 1));
}

void CidSmsPage::targetsEdited() {
    if (selectedRow_ < 1)
        return;
    targets_[static_cast<size_t>(selectedRow_ - 1)] = byteFromTargets(SMSst7->targets());
    codeGiven_[static_cast<size_t>(selectedRow_ - 1)] = true;
}

void CidSmsPage::loadPartitionTemplate() {
    const QList<ContactIdTables::Entry>& t = ContactIdTables::partitionTemplate();
    for (int k = 1; k <= t.size(); ++k) {
        setCell(StringGrid2, k, 0, t[k - 1].code);
        setCell(StringGrid2, k, 1, t[k - 1].name);
        partitionGiven_[static_cast<size_t>(k - 1)] = true;
    }
}

void CidSmsPage::loadDefaultContactIdCodes() {
    // Rows 1..100 only; the rows beyond and every row's SMS targets stay.
    const QList<ContactIdTables::Entry>& d = ContactIdTables::defaultContactIdCodes();
    for (int k = 1; k <= d.size(); ++k) {
        setCell(StringGrid3, k, 0, d[k - 1].code);
        setCell(StringGrid3, k, 1, d[k - 1].name);
        codeGiven_[static_cast<size_t>(k - 1)] = true;
    }
    if (selectedRow_ >= 1)
        Label87->setText(cell(StringGrid3, selectedRow_, 1));
}

void CidSmsPage::fillPhoneLists(const PhoneTexts& phones, int) {
    fillTargetList(SMSst7, phones, false);
}

void CidSmsPage::read(ImageValues& values) const {
    CodeRecordValues& v = values.codeRecords;
    for (int k = 1; k <= ContactIdTables::kPartitionRows; ++k) {
        auto& row = v.partitions[static_cast<size_t>(k - 1)];
        if (partitionGiven_[static_cast<size_t>(k - 1)])
            row = PartitionRow{cell(StringGrid2, k, 0), cell(StringGrid2, k, 1)};
        else
            row.reset();
    }
    for (int k = 1; k <= kCodeRecordRows; ++k) {
        auto& row = v.codes[static_cast<size_t>(k - 1)];
        if (k > ContactIdTables::kCodeRows) {
            row = unseenRows_[static_cast<size_t>(k - 1 - ContactIdTables::kCodeRows)];
            continue;
        }
        if (!codeGiven_[static_cast<size_t>(k - 1)]) {
            row.reset();
            continue;
        }
        row = ContactIdCodeRow{cell(StringGrid3, k, 0), cell(StringGrid3, k, 1),
                               targetsFromByte(targets_[static_cast<size_t>(k - 1)])};
    }
}

void CidSmsPage::fill(const ImageValues& values) {
    const CodeRecordValues& v = values.codeRecords;
    for (int k = 1; k <= ContactIdTables::kPartitionRows; ++k) {
        const auto& row = v.partitions[static_cast<size_t>(k - 1)];
        if (!row)
            continue;
        setCell(StringGrid2, k, 0, row->code);
        setCell(StringGrid2, k, 1, row->name);
        partitionGiven_[static_cast<size_t>(k - 1)] = true;
    }
    for (int k = 1; k <= kCodeRecordRows; ++k) {
        const auto& row = v.codes[static_cast<size_t>(k - 1)];
        if (!row)
            continue;
        if (k > ContactIdTables::kCodeRows) {
            unseenRows_[static_cast<size_t>(k - 1 - ContactIdTables::kCodeRows)] = row;
            continue;
        }
        setCell(StringGrid3, k, 0, row->code);
        setCell(StringGrid3, k, 1, row->name);
        targets_[static_cast<size_t>(k - 1)] = byteFromTargets(row->sms);
        codeGiven_[static_cast<size_t>(k - 1)] = true;
    }
    if (selectedRow_ >= 1)
        selectCodeRow(selectedRow_);
}

// ---------------------------------------------------------------- "Nyitás/Zárás"

OpenClosePage::OpenClosePage(QWidget* sheet) : ConfigPage(sheet) {
    auto* outer = new QVBoxLayout(sheet);
    auto* lists = new QHBoxLayout;
    outer->addLayout(lists);
    auto makeList = [&](const QString& name, const QString& labelName, const QString& caption) {
        auto* box = new QVBoxLayout;
        auto* list = new TargetCheckList(name, sheet);
        for (int i = 0; i < 8; ++i)
            list->setItem(i, QStringLiteral("Szám %1.").arg(i + 1), true);
        auto* label = buddyLabel(labelName, caption, list, sheet);
        label->setWordWrap(true);
        box->addWidget(label);
        box->addWidget(list);
        lists->addLayout(box);
        return list;
    };
    SMSst16 = makeList(QStringLiteral("SMSst16"), QStringLiteral("OpeningTargetsLabel"),
                       QStringLiteral("Jelölje ki mely számokra kíván SMS-t küldeni nyitáskor"));
    SMSst17 = makeList(QStringLiteral("SMSst17"), QStringLiteral("ClosingTargetsLabel"),
                       QStringLiteral("Jelölje ki mely számokra kíván SMS-t küldeni záráskor"));
    auto* texts = new QGroupBox(sheet);
    texts->setObjectName(QStringLiteral("OpenCloseTextGroup"));
    auto* form = new QFormLayout(texts);
    Edit17 = moduleTextEdit(QStringLiteral("Edit17"), kSmsTextSize, texts);
    Edit18 = moduleTextEdit(QStringLiteral("Edit18"), kSmsTextSize, texts);
    form->addRow(buddyLabel(QStringLiteral("OpeningTextLabel"),
                            QStringLiteral("SMS szöveg (nyitáskor):"), Edit17, texts),
                 Edit17);
    form->addRow(buddyLabel(QStringLiteral("ClosingTextLabel"),
                            QStringLiteral("SMS szöveg (záráskor):"), Edit18, texts),
                 Edit18);
    outer->addWidget(texts);
    outer->addStretch(1);
    fields_.emplace(sheet);
    fill(defaultImageValues()); // the field table's defaults
}

void OpenClosePage::setModelCode(int modelCode) {
    modelCode_ = modelCode;
    // The opening text's bytes hold ModelCode 100's SMS header; the field
    // would change nothing there.
    const bool own = modelCode != 100;
    Edit17->setEnabled(own);
    Edit17->setToolTip(own ? QString()
                           : QStringLiteral("Ennél a modellnél a nyitás szövege helyén az SMS "
                                            "fejléc áll (Egyéb lap)."));
}

void OpenClosePage::fillPhoneLists(const PhoneTexts& phones, int) {
    fillTargetList(SMSst16, phones, false);
    fillTargetList(SMSst17, phones, false);
}

QList<QLineEdit*> OpenClosePage::smsTexts() const {
    return {Edit17, Edit18};
}

void OpenClosePage::read(ImageValues& values) const {
    fields_->read(values);
    // ModelCode 100 keeps other bytes where the opening text would be.
    if (modelCode_ == 100)
        values.openClose.openingText.reset();
}

void OpenClosePage::fill(const ImageValues& values) {
    fields_->fill(values);
}

// ---------------------------------------------------------------- "Hangok"

SoundFilesPage::SoundFilesPage(QWidget* sheet) : ConfigPage(sheet) {
    auto* outer = new QVBoxLayout(sheet);
    auto* group = new QGroupBox(sheet);
    group->setObjectName(QStringLiteral("SoundGroup"));
    auto* grid = new QGridLayout(group);
    static const char* names[] = {"Edit9", "Edit13", "Edit14", "Edit15"};
    for (int i = 0; i < 4; ++i) {
        auto* edit = new QLineEdit(group);
        edit->setObjectName(QString::fromLatin1(names[i]));
        edit->setReadOnly(true);
        edit->setPlaceholderText(QStringLiteral("…"));
        edit->installEventFilter(this);
        files_[static_cast<size_t>(i)] = edit;
        auto* browse = new QPushButton(QStringLiteral("…"), group);
        browse->setObjectName(QStringLiteral("SoundBrowse%1").arg(i + 1));
        browse->setAccessibleName(QStringLiteral("Hangfile választása, bemenet %1").arg(i + 1));
        connect(browse, &QPushButton::clicked, this, [this, i] { pickFile(i); });
        auto* upload = new QPushButton(QStringLiteral("Feltöltés"), group);
        upload->setObjectName(QStringLiteral("Button%1").arg(i + 8));
        upload->setAccessibleName(QStringLiteral("Feltöltés, bemenet %1").arg(i + 1));
        connect(upload, &QPushButton::clicked, this, [this, i] { emit uploadRequested(i); });
        grid->addWidget(buddyLabel(QStringLiteral("SoundLabel%1").arg(i + 1),
                                   QStringLiteral("Bemenet %1:").arg(i + 1), edit, group),
                        i, 0);
        grid->addWidget(edit, i, 1);
        grid->addWidget(browse, i, 2);
        grid->addWidget(upload, i, 3);
    }
    grid->setColumnStretch(1, 1);
    auto* help = new QLabel(QStringLiteral("Hangfile formátuma: 8Khz, 8bit, mono, PCM"), group);
    help->setObjectName(QStringLiteral("SoundHelp"));
    grid->addWidget(help, 4, 0, 1, 4);
    Gauge1 = new QProgressBar(group);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->hide();
    grid->addWidget(Gauge1, 5, 0, 1, 4);
    outer->addWidget(group);
    outer->addStretch(1);

    chooseFile = [sheet] {
        return QFileDialog::getOpenFileName(sheet, QString(), QString(),
                                            QStringLiteral("Voice Files (*.wav);;All Files (*)"));
    };
    message = [sheet](const QString& text) { showMessage(sheet, text); };
}

bool SoundFilesPage::hasDataTag(const QByteArray& head) {
    return head.left(256).contains("data");
}

void SoundFilesPage::pickFile(int index) {
    const QString path = chooseFile ? chooseFile() : QString();
    if (path.isEmpty())
        return;
    // Only a regular file is looked at: a pipe would block, a device never end.
    const FileAccess::ReadResult head = FileAccess::readAtMost(path, 256);
    if (head.error) {
        // The field keeps what it held.
        message(FileAccess::errorText(head.error));
        return;
    }
    QLineEdit* field = files_[static_cast<size_t>(index)];
    // A file shorter than 256 bytes is checked on what it has.
    if (!hasDataTag(head.bytes)) {
        message(QStringLiteral("Rossz formátum"));
        field->clear();
        return;
    }
    field->setText(path);
}

// A click in a field chooses its file, as the browse button does.
bool SoundFilesPage::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonRelease)
        for (int i = 0; i < 4; ++i)
            if (watched == files_[static_cast<size_t>(i)]) {
                pickFile(i);
                return true;
            }
    return ConfigPage::eventFilter(watched, e);
}

QString SoundFilesPage::file(int index) const {
    return files_[static_cast<size_t>(index)]->text();
}

// ---------------------------------------------------------------- boxes on other pages

CallerIdBox::CallerIdBox(QGroupBox* group) : ConfigPage(group) {
    auto* layout = new QVBoxLayout(group);
    CheckEgyeb2_1 = checkBox(QStringLiteral("CheckEgyeb2_1"),
                             QStringLiteral("Bejövő hívás felvétele (azonosított)"), group);
    layout->addWidget(CheckEgyeb2_1);
    fields_.emplace(group);
}

void CallerIdBox::read(ImageValues& values) const {
    fields_->read(values);
}

void CallerIdBox::fill(const ImageValues& values) {
    fields_->fill(values);
}

PstnGainBox::PstnGainBox(QGroupBox* group) : ConfigPage(group) {
    group->setObjectName(QStringLiteral("PstnGainGroup"));
    auto* form = new QFormLayout(group);
    SpinEdit11 = spin(QStringLiteral("SpinEdit11"), kPstnRxGainRange, group);
    SpinEdit12 = spin(QStringLiteral("SpinEdit12"), kGainRange, group);
    SpinEdit13 = spin(QStringLiteral("SpinEdit13"), kGainRange, group);
    SpinEdit14 = spin(QStringLiteral("SpinEdit14"), kGainRange, group);
    const std::pair<QSpinBox*, const char*> rows[] = {{SpinEdit11, "PSTN Rx Gain:"},
                                                      {SpinEdit12, "PSTN Tx Gain:"},
                                                      {SpinEdit13, "DTMF Rx Gain:"},
                                                      {SpinEdit14, "DTMF Tx Gain:"}};
    for (const auto& [box, caption] : rows)
        form->addRow(buddyLabel(box->objectName() + QStringLiteral("Label"),
                                QString::fromLatin1(caption), box, group),
                     box);
    auto* send = new QPushButton(QStringLiteral("PSTN send"), group);
    send->setObjectName(QStringLiteral("Button5"));
    connect(send, &QPushButton::clicked, this, &PstnGainBox::pstnSendRequested);
    form->addRow(send);
    fields_.emplace(group);
    fill(defaultImageValues()); // the field table's defaults
}

void PstnGainBox::read(ImageValues& values) const {
    fields_->read(values);
}

void PstnGainBox::fill(const ImageValues& values) {
    fields_->fill(values);
}
