#include "MainWindow.h"

#include "ui_MainWindow.h"

#include "app/AboutDialog.h"
#include "app/GuiOperator.h"
#include "app/GuiSettingsFileDialogs.h"
#include "app/HelpWindow.h"
#include "base/MessageTable.h"
#include "base/ProgramFolder.h"
#include "chart/EventLogWindow.h"
#include "chart/TrendChart.h"
#include "chart/TrendLogWindow.h"
#include "comm/ControllerCodes.h"
#include "comm/SettingsStore.h"
#include "dialogs/CommSettingsDialog.h"
#include "dialogs/ComparisonDialog.h"
#include "dialogs/JournalWindow.h"
#include "dialogs/SettingEditor.h"
#include "dialogs/TrafficWindow.h"
#include "display/KeyboardAccess.h"
#include "display/LinkCheckPanel.h"
#include "display/MainWindowLayout.h"
#include "display/SettingRowsForm.h"
#include "display/WindowPlacement.h"
#include "polling/ValueFormat.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>

#include <utility>

namespace
{
constexpr std::array<int, MainWindow::TimerCount> TimerIntervals = {1, 1000, 2000, 10000, 100};
constexpr int StatusPanelCount = 4;
// Change buttons changeButton 0 to 53, index = parameter code - 10.
constexpr int ChangeButtonCount = 54;
constexpr int ManualButtonCount = 6;
// Progress bar ends: the download counts its 52 steps, the upload its 53 items.
constexpr int DownloadMessage = 501;
constexpr int DownloadSteps = 52;
constexpr int UploadItems = 53;
constexpr int EventLogFaultMessage = 1155;
// How often a file handed over by a later start looks whether the window can take it.
constexpr int HandedFileRetryMs = 250;

void setLabelColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, colour);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}
} // namespace

MainWindow::MainWindow(SessionState shared, SettingsStore &store, CommComponentFactory comFactory,
                       OperatorInterface *op, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::MainWindow>()), m_store(store),
      m_guiOperator(op == nullptr ? std::make_unique<GuiOperator>(this) : nullptr),
      m_op(op != nullptr ? op : m_guiOperator.get()),
      m_core({*m_op, *this, store, ProgramFolder::journal(), WriteJournal::Source::Window},
             std::move(shared), std::move(comFactory)),
      m_fileDialogs(std::make_unique<GuiSettingsFileDialogs>(this)),
      m_fileCommands(m_core.context, *m_fileDialogs),
      m_screenPrint(m_core.context, timer(PrintTimer), this),
      m_reportPrint(m_core.context, m_screenPrint, this)
{
    m_core.connection.setSettingsRead([this] { m_core.onlineStartRead.readAtOnlineStart(); });
    m_core.connection.setFileSave([this] { m_fileCommands.save(); });
    ui->setupUi(this);
    SettingRowsForm::build(this);
    m_linkCheckPanel = new LinkCheckPanel(ui->tabMain);
    MainWindowLayout::arrange(this);
    m_displayView = std::make_unique<MainDisplayView>(this);
    m_trendChart = new TrendChart(m_core.context, ProgramFolder::path(), ui->chartFrame);
    m_trendChart->setTraceMenu(ui->traceAction);
    ui->layoutChart->addWidget(m_trendChart);
    m_editor = std::make_unique<SettingEditor>(m_core.context, *m_displayView, this, [this] {
        if (!timer(JobTimer).isActive())
            timer(JobTimer).start();
    });
    setUpStatusBar();
    setUpTimers();
    m_handedFileRetry.setSingleShot(true);
    m_handedFileRetry.setInterval(HandedFileRetryMs);
    connect(&m_handedFileRetry, &QTimer::timeout, this, &MainWindow::loadHandedFile);
    setUpJobs();
    connectMenus();
    connectSettingButtons();
    // This window and each window opened from it: Tab, Space/Enter and Esc.
    KeyboardAccess::watchWindows();
}

MainWindow::~MainWindow() = default;

void MainWindow::initialise()
{
    setCaptions();
    setParameterButtonsEnabled(false);
    ui->mainTabs->setCurrentIndex(qBound(0, int(m_shared.mainTabIndex), ui->mainTabs->count() - 1));
    ui->settingTabs->setCurrentIndex(
        qBound(0, int(m_shared.settingTabIndex), ui->settingTabs->count() - 1));
    setProgressVisible(false, 0);
    setCommErrorVisible(false);
    ui->keyOperationNotice->hide();
    ui->pageKeyOperationNotice->hide();
    setMonitoringState(false);
    refreshSettingPage();
    m_trendChart->prepareChannelFiles();
    // The form's size suits a desktop at 100 %: on a smaller or scaled screen the window opens no
    // larger than the screen leaves room for with its title bar, its pages scrolling.
    if (const QScreen *screen = this->screen()) {
        const QSize room = screen->availableGeometry().size() -
                           QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight));
        resize(size().boundedTo(room).expandedTo(minimumSizeHint()));
    }
}

void MainWindow::setCaptions()
{
    setWindowTitle(msg(1));
    ui->fileMenu->setTitle(msg(3));
    ui->uploadAction->setText(msg(4));
    ui->downloadAction->setText(msg(5));
    ui->compareAction->setText(msg(974));
    ui->saveAction->setText(msg(6));
    ui->loadAction->setText(msg(7));
    ui->journalAction->setText(msg(900));
    ui->openTrendLogAction->setText(msg(1000));
    ui->printerSelectionAction->setText(msg(32));
    ui->printAction->setText(msg(33));
    ui->reportAction->setText(msg(1060));
    ui->exitAction->setText(msg(8));
    ui->onlineMenu->setTitle(msg(9));
    ui->traceAction->setText(msg(11));
    ui->eventLogAction->setText(msg(1034));
    ui->communicationMenu->setTitle(msg(1435));
    ui->lineTrafficAction->setText(msg(1436));
    ui->settingMenu->setTitle(msg(12));
    ui->commSettingsAction->setText(msg(13));
    ui->modelChangeAction->setText(msg(14));
    ui->helpMenu->setTitle(msg(15));
    ui->helpContentsAction->setText(msg(16));
    ui->aboutAction->setText(msg(17));

    ui->mainTabs->setTabText(0, msg(41));
    ui->mainTabs->setTabText(1, msg(42));
    ui->settingTabs->setTabText(0, msg(43));
    ui->settingTabs->setTabText(1, msg(44));
    ui->settingTabs->setTabText(2, msg(45));

    ui->monitorFrame->setTitle(msg(306));
    ui->pvCaption->setText(msg(77));
    ui->svCaption_0->setText(QStringLiteral("SV"));
    ui->svCaption_1->setText(msg(101));
    ui->mvCaption_0->setText(msg(79));
    ui->mvCaption_1->setText(msg(80));
    ui->mvUnit_0->setText(QStringLiteral("%"));
    ui->mvUnit_1->setText(QStringLiteral("%"));
    ui->heaterCurrentCaption_1->setText(QStringLiteral("HB1"));
    ui->heaterCurrentCaption_2->setText(QStringLiteral("HB2"));
    ui->heaterCurrentUnit_1->setText(QStringLiteral("A"));
    ui->heaterCurrentUnit_2->setText(QStringLiteral("A"));
    ui->out1Lamp->setText(QStringLiteral("OUT 1"));
    ui->out2Lamp->setText(QStringLiteral("OUT 2"));
    ui->alarmLamp_0->setText(QStringLiteral("EVT1"));
    ui->alarmLamp_1->setText(QStringLiteral("EVT2"));
    ui->alarmLamp_2->setText(QStringLiteral("UP"));
    ui->alarmLamp_3->setText(QStringLiteral("DOWN"));
    ui->alarmLamp_4->setText(QStringLiteral("HB"));
    ui->autoTuningLamp->setText(msg(102));
    static const std::array<const char *, 6> manualSteps = {"+1.0", "+0.1",  "-0.1",
                                                            "-1.0", "+10.0", "-10.0"};
    for (int i = 0; i < int(manualSteps.size()); ++i) {
        if (auto *button = findChild<QWidget *>(QStringLiteral("manualStepButton_%1").arg(i))) {
            static_cast<QAbstractButton *>(button)->setText(QLatin1String(manualSteps[i]));
            button->setAccessibleName(msg(1316).arg(QLatin1String(manualSteps[i])));
        }
    }

    ui->commInfoFrame->setTitle(msg(263));
    const std::array<QLabel *, 6> rowTitles = {ui->commInfoCaption_0, ui->commInfoCaption_1,
                                               ui->commInfoCaption_2, ui->commInfoCaption_3,
                                               ui->commInfoCaption_4, ui->commInfoCaption_5};
    for (int i = 0; i < int(rowTitles.size()); ++i)
        rowTitles[i]->setText(msg(264 + i));

    ui->linkCheckNotice->setText(msg(451));
    ui->keyOperationNotice->setText(msgLines(452));
    ui->pageKeyOperationNotice->setText(msgLines(452));

    m_op->setStatusPanel(3, msg(91));
}

void MainWindow::setUpStatusBar()
{
    for (int i = 0; i < StatusPanelCount; ++i) {
        auto *panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("StatusPanel_%1").arg(i + 1));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMinimumWidth(i == 3 ? 200 : 120);
        // Panel 2 keeps the outcome of the last write or transfer, panel 4 the progress texts:
        // both take the spare width.
        ui->statusbar->addWidget(panel, i == 1 || i == 3 ? 1 : 0);
        m_panels[i] = panel;
    }
    if (m_guiOperator) {
        m_guiOperator->setStatusPanels(m_panels[0], m_panels[1], m_panels[2], m_panels[3]);
        m_guiOperator->setMenuAction(MenuItem::File, ui->fileMenu->menuAction());
        m_guiOperator->setMenuAction(MenuItem::Online, ui->onlineMenu->menuAction());
        m_guiOperator->setMenuAction(MenuItem::Setting, ui->settingMenu->menuAction());
        m_guiOperator->setMenuAction(MenuItem::Upload, ui->uploadAction);
        m_guiOperator->setMenuAction(MenuItem::Download, ui->downloadAction);
        m_guiOperator->setMenuAction(MenuItem::FileSave, ui->saveAction);
        m_guiOperator->setMenuAction(MenuItem::FileLoad, ui->loadAction);
        m_guiOperator->setMenuAction(MenuItem::Trace, ui->traceAction);
        m_guiOperator->setMenuAction(MenuItem::CommSetting, ui->commSettingsAction);
        m_guiOperator->setMenuAction(MenuItem::ModelChange, ui->modelChangeAction);
    }
}

void MainWindow::setUpTimers()
{
    for (int i = 0; i < int(m_timers.size()); ++i)
        m_timers[i].setInterval(TimerIntervals[i]);
    timer(KeyNoticeTimer).setSingleShot(true);
    connect(&timer(JobTimer), &QTimer::timeout, this, [this] {
        // A box of the 10-second refresh's vendor-frame exchange lets this tick in; a
        // job's request now would go out in the vendor frame. The job waits for the next
        // tick.
        if (!m_core.vendorFrame.exchangeRunning())
            runBlocking([this] { m_core.jobs.tick(); });
    });
    connect(&timer(KeyNoticeTimer), &QTimer::timeout, this, [this] {
        ui->keyOperationNotice->hide();
        ui->pageKeyOperationNotice->hide();
    });
    // A transfer lets the window's events run (its pause, its message boxes); the refresh must
    // not put its own requests between the transfer's.
    connect(&timer(VendorRefreshTimer), &QTimer::timeout, this, [this] {
        if (!m_core.jobs.isRunning())
            m_core.polling.refreshVendorItems();
    });
    connect(&timer(SupervisionTimer), &QTimer::timeout, this,
            [this] { m_core.polling.superviseLink(); });
}

void MainWindow::setUpJobs()
{
    m_core.jobs.setHandler(TimerJob::Monitor, [this] {
        const int code = PollingCycle::monitorCode(m_shared.monitorStep, m_shared.optionWord());
        m_events.monitorRead(code, m_core.polling.runMonitorJob());
        return true;
    });
    // Inside a monitor tick: a notice that lets the polling go on, once until a line is written.
    m_events.setFaultReport([this](const FileFault &fault) {
        m_eventLogFault.show(msg(EventLogFaultMessage).arg(fault.text()));
    });
    const auto transferEnded = [this](bool completed) { m_events.transferEnded(completed); };
    m_core.upload.setEndNotice(transferEnded);
    m_core.download.setEndNotice(transferEnded);
    m_core.jobs.setHandler(TimerJob::Compare, [this] {
        if (const auto differences = m_core.comparison.compare())
            ComparisonDialog::showResult(*differences, this);
        return true;
    });
}

void MainWindow::connectMenus()
{
    connect(ui->exitAction, &QAction::triggered, this, &MainWindow::requestClose);
    connect(ui->helpContentsAction, &QAction::triggered, this, &MainWindow::onHelp);
    connect(ui->aboutAction, &QAction::triggered, this, &MainWindow::onVersion);
    connect(ui->modelChangeAction, &QAction::triggered, this, &MainWindow::onModelChange);
    connect(ui->traceAction, &QAction::triggered, this, &MainWindow::onTrace);
    connect(ui->commSettingsAction, &QAction::triggered, this, &MainWindow::onCommSetting);
    connect(ui->saveAction, &QAction::triggered, this, [this] { m_fileCommands.save(); });
    connect(ui->loadAction, &QAction::triggered, this, [this] { m_fileCommands.load(); });
    connect(ui->journalAction, &QAction::triggered, this, &MainWindow::onJournal);
    connect(ui->lineTrafficAction, &QAction::triggered, this, &MainWindow::onLineTraffic);
    connect(ui->eventLogAction, &QAction::triggered, this,
            [this] { EventLogWindow::open(m_events.currentFile(), this); });
    connect(ui->openTrendLogAction, &QAction::triggered, this,
            [this] { TrendLogWindow::chooseAndOpen(this, m_shared, m_trendChart->logFileName()); });
    connect(ui->printerSelectionAction, &QAction::triggered, &m_screenPrint,
            &ScreenPrint::selectPrinter);
    connect(ui->printAction, &QAction::triggered, &m_screenPrint, &ScreenPrint::print);
    connect(ui->reportAction, &QAction::triggered, this, [this] { m_reportPrint.print(); });
    connect(ui->onlineButton, &QPushButton::clicked, this,
            [this] { runBlocking([this] { m_core.connection.toggleOnline(); }); });
    connect(m_linkCheckPanel->cancelButton(), &QPushButton::clicked, this,
            [this] { m_core.connection.cancelSearch(); });
    connect(ui->settingTabs, &QTabWidget::currentChanged, this, [this] { refreshSettingPage(); });
    connect(ui->uploadAction, &QAction::triggered, this, [this] { m_core.commands.upload(); });
    connect(ui->downloadAction, &QAction::triggered, this, [this] { m_core.commands.download(); });
    connect(ui->compareAction, &QAction::triggered, this, [this] { m_core.commands.compare(); });
}

void MainWindow::connectSettingButtons()
{
    // The pre-checks come first; the dialog for the item opens when they pass.
    for (int i = 0; i < ChangeButtonCount; ++i) {
        if (auto *button = findChild<QPushButton *>(QStringLiteral("changeButton_%1").arg(i)))
            connect(button, &QPushButton::clicked, this, [this, i] {
                if (m_core.commands.changeButton(i))
                    m_editor->edit(i + 10);
            });
    }
    for (int group = 0; group < TransferCommands::GroupCount; ++group) {
        if (auto *button =
                findChild<QPushButton *>(QStringLiteral("groupLockButton_%1").arg(group)))
            connect(button, &QPushButton::clicked, this,
                    [this, group] { m_core.commands.groupLockButton(group); });
    }
    for (int i = 0; i < ManualButtonCount; ++i) {
        auto *button = findChild<QPushButton *>(QStringLiteral("manualStepButton_%1").arg(i));
        connect(button, &QPushButton::clicked, this, [this, i] {
            // Its read must not come between the requests of a running job.
            if (!m_core.jobs.isRunning() && !m_core.vendorFrame.exchangeRunning())
                m_core.singleWrite.stepManualOutput(i);
            ui->mainTabs->setFocus();
        });
    }
}

void MainWindow::toggleSettingGroup(int group)
{
    m_displayView->toggleGroup(group);
    refreshSettingPage();
}

void MainWindow::setParameterButtonsEnabled(bool enabled)
{
    m_shared.parameterButtonsEnabled = enabled;
    // Every page, so that no hidden page keeps buttons of before.
    m_displayView->showSettingPage(settingPageState(m_shared, SettingPageState::AllPages));
}

void MainWindow::runStartupLinkCheck()
{
    runBlocking([this] { m_core.connection.startupLinkCheck(); });
}

void MainWindow::onLaterStart(const QString &filePath)
{
    if (!filePath.isEmpty())
        m_handedFile = filePath;
    bringToFront();
    loadHandedFile();
}

void MainWindow::bringToFront()
{
    // Before the splash window has shown it, the window stays hidden; it comes up anyway.
    if (!isVisible())
        return;
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
    // A dialog the operator has open stays in front of the window and keeps the focus.
    if (QWidget *dialog = QApplication::activeModalWidget()) {
        dialog->raise();
        dialog->activateWindow();
    }
}

void MainWindow::loadHandedFile()
{
    if (m_handedFile.isEmpty())
        return;
    // The display's data are not replaced under a running operation or an open dialog: the file
    // waits for the moment at which the operator could choose File load.
    const bool ready = isVisible() && !busy() && !m_closing &&
                       QApplication::activeModalWidget() == nullptr &&
                       ui->fileMenu->menuAction()->isEnabled();
    if (!ready) {
        m_handedFileRetry.start();
        return;
    }
    m_fileCommands.loadFile(std::exchange(m_handedFile, QString()));
}

void MainWindow::onCommSetting()
{
    if (!m_core.connection.prepareCommSettings())
        return;
    CommSettingsDialog dialog(m_core.context, m_store, this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    runBlocking([this, accepted] { m_core.connection.commSettingsClosed(accepted); });
}

void MainWindow::runBlocking(const std::function<void()> &operation)
{
    ++m_blockingDepth;
    operation();
    --m_blockingDepth;
    if (m_closePending && !busy()) {
        m_closePending = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

bool MainWindow::busy() const
{
    return m_blockingDepth > 0;
}

QString MainWindow::helpFileName()
{
    return msg(41) == QLatin1String("Main display") ? QStringLiteral("ZN Monitor_E")
                                                    : QStringLiteral("ZN Monitor_J");
}

void MainWindow::onHelp()
{
    m_op->beep();
    if (m_help == nullptr)
        m_help = new HelpWindow(this);
    m_help->openContents(helpFileName());
}

void MainWindow::onJournal()
{
    if (m_journalViewer == nullptr)
        m_journalViewer = new JournalWindow(m_core.journal, this);
    m_journalViewer->showLatest();
}

void MainWindow::onLineTraffic()
{
    // One window for the session, so that its filter and place stay while it is closed.
    if (m_trafficViewer == nullptr)
        m_trafficViewer = new TrafficWindow(m_core.traffic, m_shared, this);
    showOver(*m_trafficViewer, this);
}

void MainWindow::onVersion()
{
    m_op->beep();
    AboutDialog about(ProgramFolder::path(), this);
    about.exec();
}

void MainWindow::onModelChange()
{
    if (m_shared.online) {
        m_op->showMessage({163}, MessageIcon::Exclamation);
        return;
    }
    m_op->beep();
    m_editor->changeModel();
}

void MainWindow::onTrace()
{
    m_op->beep();
    if (!m_shared.online) {
        ui->traceAction->setChecked(false);
        m_op->showMessage({159}, MessageIcon::Exclamation);
        return;
    }
    m_trendChart->startRun();
}

bool MainWindow::isTracing() const
{
    return ui->traceAction->isChecked();
}

void MainWindow::stopTracing()
{
    ui->traceAction->setChecked(false);
    m_trendChart->stopRun();
}

void MainWindow::showChartValues()
{
    m_trendChart->showChartValues();
}

void MainWindow::showCommInfo(const QString &port, const QString &speed, const QString &dataParity,
                              const QString &stopBits, const QString &station,
                              const QString &protocol)
{
    ui->commInfoValue_0->setText(port);
    ui->commInfoValue_1->setText(speed);
    ui->commInfoValue_2->setText(dataParity);
    ui->commInfoValue_3->setText(stopBits);
    ui->commInfoValue_4->setText(station);
    ui->commInfoValue_5->setText(protocol);
}

void MainWindow::setLinkCheckState(LinkCheckState state)
{
    m_linkCheckPanel->setState(state);
}

void MainWindow::showSearchProgress(const SearchProgress &progress)
{
    m_linkCheckPanel->showProgress(progress);
}

void MainWindow::setMonitoringState(bool running)
{
    if (running)
        m_events.wentOnline();
    else
        m_events.wentOffline(m_shared.commErrorCount >= PollingCycle::OfflineErrorCount);
    ui->onlineButton->setText(msg(running ? 75 : 74));
    ui->onlineStateLabel->setText(msg(running ? 74 : 75));
    ui->monitorStateLabel->setText(msg(running ? 162 : 161));
    const QColor colour = running ? QColor(192, 255, 192) : QColor(Qt::white);
    setLabelColour(ui->onlineStateLabel, colour);
    setLabelColour(ui->monitorStateLabel, colour);
    // The last readings stay, muted, until the next good read; offline the manual output buttons
    // could only refuse.
    if (!running) {
        setValuesLive(false);
        m_displayView->setManualButtonsVisible(false);
    }
}

void MainWindow::setCommErrorVisible(bool visible)
{
    ui->linkCheckNotice->setVisible(visible);
    if (visible)
        setValuesLive(false);
}

void MainWindow::setCommErrorCause(const QString &text)
{
    // "Communication error" stays the box's first line; the cause, when known, is its second.
    ui->linkCheckNotice->setWordWrap(true);
    ui->linkCheckNotice->setText(text.isEmpty() ? msg(451) : msg(451) + QLatin1Char('\n') + text);
    ui->linkCheckNotice->setToolTip(text);
}

void MainWindow::showRefusal(const QString &text)
{
    // Panel 1 says "NG"; hovering it says why.
    m_panels[0]->setToolTip(text);
}

void MainWindow::setValuesLive(bool live)
{
    m_displayView->setValuesLive(live);
    m_trendChart->setValuesLive(live);
}

void MainWindow::refreshSettingPage()
{
    m_shared.settingTabIndex = qint16(ui->settingTabs->currentIndex());
    m_displayView->showSettingPage(settingPageState(m_shared, ui->settingTabs->currentIndex()));
    // Offline no monitor read follows: a model change or a loaded file shows here.
    if (!m_shared.online)
        m_displayView->showMonitorOptions(monitorPanelState(m_shared));
}

void MainWindow::refreshMonitor()
{
    // The auto/manual state goes into code 45 first, so that the page rebuilt below shows it.
    trackAutoManualChange(m_shared);
    setValuesLive(m_shared.online && !m_shared.commErrorFlag);
    const MonitorPanelState state = monitorPanelState(m_shared);
    m_displayView->showMonitorPanel(state);
    refreshSettingPage();
    m_trendChart->feed(state.chart);
}

void MainWindow::requestClose()
{
    close();
}

void MainWindow::setMonitoringTimersEnabled(bool enabled)
{
    for (TimerId id : {JobTimer, VendorRefreshTimer, SupervisionTimer}) {
        if (enabled)
            timer(id).start();
        else
            timer(id).stop();
    }
}

void MainWindow::setProgressVisible(bool visible, int messageId)
{
    if (visible) {
        const int maximum = messageId == DownloadMessage ? DownloadSteps : UploadItems;
        ui->transferProgress->setMaximum(maximum);
        ui->transferMessage->setText(messageId != 0 ? msg(messageId) : QString());
        ui->transferProgress->setValue(0);
    }
    ui->transferFrame->setVisible(visible);
}

void MainWindow::setProgressValue(int value)
{
    ui->transferProgress->setValue(value);
}

void MainWindow::showLoadedSettings()
{
    SettingPageState all = settingPageState(m_shared, SettingPageState::AllPages);
    for (SettingRow &row : all.rows)
        row.valueText = loadedSettingText(m_shared, row.place.code);
    all.mainSetValueText = loadedSettingText(m_shared, Code::MainSetValue);
    m_displayView->showSettingPage(all);
}

void MainWindow::showKeyOperationNotice()
{
    ui->keyOperationNotice->show();
    ui->pageKeyOperationNotice->show();
    timer(KeyNoticeTimer).start();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_closing && busy()) {
        m_closePending = true;
        if (m_core.connection.linkCheck().searching())
            m_core.connection.cancelSearch();
        event->ignore();
        return;
    }
    if (m_closing || confirmClose()) {
        event->accept();
        return;
    }
    event->ignore();
}

bool MainWindow::confirmClose()
{
    m_op->setStatusPanel(1, QString());
    m_shared.mainTabIndex = qint16(ui->mainTabs->currentIndex());
    m_shared.settingTabIndex = qint16(ui->settingTabs->currentIndex());
    m_store.storeOnClose(m_shared);

    if (!m_op->askYesNo({95}, MessageIcon::Question)) {
        m_op->beep();
        if (!m_shared.linkVerified && m_shared.commActive) {
            setMonitoringTimersEnabled(true);
            if (CommComponent *com = m_core.link.com())
                com->openPort();
        }
        for (MenuItem item : {MenuItem::File, MenuItem::Online, MenuItem::Setting})
            m_op->setMenuEnabled(item, true);
        return false;
    }

    m_op->beep();
    m_shared.linkVerified = false;
    if (m_shared.commActive) {
        setMonitoringTimersEnabled(false);
        if (CommComponent *com = m_core.link.com())
            com->closePort();
    }
    m_core.link.release();
    m_closing = true;
    return true;
}
