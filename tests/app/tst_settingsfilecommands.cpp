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
// Answers the file dialogs with a scripted name (empty: cancelled) and records the folder.
class ScriptedDialogs : public SettingsFileDialogs
{
public:
    QString saveFileName(const QString &folder) override { return answer(folder); }
    QString openFileName(const QString &folder) override { return answer(folder); }

    QString name;
    QStringList folders;

private:
    QString answer(const QString &folder)
    {
        folders << folder;
        return name;
    }
};

// File commands over a rig whose program folder is a temporary one.
struct FileRig : ConnectionRig {
    FileRig()
    {
        ProgramFolder::resolve(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("Setdata"));
        inc.settingDataValid = true;
        inc.unitConfig = {1, 1, 4, 1, 2, 1};
        for (int k = 1; k <= SettingsDataFile::ValueCount; ++k)
            inc.settingValues[k] = qint16(k * 613 - 16000);
    }
    QString setdata(const QString &name) const { return ProgramFolder::setdata() + '/' + name; }
    QByteArray contents(const QString &path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    ScriptedDialogs dialogs;
    SettingsFileCommands commands{inc, op, view, dialogs};
};
} // namespace

class TestSettingsFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void savedFileLoadsBackEqual();
    void refusalsWriteAndReadNothing_data();
    void refusalsWriteAndReadNothing();
    void damagedFilesKeepWhatWasRead_data();
    void damagedFilesKeepWhatWasRead();
    void failedWriteLeavesOldFile();
    void onlineQuestionSavesAFile();
};

void TestSettingsFileCommands::savedFileLoadsBackEqual()
{
    FileRig rig;
    rig.inc.unsavedOnlineChanges = true;
    rig.inc.formatMarker = 1;
    rig.dialogs.name = rig.setdata("oven.znm");
    QVERIFY(rig.commands.mnuSave());
    QCOMPARE(rig.dialogs.folders, QStringList{ProgramFolder::setdata()});
    QCOMPARE(QDir::currentPath(), ProgramFolder::path());
    QVERIFY(!rig.inc.unsavedOnlineChanges);
    QVERIFY(rig.op.shown.isEmpty());

    FileRig loader;
    loader.inc.settingValues.fill(0);
    loader.inc.unitConfig = {};
    loader.inc.settingDataValid = false;
    loader.op.answers = {true};
    loader.dialogs.name = rig.dialogs.name;
    QVERIFY(loader.commands.mnuLoad());
    QCOMPARE(loader.op.shown.at(0).ids, QList<int>{535});
    QCOMPARE(loader.inc.modelName, QStringLiteral("ZN8P"));
    QVERIFY(loader.inc.unitConfig == rig.inc.unitConfig);
    QCOMPARE(loader.inc.settingValues, rig.inc.settingValues);
    QVERIFY(loader.inc.settingDataValid && loader.inc.unitCheckFlag);
    QVERIFY(loader.inc.unsavedOnlineChanges);
    QCOMPARE(loader.view.readData3Calls, 1);
    QCOMPARE(loader.view.settingPageRefreshes, 1);
}

void TestSettingsFileCommands::refusalsWriteAndReadNothing_data()
{
    QTest::addColumn<bool>("load");
    QTest::addColumn<bool>("online");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("chosen"); // the dialog's answer; "old.znm" exists
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QList<QList<int>>>("shown");
    QTest::addColumn<bool>("dialogOpened");

    using Shown = QList<QList<int>>;
    QTest::newRow("save without data")
        << false << false << false << "new.znm" << QList<bool>{} << Shown{{197}} << false;
    QTest::newRow("save cancelled")
        << false << false << true << "" << QList<bool>{} << Shown{} << true;
    QTest::newRow("overwrite refused")
        << false << false << true << "old.znm" << QList<bool>{false} << Shown{{507}, {508}} << true;
    QTest::newRow("load while online")
        << true << true << true << "old.znm" << QList<bool>{} << Shown{{701}} << false;
    QTest::newRow("load not confirmed")
        << true << false << true << "old.znm" << QList<bool>{false} << Shown{{535}} << false;
    QTest::newRow("load cancelled")
        << true << false << true << "" << QList<bool>{true} << Shown{{535}} << true;
}

void TestSettingsFileCommands::refusalsWriteAndReadNothing()
{
    QFETCH(bool, load);
    QFETCH(bool, online);
    QFETCH(bool, valid);
    QFETCH(QString, chosen);
    QFETCH(QList<bool>, answers);
    QFETCH(QList<QList<int>>, shown);
    QFETCH(bool, dialogOpened);

    FileRig rig;
    const QByteArray old = "\"ZN8P\"\r\n0\r\n";
    QFile file(rig.setdata("old.znm"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
    file.close();
    rig.inc.online = online;
    rig.inc.settingDataValid = valid;
    rig.inc.unsavedOnlineChanges = true;
    const ZN8P_INC before = rig.inc;
    rig.op.answers = answers;
    rig.dialogs.name = chosen.isEmpty() ? QString() : rig.setdata(chosen);

    QVERIFY(!(load ? rig.commands.mnuLoad() : rig.commands.mnuSave()));
    QList<QList<int>> seen;
    for (const FakeOperator::Shown &s : rig.op.shown)
        seen << s.ids;
    QCOMPARE(seen, shown);
    QCOMPARE(rig.dialogs.folders.size(), dialogOpened ? 1 : 0);
    QCOMPARE(QDir(ProgramFolder::setdata()).entryList(QDir::Files), QStringList{"old.znm"});
    QCOMPARE(rig.contents(rig.setdata("old.znm")), old);
    QCOMPARE(rig.inc.settingValues, before.settingValues);
    QVERIFY(rig.inc.unsavedOnlineChanges);
    QCOMPARE(rig.view.readData3Calls, 0);
}

void TestSettingsFileCommands::damagedFilesKeepWhatWasRead_data()
{
    QTest::addColumn<int>("lines"); // of a whole file, the first so many
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<bool>("loaded");

    QTest::newRow("empty") << 0 << QByteArray() << false;
    QTest::newRow("header only") << 8 << QByteArray() << false;
    QTest::newRow("cut in the values") << 30 << QByteArray() << false;
    QTest::newRow("garbage in the values") << 30 << QByteArray("\x01\xfe#?\r\n5\r\n") << false;
    QTest::newRow("whole") << 61 << QByteArray() << true;
}

void TestSettingsFileCommands::damagedFilesKeepWhatWasRead()
{
    QFETCH(int, lines);
    QFETCH(QByteArray, tail);
    QFETCH(bool, loaded);

    FileRig rig;
    // A file of format marker 1: its unit configuration does not count.
    QByteArray whole = SettingsDataFile::compose(rig.inc);
    whole.replace("\"ZN8P\"\r\n0\r\n", "\"ZN8P\"\r\n1\r\n");
    const QList<QByteArray> all = whole.split('\n');
    QByteArray text;
    for (int i = 0; i < lines; ++i)
        text += all.at(i) + '\n';
    text += tail;
    QFile file(rig.setdata("part.znm"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();

    const ZN8P_INC source = rig.inc;
    rig.inc.settingValues.fill(7);
    rig.inc.settingDataValid = false;
    rig.op.answers = {true};
    rig.dialogs.name = file.fileName();
    QCOMPARE(rig.commands.mnuLoad(), loaded);
    QVERIFY(rig.op.messages().isEmpty());
    QCOMPARE(rig.inc.settingDataValid, loaded);
    // Values before the fault are the file's, the rest are as they were.
    const int valuesRead = qBound(0, lines - 8, SettingsDataFile::ValueCount);
    for (int k = 1; k <= SettingsDataFile::ValueCount; ++k)
        QCOMPARE(rig.inc.settingValues[k], k <= valuesRead ? source.settingValues[k] : qint16(7));
    if (loaded)
        QVERIFY(rig.inc.unitConfig == UnitConfig{});
}

void TestSettingsFileCommands::failedWriteLeavesOldFile()
{
    FileRig rig;
    const QString path = rig.setdata("kept.znm");
    rig.dialogs.name = path;
    rig.op.answers = {true};
    QVERIFY(rig.commands.mnuSave());
    const QByteArray old = rig.contents(path);

    // The disk fills after 100 bytes of the new file.
    rig.inc.settingValues[1] = 1;
    rig.inc.unsavedOnlineChanges = true;
    rig.op.answers = {true};
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = rig.commands.mnuSave();
    setrlimit(RLIMIT_FSIZE, &saved);

    QVERIFY(!written);
    QCOMPARE(rig.contents(path), old);
    QCOMPARE(QDir(ProgramFolder::setdata()).entryList(QDir::Files), QStringList{"kept.znm"});
    QVERIFY(rig.inc.unsavedOnlineChanges);
    QVERIFY(rig.op.panels.value(4).startsWith(QDir::toNativeSeparators(path)));
}

void TestSettingsFileCommands::onlineQuestionSavesAFile()
{
    FileRig rig;
    rig.controllerAt("COM1", "9600", FrameMode::ModbusAscii, 1);
    rig.controller.startupLinkCheck();
    rig.controller.setFileSave([&] { rig.commands.mnuSave(); });
    rig.inc.unsavedOnlineChanges = true;
    rig.inc.unitCheckFlag = true;
    rig.dialogs.name = rig.setdata("online.znm");
    rig.op.answers = {true, false}; // save: Yes; send the display's data: No
    rig.op.shown.clear();

    rig.controller.toggleOnline();
    QCOMPARE(rig.op.shown.at(0).ids, (QList<int>{362, 363}));
    QVERIFY(!rig.inc.online);
    ZN8P_INC loaded;
    QVERIFY(SettingsDataFile::read(rig.dialogs.name, loaded));
    QVERIFY(loaded.unitConfig == rig.inc.unitConfig);
    QCOMPARE(loaded.settingValues, rig.inc.settingValues);
}

QTEST_GUILESS_MAIN(TestSettingsFileCommands)
#include "tst_settingsfilecommands.moc"
