#pragma once
#include "engine/link_view.h"

#include <QString>
#include <functional>

// The link engine's view without a window: status texts and the gauge become
// progress lines, and the image is left exactly as the transfer leaves it
// (there are no controls to encode from or decode into).
class HeadlessView : public LinkView {
  public:
    using Sink = std::function<void(const QString&)>;
    HeadlessView(Sink progress, std::function<void(int)> tickInterval);

    QString moduleVersionText() const { return version_; }

    void showPortName(const QString&) override {}
    void showModuleVersion(const QString& text) override { version_ = text; }
    void showStatus(const QString& text) override;
    void setGaugeMaximum(int maximum) override;
    void setGaugeValue(int value) override;
    void setGaugeVisible(bool) override {}
    void setTransferButtonsEnabled(bool) override {}
    void showMessage(const QString& text) override { progress_(text); }
    void encode() override {}
    void decode() override {}
    void runPageShowLogic() override {}
    void applyVersionRules() override {}
    void resetOutput2TimeUnit() override {}
    void showTime(const QString&) override {}
    void setTickInterval(int milliseconds) override { tickInterval_(milliseconds); }

  private:
    Sink progress_;
    std::function<void(int)> tickInterval_;
    QString version_;
    QString status_;
    int maximum_ = 0;
    int shownTenth_ = 0; // progress is reported in steps of a tenth
};
