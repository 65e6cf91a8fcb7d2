#include "base/MessageTable.h"
#include "comm/ParameterTable.h"
#include "comm/RegisterMap.h"
#include "tests/support/CoreRig.h"
#include "transfer/ParameterUpload.h"

#include <QtTest>

namespace
{

struct UploadRig : CoreRig {
    explicit UploadRig(qint16 protocol = ModbusAscii) : CoreRig(protocol)
    {
        // Every register holds its own code, so that a value shows where it was read from.
        for (int code = 11; code <= 57; ++code)
            controller.registers[RegisterMap::modbusAddress(code)] = qint16(code);
        controller.registers["0003"] = 0; // auto-tuning off
        for (const int code : {58, 59, 60, 61, 62, 63})
            controller.vendorItems[shared.vendorItemTable[ParameterTable::vendorItemIndex(code)]] =
                qint16(code == 61 ? 0 : code);
        shared.monitorValues[7] = 0x01; // SV2 to SV4
        shared.monitorValues[8] = 0x10; // DC current output
    }
    ParameterUpload &upload = core.upload;
};

QStringList registerReads(int skipFrom, int skipTo)
{
    QStringList reads;
    for (int code = 11; code <= 57; ++code)
        if (code < skipFrom || code > skipTo)
            reads << QStringLiteral("R ") + RegisterMap::modbusAddress(code);
    return reads;
}

} // namespace

class TestParameterUpload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void menuUpload_data();
    void menuUpload();
    void silentUploadReadsManualOutput();
    void keyOperationStopsUpload_data();
    void keyOperationStopsUpload();
    void failuresDoNotStopUpload();
    void lostRepliesCostOneItemAtMost();
};

void TestParameterUpload::menuUpload_data()
{
    QTest::addColumn<qint16>("protocol");
    QTest::addColumn<QString>("flag");
    QTest::newRow("Modbus") << qint16(ModbusRtu) << "W 0070=0001";
    QTest::newRow("Ravtocol") << qint16(Ravtocol) << "W 0070=0100";
}

void TestParameterUpload::menuUpload()
{
    QFETCH(qint16, protocol);
    QFETCH(QString, flag);
    UploadRig rig(protocol);
    rig.shared.setting(49) = 31; // the abnormal output item is read only for DC inputs
    rig.controller.registers["0044"] = 31;
    rig.shared.uploadRequested = true;
    rig.shared.rereadFlag = true;
    rig.shared.settingsFromFile = true;

    QVERIFY(rig.upload.uploadAll());
    // Read from the controller: no longer a file's values.
    QVERIFY(!rig.shared.settingsFromFile);

    const QStringList user = rig.userRequests();
    QCOMPARE(user.first(), flag);
    // Every item, the auto/manual switch and the manual output among them: the pages, a file
    // saved and the report hold the controller's whole set.
    QCOMPARE(user.filter("R "), registerReads(0, 0));
    // One exchange per vendor item: 58, 59, 60, 61 by readBackSetValue, 62 and 63 by
    // readBackOutputItem.
    QCOMPARE(user.filter("W 0000=").size(), 6);
    QCOMPARE(rig.returnCommands(), 6);
    for (const int code : {13, 44, 47, 57, 58, 60, 62, 63})
        QCOMPARE(rig.shared.setting(code), qint16(code));
    QCOMPARE(rig.shared.setting(45), qint16(45));

    QCOMPARE(rig.view.progressShown,
             (QList<QPair<bool, int>>{qMakePair(true, 502), qMakePair(false, 502)}));
    QCOMPARE(rig.view.progressValues.last(), 53);
    QVERIFY(rig.op.panelHistory.contains("1:Data upload now."));
    QVERIFY(rig.shared.settingDataValid && !rig.shared.uploadRequested && !rig.shared.rereadFlag);
}

void TestParameterUpload::silentUploadReadsManualOutput()
{
    UploadRig rig;
    rig.shared.uploadRequested = true;
    rig.shared.rereadFlag = true;

    QVERIFY(rig.upload.uploadSilently());

    QCOMPARE(rig.userRequests().filter("R "), registerReads(0, 0));
    QCOMPARE(rig.shared.setting(46), qint16(46));
    QVERIFY(rig.view.progressShown.isEmpty());
    QVERIFY(!rig.shared.rereadFlag && rig.shared.uploadRequested && !rig.shared.settingDataValid);

    // Auto-tuning on (code 12, read early in the upload) leaves the vendor-frame items alone.
    UploadRig tuning;
    tuning.controller.registers["0003"] = 1;
    QVERIFY(tuning.upload.uploadSilently());
    QVERIFY(tuning.vendorReads().isEmpty());
    QCOMPARE(tuning.script->requests.size(), 1 + 47);
}

void TestParameterUpload::keyOperationStopsUpload_data()
{
    QTest::addColumn<qint16>("protocol");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<bool>("menu");
    const QString modbusKeys = FakeCom::modbusException(1, 6, 0x12);
    QTest::newRow("menu, Modbus") << qint16(ModbusAscii) << modbusKeys << true;
    QTest::newRow("menu, Ravtocol") << qint16(Ravtocol) << FakeCom::ravtocolError(1, 63) << true;
    QTest::newRow("status check") << qint16(ModbusAscii) << modbusKeys << false;
}

void TestParameterUpload::keyOperationStopsUpload()
{
    QFETCH(qint16, protocol);
    QFETCH(QString, refusal);
    QFETCH(bool, menu);
    for (const bool silent : {false, true}) {
        UploadRig rig(protocol);
        rig.shared.uploadRequested = menu;
        rig.shared.rereadFlag = true;
        rig.controller.intercept = [&](const FakeCom::Request &) { return refusal; };

        QVERIFY(!(silent ? rig.upload.uploadSilently() : rig.upload.uploadAll()));

        QCOMPARE(rig.script->requests.size(), 1);
        QCOMPARE(rig.op.messages(), menu ? QList<QList<int>>{{291}} : QList<QList<int>>{});
        QVERIFY(!rig.shared.uploadRequested && rig.shared.rereadFlag &&
                !rig.shared.settingDataValid);
        QVERIFY(rig.view.progressShown.isEmpty());
    }
}

void TestParameterUpload::failuresDoNotStopUpload()
{
    UploadRig rig;
    rig.shared.setting(13) = 7;
    const QString refusedRegister = RegisterMap::modbusAddress(30);
    rig.controller.intercept = [&](const FakeCom::Request &r) {
        if (r.address == QLatin1String("0070"))
            return FakeCom::modbusException(1, 6, 0x02); // other refusals are no stop
        if (r.command == QLatin1String("03") && r.address.startsWith(refusedRegister))
            return FakeCom::modbusException(1, 3, 0x04);
        if (r.command == QLatin1String("a") && r.address == QLatin1String("FC32"))
            return FakeCom::vendorReadRefused(1);
        return r.address.startsWith(QLatin1String("0004")) ? QString("") : QString();
    };

    QVERIFY(rig.upload.uploadAll());

    QCOMPARE(rig.shared.setting(13), qint16(7));
    QCOMPARE(rig.shared.setting(57), qint16(57));
    QVERIFY(rig.view.commErrorShown > 0);
    QVERIFY(rig.shared.settingDataValid);
    // Unanswered or refused, an item keeps no value of the controller's: it is listed as unread
    // until a read of it succeeds.
    QCOMPARE(QSet<int>(rig.shared.unreadCodes), (QSet<int>{13, 30, 58}));
    rig.controller.intercept = {};
    QVERIFY(rig.upload.uploadAll());
    QVERIFY(rig.shared.unreadCodes.isEmpty());
    QCOMPARE(rig.shared.setting(30), qint16(30));
}

// One lost or garbled reply costs nothing: the read is tried once more. An item whose reads both
// go unanswered is "not read" while the rest of the set is kept; a full upload that reads an
// item ends the mark its last write left, and status bar panel 2 no longer names it.
void TestParameterUpload::lostRepliesCostOneItemAtMost()
{
    UploadRig rig;
    int bandReads = 0;
    int pvFilterReads = 0;
    rig.controller.intercept = [&](const FakeCom::Request &r) {
        if (r.command == "03" && r.address.startsWith("0004"))
            return ++bandReads == 1 ? QString("") : QString(); // the proportional band: once lost
        if (r.command == "03" && r.address.startsWith("001B"))
            return ++pvFilterReads <= 2 ? QString("") : QString(); // the PV filter: twice lost
        return QString();
    };
    ItemOutcome left = ItemOutcome::planned(15, std::nullopt, 99);
    left.reply = ItemOutcome::Reply::NoReply;
    rig.shared.unconfirmedWrites.insert(15, left);
    rig.shared.writeNoteCode = 15;
    rig.op.setStatusPanel(2, "Not confirmed: Integral time setting (sent 99, no read-back)");
    rig.shared.uploadRequested = true;

    QVERIFY(rig.upload.uploadAll());

    QCOMPARE(rig.upload.lastResult(), ParameterUpload::Result::Completed);
    QCOMPARE(rig.shared.setting(13), qint16(13));
    QCOMPARE(QSet<int>(rig.shared.unreadCodes), QSet<int>{28});
    QCOMPARE(rig.shared.setting(57), qint16(57));
    QVERIFY(rig.shared.unconfirmedWrites.isEmpty());
    QVERIFY(rig.op.panels.value(2).startsWith("Upload completed at "));

    // A dead line still ends it after three items in a row.
    UploadRig deaf;
    deaf.controller.intercept = [&](const FakeCom::Request &r) {
        return r.command == "03" ? QString("") : QString();
    };
    deaf.shared.uploadRequested = true;
    QVERIFY(deaf.upload.uploadAll());
    QCOMPARE(deaf.upload.lastResult(), ParameterUpload::Result::LineLost);
    QCOMPARE(deaf.userRequests().filter("R ").size(), 6);
}

QTEST_GUILESS_MAIN(TestParameterUpload)
#include "tst_parameterupload.moc"
