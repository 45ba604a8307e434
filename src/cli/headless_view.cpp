#include "cli/headless_view.h"

HeadlessView::HeadlessView(Sink progress, std::function<void(int)> tickInterval)
    : progress_(std::move(progress)), tickInterval_(std::move(tickInterval)) {}

void HeadlessView::showStatus(const QString& text) {
    // Requests that repeat set the same text again; say it once.
    if (text == status_)
        return;
    status_ = text;
    if (!text.isEmpty())
        progress_(text);
}

void HeadlessView::setGaugeMaximum(int maximum) {
    maximum_ = maximum;
    shownTenth_ = 0;
}

void HeadlessView::setGaugeValue(int value) {
    if (maximum_ <= 0)
        return;
    const int tenth = value * 10 / maximum_;
    if (tenth <= shownTenth_)
        return;
    shownTenth_ = tenth;
    progress_(QStringLiteral("%1% (%2/%3)").arg(tenth * 10).arg(value).arg(maximum_));
}
