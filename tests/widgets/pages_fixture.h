#pragma once
// A configurator window of one model and edition, set up as the dispatch sets
// it, with its own settings folder and a port that does not exist.
#include "discovery/model_table.h"
#include "image/image_convert.h"
#include "settings/app_context.h"
#include "settings/edition.h"
#include "workspace/configurator_window.h"
#include "workspace/pages/configurator_pages.h"
#include "workspace/pages/page_widgets.h"

#include <QApplication>
#include <QMessageBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class PagesFixture : public ::testing::Test {
  protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", settingsDir.path().toUtf8()); }
    void TearDown() override {
        window.reset();
        qunsetenv("XDG_CONFIG_HOME");
    }

    // `version` 0 leaves the version rules unapplied, as before the first reply.
    TAV4Form1* open(int model, int version = 0, int brand = 40) {
        window.reset();
        ctx = AppContext{};
        ctx.brandCode = brand;
        ctx.portOverride = QStringLiteral("/nonexistent/port");
        window = std::make_unique<TAV4Form1>(ctx, [] { return true; });
        window->setModelCode(model);
        for (const ConfiguratorItemRow& row : configuratorItemRules())
            window->applyItemRule(QString::fromLatin1(row.item), ruleFor(row, model));
        if (version) {
            window->presetModuleVersion(version);
            window->applyVersionRules();
        }
        return window.get();
    }

    template <class W = QWidget> W* control(const char* name) const {
        W* w = window->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    ConfiguratorPages& pages() const { return window->pages(); }
    ConfigImage& image() const { return window->image(); }

    // Shows the page (by its TabSheetN name) as a click on its tab would.
    void showPage(const char* sheet) const {
        QTabWidget* tabs = window->pageControl();
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->objectName() == QLatin1String(sheet))
                tabs->setCurrentIndex(i);
    }
    QString currentPage() const { return window->pageControl()->currentWidget()->objectName(); }

    // Message boxes the window opened since the last call, newest last.
    QStringList takeMessages() const {
        QStringList texts;
        for (QMessageBox* box : window->findChildren<QMessageBox*>()) {
            texts << box->text();
            delete box;
        }
        return texts;
    }

    QTemporaryDir settingsDir;
    AppContext ctx;
    std::unique_ptr<TAV4Form1> window;
};
