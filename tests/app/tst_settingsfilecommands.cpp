#include "app/ProgramFolder.h"
#include "app/SettingsDataFile.h"
#include "app/SettingsFileCommands.h"
#include "app/SettingsFileDialogs.h"
#include "tests/support/ConnectionRig.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace
{
// Both file dialogs answer name (empty: cancelled).
class ScriptedDialogs : public SettingsFileDialogs
{
public:
    QString saveFileName(const QString &) override { return name; }
    QString openFileName(const QString &) override { return name; }
    QString name;
};

// Setting data on the display and the file commands over a temporary program folder; the
// dialogs answer Setdata/oven.znm.
struct FileRig : ConnectionRig {
    FileRig()
    {
        ProgramFolder::resolve(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("Setdata"));
        inc.settingDataValid = true;
        inc.unitConfig = {1, 1, 4, 1, 2, 1};
        for (int k = 1; k <= SettingsDataFile::ValueCount; ++k)
            inc.settingValues[k] = qint16(k * 613 - 16000);
        dialogs.name = ProgramFolder::setdata() + QStringLiteral("/oven.znm");
    }
    QByteArray file() const
    {
        QFile f(dialogs.name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    ScriptedDialogs dialogs;
    SettingsFileCommands commands{inc, op, view, dialogs};
};
} // namespace

class TestSettingsFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void savedFileLoadsBackEqualRefusalsTouchNothing();
    void damagedFileKeepsWhatWasRead_data();
    void damagedFileKeepsWhatWasRead();
    void failedWriteLeavesOldFile();
    void onlineQuestionSavesAFile();
};

void TestSettingsFileCommands::savedFileLoadsBackEqualRefusalsTouchNothing()
{
    FileRig saver;
    saver.inc.settingDataValid = false;
    QVERIFY(!saver.commands.mnuSave());
    QCOMPARE(saver.op.messages(), QList<QList<int>>{{197}});
    saver.inc.settingDataValid = saver.inc.unsavedOnlineChanges = true;
    QVERIFY(saver.commands.mnuSave());
    QVERIFY(!saver.inc.unsavedOnlineChanges);
    QCOMPARE(QDir::currentPath(), ProgramFolder::path());
    const QByteArray saved = saver.file();

    // Overwriting refused: message 508, the file stays as it was.
    saver.inc.settingValues[1] = 0;
    saver.op.answers = {false};
    QVERIFY(!saver.commands.mnuSave());
    QCOMPARE(saver.op.shown.at(2).ids, QList<int>{508});
    QCOMPARE(saver.file(), saved);

    FileRig loader;
    loader.inc = ZN8P_INC();
    loader.inc.online = true;
    QVERIFY(!loader.commands.mnuLoad());
    QCOMPARE(loader.op.messages(), QList<QList<int>>{{701}});
    loader.inc.online = false;
    loader.op.answers = {true};
    loader.dialogs.name = saver.dialogs.name;
    QVERIFY(loader.commands.mnuLoad());
    QCOMPARE(loader.op.shown.at(1).ids, QList<int>{535});
    QCOMPARE(loader.inc.modelName, QStringLiteral("ZN8P"));
    QVERIFY(loader.inc.unitConfig == FileRig().inc.unitConfig);
    QCOMPARE(loader.inc.settingValues, FileRig().inc.settingValues);
    QVERIFY(loader.inc.settingDataValid && loader.inc.unitCheckFlag);
    QVERIFY(loader.inc.unsavedOnlineChanges);
    QCOMPARE(loader.view.readData3Calls, 1);
}

void TestSettingsFileCommands::damagedFileKeepsWhatWasRead_data()
{
    QTest::addColumn<int>("lines"); // the first lines of a whole file of format marker 1
    QTest::addColumn<QByteArray>("tail");
    QTest::newRow("empty") << 0 << QByteArray();
    QTest::newRow("header only") << 8 << QByteArray();
    QTest::newRow("cut in the values") << 30 << QByteArray();
    QTest::newRow("garbage in the values") << 30 << QByteArray("\x01\xfe#?\r\n5\r\n");
    QTest::newRow("whole") << 61 << QByteArray();
}

void TestSettingsFileCommands::damagedFileKeepsWhatWasRead()
{
    QFETCH(int, lines);
    QFETCH(QByteArray, tail);

    FileRig rig;
    const ZN8P_INC source = rig.inc;
    const QList<QByteArray> all = SettingsDataFile::compose(source).split('\n');
    QFile file(rig.dialogs.name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < lines; ++i)
        file.write((i == 1 ? QByteArray("1\r") : all.at(i)) + '\n');
    file.write(tail);
    file.close();
    rig.inc.settingValues.fill(7);
    rig.inc.settingDataValid = false;
    rig.op.answers = {true};

    const bool whole = lines == SettingsDataFile::LineCount;
    QCOMPARE(rig.commands.mnuLoad(), whole);
    QVERIFY(rig.op.messages().isEmpty());
    QCOMPARE(rig.inc.settingDataValid, whole);
    // Values before the fault are the file's, the rest are as they were.
    const int valuesRead = qBound(0, lines - 8, SettingsDataFile::ValueCount);
    for (int k = 1; k <= SettingsDataFile::ValueCount; ++k)
        QCOMPARE(rig.inc.settingValues[k], k <= valuesRead ? source.settingValues[k] : qint16(7));
    // Format marker 1: the file's unit configuration does not count.
    QVERIFY(!whole || rig.inc.unitConfig == UnitConfig{});
}

void TestSettingsFileCommands::failedWriteLeavesOldFile()
{
    FileRig rig;
    QVERIFY(rig.commands.mnuSave());
    const QByteArray old = rig.file();

    // The disk fills after 100 bytes of the new file.
    rig.inc.settingValues[1] = 1;
    rig.inc.unsavedOnlineChanges = true;
    rig.op.answers = {true};
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    const rlimit full{100, unlimited.rlim_max};
    setrlimit(RLIMIT_FSIZE, &full);
    const bool written = rig.commands.mnuSave();
    setrlimit(RLIMIT_FSIZE, &unlimited);

    QVERIFY(!written);
    QCOMPARE(rig.file(), old);
    QCOMPARE(QDir(ProgramFolder::setdata()).entryList(QDir::Files), QStringList{"oven.znm"});
    QVERIFY(rig.inc.unsavedOnlineChanges);
    QVERIFY(rig.op.panels.value(4).startsWith(QDir::toNativeSeparators(rig.dialogs.name)));
}

void TestSettingsFileCommands::onlineQuestionSavesAFile()
{
    FileRig rig;
    rig.controllerAt("COM1", "9600", FrameMode::ModbusAscii, 1);
    rig.controller.startupLinkCheck();
    rig.controller.setFileSave([&] { rig.commands.mnuSave(); });
    rig.inc.unsavedOnlineChanges = rig.inc.unitCheckFlag = true;
    rig.op.answers = {true, false}; // save: Yes; send the display's data: No

    rig.controller.toggleOnline();
    QCOMPARE(rig.op.shown.first().ids, (QList<int>{362, 363}));
    ZN8P_INC loaded;
    QVERIFY(SettingsDataFile::read(rig.dialogs.name, loaded));
    QVERIFY(loaded.unitConfig == rig.inc.unitConfig);
    QCOMPARE(loaded.settingValues, rig.inc.settingValues);
}

QTEST_GUILESS_MAIN(TestSettingsFileCommands)
#include "tst_settingsfilecommands.moc"
