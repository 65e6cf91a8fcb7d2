#pragma once

#include "app/ScreenPrint.h"
#include "app/SettingsReportPrint.h"
#include "base/MainView.h"
#include "base/ProgramFolder.h"
#include "chart/EventRecorder.h"
#include "display/MainDisplayView.h"
#include "display/NoticeBox.h"
#include "transfer/CoreSession.h"
#include "transfer/SettingsFileCommands.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

namespace Ui
{
class MainWindow;
}
class GuiOperator;
class GuiSettingsFileDialogs;
class HelpWindow;
class JournalWindow;
class LinkCheckPanel;
class TrafficWindow;
class TrendChart;
class OperatorInterface;
class QLabel;
class SettingEditor;
class SettingsStore;

// The program's one main window: menus, the two tab controls and their pages, the communication
// information frame, the online button, the status bar with four panels and the six timers.
// JobTimer drives the job dispatcher; the job bodies, the link checks and the dialogs belong to the
// core and the dialogs, which the window wires together.
class MainWindow : public QMainWindow, public MainView
{
    Q_OBJECT

public:
    // Timers of the window with their intervals in ms: JobTimer 1, PrintTimer 1000, KeyNoticeTimer
    // 2000, VendorRefreshTimer 10000, SupervisionTimer 100.
    enum TimerId {
        JobTimer,
        PrintTimer,
        KeyNoticeTimer,
        VendorRefreshTimer,
        SupervisionTimer,
        TimerCount
    };

    // shared: the shared state loaded at start-up, which the window's core session owns from here
    // on. comFactory: empty for the serial ports (see CoreSession). op replaces the window's own
    // message boxes (tests); it must outlive the window.
    MainWindow(SessionState shared, SettingsStore &store, CommComponentFactory comFactory,
               OperatorInterface *op = nullptr, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The load handler: captions, menu table, status bar, disabled change buttons. The window
    // stays hidden until the splash window shows it.
    void initialise();

    // What the splash window runs once it has shown the window: the start-up link check.
    void runStartupLinkCheck();

    // A later start of the program (SingleInstance::activationRequested): the window comes to
    // the front and loads filePath (empty: none) as File load does, with its question. The file
    // waits while the window is not shown yet, runs an operation, shows a dialog or has its File
    // menu disabled; a newer one replaces it.
    void onLaterStart(const QString &filePath);

    OperatorInterface &operatorInterface() { return *m_op; }
    CoreSession &core() { return m_core; }
    ScreenPrint &screenPrint() { return m_screenPrint; }
    TrendChart &chart() { return *m_trendChart; }
    QTimer &timer(TimerId id) { return m_timers.at(id); }
    // "ZN Monitor_E" while the English texts are active, else "ZN Monitor_J".
    static QString helpFileName();

    // MainView
    void showCommInfo(const QString &port, const QString &speed, const QString &dataParity,
                      const QString &stopBits, const QString &station,
                      const QString &protocol) override;
    void setLinkCheckState(LinkCheckState state) override;
    void showSearchProgress(const SearchProgress &progress) override;
    void setMonitoringState(bool running) override;
    void setCommErrorVisible(bool visible) override;
    void setCommErrorCause(const QString &text) override;
    void showRefusal(const QString &text) override;
    void refreshSettingPage() override;
    void refreshMonitor() override;
    void requestClose() override;
    void setMonitoringTimersEnabled(bool enabled) override;
    bool isTracing() const override;
    void stopTracing() override;
    void setProgressVisible(bool visible, int messageId) override;
    void setProgressValue(int value) override;
    void showLoadedSettings() override;
    void showKeyOperationNotice() override;
    void setParameterButtonsEnabled(bool enabled) override;
    void showChartValues() override;
    void toggleSettingGroup(int group) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setCaptions();
    void setUpStatusBar();
    void setUpTimers();
    void setUpJobs();
    void connectMenus();
    // Change buttons, group title buttons and manual output buttons.
    void connectSettingButtons();
    // The main display's value boxes and the Trace page's, muted together.
    void setValuesLive(bool live);

    void onHelp();
    void onVersion();
    void onJournal();
    void onLineTraffic();
    void onModelChange();
    void onTrace();
    void onCommSetting();
    void bringToFront();
    void loadHandedFile();
    // The close handling: true when the program is to end.
    bool confirmClose();
    // Runs an operation that lets the window process events (link checks, transfers). A close
    // asked for meanwhile cancels a search and waits until the operation has returned, so that
    // the component is never released under a request.
    void runBlocking(const std::function<void()> &operation);
    bool busy() const;

    std::unique_ptr<Ui::MainWindow> ui;
    SettingsStore &m_store;
    std::unique_ptr<GuiOperator> m_guiOperator;
    OperatorInterface *m_op;
    std::array<QLabel *, 4> m_panels{};
    std::array<QTimer, TimerCount> m_timers;
    QString m_handedFile;
    QTimer m_handedFileRetry;

    CoreSession m_core;
    SessionState &m_shared = m_core.shared;
    std::unique_ptr<GuiSettingsFileDialogs> m_fileDialogs;
    SettingsFileCommands m_fileCommands;
    ScreenPrint m_screenPrint;
    SettingsReportPrint m_reportPrint;
    EventRecorder m_events{m_shared, ProgramFolder::logging()};
    NoticeBox m_eventLogFault{this, QStringLiteral("eventLogFault")};
    std::unique_ptr<MainDisplayView> m_displayView;
    LinkCheckPanel *m_linkCheckPanel = nullptr;
    TrendChart *m_trendChart = nullptr;
    std::unique_ptr<SettingEditor> m_editor;
    HelpWindow *m_help = nullptr;
    JournalWindow *m_journalViewer = nullptr;
    TrafficWindow *m_trafficViewer = nullptr;
    bool m_closing = false;
    bool m_closePending = false;
    int m_blockingDepth = 0;
};
