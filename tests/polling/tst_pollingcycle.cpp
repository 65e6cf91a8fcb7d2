#include "comm/SettingsStore.h"
#include "polling/PollingCycle.h"
#include "polling/StatusCheck.h"
#include "tests/support/CoreRig.h"

#include <QtTest>

namespace
{

const QList<int> OfflineMessage = {274, 275, 276, 277, 278};

// The rig with the polling cycle and a settings store in a temporary folder.
struct PollRig : CoreRig {
    explicit PollRig(qint16 protocol = ModbusAscii) : CoreRig(protocol)
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        inc.online = true;
        inc.commActive = true;
        inc.timerJob = 1;
    }
    QString storedProtocol() const { return store.storedValue(false, "Protocol"); }

    QTemporaryDir dir;
    SettingsStore store{QSettings::IniFormat};
    PollingCycle cycle{inc, request, link, op, view, vendor, store};
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
    void uploadOnceWhenAutoTuningEnds();
    void tenSecondRefresh_data();
    void tenSecondRefresh();
    void offlineAtFifthErrorTick();
    void vendorFrameIndexRestored();
    void ticksInsideExchangeWait();
};

void TestPollingCycle::rotation_data()
{
    QTest::addColumn<qint16>("optionWord");
    QTest::addColumn<QStringList>("addresses");
    const QStringList base = {"R 0080", "R 0085", "R 0083", "R 0081"};
    QTest::newRow("no options") << qint16(0) << base + QStringList{"R 0080", "R 0085", "R 0083"};
    QTest::newRow("heating/cooling")
        << qint16(0x40) << base + QStringList{"R 0082", "R 0085", "R 0083"};
    QTest::newRow("heater burnout")
        << qint16(0x04) << base + QStringList{"R 0080", "R 0086", "R 0083"};
    QTest::newRow("three-phase bit")
        << qint16(0x10) << base + QStringList{"R 0080", "R 0085", "R 0087"};
    QTest::newRow("all three") << qint16(0x54) << base + QStringList{"R 0082", "R 0086", "R 0087"};
}

void TestPollingCycle::rotation()
{
    QFETCH(qint16, optionWord);
    QFETCH(QStringList, addresses);
    PollRig rig(Ravtocol);
    rig.inc.monitorValues[7] = optionWord;
    for (int tick = 0; tick < 8; ++tick)
        rig.cycle.runMonitorJob();

    QCOMPARE(rig.userRequests(), addresses + QStringList{"R 0080"});
    QCOMPARE(rig.inc.monitorStep, qint16(1));
    QCOMPARE(rig.view.monitorRefreshes, 8);
    QCOMPARE(rig.view.chartMaxCh, QList<qint16>(8, 0));
}

void TestPollingCycle::monitorReplies_data()
{
    QTest::addColumn<qint16>("protocol");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<qint16>("stored");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<bool>("commError");
    for (const qint16 protocol : {qint16(ModbusAscii), qint16(ModbusRtu)}) {
        const QByteArray p = protocol == ModbusAscii ? "ASCII " : "RTU ";
        QTest::newRow(p + "data") << protocol << FakeCom::modbusRead(1, -5) << qint16(-5) << "OK"
                                  << false;
        QTest::newRow(p + "exception")
            << protocol << FakeCom::modbusException(1, 3, 2) << qint16(9) << "NG" << false;
        QTest::newRow(p + "other function")
            << protocol << FakeCom::modbusWriteEcho(1, "0080", "0001") << qint16(9) << "NG"
            << false;
        QTest::newRow(p + "no reply") << protocol << QString("") << qint16(9) << "" << true;
    }
    QTest::newRow("Ravtocol data")
        << qint16(Ravtocol) << FakeCom::ravtocolRead(1, 300) << qint16(300) << "OK" << false;
    QTest::newRow("Ravtocol error")
        << qint16(Ravtocol) << FakeCom::ravtocolError(1, 2) << qint16(9) << "NG" << false;
    QTest::newRow("Ravtocol no reply")
        << qint16(Ravtocol) << QString("") << qint16(9) << "" << true;
}

void TestPollingCycle::monitorReplies()
{
    QFETCH(qint16, protocol);
    QFETCH(QString, reply);
    QFETCH(qint16, stored);
    QFETCH(QString, panel);
    QFETCH(bool, commError);
    PollRig rig(protocol);
    rig.inc.monitorValues[0] = 9;
    rig.inc.commErrorFlag = true; // left from an earlier tick; every reply is judged afresh
    rig.controller.intercept = [&](const FakeCom::Request &) { return reply; };

    rig.cycle.runMonitorJob();

    QCOMPARE(rig.inc.monitorValues[0], stored);
    QCOMPARE(rig.op.panels.value(1), panel);
    QCOMPARE(rig.inc.commErrorFlag, commError);
    QCOMPARE(rig.view.commErrorShown, commError ? 1 : 0);
    QCOMPARE(rig.inc.monitorStep, qint16(1));
    QCOMPARE(rig.view.monitorRefreshes, 1);
}

void TestPollingCycle::uploadOnceWhenAutoTuningEnds()
{
    PollRig rig;
    // Status read at steps 1 and 5: AT runs for two rotations, then stops.
    const QList<qint16> statuses = {0, 0x0800, 0x0801, 0x0800, 0x0001, 0, 0, 0};
    int uploads = 0;
    for (int tick = 0; tick < 7 * 4; ++tick) {
        rig.controller.registers["0085"] = statuses.at(tick / 4 % statuses.size());
        rig.cycle.runMonitorJob();
        if (rig.inc.timerJob == 4) {
            ++uploads;
            rig.inc.timerJob = 1; // the dispatcher runs the upload and falls back
        }
    }
    QCOMPARE(uploads, 1);
    QVERIFY(!rig.inc.atSeenFlag);

    // The settings-changed bit asks for an upload on every read while it is set.
    ZN8P_INC inc;
    inc.timerJob = 1;
    inc.monitorValues[4] = qint16(0x8000);
    statecomchk(inc);
    QCOMPARE(inc.timerJob, qint16(4));
}

void TestPollingCycle::tenSecondRefresh_data()
{
    QTest::addColumn<qint16>("protocol");
    QTest::addColumn<qint16>("optionWord");
    QTest::addColumn<qint16>("contactFunction");
    QTest::addColumn<qint16>("status");
    QTest::addColumn<qint16>("inputType");
    QTest::addColumn<QString>("modeReply"); // null: the controller answers
    QTest::addColumn<QStringList>("user");
    QTest::addColumn<QStringList>("items");
    const QString mode = "W 0000=0000";
    const QString key = "W 0000=4C1A"; // one per exchange: set values, then abnormal output
    const qint16 ascii = ModbusAscii, rtu = ModbusRtu, rav = Ravtocol;
    const qint16 sv2 = 0x01, serial = 0x03, at = 0x0800, dc = 31, sensor = 5;
    // clang-format off
    QTest::newRow("function 0") << ascii << sv2 << qint16(0) << qint16(0) << dc << QString()
        << QStringList{mode, key, key} << QStringList{"FC92", "FC32", "FC34", "FC36", "FC94"};
    QTest::newRow("function 1") << rtu << sv2 << qint16(1) << qint16(0) << dc << QString()
        << QStringList{mode, key, key} << QStringList{"FC92", "FC32", "FC94"};
    QTest::newRow("function 2, DC input") << ascii << sv2 << qint16(2) << qint16(0) << dc
        << QString() << QStringList{mode, key} << QStringList{"FC94"};
    QTest::newRow("function 2, sensor input") << ascii << sv2 << qint16(2) << qint16(0) << sensor
        << QString() << QStringList{mode} << QStringList{};
    QTest::newRow("no SV2 option") << rav << serial << qint16(0) << qint16(0) << dc << QString()
        << QStringList{mode, "W 0000=1A4C"} << QStringList{"FC94"};
    QTest::newRow("auto-tuning runs") << ascii << sv2 << qint16(0) << at << dc << QString()
        << QStringList{} << QStringList{};
    QTest::newRow("Modbus refusal") << ascii << sv2 << qint16(0) << qint16(0) << dc
        << FakeCom::modbusException(1, 6, 2) << QStringList{mode} << QStringList{};
    QTest::newRow("Ravtocol refusal") << rav << sv2 << qint16(0) << qint16(0) << dc
        << FakeCom::ravtocolError(1, 2) << QStringList{mode} << QStringList{};
    QTest::newRow("no reply still reads") << ascii << sv2 << qint16(1) << qint16(0) << dc
        << QString("") << QStringList{mode, key, key} << QStringList{"FC92", "FC32", "FC94"};
    // clang-format on
}

void TestPollingCycle::tenSecondRefresh()
{
    QFETCH(qint16, protocol);
    QFETCH(qint16, optionWord);
    QFETCH(qint16, contactFunction);
    QFETCH(qint16, status);
    QFETCH(qint16, inputType);
    QFETCH(QString, modeReply);
    QFETCH(QStringList, user);
    QFETCH(QStringList, items);
    PollRig rig(protocol);
    rig.inc.monitorValues[4] = status;
    rig.inc.monitorValues[7] = optionWord;
    rig.inc.monitorValues[8] = 0x10; // DC current output
    rig.inc.setting(49) = inputType; // 30 and above: the abnormal output item exists
    rig.inc.setting(61) = contactFunction;
    rig.controller.vendorItems = {
        {"FC92", contactFunction}, {"FC32", 1}, {"FC34", 2}, {"FC36", 3}, {"FC94", 1}};
    bool modeAnswered = false;
    rig.controller.intercept = [&](const FakeCom::Request &r) {
        if (modeAnswered || r.frameMode == FrameMode::Vendor)
            return QString();
        modeAnswered = true;
        return modeReply;
    };

    rig.cycle.refreshVendorItems();

    QCOMPARE(rig.userRequests(), user);
    QStringList sent;
    for (const QString &item : rig.vendorReads())
        if (sent.isEmpty() || sent.last() != item)
            sent << item;
    QCOMPARE(sent, items);
    QCOMPARE(rig.inc.protocolIndex, protocol);
}

void TestPollingCycle::offlineAtFifthErrorTick()
{
    // One failed read and the flag stays set: every supervision tick counts.
    PollRig rig;
    rig.view.tracing = true;
    rig.inc.uploadRequested = true;
    rig.controller.silent = true;
    rig.cycle.runMonitorJob();
    for (int tick = 0; tick < 4; ++tick)
        rig.cycle.superviseLink();
    QVERIFY(rig.inc.online);
    rig.cycle.superviseLink();
    QVERIFY(!rig.inc.online);
    QVERIFY(!rig.inc.uploadRequested);
    QVERIFY(!rig.view.progressVisible);
    QVERIFY(!rig.view.tracing);

    // Good replies between the errors do not reset the count.
    PollRig again;
    again.controller.silent = true;
    for (int tick = 0; tick < 4; ++tick) {
        again.cycle.runMonitorJob();
        again.cycle.superviseLink();
    }
    again.controller.silent = false;
    for (int tick = 0; tick < 10; ++tick) {
        again.cycle.runMonitorJob();
        again.cycle.superviseLink();
    }
    QVERIFY(again.inc.online);
    QCOMPARE(again.inc.commErrorCount, qint16(4));
    QVERIFY(!again.view.commErrorVisible);
    QVERIFY(again.op.messages().isEmpty());

    again.controller.silent = true;
    again.cycle.runMonitorJob();
    again.cycle.superviseLink();

    QVERIFY(!again.inc.online);
    QVERIFY(!again.inc.commActive);
    QVERIFY(!again.inc.commErrorFlag);
    QCOMPARE(again.inc.commErrorCount, qint16(0));
    QCOMPARE(again.script->callsStartingWith("ClosePort").size(), 1);
    QVERIFY(!again.view.timersEnabled);
    QCOMPARE(again.view.monitoringStates, QList<bool>{false});
    QVERIFY(!again.view.commErrorVisible);
    QCOMPARE(again.op.menus.value(MenuItem::CommSetting), true);
    QCOMPARE(again.op.menus.value(MenuItem::ModelChange), true);
    QCOMPARE(again.op.panels.value(1), QString());
    QCOMPARE(again.op.messages(), QList<QList<int>>{OfflineMessage});
    QCOMPARE(again.storedProtocol(), QStringLiteral("0"));
}

void TestPollingCycle::vendorFrameIndexRestored()
{
    // An exchange left behind with index 3 and a working link: repaired with message 715.
    PollRig rig(ModbusRtu);
    rig.inc.protocolIndex = VendorFrame;
    rig.view.commErrorVisible = true;
    rig.cycle.superviseLink();
    rig.cycle.superviseLink();
    QCOMPARE(rig.inc.protocolIndex, qint16(ModbusRtu));
    QCOMPARE(rig.storedProtocol(), QStringLiteral("1"));
    QCOMPARE(rig.op.messages(), QList<QList<int>>{{715}});
    QVERIFY(!rig.view.commErrorVisible);
    QVERIFY(rig.inc.online);

    // Cut off by the offline switch: the user's protocol is kept and stored.
    PollRig cut(Ravtocol);
    cut.inc.protocolIndex = VendorFrame;
    cut.inc.commErrorFlag = true;
    cut.inc.commErrorCount = 4;
    cut.cycle.superviseLink();
    QVERIFY(!cut.inc.online);
    QCOMPARE(cut.inc.protocolIndex, qint16(Ravtocol));
    QCOMPARE(cut.storedProtocol(), QStringLiteral("2"));
    QCOMPARE(cut.op.messages(), QList<QList<int>>{OfflineMessage});
}

void TestPollingCycle::ticksInsideExchangeWait()
{
    // Timer ticks that arrive while an exchange waits (as under its message boxes) neither
    // repair its protocol index nor send anything.
    PollRig rig;
    rig.inc.monitorValues[7] = 0x01;
    rig.inc.itemCode = 58;
    rig.controller.vendorItems["FC32"] = 5;
    int sendsDuringTicks = -1;
    rig.controller.intercept = [&](const FakeCom::Request &r) {
        if (r.command == QLatin1String("a") && sendsDuringTicks < 0) {
            const int before = rig.script->requests.size();
            rig.cycle.superviseLink();
            rig.cycle.runMonitorJob();
            rig.cycle.refreshVendorItems();
            sendsDuringTicks = rig.script->requests.size() - before;
        }
        return QString();
    };

    rig.vendor.Read_SV();

    QCOMPARE(sendsDuringTicks, 0);
    QVERIFY(rig.op.messages().isEmpty());
    QCOMPARE(rig.inc.setting(58), qint16(5));
    QCOMPARE(rig.inc.protocolIndex, qint16(ModbusAscii));
}

QTEST_GUILESS_MAIN(TestPollingCycle)
#include "tst_pollingcycle.moc"
