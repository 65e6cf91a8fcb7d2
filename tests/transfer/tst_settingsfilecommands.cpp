#include "base/MessageTable.h"
#include "base/ProgramFolder.h"
#include "comm/ParameterTable.h"
#include "tests/support/ConnectionRig.h"
#include "tests/support/FileSizeLimit.h"
#include "transfer/SettingsDataFile.h"
#include "transfer/SettingsFileCommands.h"
#include "transfer/SettingsFileDialogs.h"

#include <QtTest>

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
        shared.settingDataValid = true;
        // Three-phase 50 A heater burnout alarm, DC current output, 0.1-degree K input.
        shared.unitConfig = {1, 1, 4, 1, 2, 1};
        shared.settingValues = ParameterTable::defaultSettingValues();
        shared.setting(49) = 1;
        shared.setting(25) = 4000;
        shared.setting(26) = -2000;
        shared.setting(11) = 3200;
        shared.setting(21) = 450;
        shared.setting(29) = 105;
        shared.setting(36) = 3;
        shared.setting(52) = 60;
        dialogs.name = ProgramFolder::setdata() + QStringLiteral("/oven.znm");
    }
    QByteArray file() const
    {
        QFile f(dialogs.name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    ScriptedDialogs dialogs;
    SettingsFileCommands commands{context, dialogs};
};
} // namespace

class TestSettingsFileCommands : public QObject
{
    Q_OBJECT

private slots:
    // The messages are compared in English.
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void savedFileLoadsBackEqualRefusalsTouchNothing();
    void damagedFileChangesNothing_data();
    void damagedFileChangesNothing();
    void failedWriteLeavesOldFile();
    void onlineQuestionSavesAFile();
    void valuesHeldOutsideLimitsLoadBack();
};

void TestSettingsFileCommands::savedFileLoadsBackEqualRefusalsTouchNothing()
{
    FileRig saver;
    saver.shared.settingDataValid = false;
    QVERIFY(!saver.commands.save());
    QCOMPARE(saver.op.messages(), QList<QList<int>>{{197}});
    saver.shared.settingDataValid = saver.shared.unsavedOnlineChanges = true;
    QVERIFY(saver.commands.save());
    QVERIFY(!saver.shared.unsavedOnlineChanges);
    QCOMPARE(QDir::currentPath(), ProgramFolder::path());
    const QByteArray saved = saver.file();

    // Overwriting refused: message 508, the file stays as it was.
    saver.shared.settingValues[1] = 0;
    saver.op.answers = {false};
    QVERIFY(!saver.commands.save());
    QCOMPARE(saver.op.shown.at(2).ids, QList<int>{508});
    QCOMPARE(saver.file(), saved);

    FileRig loader;
    loader.shared = SessionState();
    loader.shared.online = true;
    QVERIFY(!loader.commands.load());
    QCOMPARE(loader.op.messages(), QList<QList<int>>{{701}});
    loader.shared.online = false;
    loader.op.answers = {true};
    loader.dialogs.name = saver.dialogs.name;
    QVERIFY(loader.commands.load());
    QCOMPARE(loader.op.shown.at(1).ids, QList<int>{535});
    QCOMPARE(loader.shared.modelName, QStringLiteral("ZN8P"));
    QVERIFY(loader.shared.unitConfig == FileRig().shared.unitConfig);
    QCOMPARE(loader.shared.settingValues, FileRig().shared.settingValues);
    QVERIFY(loader.shared.settingDataValid && loader.shared.unitCheckFlag);
    QVERIFY(loader.shared.unsavedOnlineChanges);
    QCOMPARE(loader.view.readData3Calls, 1);
}

void TestSettingsFileCommands::damagedFileChangesNothing_data()
{
    using F = SettingsDataFile::Fault;
    QTest::addColumn<int>("lines"); // the first lines of the rig's file that are kept
    QTest::addColumn<int>("line");  // replaced by text (0: none)
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("badLine"); // 0: the file is taken
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("says"); // part of the message

    QTest::newRow("empty") << 0 << 0 << QByteArray() << 1 << int(F::Missing)
                           << "Line 1: The file ends before this line.";
    QTest::newRow("header only") << 8 << 0 << QByteArray() << 9 << int(F::Missing) << "Line 9:";
    QTest::newRow("last line missing")
        << 60 << 0 << QByteArray() << 61 << int(F::Missing) << "Line 61:";
    QTest::newRow("garbage in the values")
        << 61 << 30 << QByteArray("\x01\xfe#?") << 30 << int(F::NotNumber) << "Line 30:";
    QTest::newRow("beyond 16 bits")
        << 61 << 12 << QByteArray("70000") << 12 << int(F::NotNumber) << "Line 12:";
    QTest::newRow("line too long")
        << 61 << 9 << QByteArray(300, '1') << 9 << int(F::NotNumber) << "Line 9:";
    QTest::newRow("other model") << 61 << 1 << QByteArray("\"ZN9P\"") << 1 << int(F::ModelName)
                                 << "Line 1:";
    QTest::newRow("format marker 2")
        << 61 << 2 << QByteArray("2") << 2 << int(F::FormatMarker) << "Line 2:";
    QTest::newRow("heater burnout option 5")
        << 61 << 5 << QByteArray("5") << 5 << int(F::OutOfRange) << "5 is outside 0 to 4.";
    QTest::newRow("anti-reset windup 150")
        << 61 << 50 << QByteArray("150") << 50 << int(F::OutOfRange)
        << "Line 50: Anti-reset windup setting: 150 is outside 0 to 100.";
    QTest::newRow("alarm type 99") << 61 << 34 << QByteArray("99") << 34 << int(F::OutOfRange)
                                   << "Line 34: Alarm 1 type selection: 99 is outside 0 to 9.";
    // Limits that follow other values of the same file: the scaling limits bound the set value,
    // the output limits each other, the unit configuration the heater burnout current.
    QTest::newRow("set value above scaling")
        << 61 << 23 << QByteArray("3000") << 9 << int(F::OutOfRange) << "3200 is outside";
    QTest::newRow("output low above high") << 61 << 28 << QByteArray("106") << 27
                                           << int(F::OutOfRange) << "105 is outside 106 to 105.";
    QTest::newRow("named for the file's own rating")
        << 61 << 19 << QByteArray("600") << 19 << int(F::OutOfRange)
        << "Line 19: " + msg(155) + ": 600 is outside 0 to 500.";
    QTest::newRow("50 A current on a 20 A unit")
        << 61 << 5 << QByteArray("3") << 19 << int(F::OutOfRange) << "450 is outside 0 to 200.";
    QTest::newRow("format 1 has no options")
        << 61 << 2 << QByteArray("1") << 19 << int(F::OutOfRange) << "450 is outside 0 to 200.";
    QTest::newRow("whole") << 61 << 0 << QByteArray() << 0 << int(F::None) << QString();
    QTest::newRow("lines after the end")
        << 62 << 62 << QByteArray("junk") << 0 << int(F::None) << QString();
}

void TestSettingsFileCommands::damagedFileChangesNothing()
{
    QFETCH(int, lines);
    QFETCH(int, line);
    QFETCH(QByteArray, text);
    QFETCH(int, badLine);
    QFETCH(int, fault);
    QFETCH(QString, says);

    FileRig rig;
    const SessionState source = rig.shared;
    QList<QByteArray> all = SettingsDataFile::compose(source).split('\n');
    all.last() = "\r";
    QFile file(rig.dialogs.name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < lines; ++i)
        file.write((i + 1 == line ? text + '\r' : all.at(i)) + '\n');
    file.close();
    QCOMPARE(int(SettingsDataFile::read(rig.dialogs.name).fault), fault);

    // What the display held: another file's values, not all of them valid.
    rig.shared.settingValues.fill(7);
    rig.shared.unitConfig = {};
    rig.shared.modelName = QStringLiteral("old");
    rig.shared.settingDataValid = rig.shared.unsavedOnlineChanges = rig.shared.unitCheckFlag =
        false;
    const SessionState before = rig.shared;
    rig.op.answers = {true};

    QCOMPARE(rig.commands.load(), badLine == 0);
    if (badLine != 0) {
        QCOMPARE(rig.op.messages(), QList<QList<int>>{{950}});
        const QString shown = rig.op.texts.value(950);
        QVERIFY2(shown.contains(QStringLiteral("Line %1:").arg(badLine)), qPrintable(shown));
        QVERIFY2(shown.contains(says) && shown.endsWith(msg(958)), qPrintable(shown));
        QCOMPARE(rig.shared.settingValues, before.settingValues);
        QVERIFY(rig.shared.unitConfig == before.unitConfig);
        QCOMPARE(rig.shared.modelName, before.modelName);
        QVERIFY(!rig.shared.settingDataValid && !rig.shared.unsavedOnlineChanges &&
                !rig.shared.unitCheckFlag && !rig.shared.settingsFromFile);
        QCOMPARE(rig.view.readData3Calls, 0);
        return;
    }
    QVERIFY(rig.op.messages().isEmpty());
    for (int k = 1; k <= SettingsDataFile::ValueCount; ++k)
        QCOMPARE(rig.shared.settingValues[k], source.settingValues[k]);
    QVERIFY(rig.shared.unitConfig == source.unitConfig);
    QVERIFY(rig.shared.settingDataValid && rig.shared.unsavedOnlineChanges &&
            rig.shared.settingsFromFile);
}

void TestSettingsFileCommands::failedWriteLeavesOldFile()
{
    FileRig rig;
    QVERIFY(rig.commands.save());
    const QByteArray old = rig.file();

    // The disk fills after 100 bytes of the new file.
    rig.shared.settingValues[1] = 1;
    rig.shared.unsavedOnlineChanges = true;
    rig.op.answers = {true};
    bool written = true;
    {
        const FileSizeLimit full(100);
        written = rig.commands.save();
    }

    QVERIFY(!written);
    QCOMPARE(rig.file(), old);
    QCOMPARE(QDir(ProgramFolder::setdata()).entryList(QDir::Files), QStringList{"oven.znm"});
    QVERIFY(rig.shared.unsavedOnlineChanges);
    // The operator is told, with the file and the reason.
    const QString told =
        QDir::toNativeSeparators(rig.dialogs.name) + QStringLiteral(" (disk full)");
    QCOMPARE(rig.op.panels.value(4), told);
    QVERIFY(rig.op.texts.value(1154).startsWith(told));
}

void TestSettingsFileCommands::onlineQuestionSavesAFile()
{
    FileRig rig;
    rig.controllerAt("COM1", "9600", FrameMode::ModbusAscii, 1);
    rig.controller.startupLinkCheck();
    rig.controller.setFileSave([&] { rig.commands.save(); });
    rig.shared.unsavedOnlineChanges = rig.shared.unitCheckFlag = true;
    rig.op.answers = {true, false}; // save: Yes; send the display's data: No

    rig.controller.toggleOnline();
    QCOMPARE(rig.op.shown.first().ids, (QList<int>{362, 363}));
    const SettingsDataFile::ReadResult loaded = SettingsDataFile::read(rig.dialogs.name);
    QVERIFY(loaded.ok());
    QVERIFY(loaded.contents.unitConfig == rig.shared.unitConfig);
    for (int k = 1; k <= SettingsDataFile::ValueCount; ++k)
        QCOMPARE(loaded.contents.settingValues[k], rig.shared.settingValues[k]);
}

// A controller can hold a value that a write of it would not be allowed (a limit moved after the
// value was set). The file keeps it as held and names it on line 62, so that the program's own
// file loads back whole; the same value in a file without that line is refused as before.
void TestSettingsFileCommands::valuesHeldOutsideLimitsLoadBack()
{
    FileRig rig;
    rig.shared.setting(36) = 5; // process high alarm: the alarm value within the scaling limits
    rig.shared.setting(19) = 4500;
    QCOMPARE(SettingsDataFile::heldOutsideLimits(rig.shared), QList<int>{19});
    const QByteArray text = SettingsDataFile::compose(rig.shared);
    QVERIFY(text.endsWith("\"held outside limits\" 19\r\n"));
    QFile file(rig.dialogs.name);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();

    const SettingsDataFile::ReadResult marked = SettingsDataFile::read(rig.dialogs.name);
    QVERIFY(marked.ok());
    QCOMPARE(marked.contents.settingValues, rig.shared.settingValues);
    QCOMPARE(marked.contents.heldOutsideLimits, QList<int>{19});

    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.left(text.indexOf("\"held")));
    file.close();
    const SettingsDataFile::ReadResult unmarked = SettingsDataFile::read(rig.dialogs.name);
    QCOMPARE(unmarked.fault, SettingsDataFile::Fault::OutOfRange);
    QCOMPARE(unmarked.code, 19);
}

QTEST_GUILESS_MAIN(TestSettingsFileCommands)
#include "tst_settingsfilecommands.moc"
