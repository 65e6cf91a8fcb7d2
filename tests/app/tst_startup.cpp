#include "app/SingleInstance.h"
#include "app/StartupArgs.h"
#include "app/StartupRoutine.h"
#include "base/MessageTable.h"
#include "base/ProgramFolder.h"
#include "base/SessionState.h"
#include "comm/ParameterTable.h"
#include "comm/SettingsStore.h"
#include "tests/support/FakeOperator.h"
#include "transfer/SettingsDataFile.h"

#include <QLocalSocket>
#include <QStandardPaths>
#include <QtTest>

#include <atomic>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
// A thread that is waited for however the test ends.
class JoinedThread
{
public:
    template <typename Body> explicit JoinedThread(Body body) : m_thread(std::move(body)) {}
    ~JoinedThread() { m_thread.join(); }

private:
    std::thread m_thread;
};
} // namespace

// The start routine before any window: the command-line rule, the settings data file, the
// single-instance lock and the folders.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void commandLineNamesAFileOnlyInQuotesWithLowerCaseExtension_data();
    void commandLineNamesAFileOnlyInQuotesWithLowerCaseExtension();
    void settingsFileRoundTripsAndReadsOnlyWhatItNeeds();
    void namedFileIsTakenMissingFileFallsBackToDefaults();
    void laterStartHandsItsFileToTheRunningCopy_data();
    void laterStartHandsItsFileToTheRunningCopy();
    void laterStartIsRefusedWhenNoRunningCopyAnswers();
    void programFolderIsBesideTheProgramOnlyWhenPortable_data();
    void programFolderIsBesideTheProgramOnlyWhenPortable();
    void toolAndWindowShareTheUserFolder();

private:
    QString writeFile(const QString &name, const QByteArray &content);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestStartup::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    ProgramFolder::resolve(m_dir->path());
}

QString TestStartup::writeFile(const QString &name, const QByteArray &content)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestStartup::commandLineNamesAFileOnlyInQuotesWithLowerCaseExtension_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("path");
    QTest::newRow("none") << QStringList{"zn-monitor"} << QString();
    QTest::newRow("path") << QStringList{"zn-monitor", "/data/oven 1.znm"}
                          << QStringLiteral("/data/oven 1.znm");
    QTest::newRow("capital extension") << QStringList{"zn-monitor", "/data/oven.ZNM"} << QString();
    QTest::newRow("other extension") << QStringList{"zn-monitor", "/data/oven.txt"} << QString();
    QTest::newRow("too short") << QStringList{"zn-monitor", "znm"} << QString();
}

void TestStartup::commandLineNamesAFileOnlyInQuotesWithLowerCaseExtension()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, path);
    QCOMPARE(StartupArgs::settingsFilePath(StartupArgs::rawCommandLine(arguments)), path);
    // As Windows hands it over: an unquoted path takes the wrong three characters.
    QCOMPARE(StartupArgs::settingsFilePath(QStringLiteral("C:\\data\\oven.znm")), QString());
    QCOMPARE(StartupArgs::settingsFilePath(QStringLiteral("\"C:\\data\\oven.znm\"")),
             QStringLiteral("C:\\data\\oven.znm"));
}

void TestStartup::settingsFileRoundTripsAndReadsOnlyWhatItNeeds()
{
    SessionState saved;
    saved.formatMarker = 1;
    saved.unitConfig = {1, 1, 3, 0, 2, 1};
    saved.settingValues = ParameterTable::defaultSettingValues();
    saved.setting(11) = -200; // the scaling low limit, the lowest a set value may be
    saved.setting(36) = 9;
    const QByteArray text = SettingsDataFile::compose(saved);
    QCOMPARE(text.count("\r\n"), SettingsDataFile::LineCount);
    // The program always files format marker 0, whatever it last read.
    QVERIFY(text.startsWith("\"ZN8P\"\r\n0\r\n1\r\n1\r\n3\r\n"));

    const QString path = m_dir->filePath("round.znm");
    QVERIFY(SettingsDataFile::write(path, saved).isNone());
    const SettingsDataFile::ReadResult read = SettingsDataFile::read(path);
    QVERIFY(read.ok());
    SessionState loaded;
    SettingsDataFile::take(read.contents, loaded);
    QCOMPARE(loaded.modelName, QStringLiteral("ZN8P"));
    QCOMPARE(loaded.formatMarker, qint16(0));
    QVERIFY(loaded.unitConfig == saved.unitConfig);
    QCOMPARE(loaded.settingValues, saved.settingValues);
    QVERIFY(loaded.settingsFromFile);

    // Only the lines needed are read: what follows them does not matter, a line too long for any
    // field (a huge file with no line ends) is refused, and a FIFO is not waited on.
    using SettingsDataFile::Fault;
    QVERIFY(SettingsDataFile::read(writeFile("tail.znm", text + QByteArray(1 << 20, 'x'))).ok());
    QCOMPARE(SettingsDataFile::read(writeFile("oneline.znm", QByteArray(1 << 20, '1'))).fault,
             Fault::ModelName);
    QCOMPARE(SettingsDataFile::read(m_dir->filePath("absent.znm")).fault, Fault::Unreadable);
    const QString fifo = m_dir->filePath("fifo.znm");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(SettingsDataFile::read(fifo).fault, Fault::Unreadable);
    QVERIFY(!SettingsDataFile::write(fifo, saved).isNone());
    QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
}

void TestStartup::namedFileIsTakenMissingFileFallsBackToDefaults()
{
    SessionState source;
    source.unitConfig.alarm2 = 1;
    source.settingValues = ParameterTable::defaultSettingValues();
    source.settingValues[3] = 77;
    const QString path = m_dir->filePath("start.znm");
    QVERIFY(SettingsDataFile::write(path, source).isNone());

    FakeOperator op;
    StartupRoutine routine(op);
    SessionState &shared = routine.state();
    shared.commActive = true;
    QVERIFY(routine.prepareFolders());
    QVERIFY(QDir(m_dir->path()).exists("Logging") && QDir(m_dir->path()).exists("Setdata"));
    QCOMPARE(QDir::currentPath(), QDir(m_dir->path()).absolutePath());

    QCOMPARE(routine.takeSettingsFile('"' + path + '"'), StartupRoutine::FileOutcome::Loaded);
    QVERIFY(shared.settingDataValid && shared.keepUnitFlag && !shared.commActive);
    QCOMPARE(shared.settingValues[3], qint16(77));
    QCOMPARE(shared.unitConfig.alarm2, qint16(1));
    QVERIFY(op.shown.isEmpty());

    // Format marker 1 given at start-up keeps its unit options (File load drops them).
    QByteArray marked = SettingsDataFile::compose(source);
    marked.replace("\"ZN8P\"\r\n0\r\n", "\"ZN8P\"\r\n1\r\n");
    const QString markedPath = writeFile("marked.znm", marked);
    StartupRoutine markedStart(op);
    const SessionState &started = markedStart.state();
    QCOMPARE(markedStart.takeSettingsFile('"' + markedPath + '"'),
             StartupRoutine::FileOutcome::Loaded);
    QCOMPARE(started.formatMarker, qint16(1));
    QVERIFY(started.unitConfig == source.unitConfig);
    QCOMPARE(started.settingValues[3], qint16(77));
    SessionState loaded;
    SettingsDataFile::take(SettingsDataFile::read(markedPath).contents, loaded);
    QVERIFY(loaded.unitConfig == UnitConfig{});

    StartupRoutine second(op);
    SessionState &fresh = second.state();
    fresh.keepUnitFlag = true;
    const QString missing = '"' + m_dir->filePath("gone.znm") + '"';
    QCOMPARE(second.takeSettingsFile(missing), StartupRoutine::FileOutcome::Missing);
    QCOMPARE(op.messages(), QList<QList<int>>{{39}});
    QCOMPARE(fresh.settingValues, ParameterTable::defaultSettingValues());
    QCOMPARE(fresh.settingValues[5], qint16(200));
    QCOMPARE(fresh.settingValues[16], qint16(-200));
    QVERIFY(!fresh.keepUnitFlag && !fresh.settingDataValid);

    // A file that exists but is damaged: the start goes on with the defaults and says why.
    MessageTable::instance().setLanguage(Language::English);
    QByteArray text = SettingsDataFile::compose(source);
    text.replace("\r\n50\r\n", "\r\n150\r\n"); // anti-reset windup, line 50
    const QString damaged = writeFile("damaged.znm", text);
    FakeOperator told;
    StartupRoutine failing(told);
    SessionState &third = failing.state();
    third.keepUnitFlag = true;
    QCOMPARE(failing.run('"' + damaged + '"', m_dir->path()), StartupRoutine::Outcome::Start);
    QCOMPARE(told.messages(), QList<QList<int>>{{950}});
    QVERIFY(told.texts.value(950).startsWith(msg(950).arg(50).arg(QString())));
    QVERIFY(told.texts.value(950).endsWith(msg(959)));
    QCOMPARE(third.settingValues, ParameterTable::defaultSettingValues());
    QVERIFY(!third.settingDataValid && !third.keepUnitFlag);
    QVERIFY(!third.settingsFromFile && third.unitConfig == UnitConfig{});
}

void TestStartup::laterStartHandsItsFileToTheRunningCopy_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("handed"); // relative: from the later start's current folder
    QTest::newRow("no file") << QStringList{"zn-monitor"} << QString();
    QTest::newRow("absolute") << QStringList{"zn-monitor", "/data/oven 1.znm"}
                              << QStringLiteral("/data/oven 1.znm");
    QTest::newRow("relative") << QStringList{"zn-monitor", "oven.znm"}
                              << QStringLiteral("oven.znm");
    QTest::newRow("capital extension") << QStringList{"zn-monitor", "/data/oven.ZNM"} << QString();
}

void TestStartup::laterStartHandsItsFileToTheRunningCopy()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, handed);
    QDir::setCurrent(m_dir->path());
    FakeOperator op;
    StartupRoutine running(op);
    QCOMPARE(running.claimSingleInstance(QString(), m_dir->path()), StartupRoutine::Outcome::Start);
    // The socket of a copy that crashed is in the way of no one.
    writeFile(QStringLiteral("ZN Monitor.socket"), "left over");
    QVERIFY(running.instance()->listen());
    QSignalSpy requests(running.instance(), &SingleInstance::activationRequested);
    // The window answers with a question box, an event loop of its own, while the later start's
    // connection closes under it.
    connect(running.instance(), &SingleInstance::activationRequested, this, [] {
        QEventLoop questionBox;
        QTimer::singleShot(300, &questionBox, &QEventLoop::quit);
        questionBox.exec();
    });

    // The later start waits for the running copy's answer, which comes from its event loop: that
    // loop runs here while the later start runs in a thread, as it would in a process, of its own.
    FakeOperator laterOp;
    std::atomic<bool> done = false;
    auto outcome = StartupRoutine::Outcome::Start;
    const JoinedThread later([&] {
        StartupRoutine routine(laterOp);
        outcome = routine.run(StartupArgs::rawCommandLine(arguments), m_dir->path());
        done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), SingleInstance::HandOverTimeoutMs + 5000);
    QCOMPARE(outcome, StartupRoutine::Outcome::HandedOver);
    QVERIFY(laterOp.shown.isEmpty() && laterOp.beeps == 0);
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0][0].toString(),
             handed.isEmpty() ? QString() : QDir::current().absoluteFilePath(handed));
}

void TestStartup::laterStartIsRefusedWhenNoRunningCopyAnswers()
{
    // A copy that holds the lock but does not listen (still starting, or an older version).
    SingleInstance running(m_dir->path());
    QVERIFY(running.tryAcquire());
    FakeOperator op;
    StartupRoutine later(op);
    later.setHandOverTimeout(300);
    QCOMPARE(later.run(QStringLiteral("\"/data/oven.znm\""), m_dir->path()),
             StartupRoutine::Outcome::Stop);
    QCOMPARE(op.shown.size(), 1);
    QCOMPARE(op.shown[0].ids, QList<int>{56});
    QCOMPARE(op.shown[0].icon, MessageIcon::Critical);
    QCOMPARE(op.beeps, 1);

    // What is not a request of a later start is dropped at once and asks for nothing.
    QVERIFY(running.listen());
    QSignalSpy requests(&running, &SingleInstance::activationRequested);
    QLocalSocket stranger;
    stranger.connectToServer(running.socketPath());
    QVERIFY(stranger.waitForConnected(1000));
    stranger.write("GET / HTTP/1.0\r\n\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(stranger.state(), QLocalSocket::UnconnectedState, 3000);
    QVERIFY(requests.isEmpty());
}

void TestStartup::programFolderIsBesideTheProgramOnlyWhenPortable_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<bool>("beside");
    // A folder of its own, as in the build tree or a copy on a stick: the files go beside it.
    QTest::newRow("portable") << QStringLiteral("writable") << true;
    // Installed as a desktop program: never beside it, even where it could write (root, or
    // installed under ~/.local).
    QTest::newRow("installed, writable") << QStringLiteral("installed") << false;
    QTest::newRow("read-only") << QStringLiteral("read-only") << false;
    QTest::newRow("gone") << QStringLiteral("gone") << false;
}

void TestStartup::programFolderIsBesideTheProgramOnlyWhenPortable()
{
    QFETCH(QString, layout);
    QFETCH(bool, beside);
    if (layout == QLatin1String("read-only") && ::geteuid() == 0)
        QSKIP("root writes into a read-only folder");
    const QString prefix = m_dir->filePath("prefix");
    const QString bin = prefix + QStringLiteral("/bin");
    const QString user = m_dir->filePath("user");
    if (layout != QLatin1String("gone"))
        QVERIFY(QDir().mkpath(bin));
    if (layout == QLatin1String("installed")) {
        QVERIFY(QDir().mkpath(prefix + QStringLiteral("/share/applications")));
        QFile entry(prefix + QStringLiteral("/share/applications/" ZN_DESKTOP_ID ".desktop"));
        QVERIFY(entry.open(QIODevice::WriteOnly));
    }
    if (layout == QLatin1String("read-only"))
        QVERIFY(QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner));

    QCOMPARE(ProgramFolder::choose(bin, user), beside ? bin : user);
    QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// znctl goes by a name of its own; its journal and logs still land where the window's File > Write
// journal looks for them.
void TestStartup::toolAndWindowShareTheUserFolder()
{
    const QString organization = QCoreApplication::organizationName();
    const QString application = QCoreApplication::applicationName();
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setApplicationName(QStringLiteral("znctl"));
    const QString tool = ProgramFolder::userDataFolder();
    QCoreApplication::setOrganizationName(SettingsStore::FirstOrganization);
    QCoreApplication::setApplicationName(SettingsStore::Application);
    const QString window = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setOrganizationName(organization);
    QCoreApplication::setApplicationName(application);
    QCOMPARE(tool, window);
    QCOMPARE(ProgramFolder::userDataFolder(), window);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
