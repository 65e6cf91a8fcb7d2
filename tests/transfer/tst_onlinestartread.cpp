#include "tests/support/CoreRig.h"
#include "transfer/OnlineStartRead.h"
#include "transfer/ParameterUpload.h"

#include <QtTest>

namespace
{

struct StartRig : CoreRig {
    StartRig()
    {
        controller.registers["00A2"] = 0x10; // optionWord2: DC current output
        controller.registers["00A1"] = 0x64; // optionWord: heat/cool, alarm 2, heater burnout
        controller.registers["0085"] = 0x0001;
    }
    ParameterUpload &upload = core.upload;
    OnlineStartRead &startRead = core.onlineStartRead;
};

// alarm2, heatCool, heaterBreak, contactInput, outputType, serialComm
UnitConfig config(qint16 a, qint16 h, qint16 b, qint16 c, qint16 o, qint16 s)
{
    return UnitConfig{a, h, b, c, o, s};
}

} // namespace

Q_DECLARE_METATYPE(UnitConfig)

class TestOnlineStartRead : public QObject
{
    Q_OBJECT

private slots:
    void unitConfigFromOptionWords_data();
    void unitConfigFromOptionWords();
    void firstStartUploadsEverything();
    void laterStartsReadRangeItems_data();
    void laterStartsReadRangeItems();
    void settingsReadAgainWhenTheControllerMayHaveChanged();
    void unitCheck_data();
    void unitCheck();
    void keepUnitOnce();
};

void TestOnlineStartRead::unitConfigFromOptionWords_data()
{
    QTest::addColumn<qint16>("optionWord");
    QTest::addColumn<qint16>("optionWord2");
    QTest::addColumn<UnitConfig>("expected");
    QTest::newRow("none") << qint16(0) << qint16(0) << config(0, 0, 0, 0, 0, 0);
    QTest::newRow("alarm 2, heat/cool") << qint16(0x60) << qint16(0) << config(1, 1, 0, 0, 0, 0);
    QTest::newRow("HB 3-phase 50 A") << qint16(0x1C) << qint16(0) << config(0, 0, 4, 0, 0, 0);
    QTest::newRow("50 A bit without HB") << qint16(0x18) << qint16(0) << config(0, 0, 0, 0, 0, 0);
    QTest::newRow("serial") << qint16(0x02) << qint16(0) << config(0, 0, 0, 0, 0, 1);
    QTest::newRow("DC output") << qint16(0) << qint16(0x10) << config(0, 0, 0, 0, 2, 0);
    QTest::newRow("both output bits") << qint16(0) << qint16(0x18) << config(0, 0, 0, 0, 1, 0);
}

void TestOnlineStartRead::unitConfigFromOptionWords()
{
    QFETCH(qint16, optionWord);
    QFETCH(qint16, optionWord2);
    QFETCH(UnitConfig, expected);
    QVERIFY(OnlineStartRead::deriveUnitConfig(optionWord, optionWord2) == expected);
}

void TestOnlineStartRead::firstStartUploadsEverything()
{
    StartRig rig;
    rig.controller.registers["0019"] = -50; // scaling low limit

    rig.startRead.readAtOnlineStart();

    const QStringList user = rig.userRequests();
    QCOMPARE(user.mid(0, 4), (QStringList{"R 00A2", "R 00A1", "R 0085", "W 0070=0001"}));
    QCOMPARE(user.filter("R ").size(), 3 + 47); // codes 11 to 57; 58 to 63 by vendor
    QVERIFY(rig.shared.rangeOnlyFlag);
    QCOMPARE(rig.shared.statusWord(), qint16(1));
    QCOMPARE(rig.shared.setting(26), qint16(-50));
    QVERIFY(rig.shared.unitConfig == config(1, 1, 1, 0, 2, 0));
    QCOMPARE(rig.view.settingPageRefreshes, 1);

    // Changes not yet sent or saved: only the option words and the status.
    StartRig changed;
    changed.shared.unsavedOnlineChanges = true;
    changed.startRead.readAtOnlineStart();
    QCOMPARE(changed.userRequests(), (QStringList{"R 00A2", "R 00A1", "R 0085"}));
    QVERIFY(!changed.shared.rangeOnlyFlag);
}

void TestOnlineStartRead::laterStartsReadRangeItems_data()
{
    QTest::addColumn<qint16>("inputType");
    QTest::addColumn<QStringList>("ranges");
    QTest::newRow("sensor input") << qint16(29) << QStringList{"R 0044", "R 0019"};
    QTest::newRow("DC input") << qint16(30) << QStringList{"R 0044", "R 001A", "R 0019"};
}

void TestOnlineStartRead::laterStartsReadRangeItems()
{
    QFETCH(qint16, inputType);
    QFETCH(QStringList, ranges);
    StartRig rig;
    rig.shared.rangeOnlyFlag = true;
    rig.shared.setting(49) = inputType;
    rig.shared.setting(27) = qint16(inputType == 30 ? 2 : 0);
    rig.controller.registers["0044"] = inputType;
    rig.controller.registers["001A"] = 2;

    rig.startRead.readAtOnlineStart();

    QCOMPARE(rig.userRequests(), QStringList({"R 00A2", "R 00A1", "R 0085"}) + ranges);
    QCOMPARE(rig.script->callsStartingWith("ReplyTimeout=").last(), QString("ReplyTimeout=300"));
    QVERIFY(rig.op.messages().isEmpty());
}

// The held settings may not be the controller's: after a lost line (or a new link check), or
// when a range item read differs from the one held, every item is read again and the items that
// now differ are named.
void TestOnlineStartRead::settingsReadAgainWhenTheControllerMayHaveChanged()
{
    const auto heldFromLastRead = [](StartRig &rig) {
        rig.startRead.readAtOnlineStart();
        rig.shared.settingDataValid = true; // the pages show the values
        rig.script->requests.clear();
        rig.op.shown.clear();
    };
    const QStringList options = {"R 00A2", "R 00A1", "R 0085"};

    // The line came back, and the same controller answers with the same settings.
    StartRig same;
    heldFromLastRead(same);
    same.shared.linkLostSinceRead = true;
    same.startRead.readAtOnlineStart();
    QCOMPARE(same.userRequests().mid(0, 4), options + (QStringList{"W 0070=0001"}));
    QVERIFY(!same.shared.linkLostSinceRead);
    QVERIFY(same.op.shown.isEmpty());

    // Another controller answers after the loss: the pages show its values, and it is said.
    StartRig other;
    heldFromLastRead(other);
    other.shared.linkLostSinceRead = true;
    other.controller.registers["0001"] = 123; // the SV
    other.controller.registers["0004"] = 45;  // P
    other.controller.registers["0039"] = 999; // manual output: no sign of another controller
    int refreshesWhenSaid = -1;
    other.op.onShowMessage = [&other, &refreshesWhenSaid](const QList<int> &) {
        refreshesWhenSaid = other.view.settingPageRefreshes;
    };
    other.startRead.readAtOnlineStart();
    QCOMPARE(other.shared.setting(11), qint16(123));
    // Said over the pages that already show the new values.
    QCOMPARE(refreshesWhenSaid, other.view.settingPageRefreshes);
    QVERIFY(refreshesWhenSaid > 0);
    QCOMPARE(other.op.messages(), (QList<QList<int>>{{1090}}));
    const QStringList lines = other.op.texts.value(1090).split('\n');
    QCOMPARE(lines.size(), 5);
    QVERIFY(lines.at(0).contains(QLatin1String("2 items")));

    // Changed at the controller's keys while offline: the input type read is not the one held.
    StartRig changed;
    heldFromLastRead(changed);
    changed.controller.registers["0044"] = 5;
    changed.startRead.readAtOnlineStart();
    QCOMPARE(changed.userRequests().mid(0, 6),
             options + (QStringList{"R 0044", "R 0019", "W 0070=0001"}));
    QCOMPARE(changed.op.messages(), (QList<QList<int>>{{1090}}));

    // Pages that showed no values yet had nothing to contradict: read again, nothing said.
    StartRig blank;
    heldFromLastRead(blank);
    blank.shared.settingDataValid = false;
    blank.shared.linkLostSinceRead = true;
    blank.controller.registers["0001"] = 123;
    blank.startRead.readAtOnlineStart();
    QCOMPARE(blank.shared.setting(11), qint16(123));
    QVERIFY(blank.op.shown.isEmpty());

    // A read cut short by a lost line leaves the next start to read everything again.
    StartRig cut;
    heldFromLastRead(cut);
    cut.shared.linkLostSinceRead = true;
    int answered = 0;
    cut.controller.intercept = [&answered](const FakeCom::Request &) {
        return ++answered > 6 ? QStringLiteral("") : QString();
    };
    cut.startRead.readAtOnlineStart();
    QVERIFY(cut.shared.linkLostSinceRead);
    QVERIFY(cut.op.shown.isEmpty());
}

void TestOnlineStartRead::unitCheck_data()
{
    QTest::addColumn<UnitConfig>("current");
    QTest::addColumn<qint16>("optionWord");
    QTest::addColumn<bool>("keepUnit");
    QTest::addColumn<bool>("match");
    QTest::newRow("same model") << config(1, 1, 1, 0, 2, 0) << qint16(0x64) << false << true;
    QTest::newRow("other heater burnout")
        << config(1, 1, 3, 0, 2, 0) << qint16(0x64) << false << false;
    QTest::newRow("contact bit with serial communication")
        << config(0, 0, 0, 0, 2, 1) << qint16(0x03) << false << true;
    QTest::newRow("file claims contact input with serial communication")
        << config(0, 0, 0, 1, 2, 1) << qint16(0x02) << false << false;
    QTest::newRow("contact input missing")
        << config(0, 0, 0, 1, 2, 0) << qint16(0x00) << true << false;
}

void TestOnlineStartRead::unitCheck()
{
    QFETCH(UnitConfig, current);
    QFETCH(qint16, optionWord);
    QFETCH(bool, keepUnit);
    QFETCH(bool, match);
    StartRig rig;
    rig.controller.registers["00A1"] = optionWord;
    rig.shared.rangeOnlyFlag = true;
    rig.shared.online = true;
    rig.shared.unitCheckFlag = true;
    rig.shared.keepUnitFlag = keepUnit;
    rig.shared.unitConfig = current;

    rig.startRead.readAtOnlineStart();

    QCOMPARE(rig.op.messages(), match ? QList<QList<int>>{} : QList<QList<int>>{{290}});
    QCOMPARE(rig.shared.online, match);
    QCOMPARE(rig.shared.unitCheckFlag, !match);
    QVERIFY(rig.shared.unitConfig == current);
    QCOMPARE(rig.view.settingPageRefreshes, match ? 1 : 0);
}

// Without the check, keepUnitFlag keeps the configuration of a loaded file once.
void TestOnlineStartRead::keepUnitOnce()
{
    StartRig rig;
    rig.shared.rangeOnlyFlag = true;
    rig.shared.keepUnitFlag = true;
    rig.shared.unitConfig = config(0, 0, 0, 1, 2, 0);
    rig.startRead.readAtOnlineStart();
    QVERIFY(rig.shared.unitConfig == config(0, 0, 0, 1, 2, 0));
    QVERIFY(!rig.shared.keepUnitFlag);
    rig.startRead.readAtOnlineStart();
    QVERIFY(rig.shared.unitConfig == config(1, 1, 1, 0, 2, 0));
}

QTEST_GUILESS_MAIN(TestOnlineStartRead)
#include "tst_onlinestartread.moc"
