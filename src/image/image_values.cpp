#include "image/image_values.h"

namespace {
InputPageValues inputPage(int type, bool siren, const QString& text) {
    InputPageValues p;
    p.type = type;
    p.inverted = false;
    p.sms = TargetList{};
    p.voice = TargetList{};
    p.options = InputOptions{.siren = siren};
    p.text = text;
    return p;
}
} // namespace

ImageValues defaultImageValues() {
    ImageValues v;
    for (auto& number : v.phones.numbers)
        number = QString();

    for (int n = 0; n < 4; ++n)
        v.inputs[static_cast<size_t>(n)] =
            inputPage(n < 2 ? 1 : 0, true, QStringLiteral("%1 bemenet riasztas").arg(n + 1));
    v.tamper = inputPage(1, true, QStringLiteral("Belso szabotazs riasztas"));
    v.power.input = inputPage(1, true, QStringLiteral("Belso taphiba riasztas"));
    v.power.alarmVoltage = kDefaultPowerAlarmVoltage;
    v.temperature.input = inputPage(0, false, QString());
    v.temperature.input.text.reset();
    v.temperature.maxEnabled = false;
    v.temperature.maxValue = 0;
    v.temperature.minEnabled = false;
    v.temperature.minValue = 0;
    v.speed.input = inputPage(0, false, QStringLiteral("Sebesseg tullepes"));
    v.speed.limitKmh = 120;
    v.lift.input = inputPage(0, false, QStringLiteral("Sebesseg tullepes"));
    v.lift.setting = 6;

    for (int n = 0; n < 2; ++n) {
        OutputValues& o = v.outputs[static_cast<size_t>(n)];
        o.mode = 0;
        o.onAlarm = false;
        o.onCallerId = n == 0;
        if (n == 0)
            o.noCallerId = false;
        o.seconds = 3;
    }

    LifeSignalValues& l = v.lifeSignal;
    l.enabled = false;
    l.periodDays = 7;
    l.hour = 12;
    l.firstAfterDays = 0;
    l.sms = TargetList{};
    l.text = QStringLiteral("Eletjel kuldes, minden rendben..");

    OtherPageValues& o = v.other;
    o.securityCode = QStringLiteral("1234");
    o.roundCall = false;
    o.ledsOffWhenClosed = false;
    o.saveOutput = false;
    o.callerIdArming = false;
    o.microphone = false;
    o.smsRedirection = false;
    o.smsRedirectionTarget = 0;
    o.ringSeconds = 30;
    o.maxRedials = 50;
    o.inputFilter = kDefaultInputFilter;
    o.restoreText = QStringLiteral("Visszaallas:");
    o.smsHeader = QString();

    v.gps.useReceiver = true;
    v.gps.sendNmea = false;

    RemoteMonitoringValues& r = v.remoteMonitoring;
    r.account = QStringLiteral("1234");
    for (int n = 0; n < 4; ++n)
        r.inputs[static_cast<size_t>(n)] = {QStringLiteral("130"),
                                            QStringLiteral("00%1").arg(n + 1)};
    r.tamper = {QStringLiteral("137"), QStringLiteral("001")};
    r.power = {QStringLiteral("302"), QStringLiteral("001")};
    r.lifeSignalCode = QStringLiteral("602");
    r.lifeSignalReport = false;
    r.lifeSignalCycleMinutes = 1440;
    r.receiver1 = QString();
    r.receiver2 = QString();
    r.txLevel = kDefaultTxLevel;
    r.rxLevel = kDefaultRxLevel;

    v.gprs.testPeriodSeconds = 10;
    v.gprs.accessPoint = QString();
    v.gprs.server = QString();

    v.gains = {20, 5, 40, 40};

    v.openClose.openingSms = TargetList{};
    v.openClose.closingSms = TargetList{};
    v.openClose.openingText = QStringLiteral("nyitás");
    v.openClose.closingText = QStringLiteral("zárás");
    v.callerId.answerIdentifiedCalls = false;

    for (auto& row : v.codeRecords.partitions)
        row = PartitionRow{};
    for (auto& row : v.codeRecords.codes)
        row = ContactIdCodeRow{};
    return v;
}
