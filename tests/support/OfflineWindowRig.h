#pragma once

#include "app/MainWindow.h"
#include "base/MessageTable.h"
#include "base/ProgramFolder.h"
#include "comm/ControllerCodes.h"
#include "comm/RegisterMap.h"
#include "comm/SettingsStore.h"
#include "tests/support/FakeOperator.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

// The main window over no controller with every option, data loaded and in manual control: the
// most controls it ever shows.
struct OfflineWindowRig {
    explicit OfflineWindowRig(Language language)
    {
        MessageTable::instance().setLanguage(language);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        ProgramFolder::resolve(dir.path());
        QDir(dir.path()).mkdir(QStringLiteral("Logging"));
        store = std::make_unique<SettingsStore>(QSettings::IniFormat);
        SessionState shared;
        shared.unitConfig = {1, 1, 4, 1, 1, 0};
        shared.settingDataValid = true;
        shared.online = true;
        shared.monitorValues[4] = qint16(StatusBit::AutoManualKey | StatusBit::Manual);
        RegisterMap::fillVendorItemTable(shared);
        RegisterMap::fillRegisterTable(shared);
        window = std::make_unique<MainWindow>(
            std::move(shared), *store, [] { return std::unique_ptr<CommComponent>(); }, &op);
        window->initialise();
        window->refreshMonitor();
        window->refreshSettingPage();
        window->show();
    }
    SessionState &shared() { return window->core().shared; }
    const SessionContext &context() { return window->core().context; }

    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> store;
    FakeOperator op;
    std::unique_ptr<MainWindow> window;
};
