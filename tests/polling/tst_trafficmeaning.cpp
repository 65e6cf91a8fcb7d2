#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "comm/ParameterTable.h"
#include "comm/RegisterMap.h"
#include "polling/TrafficMeaning.h"

#include <QtTest>

// What an exchange meant, read back from the request's fields and the reply's text in each
// framing: the item, read or write, and the value in the item's units (Ravtocol's data word
// travels low byte first, the vendor frame names items by its own numbers).
class TestTrafficMeaning : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void meaningInEachFraming_data();
    void meaningInEachFraming();
};

void TestTrafficMeaning::meaningInEachFraming_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("replyText");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<int>("inputType");
    QTest::addColumn<bool>("write");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("unit");

    const int ok = int(ReplyVerdict::Ok);
    QTest::newRow("ASCII read of the main set value, tenths") << int(FrameMode::ModbusAscii) << "03"
                                                              << "00010001"
                                                              << ""
                                                              << ":01030209C500\r\n"
                                                              << ok << 1 << false << 11 << "250.1"
                                                              << "setting unit";
    QTest::newRow("ASCII read of PV in Fahrenheit") << int(FrameMode::ModbusAscii) << "03"
                                                    << "00800001"
                                                    << ""
                                                    << ":0103020064FF\r\n"
                                                    << ok << 15 << false << 0 << "100"
                                                    << "°F";
    QTest::newRow("RTU write of the main set value")
        << int(FrameMode::ModbusRtu) << "06"
        << "0001"
        << "03E8"
        << ":01060001" << ok << 0 << true << 11 << "1000"
        << "setting unit";
    QTest::newRow("Ravtocol write, data low byte first")
        << int(FrameMode::Ravtocol) << "WD"
        << "0010200102"
        << "E803"
        << "@01$C5\r" << ok << 0 << true << 11 << "1000"
        << "setting unit";
    QTest::newRow("vendor frame write of the main set value's working item")
        << int(FrameMode::Vendor) << "q"
        << "FC30"
        << "03E8"
        << "" << ok << 0 << true << 11 << "1000"
        << "setting unit";
    QTest::newRow("status word shown as its bits") << int(FrameMode::ModbusAscii) << "03"
                                                   << "00850001"
                                                   << ""
                                                   << ":0103020005F5\r\n"
                                                   << ok << 0 << false << 4 << "0005"
                                                   << "";
    QTest::newRow("a read that got no reply names the item but no value")
        << int(FrameMode::ModbusAscii) << "03"
        << "00010001"
        << ""
        << "" << int(ReplyVerdict::NoReply) << 0 << false << 11 << ""
        << "";
    QTest::newRow("an address of no item") << int(FrameMode::ModbusAscii) << "03"
                                           << "77770001"
                                           << ""
                                           << ":01030209C500\r\n"
                                           << ok << 0 << false << -1 << ""
                                           << "";
}

void TestTrafficMeaning::meaningInEachFraming()
{
    QFETCH(int, mode);
    QFETCH(QString, command);
    QFETCH(QString, address);
    QFETCH(QString, data);
    QFETCH(QString, replyText);
    QFETCH(int, verdict);
    QFETCH(int, inputType);
    QFETCH(bool, write);
    QFETCH(int, code);
    QFETCH(QString, value);
    QFETCH(QString, unit);

    SessionState shared;
    shared.settingValues = ParameterTable::defaultSettingValues();
    shared.setting(Code::InputType) = qint16(inputType);
    RegisterMap::fillVendorItemTable(shared);
    TrafficRecord record;
    record.mode = FrameMode(mode);
    record.command = command;
    record.address = address;
    record.data = data;
    record.replyText = replyText;
    record.verdict = ReplyVerdict(verdict);

    const ExchangeMeaning meaning = TrafficMeaning::of(
        record, shared, [](const SessionState &, int) { return QStringLiteral("setting unit"); });
    QCOMPARE(meaning.write, write);
    QCOMPARE(meaning.code, code);
    QCOMPARE(meaning.caption.isEmpty(), code < 0);
    QCOMPARE(meaning.value, value);
    QCOMPARE(meaning.unit, value.isEmpty() ? QString() : unit);
}

QTEST_GUILESS_MAIN(TestTrafficMeaning)
#include "tst_trafficmeaning.moc"
