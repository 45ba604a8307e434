#include "app/alvento_application.h"
#include "discovery/model_table.h"
#include "discovery/search_window.h"
#include "legacy/legacy_device_window.h"
#include "maintenance/status_window.h"
#include "startup/start_window.h"
#include "workspace/configurator_window.h"

namespace {
const char* kPagesHiddenFirst[] = {"TabSheet20", "TabSheet21", "TabSheet22", "PstnGainGroup"};

QString configuratorPicturePanel(int model) {
    switch (model) {
    case 100:
        return QStringLiteral("Panel7");
    case 90:
        return QStringLiteral("Panel6");
    case 80:
        return QStringLiteral("Panel1");
    default:
        return QStringLiteral("Panel3");
    }
}
} // namespace

// Runs two seconds after a known model answered (or a demo was started): opens
// the model's window, sets up the configurator's pages, closes the search window.
void AlventoApplication::dispatch() {
    const int model = form1_->ModelCode();
    const int brand = ctx_.brandCode;
    for (const char* item : kPagesHiddenFirst)
        av4_->applyItemRule(QString::fromLatin1(item), ItemRule::Hide);

    IdentifyHandshake& hs = form1_->handshake();
    hs.LinkState = 0;
    hs.Assembler.frameSent();

    const ModelInfo* m = findModel(model);
    if (m)
        form1_->setLabel3(modelLabel3(model, brand));
    // The older device windows start in their first link state and take the
    // port from the start window once it has gone idle.
    auto showLegacy = [this](LegacyDeviceWindow* w, int linkState) {
        form1_->hide();
        w->setLinkState(linkState);
        w->show();
    };
    switch (m ? m->window : DeviceWindow::StartWindow) {
    case DeviceWindow::StartWindow:
        if (!m)
            break;
        form1_->enableTransferButtons();
        form1_->show();
        break;
    case DeviceWindow::Converter:
        form5_->setLabel3(modelLabel3(model, brand));
        showLegacy(form5_, LegacyDeviceWindow::kVersionRead);
        break;
    case DeviceWindow::Marlo:
        showLegacy(form7_, LegacyDeviceWindow::kVersionRead);
        break;
    case DeviceWindow::Trekka:
        showLegacy(trekka_, 0);
        break;
    case DeviceWindow::Configurator:
        form1_->hide();
        av4_->setModelTitle(modelStatusName(model, brand));
        av4_->setModelCode(model);
        av4_->setModelLabel(modelLabel3(model, brand));
        if (demoModuleVersion_)
            av4_->presetModuleVersion(demoModuleVersion_);
        for (const ConfiguratorItemRow& row : configuratorItemRules()) {
            const ItemRule rule = ruleFor(row, model);
            av4_->applyItemRule(QString::fromLatin1(row.item), rule);
            // The status window's temperature follows the same table.
            if (qstrcmp(row.item, "StatusTemperature") == 0 && rule != ItemRule::Unchanged)
                av4Form2_->setTemperatureHidden(rule == ItemRule::Hide);
        }
        av4_->setModelPicture(form8_->panelPicture(configuratorPicturePanel(model)));
        av4_->show();
        break;
    }
    form8_->closeForDispatch();
}
