#include "app/AboutDialog.h"
#include "app/HelpWindow.h"
#include "app/MainWindow.h"
#include "base/MessageTable.h"
#include "base/ProgramFolder.h"
#include "comm/SettingsStore.h"
#include "tests/support/FakeOperator.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QtTest>

// The main window's own behaviour: captions by language, help, refusals and the close handling.
// The operator is scripted and the settings live in a temporary folder.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void captionsAndHelpFollowTheLanguage();
    void versionShowsTheDataFolder();
    void modelChangeAndTraceRefusals();
    void closeAnsweredNoKeepsMonitoring();
    void closeAnsweredYesStoresAndReleases();
    void closeDuringAJobWaitsForIt();

private:
    QAction *action(const char *name) { return m_window->findChild<QAction *>(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_store;
    SessionState &shared() { return m_window->core().shared; }
    FakeOperator m_op;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir->path());
    ProgramFolder::resolve(m_dir->path());
    m_store = std::make_unique<SettingsStore>(QSettings::IniFormat);
    m_op = FakeOperator();
    MessageTable::instance().setLanguage(Language::English);
    m_window = std::make_unique<MainWindow>(
        SessionState(), *m_store, [] { return std::unique_ptr<CommComponent>(); }, &m_op);
    m_window->initialise();
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    MessageTable::instance().setLanguage(Language::English);
}

void TestMainWindow::captionsAndHelpFollowTheLanguage()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("ZN Monitor"));
    QCOMPARE(action("commSettingsAction")->text(), QStringLiteral("Communication setting(&C)"));
    QCOMPARE(m_op.panels.value(3), QStringLiteral("Trace standby"));
    QCOMPARE(MainWindow::helpFileName(), QStringLiteral("ZN Monitor_E"));
    // A frame's title button says what it does to the frame's Change buttons, and names the frame.
    auto *lock = m_window->findChild<QPushButton *>(QStringLiteral("groupLockButton_0"));
    QCOMPARE(lock->text(), QStringLiteral("Lock"));
    QCOMPARE(lock->accessibleName(), QStringLiteral("Alarm 1 information: Lock"));

    m_window->show();
    action("helpContentsAction")->trigger();
    auto *help = m_window->findChild<HelpWindow *>();
    QVERIFY(help != nullptr && help->isVisible());
    // Centred over the main window.
    const QPoint offset = help->frameGeometry().center() - m_window->frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 4,
             qPrintable(QStringLiteral("%1, %2").arg(offset.x()).arg(offset.y())));
    QCOMPARE(help->source(), HelpWindow::contentsUrl(QStringLiteral("ZN Monitor_E")));
    // The page is compiled in: an unregistered resource would leave the browser empty.
    QVERIFY(
        help->findChild<QTextBrowser *>()->toPlainText().contains(QStringLiteral("ZN Monitor")));
    QCOMPARE(m_op.beeps, 1);

    MessageTable::instance().setLanguage(Language::Japanese);
    MainWindow japanese(
        SessionState(), *m_store, [] { return std::unique_ptr<CommComponent>(); }, &m_op);
    japanese.initialise();
    QCOMPARE(japanese.findChild<QTabWidget *>("mainTabs")->tabText(0),
             QStringLiteral("メイン画面"));
    QCOMPARE(japanese.findChild<QAction *>("exitAction")->text(), QStringLiteral("終了(&E)"));
    QCOMPARE(japanese.findChild<QPushButton *>("groupLockButton_0")->text(),
             QStringLiteral("ロック"));
    QCOMPARE(MainWindow::helpFileName(), QStringLiteral("ZN Monitor_J"));
    QVERIFY(!HelpWindow::contentsUrl(MainWindow::helpFileName()).isEmpty());
    // The keys-operated notes break between sentences, each of which fits its line: a break the
    // layout chose inside a sentence left its last kana alone on a line.
    for (const char *name : {"keyOperationNotice", "pageKeyOperationNotice"}) {
        auto *note = japanese.findChild<QLabel *>(name);
        const QStringList lines = note->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2);
        for (const QString &line : lines)
            QVERIFY2(note->fontMetrics().horizontalAdvance(line) <= note->contentsRect().width(),
                     qPrintable(line));
    }

    // Every picture either page shows is compiled in with it.
    for (const char *page : {":/help/ZN Monitor_E.html", ":/help/ZN Monitor_J.html"}) {
        QFile file{QLatin1String(page)};
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        int pictures = 0;
        const QRegularExpression image(QStringLiteral("<img src=\"([^\"]+)\""));
        for (const QRegularExpressionMatch &m : image.globalMatch(html)) {
            QVERIFY2(QFile::exists(QStringLiteral(":/help/") + m.captured(1)),
                     qPrintable(m.captured(1)));
            ++pictures;
        }
        QVERIFY(pictures >= 3);
    }
}

void TestMainWindow::versionShowsTheDataFolder()
{
    // The operator of an installed program finds the files through this dialog: it must name the
    // folder the files really go to, in the active language.
    for (const Language language : {Language::English, Language::Japanese}) {
        MessageTable::instance().setLanguage(language);
        QString caption;
        QString folder;
        QString version;
        QTimer::singleShot(0, [&] {
            auto *about = qobject_cast<AboutDialog *>(QApplication::activeModalWidget());
            if (about == nullptr)
                return;
            caption = about->findChild<QLabel *>("dataFolderCaption")->text();
            folder = about->folderText();
            version = about->versionText();
            about->accept();
        });
        action("aboutAction")->trigger();
        QCOMPARE(folder, ProgramFolder::path());
        QCOMPARE(folder, QDir(m_dir->path()).absolutePath());
        QCOMPARE(caption, msg(940));
        QVERIFY(caption.contains(QStringLiteral("Logging")));
        QCOMPARE(version, QStringLiteral(ZN_VERSION));
    }
}

void TestMainWindow::modelChangeAndTraceRefusals()
{
    shared().online = true;
    action("modelChangeAction")->trigger();
    QCOMPARE(m_op.messages(), QList<QList<int>>{{163}});

    shared().online = false;
    action("traceAction")->trigger();
    QCOMPARE(m_op.messages().last(), QList<int>{159});
    QVERIFY(!m_window->isTracing());

    // Offline the manual output buttons go, as they could only be refused.
    shared().online = true;
    shared().monitorValues[4] = 0x5000; // manual control by the auto/manual key
    m_window->refreshMonitor();
    const auto shown = [this] {
        return !m_window->findChild<QWidget *>("manualStepButton_0")->isHidden();
    };
    QVERIFY(shown());
    shared().online = false;
    m_window->setMonitoringState(false);
    QVERIFY(!shown());
}

void TestMainWindow::closeAnsweredNoKeepsMonitoring()
{
    shared().commActive = true;
    shared().linkVerified = true;
    m_window->setMonitoringTimersEnabled(true);
    m_op.answers = {false};

    QVERIFY(!m_window->close());
    QCOMPARE(m_op.shown.last().ids, QList<int>{95});
    QVERIFY(m_op.shown.last().question);
    QVERIFY(m_window->timer(MainWindow::JobTimer).isActive());
    QVERIFY(m_window->timer(MainWindow::VendorRefreshTimer).isActive());
    QVERIFY(m_window->timer(MainWindow::SupervisionTimer).isActive());
    QVERIFY(m_op.menus.value(MenuItem::File) && m_op.menus.value(MenuItem::Online) &&
            m_op.menus.value(MenuItem::Setting));
    QVERIFY(shared().linkVerified);
    QVERIFY(m_op.unexpectedQuestions.isEmpty());
}

void TestMainWindow::closeAnsweredYesStoresAndReleases()
{
    m_window->core().link.renew();
    shared().commActive = true;
    shared().linkVerified = true;
    shared().stationAddress = QStringLiteral("37");
    shared().savedProtocolIndex = Ravtocol;
    shared().protocolIndex = VendorFrame;
    m_window->findChild<QTabWidget *>("settingTabs")->setCurrentIndex(2);
    m_window->setMonitoringTimersEnabled(true);
    m_op.answers = {true};

    QVERIFY(m_window->close());
    QVERIFY(!m_window->timer(MainWindow::JobTimer).isActive());
    QVERIFY(!m_window->timer(MainWindow::SupervisionTimer).isActive());
    QVERIFY(m_window->core().link.com() == nullptr);
    QVERIFY(!shared().linkVerified);
    QCOMPARE(m_store->storedValue(false, "SSTab2"), QStringLiteral("2"));
    QCOMPARE(m_store->storedValue(false, "strAdr"), QStringLiteral("37"));
    // A vendor-frame exchange cut off by the close leaves the user's protocol stored.
    QCOMPARE(m_store->storedValue(false, "Protocol"), QStringLiteral("2"));
}

void TestMainWindow::closeDuringAJobWaitsForIt()
{
    m_window->core().link.renew();
    shared().commActive = true;
    bool closedInside = true;
    // An upload lets the window process events; the operator closes the window meanwhile.
    m_window->core().jobs.setHandler(TimerJob::Upload, [&] {
        closedInside = m_window->close();
        return m_window->core().link.com() != nullptr;
    });
    shared().timerJob = TimerJob::Upload;
    m_op.answers = {true};
    m_window->timer(MainWindow::JobTimer).start();

    QTRY_VERIFY(m_window->core().link.com() == nullptr);
    QVERIFY(!closedInside);
    QCOMPARE(shared().timerJob, TimerJob::Monitor);
    QCOMPARE(m_op.shown.last().ids, QList<int>{95});
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
