#include "app/HelpViewer.h"
#include "app/MainDisp.h"
#include "app/SubDisp_About.h"
#include "base/MessageTable.h"
#include "base/ProgramFolder.h"
#include "comm/SettingsStore.h"
#include "tests/support/FakeOperator.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTabWidget>
#include <QTextBrowser>
#include <QtTest>

// The main window's own behaviour: captions by language, help, refusals and the close handling.
// The operator is scripted and the settings live in a temporary folder.
class TestMainDisp : public QObject
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
    ZN8P_INC &inc() { return m_window->core().inc; }
    FakeOperator m_op;
    std::unique_ptr<MainDisp> m_window;
};

void TestMainDisp::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir->path());
    ProgramFolder::resolve(m_dir->path());
    m_store = std::make_unique<SettingsStore>(QSettings::IniFormat);
    m_op = FakeOperator();
    MessageTable::instance().setLanguage(Language::English);
    m_window = std::make_unique<MainDisp>(
        ZN8P_INC(), *m_store, [] { return std::unique_ptr<ZN8PCom>(); }, &m_op);
    m_window->system_init();
}

void TestMainDisp::cleanup()
{
    m_window.reset();
    MessageTable::instance().setLanguage(Language::English);
}

void TestMainDisp::captionsAndHelpFollowTheLanguage()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("ZN Monitor"));
    QCOMPARE(action("mnuComset")->text(), QStringLiteral("Communication setting(&C)"));
    QCOMPARE(m_op.panels.value(3), QStringLiteral("Trace standby"));
    QCOMPARE(MainDisp::helpFileName(), QStringLiteral("ZN Monitor_E"));

    m_window->show();
    action("mnuHelp2")->trigger();
    auto *help = m_window->findChild<HelpViewer *>();
    QVERIFY(help != nullptr && help->isVisible());
    // Centred over the main window.
    const QPoint offset = help->frameGeometry().center() - m_window->frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 4,
             qPrintable(QStringLiteral("%1, %2").arg(offset.x()).arg(offset.y())));
    QCOMPARE(help->source(), HelpViewer::contentsUrl(QStringLiteral("ZN Monitor_E")));
    // The page is compiled in: an unregistered resource would leave the browser empty.
    QVERIFY(
        help->findChild<QTextBrowser *>()->toPlainText().contains(QStringLiteral("ZN Monitor")));
    QCOMPARE(m_op.beeps, 1);

    MessageTable::instance().setLanguage(Language::Japanese);
    MainDisp japanese(
        ZN8P_INC(), *m_store, [] { return std::unique_ptr<ZN8PCom>(); }, &m_op);
    japanese.system_init();
    QCOMPARE(japanese.findChild<QTabWidget *>("SSTab1")->tabText(0), QStringLiteral("メイン画面"));
    QCOMPARE(japanese.findChild<QAction *>("mnuExit")->text(), QStringLiteral("終了(&E)"));
    QCOMPARE(MainDisp::helpFileName(), QStringLiteral("ZN Monitor_J"));
    QVERIFY(!HelpViewer::contentsUrl(MainDisp::helpFileName()).isEmpty());
    // The keys-operated notes break between sentences, each of which fits its line: a break the
    // layout chose inside a sentence left its last kana alone on a line.
    for (const char *name : {"Text_readmsg3", "Text_readmsg5"}) {
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

void TestMainDisp::versionShowsTheDataFolder()
{
    // The operator of an installed program finds the files through this dialog: it must name the
    // folder the files really go to, in the active language.
    for (const Language language : {Language::English, Language::Japanese}) {
        MessageTable::instance().setLanguage(language);
        QString caption;
        QString folder;
        QString version;
        QTimer::singleShot(0, [&] {
            auto *about = qobject_cast<SubDisp_About *>(QApplication::activeModalWidget());
            if (about == nullptr)
                return;
            caption = about->findChild<QLabel *>("lblFolderCaption")->text();
            folder = about->folderText();
            version = about->versionText();
            about->accept();
        });
        action("mnuVer")->trigger();
        QCOMPARE(folder, ProgramFolder::path());
        QCOMPARE(folder, QDir(m_dir->path()).absolutePath());
        QCOMPARE(caption, msg(940));
        QVERIFY(caption.contains(QStringLiteral("Logging")));
        QCOMPARE(version, QStringLiteral(ZN_VERSION));
    }
}

void TestMainDisp::modelChangeAndTraceRefusals()
{
    inc().online = true;
    action("mnuOpset")->trigger();
    QCOMPARE(m_op.messages(), QList<QList<int>>{{163}});

    inc().online = false;
    action("mnuTrace")->trigger();
    QCOMPARE(m_op.messages().last(), QList<int>{159});
    QVERIFY(!m_window->isTracing());

    // Offline the manual output buttons go, as they could only be refused.
    inc().online = true;
    inc().monitorValues[4] = 0x5000; // manual control by the auto/manual key
    m_window->refreshMonitor();
    const auto shown = [this] { return !m_window->findChild<QWidget *>("Manuval_0")->isHidden(); };
    QVERIFY(shown());
    inc().online = false;
    m_window->setMonitoringState(false);
    QVERIFY(!shown());
}

void TestMainDisp::closeAnsweredNoKeepsMonitoring()
{
    inc().commActive = true;
    inc().linkVerified = true;
    m_window->setMonitoringTimersEnabled(true);
    m_op.answers = {false};

    QVERIFY(!m_window->close());
    QCOMPARE(m_op.shown.last().ids, QList<int>{95});
    QVERIFY(m_op.shown.last().question);
    QVERIFY(m_window->timer(MainDisp::Timer1).isActive());
    QVERIFY(m_window->timer(MainDisp::Timer5).isActive());
    QVERIFY(m_window->timer(MainDisp::Timer6).isActive());
    QVERIFY(m_op.menus.value(MenuItem::File) && m_op.menus.value(MenuItem::Online) &&
            m_op.menus.value(MenuItem::Setting));
    QVERIFY(inc().linkVerified);
    QVERIFY(m_op.unexpectedQuestions.isEmpty());
}

void TestMainDisp::closeAnsweredYesStoresAndReleases()
{
    m_window->core().link.renew();
    inc().commActive = true;
    inc().linkVerified = true;
    inc().stationAddress = QStringLiteral("37");
    inc().savedProtocolIndex = Ravtocol;
    inc().protocolIndex = VendorFrame;
    m_window->findChild<QTabWidget *>("SSTab2")->setCurrentIndex(2);
    m_window->setMonitoringTimersEnabled(true);
    m_op.answers = {true};

    QVERIFY(m_window->close());
    QVERIFY(!m_window->timer(MainDisp::Timer1).isActive());
    QVERIFY(!m_window->timer(MainDisp::Timer6).isActive());
    QVERIFY(m_window->core().link.com() == nullptr);
    QVERIFY(!inc().linkVerified);
    QCOMPARE(m_store->storedValue(false, "SSTab2"), QStringLiteral("2"));
    QCOMPARE(m_store->storedValue(false, "strAdr"), QStringLiteral("37"));
    // A vendor-frame exchange cut off by the close leaves the user's protocol stored.
    QCOMPARE(m_store->storedValue(false, "Protocol"), QStringLiteral("2"));
}

void TestMainDisp::closeDuringAJobWaitsForIt()
{
    m_window->core().link.renew();
    inc().commActive = true;
    bool closedInside = true;
    // An upload lets the window process events; the operator closes the window meanwhile.
    m_window->core().jobs.setHandler(JobDispatcher::Upload, [&] {
        closedInside = m_window->close();
        return m_window->core().link.com() != nullptr;
    });
    inc().timerJob = JobDispatcher::Upload;
    m_op.answers = {true};
    m_window->timer(MainDisp::Timer1).start();

    QTRY_VERIFY(m_window->core().link.com() == nullptr);
    QVERIFY(!closedInside);
    QCOMPARE(inc().timerJob, qint16(JobDispatcher::Monitor));
    QCOMPARE(m_op.shown.last().ids, QList<int>{95});
}

QTEST_MAIN(TestMainDisp)
#include "tst_maindisp.moc"
