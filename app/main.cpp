#include "app/FirstPaint.h"
#include "app/GuiOperator.h"
#include "app/MainWindow.h"
#include "app/QtCatalogue.h"
#include "app/SingleInstance.h"
#include "app/SplashScreen.h"
#include "app/StartupArgs.h"
#include "app/StartupRoutine.h"
#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "comm/RegisterMap.h"
#include "comm/SettingsStore.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZN Monitor"));
    QApplication::setOrganizationName(SettingsStore::FirstOrganization);
    QApplication::setApplicationVersion(QStringLiteral(ZN_VERSION));
    // Ties the window to its menu entry (taskbar icon and name under Wayland).
    QApplication::setDesktopFileName(QStringLiteral(ZN_DESKTOP_ID));
    // The installed icon theme's picture at every size, the built-in one where there is none.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(ZN_DESKTOP_ID),
                                                 QIcon(QStringLiteral(":/icons/zn-monitor.png"))));
    QtCatalogue::install(MessageTable::instance().language());

    GuiOperator startupOperator(nullptr);
    StartupRoutine startup(startupOperator);
    switch (startup.run(StartupArgs::rawCommandLine(QApplication::arguments()))) {
    case StartupRoutine::Outcome::Start:
        break;
    case StartupRoutine::Outcome::HandedOver:
        return 0;
    case StartupRoutine::Outcome::Stop:
        return 1;
    }

    SplashScreen splash;
    splash.start();

    SettingsStore store;
    SessionState &shared = startup.state();
    store.selectKeyAndLoad(shared);
    RegisterMap::fillVendorItemTable(shared);
    RegisterMap::fillRegisterTable(shared);

    MainWindow window(std::move(shared), store, {});
    window.initialise();
    // Later starts are heard once the window can take their files.
    SingleInstance &instance = *startup.instance();
    QObject::connect(&instance, &SingleInstance::activationRequested, &window,
                     &MainWindow::onLaterStart);
    instance.listen();

    // The link check blocks for up to seconds: the window paints first, so that it never shows
    // black while the controller is asked.
    QObject::connect(&splash, &SplashScreen::finished, &window, [&window] {
        FirstPaint::showThenRun(&window, [&window] { window.runStartupLinkCheck(); });
    });
    return QApplication::exec();
}
