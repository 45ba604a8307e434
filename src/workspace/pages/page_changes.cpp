#include "workspace/pages/page_changes.h"

namespace {

// Calls f(field of a, field of b, field of c) for every optional field of the
// values, the three structs walked side by side.
template <class F>
void each(InputPageValues& a, const InputPageValues& b, const InputPageValues& c, F& f) {
    f(a.type, b.type, c.type);
    f(a.inverted, b.inverted, c.inverted);
    f(a.sms, b.sms, c.sms);
    f(a.voice, b.voice, c.voice);
    f(a.options, b.options, c.options);
    f(a.text, b.text, c.text);
}

template <class F>
void each(ContactIdEntry& a, const ContactIdEntry& b, const ContactIdEntry& c, F& f) {
    f(a.code, b.code, c.code);
    f(a.zone, b.zone, c.zone);
}

template <class F> void eachField(ImageValues& a, const ImageValues& b, const ImageValues& c, F f) {
    for (size_t i = 0; i < a.phones.numbers.size(); ++i)
        f(a.phones.numbers[i], b.phones.numbers[i], c.phones.numbers[i]);
    for (size_t i = 0; i < a.inputs.size(); ++i)
        each(a.inputs[i], b.inputs[i], c.inputs[i], f);
    each(a.tamper, b.tamper, c.tamper, f);
    each(a.power.input, b.power.input, c.power.input, f);
    f(a.power.alarmVoltage, b.power.alarmVoltage, c.power.alarmVoltage);
    each(a.temperature.input, b.temperature.input, c.temperature.input, f);
    f(a.temperature.maxEnabled, b.temperature.maxEnabled, c.temperature.maxEnabled);
    f(a.temperature.maxValue, b.temperature.maxValue, c.temperature.maxValue);
    f(a.temperature.minEnabled, b.temperature.minEnabled, c.temperature.minEnabled);
    f(a.temperature.minValue, b.temperature.minValue, c.temperature.minValue);
    each(a.speed.input, b.speed.input, c.speed.input, f);
    f(a.speed.limitKmh, b.speed.limitKmh, c.speed.limitKmh);
    each(a.lift.input, b.lift.input, c.lift.input, f);
    f(a.lift.setting, b.lift.setting, c.lift.setting);
    for (size_t i = 0; i < a.outputs.size(); ++i) {
        OutputValues& o = a.outputs[i];
        const OutputValues& p = b.outputs[i];
        const OutputValues& q = c.outputs[i];
        f(o.mode, p.mode, q.mode);
        f(o.onAlarm, p.onAlarm, q.onAlarm);
        f(o.onCallerId, p.onCallerId, q.onCallerId);
        f(o.noCallerId, p.noCallerId, q.noCallerId);
        f(o.seconds, p.seconds, q.seconds);
    }
    {
        LifeSignalValues& o = a.lifeSignal;
        const LifeSignalValues& p = b.lifeSignal;
        const LifeSignalValues& q = c.lifeSignal;
        f(o.enabled, p.enabled, q.enabled);
        f(o.periodDays, p.periodDays, q.periodDays);
        f(o.hour, p.hour, q.hour);
        f(o.firstAfterDays, p.firstAfterDays, q.firstAfterDays);
        f(o.sms, p.sms, q.sms);
        f(o.text, p.text, q.text);
    }
    {
        OtherPageValues& o = a.other;
        const OtherPageValues& p = b.other;
        const OtherPageValues& q = c.other;
        f(o.securityCode, p.securityCode, q.securityCode);
        f(o.roundCall, p.roundCall, q.roundCall);
        f(o.ledsOffWhenClosed, p.ledsOffWhenClosed, q.ledsOffWhenClosed);
        f(o.saveOutput, p.saveOutput, q.saveOutput);
        f(o.callerIdArming, p.callerIdArming, q.callerIdArming);
        f(o.microphone, p.microphone, q.microphone);
        f(o.smsRedirection, p.smsRedirection, q.smsRedirection);
        f(o.smsRedirectionTarget, p.smsRedirectionTarget, q.smsRedirectionTarget);
        f(o.ringSeconds, p.ringSeconds, q.ringSeconds);
        f(o.maxRedials, p.maxRedials, q.maxRedials);
        f(o.inputFilter, p.inputFilter, q.inputFilter);
        f(o.restoreText, p.restoreText, q.restoreText);
        f(o.smsHeader, p.smsHeader, q.smsHeader);
    }
    f(a.gps.useReceiver, b.gps.useReceiver, c.gps.useReceiver);
    f(a.gps.sendNmea, b.gps.sendNmea, c.gps.sendNmea);
    {
        RemoteMonitoringValues& o = a.remoteMonitoring;
        const RemoteMonitoringValues& p = b.remoteMonitoring;
        const RemoteMonitoringValues& q = c.remoteMonitoring;
        f(o.account, p.account, q.account);
        for (size_t i = 0; i < o.inputs.size(); ++i)
            each(o.inputs[i], p.inputs[i], q.inputs[i], f);
        each(o.tamper, p.tamper, q.tamper, f);
        each(o.power, p.power, q.power, f);
        f(o.lifeSignalCode, p.lifeSignalCode, q.lifeSignalCode);
        f(o.lifeSignalReport, p.lifeSignalReport, q.lifeSignalReport);
        f(o.lifeSignalCycleMinutes, p.lifeSignalCycleMinutes, q.lifeSignalCycleMinutes);
        f(o.receiver1, p.receiver1, q.receiver1);
        f(o.receiver2, p.receiver2, q.receiver2);
        f(o.txLevel, p.txLevel, q.txLevel);
        f(o.rxLevel, p.rxLevel, q.rxLevel);
    }
    f(a.gprs.testPeriodSeconds, b.gprs.testPeriodSeconds, c.gprs.testPeriodSeconds);
    f(a.gprs.accessPoint, b.gprs.accessPoint, c.gprs.accessPoint);
    f(a.gprs.server, b.gprs.server, c.gprs.server);
    f(a.gains.pstnRx, b.gains.pstnRx, c.gains.pstnRx);
    f(a.gains.pstnTx, b.gains.pstnTx, c.gains.pstnTx);
    f(a.gains.dtmfRx, b.gains.dtmfRx, c.gains.dtmfRx);
    f(a.gains.dtmfTx, b.gains.dtmfTx, c.gains.dtmfTx);
    f(a.openClose.openingSms, b.openClose.openingSms, c.openClose.openingSms);
    f(a.openClose.closingSms, b.openClose.closingSms, c.openClose.closingSms);
    f(a.openClose.openingText, b.openClose.openingText, c.openClose.openingText);
    f(a.openClose.closingText, b.openClose.closingText, c.openClose.closingText);
    f(a.callerId.answerIdentifiedCalls, b.callerId.answerIdentifiedCalls,
      c.callerId.answerIdentifiedCalls);
}

bool sameRow(const PartitionRow& a, const PartitionRow& b) {
    return a.code == b.code && a.name == b.name;
}
bool sameRow(const ContactIdCodeRow& a, const ContactIdCodeRow& b) {
    return a.code == b.code && a.name == b.name && a.sms == b.sms;
}

template <class Row, size_t N>
void markRows(std::array<std::optional<Row>, N>& touched,
              const std::array<std::optional<Row>, N>& now,
              const std::array<std::optional<Row>, N>& reference) {
    for (size_t i = 0; i < N; ++i)
        if (now[i] && (!reference[i] || !sameRow(*now[i], *reference[i])))
            touched[i] = now[i];
}

template <class Row, size_t N>
void selectRows(std::array<std::optional<Row>, N>& out,
                const std::array<std::optional<Row>, N>& touched) {
    for (size_t i = 0; i < N; ++i)
        if (!touched[i])
            out[i].reset();
}

// A byte holding a switch and a value goes out whole when either part does.
template <class T>
void writeTogether(std::optional<bool>& on, std::optional<T>& value,
                   const std::optional<bool>& nowOn, const std::optional<T>& nowValue) {
    if (value && !on)
        on = nowOn;
    if (on && *on && !value)
        value = nowValue;
}

// Every check list of phone numbers, for the rule that writes them all.
void takeAllLists(ImageValues& out, const ImageValues& now) {
    for (size_t i = 0; i < out.inputs.size(); ++i) {
        out.inputs[i].sms = now.inputs[i].sms;
        out.inputs[i].voice = now.inputs[i].voice;
    }
    for (auto [o, n] :
         {std::pair{&out.tamper, &now.tamper}, std::pair{&out.power.input, &now.power.input},
          std::pair{&out.temperature.input, &now.temperature.input},
          std::pair{&out.speed.input, &now.speed.input},
          std::pair{&out.lift.input, &now.lift.input}}) {
        o->sms = n->sms;
        o->voice = n->voice;
    }
    out.lifeSignal.sms = now.lifeSignal.sms;
    out.openClose.openingSms = now.openClose.openingSms;
    out.openClose.closingSms = now.openClose.closingSms;
}

} // namespace

uint8_t filledNumbers(const PhoneNumberValues& phones) {
    uint8_t mask = 0;
    for (size_t i = 0; i < phones.numbers.size(); ++i) {
        const auto& n = phones.numbers[i];
        if (n && !n->isEmpty() && n->front() != u' ')
            mask |= static_cast<uint8_t>(1u << i);
    }
    return mask;
}

void markTouched(ImageValues& touched, const ImageValues& now, const ImageValues& reference) {
    // `touched` is walked as the first struct; `now` and `reference` read alongside.
    eachField(touched, now, reference, [](auto& t, const auto& n, const auto& r) {
        if (n != r)
            t = n;
    });
    markRows(touched.codeRecords.partitions, now.codeRecords.partitions,
             reference.codeRecords.partitions);
    markRows(touched.codeRecords.codes, now.codeRecords.codes, reference.codeRecords.codes);
}

ImageValues touchedFields(const ImageValues& now, const ImageValues& touched,
                          const ImageValues& reference) {
    ImageValues out = now;
    eachField(out, touched, touched, [](auto& o, const auto& t, const auto&) {
        if (!t)
            o.reset();
    });
    selectRows(out.codeRecords.partitions, touched.codeRecords.partitions);
    selectRows(out.codeRecords.codes, touched.codeRecords.codes);

    writeTogether(out.lifeSignal.enabled, out.lifeSignal.periodDays, now.lifeSignal.enabled,
                  now.lifeSignal.periodDays);
    writeTogether(out.other.smsRedirection, out.other.smsRedirectionTarget,
                  now.other.smsRedirection, now.other.smsRedirectionTarget);
    writeTogether(out.temperature.maxEnabled, out.temperature.maxValue, now.temperature.maxEnabled,
                  now.temperature.maxValue);
    writeTogether(out.temperature.minEnabled, out.temperature.minValue, now.temperature.minEnabled,
                  now.temperature.minValue);
    if (filledNumbers(now.phones) != filledNumbers(reference.phones))
        takeAllLists(out, now);
    return out;
}
