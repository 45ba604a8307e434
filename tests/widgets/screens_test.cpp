// The configurator as an installer meets it on site: every page within reach
// at the window's own size, phone numbers that never vanish, unsent edits
// that are not thrown away, the keyboard.
#include "pages_fixture.h"

#include <QTabBar>
#include <QTest>

namespace {

// Saves what the window shows when SCREENS_SHOTS names a folder.
void shot(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("SCREENS_SHOTS");
    if (!dir.isEmpty())
        w->grab().save(dir + u'/' + name + QStringLiteral(".png"));
}

struct ModelCase {
    int model;
    int version;
};
const ModelCase kModels[] = {{71, 37}, {71, 50}, {100, 50}, {80, 40}, {70, 30}, {90, 50}};

using ScreensTest = PagesFixture;

TEST_F(ScreensTest, EveryPageTheModelHasIsReachableByMouseAtTheDefaultSize) {
    for (const ModelCase& m : kModels) {
        for (int lang = 0; lang < 4; ++lang) {
            TAV4Form1* w = open(m.model, m.version);
            w->show();
            w->chooseLanguage(lang);
            QTabWidget* tabs = w->pageControl();
            QTabBar* bar = tabs->tabBar();
            QCoreApplication::processEvents();
            shot(w, QStringLiteral("tabs_%1_%2_%3_before").arg(m.model).arg(m.version).arg(lang));
            for (int i = 0; i < tabs->count(); ++i) {
                if (!tabs->isTabVisible(i))
                    continue;
                SCOPED_TRACE(QStringLiteral("model %1 language %2 page %3")
                                 .arg(m.model)
                                 .arg(lang)
                                 .arg(tabs->tabText(i))
                                 .toStdString());
                // Clicking every page in turn keeps every other page in reach.
                const QRect r = bar->tabRect(i);
                EXPECT_TRUE(bar->rect().contains(r)) << r.x() << "+" << r.width();
                QTest::mouseClick(bar, Qt::LeftButton, {}, r.center());
                EXPECT_EQ(tabs->currentIndex(), i);
            }
            shot(w, QStringLiteral("tabs_%1_%2_%3").arg(m.model).arg(m.version).arg(lang));
        }
    }
}

// The pages a mouse or keyboard walk can land on, in strip order.
QStringList reachablePages(QTabWidget* tabs) {
    QStringList names;
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->isTabVisible(i) && tabs->isTabEnabled(i))
            names << tabs->widget(i)->objectName();
    return names;
}

TEST_F(ScreensTest, WheelAndCtrlTabWalkOnlyThePagesTheModelHas) {
    for (const ModelCase& m : kModels) {
        SCOPED_TRACE(m.model);
        TAV4Form1* w = open(m.model, m.version);
        w->show();
        QApplication::setActiveWindow(w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        QTabWidget* tabs = w->pageControl();
        const QStringList expected = reachablePages(tabs);
        ASSERT_GT(expected.size(), 3);

        // Down the strip by wheel, twice round: every page in order, then again.
        QStringList seen;
        const QPoint at = tabs->tabBar()->tabRect(0).center();
        for (int i = 0; i < 2 * expected.size(); ++i) {
            QWheelEvent wheel(at, tabs->tabBar()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {},
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(tabs->tabBar(), &wheel);
            seen << currentPage();
        }
        EXPECT_EQ(seen, (expected.mid(1) + expected + expected.mid(0, 1)));

        // Ctrl+Tab from a field of the page, round the strip and back.
        tabs->setCurrentIndex(0);
        QStringList walked;
        for (int i = 0; i < expected.size(); ++i) {
            QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : w;
            QTest::keyClick(focus, Qt::Key_Tab, Qt::ControlModifier);
            walked << currentPage();
        }
        EXPECT_EQ(walked, expected.mid(1) + expected.mid(0, 1));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w,
                        Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(currentPage(), expected.last());
    }
}

} // namespace
