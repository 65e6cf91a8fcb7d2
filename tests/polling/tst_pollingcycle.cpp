#include "comm/SettingsStore.h"
#include "polling/PollingCycle.h"
#include "tests/support/CoreRig.h"
#include "tests/support/DataRows.h"

#include <QtTest>

namespace
{

const QList<int> OfflineMessage = {274, 275, 276, 277, 278};

// The rig online, with the polling cycle.
struct PollRig : CoreRig {
    explicit PollRig(qint16 protocol = ModbusAscii) : CoreRig(protocol)
    {
        shared.online = true;
        shared.commActive = true;
        shared.timerJob = TimerJob::Monitor;
    }
    QString storedProtocol() const { return store.storedValue(false, "Protocol"); }
    void tick()
    {
        cycle.runMonitorJob();
        cycle.superviseLink();
    }

    PollingCycle &cycle = core.polling;
};

struct RefreshRow {
    const char *name;
    qint16 protocol, optionWord, contactFunction, status, inputType;
    QString modeReply; // null: the controller answers
    QStringList user;
    const char *items;
};
const QString mode = "W 0000=0000";
const QString key = "W 0000=4C1A"; // one per exchange: set values, then abnormal output
constexpr qint16 ascii = ModbusAscii, sv2 = 0x01, at = 0x0800, dc = 31;
const RefreshRow refreshRows[] = {
    {"function 0", ascii, sv2, 0, 0, dc, {}, {mode, key, key}, "FC92 FC32 FC34 FC36 FC94"},
    {"function 1", ModbusRtu, sv2, 1, 0, dc, {}, {mode, key, key}, "FC92 FC32 FC94"},
    {"function 2, DC input", ascii, sv2, 2, 0, dc, {}, {mode, key}, "FC94"},
    {"function 2, sensor input", ascii, sv2, 2, 0, 5, {}, {mode}, ""},
    {"no SV2 option", Ravtocol, 0x03, 0, 0, dc, {}, {mode, "W 0000=1A4C"}, "FC94"},
    {"auto-tuning runs", ascii, sv2, 0, at, dc, {}, {}, ""},
    {"Modbus refusal", ascii, sv2, 0, 0, dc, FakeCom::modbusException(1, 6, 2), {mode}, ""},
    {"Ravtocol refusal", Ravtocol, sv2, 0, 0, dc, FakeCom::ravtocolError(1, 2), {mode}, ""},
    {"no reply still reads", ascii, sv2, 1, 0, dc, "", {mode, key, key}, "FC92 FC32 FC94"},
};

} // namespace

class TestPollingCycle : public QObject
{
    Q_OBJECT

private slots:
    void rotation_data();
    void rotation();
    void monitorReplies_data();
    void monitorReplies();
    void oneUploadPerChange_data();
    void oneUploadPerChange();
    void tenSecondRefresh_data() { addRows(refreshRows); }
    void tenSecondRefresh();
    void offlineAfterFiveFailuresInARow();
    void vendorFrameIndexRestored();
    void ticksInsideExchangeWait();
};

void TestPollingCycle::rotation_data()
{
    QTest::addColumn<qint16>("optionWord");
    QTest::addColumn<QStringList>("last"); // steps 5 to 7; steps 1 to 4 never change
    QTest::newRow("no options") << qint16(0) << QStringList{"R 0080", "R 0085", "R 0083"};
    QTest::newRow("heating/cooling") << qint16(0x40) << QStringList{"R 0082", "R 0085", "R 0083"};
    QTest::newRow("heater burnout") << qint16(0x04) << QStringList{"R 0080", "R 0086", "R 0083"};
    QTest::newRow("three-phase bit") << qint16(0x10) << QStringList{"R 0080", "R 0085", "R 0087"};
}

void TestPollingCycle::rotation()
{
    QFETCH(qint16, optionWord);
    QFETCH(QStringList, last);
    PollRig rig(Ravtocol);
    rig.shared.monitorValues[7] = optionWord;
    for (int tick = 0; tick < 8; ++tick)
        rig.cycle.runMonitorJob();

    const QStringList first = {"R 0080", "R 0085", "R 0083", "R 0081"};
    QCOMPARE(rig.userRequests(), first + last + QStringList{"R 0080"});
    QCOMPARE(rig.shared.monitorStep, qint16(1));
    QCOMPARE(rig.view.monitorRefreshes, 8);
}

void TestPollingCycle::monitorReplies_data()
{
    QTest::addColumn<qint16>("protocol");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<qint16>("stored");
    QTest::addColumn<QString>("panel");
    const qint16 ascii = ModbusAscii, rtu = ModbusRtu, rav = Ravtocol;
    QTest::newRow("Modbus data") << rtu << FakeCom::modbusRead(1, -5) << qint16(-5) << "OK";
    QTest::newRow("Modbus exception")
        << ascii << FakeCom::modbusException(1, 3, 2) << qint16(9) << "NG";
    QTest::newRow("other function")
        << rtu << FakeCom::modbusWriteEcho(1, "0080", "0001") << qint16(9) << "NG";
    QTest::newRow("Modbus no reply") << ascii << QString("") << qint16(9) << "";
    QTest::newRow("Ravtocol data") << rav << FakeCom::ravtocolRead(1, 300) << qint16(300) << "OK";
    QTest::newRow("Ravtocol error") << rav << FakeCom::ravtocolError(1, 2) << qint16(9) << "NG";
}

void TestPollingCycle::monitorReplies()
{
    QFETCH(qint16, protocol);
    QFETCH(QString, reply);
    QFETCH(qint16, stored);
    QFETCH(QString, panel);
    PollRig rig(protocol);
    rig.shared.monitorValues[0] = 9;
    rig.shared.commErrorFlag = true; // left from an earlier tick; every reply is judged afresh
    rig.controller.intercept = [&](const FakeCom::Request &) { return reply; };

    rig.cycle.runMonitorJob();

    QCOMPARE(rig.shared.monitorValues[0], stored);
    QCOMPARE(rig.op.panels.value(1), panel);
    QCOMPARE(rig.shared.commErrorFlag, reply.isEmpty());
    QCOMPARE(rig.shared.monitorReadFailed, panel != QLatin1String("OK"));
    QCOMPARE(rig.view.commErrorShown, reply.isEmpty() ? 1 : 0);
    QCOMPARE(rig.shared.monitorStep, qint16(1));
    // The 10-second refresh clears commErrorFlag before its own requests; the values shown stay
    // those of a failed read until a monitor read answers.
    rig.cycle.refreshVendorItems();
    QCOMPARE(rig.shared.monitorReadFailed, panel != QLatin1String("OK"));
}

void TestPollingCycle::oneUploadPerChange_data()
{
    QTest::addColumn<QList<qint16>>("statuses");
    QTest::addColumn<int>("panelChangeTick");
    // Status word per four ticks; code 4 is read at rotation steps 1 and 5.
    QTest::newRow("auto-tuning ends")
        << QList<qint16>{0, 0x0800, 0x0801, 0x0800, 0x0001, 0, 0, 0} << -1;
    QTest::newRow("one front-panel change") << QList<qint16>{0x0001} << 9;
    QTest::newRow("front-panel change while auto-tuning runs")
        << QList<qint16>{0x0800, 0x0800, 0x0800, 0x0800, 0x0800, 0x0800, 0x0800} << 2;
}

void TestPollingCycle::oneUploadPerChange()
{
    QFETCH(QList<qint16>, statuses);
    QFETCH(int, panelChangeTick);
    PollRig rig;
    bool changed = false; // status bit 0x8000, cleared by the upload's setting-flag write
    int uploads = 0;
    for (int tick = 0; tick < 7 * 4; ++tick) {
        changed = changed || tick == panelChangeTick;
        rig.controller.registers["0085"] =
            qint16(statuses.at(tick / 4 % statuses.size()) | (changed ? 0x8000 : 0));
        rig.cycle.runMonitorJob();
        if (rig.shared.timerJob == TimerJob::Upload) {
            ++uploads;
            changed = false;
            rig.shared.timerJob =
                TimerJob::Monitor; // the dispatcher runs the upload and falls back
        }
    }
    QCOMPARE(uploads, 1);
}

void TestPollingCycle::tenSecondRefresh()
{
    const RefreshRow &r = fetchRow(refreshRows);
    PollRig rig(r.protocol);
    rig.shared.monitorValues[4] = r.status;
    rig.shared.monitorValues[7] = r.optionWord;
    rig.shared.monitorValues[8] = 0x10;   // DC current output
    rig.shared.setting(49) = r.inputType; // 30 and above: the abnormal output item exists
    rig.shared.setting(61) = r.contactFunction;
    rig.controller.vendorItems = {
        {"FC92", r.contactFunction}, {"FC32", 1}, {"FC34", 2}, {"FC36", 3}, {"FC94", 1}};
    bool modeAnswered = false;
    rig.controller.intercept = [&](const FakeCom::Request &req) {
        if (modeAnswered || req.frameMode == FrameMode::Vendor)
            return QString();
        modeAnswered = true;
        return r.modeReply;
    };

    rig.cycle.refreshVendorItems();

    QCOMPARE(rig.userRequests(), r.user);
    QStringList sent;
    for (const QString &item : rig.vendorReads())
        if (sent.isEmpty() || sent.last() != item)
            sent << item;
    QCOMPARE(sent, QString(r.items).split(' ', Qt::SkipEmptyParts));
    QCOMPARE(rig.shared.protocolIndex, r.protocol);
}

void TestPollingCycle::offlineAfterFiveFailuresInARow()
{
    // Failures in a row are counted; a good reply starts the count again, so that four lost
    // replies, or one now and then for ever, never take the program offline.
    PollRig rig;
    rig.view.tracing = true;
    rig.controller.silent = true;
    for (int tick = 0; tick < 4; ++tick)
        rig.tick();
    QCOMPARE(rig.shared.commErrorCount, qint16(4));
    rig.controller.silent = false;
    rig.tick();
    QCOMPARE(rig.shared.commErrorCount, qint16(0));
    for (int lost = 0; lost < 20; ++lost) {
        rig.controller.silent = true;
        rig.tick();
        rig.controller.silent = false;
        for (int tick = 0; tick < 3; ++tick)
            rig.tick();
    }
    QVERIFY(rig.shared.online);
    QVERIFY(rig.op.messages().isEmpty());

    rig.shared.uploadRequested = true;
    rig.controller.silent = true;
    for (int tick = 0; tick < 4; ++tick)
        rig.tick();
    QVERIFY(rig.shared.online);
    rig.tick();

    QVERIFY(!rig.shared.online && !rig.shared.commActive && !rig.shared.commErrorFlag);
    QVERIFY(!rig.shared.uploadRequested);
    QCOMPARE(rig.shared.commErrorCount, qint16(0));
    QCOMPARE(rig.script->callsStartingWith("closePort").size(), 1);
    QVERIFY(!rig.view.timersEnabled && !rig.view.tracing && !rig.view.progressVisible);
    QCOMPARE(rig.view.monitoringStates, QList<bool>{false});
    QVERIFY(!rig.view.commErrorVisible);
    QCOMPARE(rig.op.menus.value(MenuItem::CommSetting), true);
    QCOMPARE(rig.op.panels.value(1), QString());
    QCOMPARE(rig.op.messages(), QList<QList<int>>{OfflineMessage});
    QCOMPARE(rig.storedProtocol(), QStringLiteral("0"));

    // One failed read and then no request for a while (a message box is open): the flag stays
    // set, but it stays one failure, however many supervision ticks pass.
    PollRig once;
    once.controller.silent = true;
    once.cycle.runMonitorJob();
    for (int tick = 0; tick < 50; ++tick)
        once.cycle.superviseLink();
    QVERIFY(once.shared.online && once.view.commErrorVisible);
}

void TestPollingCycle::vendorFrameIndexRestored()
{
    // An exchange left behind with index 3 and a working link: repaired with message 715.
    PollRig rig(ModbusRtu);
    rig.shared.protocolIndex = VendorFrame;
    rig.view.commErrorVisible = true;
    rig.cycle.superviseLink();
    rig.cycle.superviseLink();
    QCOMPARE(rig.shared.protocolIndex, qint16(ModbusRtu));
    QCOMPARE(rig.storedProtocol(), QStringLiteral("1"));
    QCOMPARE(rig.op.messages(), QList<QList<int>>{{715}});
    QVERIFY(!rig.view.commErrorVisible);
    QVERIFY(rig.shared.online);

    // Cut off by the offline switch: the user's protocol is kept and stored.
    PollRig cut(Ravtocol);
    cut.shared.protocolIndex = VendorFrame;
    cut.shared.commErrorFlag = true;
    cut.shared.commErrorCount = PollingCycle::OfflineErrorCount;
    cut.cycle.superviseLink();
    QVERIFY(!cut.shared.online);
    QCOMPARE(cut.shared.protocolIndex, qint16(Ravtocol));
    QCOMPARE(cut.storedProtocol(), QStringLiteral("2"));
    QCOMPARE(cut.op.messages(), QList<QList<int>>{OfflineMessage});
}

void TestPollingCycle::ticksInsideExchangeWait()
{
    // Timer ticks that arrive while an exchange waits (as under its message boxes) neither
    // repair its protocol index nor send anything.
    PollRig rig;
    rig.shared.monitorValues[7] = 0x01;
    rig.controller.vendorItems["FC32"] = 5;
    int sendsDuringTicks = -1;
    rig.controller.intercept = [&](const FakeCom::Request &r) {
        if (r.command == QLatin1String("a") && sendsDuringTicks < 0) {
            const int before = rig.script->requests.size();
            rig.tick();
            rig.cycle.refreshVendorItems();
            sendsDuringTicks = rig.script->requests.size() - before;
        }
        return QString();
    };

    rig.vendor.readBackSetValue(58);

    QCOMPARE(sendsDuringTicks, 0);
    QVERIFY(rig.op.messages().isEmpty());
    QCOMPARE(rig.shared.setting(58), qint16(5));
    QCOMPARE(rig.shared.protocolIndex, qint16(ModbusAscii));
}

QTEST_GUILESS_MAIN(TestPollingCycle)
#include "tst_pollingcycle.moc"
