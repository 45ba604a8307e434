#include "legacy/converter_help_window.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {
const char kGuide[] =
    "GPRS - Contact ID konverter\n"
    "\n"
    "A konverter a távfelügyeleti vevő mellett dolgozik: a kommunikátorok jelentéseit a "
    "hálózaton (LAN) fogadja, és Contact ID formában adja tovább a vonalszimulátorán vagy a "
    "külső soros portján.\n"
    "\n"
    "Tartalék ág (GPRS)\n"
    "Ha a LAN kapcsolat megszakad, a konverter a soros portjára dugott GPRS modemen keresztül "
    "is fogadja a jelentéseket. Ehhez a \"Tartalék ág\" listában a \"GPRS külső porton\" "
    "beállítást válassza; a \"GPRS külső porton, LAN tiltva\" beállítás csak a GPRS ágat "
    "használja. A modemben lévő SIM kártya APN nevét a \"GPRS APN kapcsolodási név\" mezőbe "
    "írja (legfeljebb 32 karakter, ékezet nélkül). Az APN nevet a SIM kártyát kiadó "
    "szolgáltató adja meg: megtalálható a szolgáltató honlapján, a SIM kártyához kapott "
    "leírásban, vagy egy ugyanilyen SIM kártyával működő mobiltelefon adatkapcsolati (APN) "
    "beállításai között.\n"
    "\n"
    "Külső kommunikáció\n"
    "Alapesetben a konverter a jelentéseket a vonalszimulátoron keresztül adja át a "
    "vevőnek. A \"Külső kommunikáció\" beállítással a jelentések soros kábelen közvetlenül a "
    "felügyeleti számítógépre mennek a vonalszimulátor helyett: \"ContactID konvertálatlan\" "
    "esetén az alább leírt szöveges formában, \"ContactID_Enigma\" esetén az Enigma vevők "
    "formájában. Ilyenkor a vonalszimulátor kikapcsolható.\n"
    "\n"
    "A konvertálatlan Contact ID jelentés felépítése\n"
    "  ACCT MT QXZY GG CC S\n"
    "  ACCT [4]  ügyfélkód: az előfizető azonosítója\n"
    "  MT [2]    üzenettípus (Contact ID jelentésnél 18)\n"
    "  QXZY [4]  Q az esemény minősítője (1 új esemény vagy nyitás, 3 visszaállás vagy "
    "zárás, 6 korábbi, még fennálló esemény), XZY az eseménykód (például 130 betörés, "
    "301 hálózati hiba)\n"
    "  GG [2]    partíció (csoport) száma\n"
    "  CC [2]    zóna vagy felhasználó száma\n"
    "  S [1]     ellenőrző számjegy\n"
    "\n"
    "Ellenőrzés: (Sum of all message digits + S) MOD 15 = 0, vagyis a jelentés számjegyeinek "
    "és az ellenőrző számjegynek az összege osztható 15-tel; a 0 számjegy 10-nek számít.\n";

const char kTelnet[] =
    "TELNET mód\n"
    "\n"
    "TELNET módban a konverter hálózati modulja (IP cím, maszk, átjáró, kapcsolódási mód) "
    "közvetlenül beállítható.\n"
    "\n"
    "1. Válassza az Extra menü \"Telnet mode\" pontját, és hagyja jóvá a kérdést. A konverter "
    "leáll, a kijelzőjén a \"LAN TELNET MODE\" felirat jelenik meg.\n"
    "2. Zárja be ezt a programot, hogy a soros port szabad legyen.\n"
    "3. Indítson terminálprogramot ugyanazon a soros porton ezzel a beállítással: "
    "\"9600,N,1,none\" (9600 baud, paritás nélkül, 1 stopbit, kézfogás nélkül).\n"
    "4. Nyomja meg az Enter billentyűt: megjelenik a hálózati modul menüje. Az 1-es "
    "menüpontban adja meg a konverter IP címét, hálózati maszkját és átjáróját, és állítsa be: "
    "\"Conectmode = D6\". Mentse a beállításokat.\n"
    "5. A TELNET módból a vonalszimulátortól távolabbi nyomógombbal léphet ki. A gomb "
    "újraindítja a konvertert, amely ezután az új hálózati beállításokkal működik.\n";

QPlainTextEdit* text(QWidget* parent, const char* name, const char* content) {
    auto* t = new QPlainTextEdit(QString::fromUtf8(content), parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setReadOnly(true);
    return t;
}
} // namespace

TForm6::TForm6(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("Leirás"));
    setModal(true);
    auto* v = new QVBoxLayout(this);
    stack_ = new QStackedLayout;
    guide_ = text(this, "guideText", kGuide);
    telnet_ = text(this, "telnetText", kTelnet);
    stack_->addWidget(guide_);
    stack_->addWidget(telnet_);
    v->addLayout(stack_, 1);
    auto* buttons = new QHBoxLayout;
    auto* telnet = new QPushButton(QStringLiteral("TELNET mode"), this);
    telnet->setObjectName(QStringLiteral("telnetButton"));
    auto* ok = new QPushButton(QStringLiteral("Rendben"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    buttons->addWidget(telnet);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    v->addLayout(buttons);
    connect(telnet, &QPushButton::clicked, this, &TForm6::showTelnet);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    resize(620, 520);
}

void TForm6::showGuide() {
    stack_->setCurrentWidget(guide_);
    open();
}

void TForm6::showTelnet() {
    stack_->setCurrentWidget(telnet_);
}

bool TForm6::telnetShown() const {
    return stack_->currentWidget() == telnet_;
}

void TForm6::done(int r) {
    // However it closes, it opens again on the user guide.
    stack_->setCurrentWidget(guide_);
    QDialog::done(r);
}
