#include "base/MessageTable.h"
#include "tests/support/CoreRig.h"
#include "transfer/SingleWrite.h"
#include "transfer/VendorFrameWrites.h"

#include <QtTest>

namespace
{

struct WriteRig : CoreRig {
    explicit WriteRig(qint16 protocol = ModbusAscii) : CoreRig(protocol)
    {
        shared.online = true;
        shared.timerJob = TimerJob::Monitor;
        controller.vendorItems["FF13"] = 0;
    }
    // The operator changed code from before to after (as the entry dialogs leave it).
    void change(int code, qint16 before, qint16 after)
    {
        shared.downloadValues.at(code - 10) = before;
        shared.setting(code) = after;
        shared.postWrite(code);
    }
    // Requests with their commands: user writes "W 0039=03E8", reads "R 0039", vendor "q FC30".
    QStringList wire() const
    {
        QStringList list;
        for (const FakeCom::Request &r : script->requests) {
            if (r.frameMode == FrameMode::Vendor)
                list << r.command + " " + r.address;
            else if (r.command == "03" || r.command == "RD")
                list << "R " + ScriptedController::modbusAddress(r);
            else
                list << "W " + ScriptedController::modbusAddress(r) + "=" + r.data;
        }
        return list;
    }

    VendorFrameWrites &writes = core.vendorWrites;
    SingleWrite &single = core.singleWrite;
};

struct ManualRow {
    const char *name;
    qint16 optionWord, present, button;
    QString written;
};
// High limit 100 %, low limit 0 %; the output is held in tenths of a percent.
const ManualRow manualRows[] = {
    {"+10.0 at 95.0 % stops at the high limit", 0, 950, 4, "W 0039=03E8"},
    {"-1.0 at 0.5 % stops at the low limit", 0, 5, 3, "W 0039=0000"},
    {"+0.1 steps one tenth", 0, 500, 1, "W 0039=01F5"},
    {"heating/cooling goes below zero", 0x40, -50, 5, "W 0039=FF6A"},
    {"heating/cooling stops at -100.0 %", 0x40, -950, 5, "W 0039=FC18"},
};

} // namespace

class TestSingleWrite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void directWrites();
    void verdictFromReadBack_data();
    void verdictFromReadBack();
    void marksEndWithTheRecord();
    void manualOutput_data();
    void manualOutput();
    void vendorFrameItems();
    void mainSetValueProbeReplyLost();
    void atBiasRoute_data();
    void atBiasRoute();
    void journalsEveryWrite();
};

void TestSingleWrite::directWrites()
{
    // Unchanged auto-tuning and OUT/OFF switches are not sent.
    for (const int code : {12, 44}) {
        WriteRig rig;
        rig.change(code, 1, 1);
        QVERIFY(rig.single.writePosted());
        QVERIFY(rig.script->requests.isEmpty());
    }

    // A changed item is written, read back and marks the data valid.
    WriteRig rig;
    rig.change(13, 30, 45);
    rig.single.writePosted();
    QCOMPARE(rig.wire(), (QStringList{"W 0004=002D", "R 0004"}));
    QCOMPARE(rig.shared.setting(13), qint16(45));
    QVERIFY(rig.shared.settingDataValid);
    QVERIFY(rig.op.panelHistory.contains("1:OK") && rig.op.panels.value(1).isEmpty());

    // No reply: the previous value comes back and the error box shows.
    WriteRig deaf;
    deaf.change(13, 30, 45);
    deaf.controller.silent = true;
    deaf.single.writePosted();
    QCOMPARE(deaf.shared.setting(13), qint16(30));
    QVERIFY(deaf.view.commErrorVisible && deaf.shared.commErrorFlag);
    QVERIFY(!deaf.shared.settingDataValid);
    QVERIFY(deaf.op.panels.value(2).startsWith("Not confirmed: "));

    // Keys operated: a beep, and the value read back shows what the controller kept.
    WriteRig keys(Ravtocol);
    keys.change(13, 30, 45);
    keys.controller.registers["0004"] = 30;
    keys.controller.intercept = [](const FakeCom::Request &r) {
        return r.command == "WD" ? FakeCom::ravtocolError(1, 63) : QString();
    };
    keys.single.writePosted();
    QCOMPARE(keys.wire(), (QStringList{"W 0004=2D00", "R 0004"}));
    QCOMPARE(keys.op.beeps, 1);
    QCOMPARE(keys.shared.setting(13), qint16(30));
    QVERIFY(keys.op.panels.value(2).contains("keys are being operated"));

    // Refused for its value: the write is not taken; the item stays marked with the value sent
    // and the status bar says so, until the next write or a read that shows the value sent.
    WriteRig refused;
    refused.change(28, 0, 3);
    refused.controller.registers["001B"] = 0;
    refused.controller.intercept = [](const FakeCom::Request &r) {
        return r.command == "06" ? FakeCom::modbusException(1, 6, 0x03) : QString();
    };
    refused.single.writePosted();
    QCOMPARE(refused.shared.setting(28), qint16(0));
    QCOMPARE(refused.shared.unconfirmedWrites.value(28).sent, qint16(3));
    QVERIFY(refused.shared.unconfirmedWrites.contains(28));
    QCOMPARE(refused.op.panels.value(2),
             "Not taken: PV filter time constant setting (sent 0.3, the controller holds 0.0)");
    refused.controller.intercept = {};
    refused.change(28, 0, 3);
    refused.single.writePosted();
    QVERIFY(refused.shared.unconfirmedWrites.isEmpty() && refused.op.panels.value(2).isEmpty());

    // Under Ravtocol that refusal of the auto-tuning switch is passed over without a beep.
    WriteRig tuning(Ravtocol);
    tuning.change(12, 0, 1);
    tuning.controller.intercept = keys.controller.intercept;
    tuning.single.writePosted();
    QCOMPARE(tuning.op.beeps, 0);
}

Q_DECLARE_METATYPE(ItemOutcome::Verdict)

// The read-back settles what a write's reply left open: a lost reply with the value read back is
// taken, in the record, on the page and in the journal alike; a refusal stays a refusal.
void TestSingleWrite::verdictFromReadBack_data()
{
    using V = ItemOutcome::Verdict;
    const QString good = FakeCom::modbusWriteEcho(1, "001B", "0003");
    const QString holds3 = FakeCom::modbusRead(1, 3);
    const QString holds0 = FakeCom::modbusRead(1, 0);
    const QString refusedRead = FakeCom::modbusException(1, 3, 0x02);
    QTest::addColumn<QString>("writeReply");      // empty: the write lands, its reply is lost
    QTest::addColumn<QStringList>("readReplies"); // in turn; empty: no reply
    QTest::addColumn<ItemOutcome::Verdict>("verdict");
    QTest::addColumn<bool>("unread");
    QTest::addColumn<QString>("journal");
    QTest::newRow("taken") << good << QStringList{holds3} << V::Taken << false << "28 3 taken";
    QTest::newRow("reply lost, but it landed")
        << QString() << QStringList{holds3} << V::Taken << false << "28 3 taken";
    QTest::newRow("reply lost, read-back lost once")
        << QString() << QStringList{"", holds3} << V::Taken << false << "28 3 taken";
    QTest::newRow("reply lost, read back other") << QString() << QStringList{holds0} << V::NotTaken
                                                 << false << "28 3 read back different 0.0";
    QTest::newRow("echoed, read back other")
        << good << QStringList{holds0} << V::NotTaken << false << "28 3 read back different 0.0";
    QTest::newRow("echoed, read-back refused")
        << good << QStringList{refusedRead} << V::Unconfirmed << true << "28 3 no reply read-back";
    QTest::newRow("echoed, read-back lost twice")
        << good << QStringList{"", ""} << V::Unconfirmed << true << "28 3 no reply read-back";
    QTest::newRow("refused, read-back refused")
        << FakeCom::modbusException(1, 6, 0x04) << QStringList{refusedRead} << V::Refused << true
        << "28 3 refused 04";
    QTest::newRow("refused, read-back lost")
        << FakeCom::modbusException(1, 6, 0x02) << QStringList{"", ""} << V::Refused << true
        << "28 3 refused 02";
    QTest::newRow("keys operated") << FakeCom::modbusException(1, 6, 0x12) << QStringList{holds0}
                                   << V::KeysOperated << false << "28 3 refused keys operated";
}

void TestSingleWrite::verdictFromReadBack()
{
    QFETCH(QString, writeReply);
    QFETCH(QStringList, readReplies);
    QFETCH(ItemOutcome::Verdict, verdict);
    QFETCH(bool, unread);
    QFETCH(QString, journal);
    WriteRig rig;
    rig.change(28, 0, 3);
    const QString silence(""); // not null: answers in the controller's place with nothing
    rig.controller.intercept = [&](const FakeCom::Request &r) {
        if (r.command != "06")
            return readReplies.isEmpty() ? silence : readReplies.takeFirst();
        if (!writeReply.isEmpty())
            return writeReply;
        rig.controller.registers["001B"] = 3;
        return silence;
    };
    rig.single.writePosted();
    QVERIFY(rig.single.lastOutcome().has_value());
    QCOMPARE(rig.single.lastOutcome()->verdict(), verdict);
    QCOMPARE(rig.shared.unconfirmedWrites.contains(28), verdict != ItemOutcome::Verdict::Taken);
    QCOMPARE(rig.shared.unreadCodes.contains(28), unread);
    QCOMPARE(rig.journalLines(), QStringList{journal});
    // Status bar panel 2 says it as the record has it.
    QCOMPARE(rig.op.panels.value(2).isEmpty(), verdict == ItemOutcome::Verdict::Taken);
}

// The main set value's own register is written first, to learn whether the keys are operated.
// A reply to it that is lost on the way says nothing about the keys: a read of the main set
// value tells whether the line is there, and the write goes on; only a line that stays quiet
// stops it. However the vendor frame's replies fare, the read-back decides.
void TestSingleWrite::mainSetValueProbeReplyLost()
{
    struct Row {
        const char *name;
        std::function<QString(WriteRig &, const FakeCom::Request &)> fault;
        ItemOutcome::Verdict verdict;
        QString journal;
        qint16 shown;
    };
    const QString silence("");
    const auto isProbe = [](const FakeCom::Request &r) {
        return r.frameMode != FrameMode::Vendor && r.command == "06" && r.address == "0001";
    };
    const QList<Row> rows = {
        {"probe reply lost, the write goes on",
         [=](WriteRig &rig, const FakeCom::Request &r) {
             if (!isProbe(r))
                 return QString();
             rig.controller.registers["0001"] = 300;
             return silence;
         },
         ItemOutcome::Verdict::Taken, "11 300 taken", 300},
        {"last vendor-frame reply lost, read back as sent",
         [=](WriteRig &rig, const FakeCom::Request &r) {
             if (r.frameMode != FrameMode::Vendor || r.command != "r")
                 return QString();
             rig.controller.respond(r);
             return silence;
         },
         ItemOutcome::Verdict::Taken, "11 300 taken", 300},
        {"probe lost, then the line stays quiet",
         [=](WriteRig &rig, const FakeCom::Request &r) {
             if (isProbe(r))
                 rig.controller.silent = true;
             return isProbe(r) ? silence : QString();
         },
         ItemOutcome::Verdict::NoReply, "11 300 no reply", 100},
    };
    for (const Row &row : rows) {
        WriteRig rig;
        rig.controller.registers["0001"] = 100;
        rig.change(11, 100, 300);
        rig.controller.intercept = [&](const FakeCom::Request &r) { return row.fault(rig, r); };
        rig.single.writePosted();
        QVERIFY2(rig.single.lastOutcome()->verdict() == row.verdict, row.name);
        QVERIFY2(rig.journalLines() == QStringList{row.journal},
                 qPrintable(rig.journalLines().join(" | ")));
        QVERIFY2(rig.shared.setting(11) == row.shown, row.name);
        QVERIFY2(rig.shared.unconfirmedWrites.contains(11) ==
                     (row.verdict != ItemOutcome::Verdict::Taken),
                 row.name);
    }
}

// A mark and the note in status bar panel 2 last as long as the record: a read that shows the
// value sent ends both, and so does a new link check, after which whatever answers may be
// another controller.
void TestSingleWrite::marksEndWithTheRecord()
{
    WriteRig rig;
    rig.change(28, 0, 3);
    rig.controller.intercept = [](const FakeCom::Request &r) {
        return r.command == "03" ? QString("") : QString();
    };
    rig.single.writePosted();
    QVERIFY(rig.op.panels.value(2).startsWith("Not confirmed: "));
    QVERIFY(rig.shared.unconfirmedWrites.contains(28));

    rig.controller.intercept = {};
    QVERIFY(rig.core.itemRead.read(28));
    QVERIFY(rig.shared.unconfirmedWrites.isEmpty());
    QCOMPARE(rig.op.panels.value(2), QString());

    rig.controller.intercept = [](const FakeCom::Request &r) {
        return r.command == "03" && r.address.startsWith("001B") ? QString("") : QString();
    };
    rig.change(28, 3, 5);
    rig.single.writePosted();
    QVERIFY(rig.shared.unconfirmedWrites.contains(28));
    rig.core.connection.linkCheck().checkStoredConditions();
    QVERIFY(rig.shared.unconfirmedWrites.isEmpty());
    QCOMPARE(rig.op.panels.value(2), QString());
}

void TestSingleWrite::manualOutput_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(manualRows)); ++i)
        QTest::newRow(manualRows[i].name) << i;
}

void TestSingleWrite::manualOutput()
{
    QFETCH(int, row);
    const ManualRow &r = manualRows[row];
    WriteRig rig;
    rig.shared.monitorValues[7] = r.optionWord;
    rig.shared.setting(29) = 100;
    rig.shared.setting(30) = 0;
    rig.controller.registers["0039"] = r.present;

    rig.single.stepManualOutput(r.button);
    QCOMPARE(rig.shared.timerJob, TimerJob::WriteItem);
    QCOMPARE(rig.shared.downloadValues.at(46 - 10), r.present);
    rig.single.writePosted();

    QCOMPARE(rig.wire(), (QStringList{"R 0039", r.written, "R 0039"}));

    // Offline the buttons send nothing.
    WriteRig offline;
    offline.shared.online = false;
    offline.single.stepManualOutput(r.button);
    QVERIFY(offline.script->requests.isEmpty());
    QCOMPARE(offline.shared.timerJob, TimerJob::Monitor);
}

void TestSingleWrite::vendorFrameItems()
{
    // The main set value: its register first, then item and copy in the vendor frame with the
    // memory number read first; the alarm with a standby type is re-armed as memory 0 is in use.
    WriteRig rig;
    rig.change(11, 100, 300);
    rig.shared.setting(36) = 7;
    rig.single.writePosted();
    const QStringList exchange = {"W 0000=4C1A", "` FF13", "q FC30", "q FC30", "r 001C",
                                  "r 001C",      "q FF1A", "q FF1A", "P 0000"};
    QCOMPARE(rig.wire(), QStringList{"W 0001=012C"} + exchange + QStringList{"R 0001"});
    QCOMPARE(rig.controller.vendorItems.value("FC30"), qint16(300));
    QCOMPARE(rig.shared.setting(64), qint16(0));

    // Another item: the frame carries the controller's own main set value, read just before,
    // never the program's copy (300 here, while the controller was set to 320 at its keys).
    WriteRig sv2;
    sv2.shared.monitorValues[7] = 0x01;
    sv2.shared.setting(11) = 300;
    sv2.controller.registers["0001"] = 320;
    sv2.change(58, 100, 250);
    sv2.single.writePosted();
    QCOMPARE(sv2.wire().mid(0, 2), (QStringList{"R 0001", "W 0001=0140"}));
    QCOMPARE(sv2.controller.registers.value("0001"), qint16(320));
    QCOMPARE(sv2.controller.vendorItems.value("FC32"), qint16(250));
    QVERIFY(sv2.shared.unconfirmedWrites.isEmpty() && sv2.op.panels.value(2).isEmpty());

    // The main set value cannot be read: nothing is written, the operator is told.
    WriteRig unread;
    unread.shared.monitorValues[7] = 0x01;
    unread.change(58, 100, 250);
    unread.controller.intercept = [](const FakeCom::Request &r) {
        return r.command == "03" ? FakeCom::modbusException(1, 3, 0x02) : QString();
    };
    unread.single.writePosted();
    QCOMPARE(unread.wire(), QStringList{"R 0001"});
    QCOMPARE(unread.op.messages(), QList<QList<int>>{{880}});
    QCOMPARE(unread.shared.setting(58), qint16(100));

    // Keys operated: refused at the main set value's register; nothing more is sent, and the
    // status bar keeps saying so until the next write.
    WriteRig keys;
    keys.shared.monitorValues[7] = 0x01;
    keys.change(58, 100, 300);
    keys.controller.intercept = [](const FakeCom::Request &r) {
        return r.command == "06" ? FakeCom::modbusException(1, 6, 0x12) : QString();
    };
    keys.single.writePosted();
    QCOMPARE(keys.wire().size(), 2);
    QCOMPARE(keys.view.keyOperationNotices, 1);
    QCOMPARE(keys.shared.setting(58), qint16(100));
    QCOMPARE(keys.op.beeps, 1);
    QVERIFY(keys.op.panels.value(2).contains("keys are being operated"));
    // Set value 2 itself never went out: nothing on the page claims it was sent.
    QVERIFY(keys.shared.unconfirmedWrites.isEmpty());

    // OUT/OFF function chosen while in manual control: back to automatic first.
    WriteRig outOff;
    outOff.change(63, 1, 0);
    outOff.shared.setting(45) = 1;
    outOff.controller.registers["0001"] = 237;
    outOff.single.writePosted();
    const QStringList sent = outOff.wire();
    QCOMPARE(sent.mid(0, 4), (QStringList{"R 0001", "W 0001=00ED", "W 0038=0000", "W 0000=4C1A"}));
    QCOMPARE(sent.filter("q FC96").size(), 2);
    QCOMPARE(sent.filter("a FC96").size(), 2); // the read-back
    QCOMPARE(outOff.shared.setting(45), qint16(0));
    QVERIFY(outOff.op.panelHistory.contains("1:Data changing now."));
}

void TestSingleWrite::atBiasRoute_data()
{
    QTest::addColumn<qint16>("mode");
    QTest::addColumn<qint16>("inputType");
    QTest::addColumn<qint16>("bias");
    QTest::addColumn<bool>("vendorFrame");
    QTest::newRow("6.0 degrees, tenth input, mode 200")
        << qint16(200) << qint16(1) << qint16(60) << true;
    QTest::newRow("6 degrees, whole-degree input")
        << qint16(200) << qint16(0) << qint16(6) << false;
    QTest::newRow("5.0 degrees, tenth input") << qint16(200) << qint16(1) << qint16(50) << false;
    QTest::newRow("6.0 degrees, mode 266") << qint16(266) << qint16(1) << qint16(60) << false;
}

void TestSingleWrite::atBiasRoute()
{
    QFETCH(qint16, mode);
    QFETCH(qint16, inputType);
    QFETCH(qint16, bias);
    QFETCH(bool, vendorFrame);
    WriteRig rig(Ravtocol);
    rig.controller.registers["0000"] = mode;
    rig.shared.setting(49) = inputType;
    rig.change(51, 0, bias);

    rig.single.writePosted();

    const QStringList sent = rig.wire();
    QCOMPARE(sent.contains("q FC90"), vendorFrame);
    QCOMPARE(sent.filter("W 0047=").size(), vendorFrame ? 0 : 1);
    if (vendorFrame)
        QCOMPARE(rig.controller.vendorItems.value("004C"), bias); // high byte first again
    else
        QCOMPARE(rig.controller.registers.value("0047"), bias);
    QCOMPARE(sent.last(), QStringLiteral("R 0047"));
}

// One journal line per item written, with what the controller made of it; the value before is
// the one last read from the controller, left empty when it was never read.
void TestSingleWrite::journalsEveryWrite()
{
    struct Case {
        const char *name;
        qint16 protocol;
        std::function<void(WriteRig &)> act;
        QStringList lines;
    };
    const auto change = [](int code, qint16 before, qint16 after) {
        return [=](WriteRig &rig) {
            rig.change(code, before, after);
            rig.single.writePosted();
        };
    };
    const auto refuseWrites = [](QString reply) {
        return [=](WriteRig &rig) {
            rig.controller.intercept = [=](const FakeCom::Request &r) {
                return r.command == "06" || r.command == "WD" ? reply : QString();
            };
            rig.change(13, 30, 45);
            rig.single.writePosted();
        };
    };
    const QList<Case> cases = {
        {"taken, value before as read",
         ModbusAscii,
         [](WriteRig &rig) {
             rig.controller.registers["0004"] = 30;
             rig.shared.readValues.at(13 - 10) = 30;
             rig.change(13, 30, 45);
             rig.single.writePosted();
         },
         {"before=30 13 45 taken"}},
        {"never read: no value before", ModbusAscii, change(13, 30, 45), {"13 45 taken"}},
        {"no reply",
         ModbusAscii,
         [](WriteRig &rig) {
             rig.controller.silent = true;
             rig.change(13, 30, 45);
             rig.single.writePosted();
         },
         {"13 45 no reply"}},
        {"refused with an exception",
         ModbusAscii,
         refuseWrites(FakeCom::modbusException(1, 6, 3)),
         {"13 45 refused 03"}},
        {"refused: keys operated",
         Ravtocol,
         refuseWrites(FakeCom::ravtocolError(1, 63)),
         {"13 45 refused keys operated"}},
        {"answered but not taken",
         ModbusAscii,
         [](WriteRig &rig) {
             rig.controller.registers["0004"] = 30;
             rig.controller.intercept = [](const FakeCom::Request &r) {
                 return r.command == "06" ? FakeCom::modbusWriteEcho(1, r.address, r.data)
                                          : QString();
             };
             rig.change(13, 30, 45);
             rig.single.writePosted();
         },
         {"13 45 read back different 30"}},
        {"vendor frame: one line for the item",
         ModbusAscii,
         change(11, 100, 300),
         {"11 300 taken"}},
        {"vendor frame refused at the set value's register",
         ModbusAscii,
         [](WriteRig &rig) {
             rig.shared.monitorValues[7] = 0x01;
             rig.controller.intercept = [](const FakeCom::Request &r) {
                 return r.command == "06" ? FakeCom::modbusException(1, 6, 0x12) : QString();
             };
             rig.change(58, 100, 300);
             rig.single.writePosted();
         },
         {"58 300 refused keys operated"}},
        {"vendor frame NAK",
         ModbusAscii,
         [](WriteRig &rig) {
             rig.controller.intercept = [](const FakeCom::Request &r) {
                 return r.command == "q" || r.command == "r" ? FakeCom::vendorNak(1) : QString();
             };
             rig.change(63, 0, 1);
             rig.single.writePosted();
         },
         {"63 1 refused NAK"}},
        {"OUT/OFF from manual: the switch to automatic too",
         ModbusAscii,
         [](WriteRig &rig) {
             rig.shared.setting(45) = 1;
             rig.shared.readValues.at(45 - 10) = 1;
             rig.change(63, 1, 0);
             rig.single.writePosted();
         },
         {"before=1 45 0 taken", "63 0 taken"}},
        {"manual output step: before is the output just read",
         ModbusAscii,
         [](WriteRig &rig) {
             rig.shared.setting(29) = 100;
             rig.controller.registers["0039"] = 500;
             rig.single.stepManualOutput(1);
             rig.single.writePosted();
         },
         {"before=500 46 501 taken"}},
        {"unchanged switch: nothing sent, nothing journalled", ModbusAscii, change(12, 1, 1), {}},
    };
    for (const Case &c : cases) {
        WriteRig rig(c.protocol);
        c.act(rig);
        QVERIFY2(rig.journalLines() == c.lines,
                 qPrintable(QStringLiteral("%1: %2").arg(c.name, rig.journalLines().join(" | "))));
    }
}

QTEST_GUILESS_MAIN(TestSingleWrite)
#include "tst_singlewrite.moc"
