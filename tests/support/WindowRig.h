#pragma once

#include "app/MainWindow.h"
#include "base/MessageTable.h"
#include "base/ProgramFolder.h"
#include "base/SessionState.h"
#include "comm/RegisterMap.h"
#include "comm/SettingsStore.h"
#include "sim/SimulatedController.h"
#include "tests/support/FakeOperator.h"

#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

// The main window against the simulated controller on a pseudo-terminal, its settings (and, when
// asked, its program folder) in a temporary folder, with a scripted operator. Only the window is
// real; a test, a benchmark or the screenshot tool drives it as the operator would.
struct WindowRig {
    enum class Folder { SettingsOnly, AlsoProgram };

    explicit WindowRig(Folder folder = Folder::SettingsOnly)
    {
        MessageTable::instance().setLanguage(Language::English);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        if (folder == Folder::AlsoProgram)
            ProgramFolder::resolve(dir.path());
        store = std::make_unique<SettingsStore>(QSettings::IniFormat);
    }

    // The checks return whether they held, for the test to verify (and stop there if not).
    [[nodiscard]] bool startSimulator(const SimulatedController::Options &options = {})
    {
        sim = std::make_unique<SimulatedController>(options);
        if (sim->start())
            return true;
        qWarning("%s", qPrintable(sim->errorString()));
        return false;
    }

    // Stores the line conditions under the first key, with COM1 leading to the simulator's
    // terminal, then builds the window as the program's start does, and shows it.
    void openWindow(const SessionState &stored = SessionState())
    {
        buildWindow(stored);
        window->show();
    }
    // The same, but the window stays hidden, as the program's start leaves it until the splash
    // window has gone.
    void buildWindow(const SessionState &stored = SessionState())
    {
        store->storeCommConditions(stored);
        // Through the simulator's link where it has one: the link follows it to a new terminal
        // when it is plugged in again.
        store->writeValue(stored, QStringLiteral("PortMap/COM1"),
                          sim->linkPath().isEmpty() ? sim->slavePath() : sim->linkPath());
        store->selectKeyAndLoad(startup);
        RegisterMap::fillVendorItemTable(startup);
        RegisterMap::fillRegisterTable(startup);
        window =
            std::make_unique<MainWindow>(std::move(startup), *store, CommComponentFactory(), &op);
        window->initialise();
    }

    [[nodiscard]] bool linkVerified()
    {
        window->runStartupLinkCheck();
        return shared().linkVerified;
    }

    [[nodiscard]] bool goOnline()
    {
        button(QStringLiteral("onlineButton"))->click();
        return shared().online;
    }

    // The window's shared state; there is none before openWindow().
    SessionState &shared() const { return window->core().shared; }
    QString text(const char *name) const { return window->findChild<QLabel *>(name)->text(); }
    QPushButton *button(const QString &name) const
    {
        return window->findChild<QPushButton *>(name);
    }

    // Declared in this order so that the window goes first and the simulator before the store.
    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> store;
    // What the program's start loads (a settings file given at start-up) before the window takes
    // it over.
    SessionState startup;
    FakeOperator op;
    std::unique_ptr<SimulatedController> sim;
    std::unique_ptr<MainWindow> window;
};
