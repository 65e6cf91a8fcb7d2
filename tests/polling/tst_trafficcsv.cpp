#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"
#include "comm/RegisterMap.h"
#include "polling/TrafficCsv.h"

#include "tests/support/PythonCsv.h"

#include <QTemporaryDir>
#include <QtTest>

// The line's exchanges as CSV read back by Python's csv module, as a plant script reads them: the
// same rows and fields, whatever the bytes and names hold.
class TestTrafficCsv : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void readsBackInPython();
};

namespace
{

TrafficRecord record(ReplyVerdict verdict)
{
    TrafficRecord r;
    r.sentAtMs = 1783155903120; // 2026-07-04T09:05:03.120Z
    r.port = QStringLiteral("COM3");
    r.speed = QStringLiteral("9600");
    r.station = QStringLiteral("01");
    r.command = QStringLiteral("03");
    r.address = QStringLiteral("00010001");
    r.request = QByteArrayLiteral(":010300010001FA\r\n");
    r.verdict = verdict;
    return r;
}

} // namespace

void TestTrafficCsv::readsBackInPython()
{
    QList<TrafficRecord> records;
    TrafficRecord good = record(ReplyVerdict::Ok);
    good.reply = QByteArrayLiteral(":01030209C500\r\n");
    good.replyText = QString::fromLatin1(good.reply);
    good.responseMs = 23;
    good.noiseBefore = true;
    records << good;
    TrafficRecord refused = record(ReplyVerdict::Exception);
    refused.mode = FrameMode::ModbusRtu;
    refused.station = QStringLiteral("0A");
    refused.command = QStringLiteral("06");
    refused.address = QStringLiteral("0001");
    refused.data = QStringLiteral("03E8");
    refused.exceptionCode = 0x0A;
    refused.reply = QByteArray::fromHex("0183 0A C0F1");
    refused.responseMs = 12;
    records << refused;
    TrafficRecord ravtocol = record(ReplyVerdict::Exception);
    ravtocol.mode = FrameMode::Ravtocol;
    ravtocol.exceptionCode = 20;
    records << ravtocol;
    // A name with every character CSV must quote, and nothing sent at all.
    TrafficRecord odd = record(ReplyVerdict::PortLost);
    odd.port = QStringLiteral("/dev/serial/by-id/usb-\"FTDI\",\nport0");
    odd.request.clear();
    odd.searchProbe = true;
    records << odd;
    TrafficRecord late = record(ReplyVerdict::LateReplyDropped);
    late.request.clear();
    late.command.clear();
    late.address.clear();
    late.mode = FrameMode::Vendor;
    late.station = QStringLiteral("*");
    late.reply = QByteArrayLiteral("\xff\x00,\"");
    records << late;

    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("frames.csv")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    // The meaning of an exchange in the item's units: a main set value in tenths of a degree.
    SessionState shared;
    shared.settingValues = ParameterTable::defaultSettingValues();
    shared.setting(Code::InputType) = 1;
    RegisterMap::fillVendorItemTable(shared);
    const auto unitOf = [](const SessionState &, int) { return QStringLiteral("°C"); };
    file.write(TrafficCsv::header());
    for (const TrafficRecord &r : records)
        file.write(TrafficCsv::line(r, &shared, unitOf));
    file.close();

    if (!PythonCsv::available())
        QSKIP("python3 is not installed");
    const QList<QStringList> rows = PythonCsv::rows(file.fileName());
    QCOMPARE(rows.size(), records.size() + 1);
    const QStringList header = rows.first();
    QCOMPARE(header, (QStringList{"time",   "port",        "speed",   "instrument", "protocol",
                                  "search", "command",     "address", "data",       "request",
                                  "reply",  "response_ms", "verdict", "exception",  "noise_before",
                                  "access", "code",        "caption", "value",      "unit"}));
    for (const QStringList &row : rows)
        QCOMPARE(row.size(), header.size());
    const auto cell = [&](int row, const char *column) {
        return rows.at(row + 1).at(header.indexOf(QLatin1String(column)));
    };
    const QDateTime sent = QDateTime::fromString(cell(0, "time"), Qt::ISODateWithMs);
    QCOMPARE(sent.toMSecsSinceEpoch(), good.sentAtMs);
    QCOMPARE(cell(0, "request"),
             QStringLiteral("3A 30 31 30 33 30 30 30 31 30 30 30 31 46 41 0D 0A"));
    QCOMPARE(QByteArray::fromHex(cell(0, "reply").toLatin1()), good.reply);
    QCOMPARE(cell(0, "verdict"), QStringLiteral("ok"));
    QCOMPARE(cell(0, "response_ms"), QStringLiteral("23"));
    QCOMPARE(cell(0, "noise_before"), QStringLiteral("1"));
    QCOMPARE(cell(0, "protocol"), QStringLiteral("modbus-ascii"));
    QCOMPARE(cell(0, "access"), QStringLiteral("read"));
    QCOMPARE(cell(0, "code"), QStringLiteral("11"));
    QVERIFY(!cell(0, "caption").isEmpty());
    QCOMPARE(cell(0, "value"), QStringLiteral("250.1"));
    QCOMPARE(cell(0, "unit"), QStringLiteral("°C"));
    QCOMPARE(cell(1, "access"), QStringLiteral("write"));
    QCOMPARE(cell(1, "code"), QStringLiteral("11"));
    // Exception codes as the controller sent them: Modbus hexadecimal, Ravtocol decimal.
    QCOMPARE(cell(1, "exception"), QStringLiteral("0A"));
    QCOMPARE(cell(1, "protocol"), QStringLiteral("modbus-rtu"));
    // The instrument number as the operator knows it, whatever the framing sends.
    QCOMPARE(cell(1, "instrument"), QStringLiteral("10"));
    QCOMPARE(cell(4, "instrument"), QStringLiteral("10"));
    QCOMPARE(cell(2, "instrument"), QStringLiteral("01"));
    QCOMPARE(cell(2, "exception"), QStringLiteral("20"));
    QCOMPARE(cell(3, "port"), odd.port);
    QCOMPARE(cell(3, "search"), QStringLiteral("1"));
    QCOMPARE(cell(3, "request"), QString());
    QCOMPARE(cell(3, "response_ms"), QString());
    QCOMPARE(cell(3, "verdict"), QStringLiteral("port-lost"));
    QCOMPARE(QByteArray::fromHex(cell(4, "reply").toLatin1()), late.reply);
    QCOMPARE(cell(4, "verdict"), QStringLiteral("late-reply"));
    // Bytes between requests were no read or write of anything.
    QCOMPARE(cell(4, "access"), QString());
    QCOMPARE(cell(4, "code"), QString());
}

QTEST_GUILESS_MAIN(TestTrafficCsv)
#include "tst_trafficcsv.moc"
