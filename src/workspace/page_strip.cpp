#include "workspace/page_strip.h"

#include <QEvent>
#include <QKeySequence>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QWheelEvent>

namespace {

class WheelStepper : public QObject {
  public:
    WheelStepper(QTabWidget* pages) : QObject(pages), pages_(pages) {}

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::Wheel)
            return false;
        auto* wheel = static_cast<QWheelEvent*>(e);
        const QPoint d = wheel->angleDelta();
        // A trackpad sends many small deltas: one page per notch.
        accumulated_ += std::abs(d.y()) >= std::abs(d.x()) ? d.y() : d.x();
        while (std::abs(accumulated_) >= QWheelEvent::DefaultDeltasPerStep) {
            const int step = accumulated_ > 0 ? -1 : 1;
            accumulated_ += step * QWheelEvent::DefaultDeltasPerStep;
            pages_->setCurrentIndex(nextReachablePage(pages_, step));
        }
        return true;
    }

  private:
    QTabWidget* pages_;
    int accumulated_ = 0;
};

bool reachable(const QTabWidget* pages, int index) {
    return pages->isTabVisible(index) && pages->isTabEnabled(index);
}

} // namespace

int nextReachablePage(const QTabWidget* pages, int step) {
    const int count = pages->count();
    const int current = pages->currentIndex();
    if (count == 0 || step == 0)
        return current;
    const int dir = step > 0 ? 1 : -1;
    int index = current;
    for (int moved = 0; moved < std::abs(step);) {
        int probe = index;
        bool found = false;
        for (int i = 0; i < count; ++i) {
            probe = (probe + dir + count) % count;
            if (reachable(pages, probe)) {
                found = true;
                break;
            }
        }
        if (!found)
            return current;
        index = probe;
        ++moved;
    }
    return index;
}

void keepPagesInReach(QTabWidget* pages) {
    pages->tabBar()->installEventFilter(new WheelStepper(pages));
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto& [key, step] : keys) {
        auto* shortcut = new QShortcut(key, pages->window());
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, pages, [pages, step = step] {
            pages->setCurrentIndex(nextReachablePage(pages, step));
        });
    }
}
