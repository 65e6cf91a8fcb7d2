#include "base/MessageTable.h"
#include "comm/CommSettingsEntry.h"
#include "tests/support/ConnectionRig.h"

#include <QtTest>

namespace
{
const QList<int> CheckFailed = {451, 270};

// Every probe of a link check waits 300 ms for the reply: long enough for the slowest controller
// at 2400 baud, short enough that a search over every port stays bearable.
void verifyProbeReplyTimeout(const FakeCom::Script &script)
{
    const QStringList timeouts = script.callsStartingWith(QStringLiteral("ReplyTimeout="));
    QVERIFY(!timeouts.isEmpty());
    for (const QString &timeout : timeouts)
        QCOMPARE(timeout, QStringLiteral("ReplyTimeout=300"));
}
} // namespace

class TestLinkCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void storedConditionsAnswer();
    void fixedScanFindsPortAndClosesIt();
    void fixedScanWithoutPortsClosesWindow();
    void searchOrderAndFoundConditions();
    void cancelEndsSearchBeforeNextInstrument();
    void confirmedConditionsCheck();
    void portFaultsAreNamed_data();
    void portFaultsAreNamed();
    void fileFromStartupIsKept();
    void storedInstrumentThatIsNoNumber();
    void startupQuestionSaysWhatHappened_data();
    void startupQuestionSaysWhatHappened();
    void frameShowsTheStoredConditions();
};

void TestLinkCheck::storedConditionsAnswer()
{
    ConnectionRig rig;
    rig.storeConditions("COM2", "19200", "8", "2", "ODD", "05", ModbusRtu);
    rig.controllerAt("COM2", "19200", FrameMode::ModbusRtu, 5);

    rig.controller.startupLinkCheck();

    QVERIFY(rig.shared.linkVerified);
    QVERIFY(rig.shared.commActive);
    QVERIFY(rig.op.shown.isEmpty());
    QCOMPARE(rig.probes, QStringList{"COM2/19200/1/05"});
    QCOMPARE(rig.script->requests.at(0).address, QStringLiteral("00010001"));
    verifyProbeReplyTimeout(*rig.script);
    QCOMPARE(rig.view.commInfo, (QStringList{"COM2", "19200", "8, ODD", "2", "05", "Modbus RTU"}));
    for (MenuItem item :
         {MenuItem::File, MenuItem::Online, MenuItem::Setting, MenuItem::Upload, MenuItem::Download,
          MenuItem::FileSave, MenuItem::FileLoad, MenuItem::Trace})
        QVERIFY(rig.op.menus.value(item, false));
    QVERIFY(rig.view.parameterButtonsEnabled);
    QCOMPARE(rig.setdataReads, 1);
    // The port stays open for monitoring.
    QVERIFY(static_cast<FakeCom *>(rig.link.com())->isOpen());
}

void TestLinkCheck::fixedScanFindsPortAndClosesIt()
{
    ConnectionRig rig;
    rig.storeConditions("COM1", "19200", "8", "2", "NONE", "07", Ravtocol);
    rig.line->openPorts = {"COM2", "COM4"};
    rig.controllerAt("COM4", "9600", FrameMode::ModbusAscii, 1);
    rig.op.answers << false; // no serial option: the fixed-condition scan

    rig.controller.startupLinkCheck();

    QCOMPARE(rig.op.shown.size(), 1);
    QVERIFY(rig.shared.linkVerified);
    QCOMPARE(rig.probes, (QStringList{"COM2/9600/0/01", "COM4/9600/0/01"}));
    // Each opened port first gets the vendor-frame return command.
    int returns = 0;
    for (const FakeCom::Request &r : rig.script->requests)
        returns += r.frameMode == FrameMode::Vendor && r.command == QLatin1String("P");
    QCOMPARE(returns, 2);
    QCOMPARE(rig.stored(), (QStringList{"COM4", "9600", "7", "1", "EVEN", "01", "0"}));
    // The found port is closed again until monitoring starts.
    QVERIFY(!static_cast<FakeCom *>(rig.link.com())->isOpen());
}

// The stored port is named before the scan starts. The scan names no absent port and no device
// that is not a serial port; two ports this user may not use and two that another program holds
// are explained once each, before it gives up.
void TestLinkCheck::fixedScanWithoutPortsClosesWindow()
{
    ConnectionRig rig;
    rig.line->openPorts = {"none"};
    rig.line->faultyPorts = {{"COM1", PortFault::Missing},      {"COM2", PortFault::AccessDenied},
                             {"COM3", PortFault::Busy},         {"COM4", PortFault::NotSerial},
                             {"COM5", PortFault::AccessDenied}, {"COM7", PortFault::Busy}};
    rig.op.answers << false;

    rig.controller.startupLinkCheck();

    QCOMPARE(rig.op.messages(), (QList<QList<int>>{{1042}, {871, 872}, {1044}, {260}}));
    QCOMPARE(rig.op.texts.value(1044), msg(1044).arg("COM3", "/dev/tty-COM3"));
    QCOMPARE(rig.view.closeRequests, 1);
    QVERIFY(!rig.shared.linkVerified);
    QVERIFY(!rig.op.menus.value(MenuItem::Upload, false));
}

void TestLinkCheck::searchOrderAndFoundConditions()
{
    ConnectionRig rig;
    rig.storeConditions("COM1", "9600", "8", "2", "NONE", "01", ModbusAscii);
    rig.line->openPorts = {"COM3", "COM4"};
    rig.controllerAt("COM3", "19200", FrameMode::Ravtocol, 37);
    rig.op.answers << true; // serial option fitted: the automatic search

    rig.controller.startupLinkCheck();

    // The stored port COM1 does not open, so every probe is one of the search.
    QStringList expected;
    for (const QString speed : {"9600", "19200"}) {
        for (int protocol = 0; protocol <= 2; ++protocol) {
            for (int number = 1; number <= 95; ++number) {
                expected << QStringLiteral("COM3/%1/%2/%3")
                                .arg(speed)
                                .arg(protocol)
                                .arg(number, 2, 10, QLatin1Char('0'));
                if (speed == QLatin1String("19200") && protocol == 2 && number == 37)
                    break;
            }
        }
    }
    QCOMPARE(rig.probes, expected);
    QVERIFY(rig.shared.linkVerified);
    // The search varies port, speed, protocol and instrument only.
    const QStringList lineCalls = rig.script->callsStartingWith("DataBits=") +
                                  rig.script->callsStartingWith("Parity=") +
                                  rig.script->callsStartingWith("StopBits=");
    QCOMPARE(QSet<QString>(lineCalls.begin(), lineCalls.end()),
             (QSet<QString>{"DataBits=8", "Parity=NONE", "StopBits=2"}));
    QCOMPARE(rig.stored(), (QStringList{"COM3", "19200", "8", "2", "NONE", "37", "2"}));
    QCOMPARE(rig.view.commInfo, (QStringList{"COM3", "19200", "8, NONE", "2", "37", "Ravtocol"}));
    // The panel: checking the stored conditions, then searching until found.
    QCOMPARE(rig.view.linkCheckStates.mid(0, 3),
             (QList<LinkCheckState>{LinkCheckState::Checking, LinkCheckState::Idle,
                                    LinkCheckState::Searching}));
    QCOMPARE(rig.view.linkCheckStates.last(), LinkCheckState::Idle);
    // Each search probe is announced with what is left at worst: all of COM3's six speed and
    // protocol passes of 95 numbers and all of five more ports, one reply timeout each.
    QCOMPARE(rig.view.searchProgress.size(), expected.size());
    const SearchProgress first = rig.view.searchProgress.first();
    QCOMPARE((QStringList{first.port, first.speed, first.protocol, first.station}),
             (QStringList{"COM3", "9600", "Modbus ASCII", "01"}));
    QCOMPARE(first.probesLeft, 6 * 95 * 6);
    QCOMPARE(first.secondsLeft, 1026); // 3420 probes of 300 ms
    verifyProbeReplyTimeout(*rig.script);
    const SearchProgress last = rig.view.searchProgress.last();
    QCOMPARE((QStringList{last.port, last.speed, last.protocol, last.station}),
             (QStringList{"COM3", "19200", "Ravtocol", "37"}));
    QCOMPARE(last.probesLeft, 95 - 36 + 5 * 6 * 95);
    QCOMPARE(rig.op.messages().size(), 0);
}

void TestLinkCheck::cancelEndsSearchBeforeNextInstrument()
{
    ConnectionRig rig;
    rig.op.answers << true;
    bool refusedDuringSearch = false;
    rig.op.onProcessEvents = [&] {
        if (rig.probes.size() == 3) {
            // The online button and the settings menu do nothing while the search runs.
            rig.controller.toggleOnline();
            refusedDuringSearch = !rig.controller.prepareCommSettings();
        }
        if (rig.probes.size() == 12)
            rig.controller.cancelSearch();
    };

    rig.controller.startupLinkCheck();

    // The stored-conditions check, then eleven search probes.
    QCOMPARE(rig.probes.size(), 12);
    QCOMPARE(rig.probes.last(), QStringLiteral("COM1/9600/0/11"));
    QVERIFY(refusedDuringSearch);
    QVERIFY(!rig.shared.online);
    QCOMPARE(rig.op.messages(), QList<QList<int>>{{83}});
    QVERIFY(!rig.shared.linkVerified);
    QCOMPARE(rig.view.linkCheckStates.last(), LinkCheckState::Idle);
}

void TestLinkCheck::confirmedConditionsCheck()
{
    ConnectionRig rig;
    rig.storeConditions("COM5", "19200", "7", "1", "EVEN", "12", ModbusAscii);
    rig.store.loadCommValues(rig.shared);

    rig.controller.commSettingsClosed(true);

    QCOMPARE(rig.probes, QStringList{"COM5/19200/0/12"});
    QCOMPARE(rig.op.messages(), QList<QList<int>>{CheckFailed});
    QVERIFY(!rig.shared.linkVerified);
    QCOMPARE(rig.view.closeRequests, 0);

    rig.controllerAt("COM5", "19200", FrameMode::ModbusAscii, 12);
    rig.controller.commSettingsClosed(true);
    QVERIFY(rig.shared.linkVerified);
    QCOMPARE(rig.op.messages().size(), 1);

    // A cancelled dialog checks nothing.
    rig.controller.commSettingsClosed(false);
    QCOMPARE(rig.probes.size(), 2);
}

void TestLinkCheck::portFaultsAreNamed_data()
{
    QTest::addColumn<int>("fault"); // PortFault of COM5
    QTest::addColumn<QList<QList<int>>>("shown");
    QTest::addColumn<QString>("text"); // of the first message, when composed

    using Shown = QList<QList<int>>;
    QTest::newRow("missing") << int(PortFault::Missing) << Shown{{1042}}
                             << msg(1042).arg("COM5", "/dev/tty-COM5");
    QTest::newRow("not a serial device") << int(PortFault::NotSerial) << Shown{{1043}}
                                         << "COM5 (/dev/tty-COM5) is not a serial port.";
    QTest::newRow("busy") << int(PortFault::Busy) << Shown{{1044}}
                          << msg(1044).arg("COM5", "/dev/tty-COM5");
    QTest::newRow("unmapped") << int(PortFault::Unmapped) << Shown{{1045}} << msg(1045).arg("COM5");
    QTest::newRow("no permission")
        << int(PortFault::AccessDenied) << Shown{{871, 872}, CheckFailed} << QString();
    QTest::newRow("other") << int(PortFault::Other) << Shown{CheckFailed} << QString();
}

// The port the operator chose says why it did not open, instead of a bare communication error.
void TestLinkCheck::portFaultsAreNamed()
{
    QFETCH(int, fault);
    QFETCH(QList<QList<int>>, shown);
    QFETCH(QString, text);

    ConnectionRig rig;
    rig.storeConditions("COM5", "19200", "7", "1", "EVEN", "12", ModbusAscii);
    rig.store.loadCommValues(rig.shared);
    rig.line->faultyPorts = {{"COM5", PortFault(fault)}};

    rig.controller.commSettingsClosed(true);

    QCOMPARE(rig.op.messages(), shown);
    if (!text.isEmpty())
        QCOMPARE(rig.op.texts.value(shown[0][0]), text);
    QVERIFY(!rig.shared.linkVerified);
}

void TestLinkCheck::fileFromStartupIsKept()
{
    ConnectionRig rig;
    rig.controllerAt("COM1", "9600", FrameMode::ModbusAscii, 1);
    rig.shared.keepUnitFlag = true;

    rig.controller.startupLinkCheck();

    QVERIFY(rig.shared.linkVerified);
    QCOMPARE(rig.setdataReads, 0);
    QCOMPARE(rig.view.settingPageRefreshes, 1);
    QVERIFY(!rig.shared.keepUnitFlag);
    QVERIFY(rig.shared.unsavedOnlineChanges);
}

// A stored instrument number edited by hand into no number is named, and no controller is asked
// under it: not instrument 1 (its leading digit), not every one (0, the Modbus broadcast).
void TestLinkCheck::storedInstrumentThatIsNoNumber()
{
    ConnectionRig rig;
    rig.storeConditions("COM1", "9600", "7", "1", "EVEN", "01", ModbusAscii);
    rig.store.writeValue(rig.shared, QStringLiteral("strAdr"), QStringLiteral("1x"));
    rig.controllerAt("COM1", "9600", FrameMode::ModbusAscii, 1);

    QVERIFY(!rig.controller.linkCheck().checkStoredConditions());

    QVERIFY(rig.script->requests.isEmpty());
    QVERIFY(rig.op.texts.value(1150).contains(QStringLiteral("\"1x\"")));
    QCOMPARE(rig.view.commInfo.value(4), QStringLiteral("1x"));
}

void TestLinkCheck::startupQuestionSaysWhatHappened_data()
{
    QTest::addColumn<QString>("openPort"); // the one port that opens
    QTest::addColumn<QString>("instrument");
    QTest::addColumn<QString>("question"); // empty: message 85 alone

    QTest::newRow("no answer") << "COM1"
                               << "01"
                               << "The controller did not answer on COM1 at 19200 bit/s.\n" +
                                      msg(1206) + "\n" + msg(85);
    // The port's fault or the instrument number was named in a box of its own: nothing was asked.
    QTest::newRow("port missing") << "COM2"
                                  << "01" << QString();
    QTest::newRow("instrument no number") << "COM1"
                                          << "1x" << QString();
}

// When the start-up check finds no controller, the question of the serial option first says what
// happened, where it did happen.
void TestLinkCheck::startupQuestionSaysWhatHappened()
{
    QFETCH(QString, openPort);
    QFETCH(QString, instrument);
    QFETCH(QString, question);

    ConnectionRig rig;
    rig.storeConditions("COM1", "19200", "7", "1", "EVEN", "01", ModbusAscii);
    rig.store.writeValue(rig.shared, QStringLiteral("strAdr"), instrument);
    rig.line->openPorts = {openPort};
    rig.op.answers << false;

    rig.controller.startupLinkCheck();

    const auto asked = std::find_if(rig.op.shown.begin(), rig.op.shown.end(),
                                    [](const auto &box) { return box.question; });
    QVERIFY(asked != rig.op.shown.end());
    QCOMPARE(asked->ids, QList<int>{85});
    QCOMPARE(rig.op.texts.value(85), question);
}

void TestLinkCheck::frameShowsTheStoredConditions()
{
    ConnectionRig rig;
    rig.storeConditions("COM1", "9600", "7", "1", "EVEN", "01", ModbusAscii);
    rig.controllerAt("COM1", "9600", FrameMode::ModbusAscii, 1);
    rig.controller.startupLinkCheck();
    const QStringList at9600 = {"COM1", "9600", "7, EVEN", "1", "01", "Modbus ASCII"};
    QCOMPARE(rig.view.commInfo, at9600);

    // The dialog stores 19200 and the check with it fails: the next check uses 19200, so the
    // frame says 19200, not the 9600 of the link that was.
    QVERIFY(rig.controller.prepareCommSettings());
    CommSettingsEntry entry(rig.context, rig.store);
    CommSettingsChoice choice = CommSettingsEntry::fromState(rig.shared);
    choice.speedIndex = 1;
    QVERIFY(entry.confirm(choice).accepted);
    rig.controller.commSettingsClosed(true);
    QCOMPARE(rig.op.messages(), QList<QList<int>>{CheckFailed});
    QCOMPARE(rig.stored().at(1), QStringLiteral("19200"));
    QStringList at19200 = at9600;
    at19200[1] = QStringLiteral("19200");
    QCOMPARE(rig.view.commInfo, at19200);

    // Whoever changes the store, the frame follows; a failed stored-conditions check as well.
    rig.storeConditions("COM3", "9600", "8", "2", "NONE", "07", Ravtocol);
    QCOMPARE(rig.view.commInfo, (QStringList{"COM3", "9600", "8, NONE", "2", "07", "Ravtocol"}));
    rig.view.commInfo.clear();
    QVERIFY(!rig.controller.linkCheck().checkStoredConditions());
    QCOMPARE(rig.view.commInfo, (QStringList{"COM3", "9600", "8, NONE", "2", "07", "Ravtocol"}));
}

QTEST_GUILESS_MAIN(TestLinkCheck)
#include "tst_linkcheck.moc"
