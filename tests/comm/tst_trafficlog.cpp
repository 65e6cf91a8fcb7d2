#include "comm/TrafficLog.h"
#include "tests/support/ProcessFigures.h"

#include <QtTest>

namespace
{
constexpr bool runsUnderAddressSanitizer()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}
} // namespace

// The traffic ring keeps the newest exchanges in order across its wrap, and the counters add up
// per station until an operator resets them.
class TestTrafficLog : public QObject
{
    Q_OBJECT

private slots:
    void ringKeepsTheNewestInOrder();
    void countersPerStationUntilReset();
    void ringStaysBoundedOverAMillionExchanges();
};

namespace
{
TrafficRecord exchange(const QString &station, ReplyVerdict verdict, int responseMs)
{
    TrafficRecord record;
    record.station = station;
    record.verdict = verdict;
    record.responseMs = responseMs;
    return record;
}

QList<quint64> serials(const QList<TrafficRecord> &records)
{
    QList<quint64> result;
    for (const TrafficRecord &record : records)
        result.append(record.serial);
    return result;
}
} // namespace

void TestTrafficLog::ringKeepsTheNewestInOrder()
{
    TrafficLog log(4);
    QCOMPARE(log.since(0).size(), 0);
    for (int i = 0; i < 3; ++i)
        log.record(exchange("01", ReplyVerdict::Ok, 20));
    QCOMPARE(serials(log.since(0)), (QList<quint64>{1, 2, 3}));
    QCOMPARE(serials(log.since(2)), (QList<quint64>{3}));
    for (int i = 0; i < 7; ++i)
        log.record(exchange("01", ReplyVerdict::Ok, 20));
    QCOMPARE(log.size(), 4);
    QCOMPARE(log.lastSerial(), quint64(10));
    // A reader that fell behind the ring gets what is still kept, nothing twice or out of order.
    QCOMPARE(serials(log.since(0)), (QList<quint64>{7, 8, 9, 10}));
    QCOMPARE(serials(log.since(8)), (QList<quint64>{9, 10}));
    QCOMPARE(log.since(10).size(), 0);
}

void TestTrafficLog::countersPerStationUntilReset()
{
    TrafficLog log;
    log.record(exchange("01", ReplyVerdict::Ok, 30));
    log.record(exchange("01", ReplyVerdict::Ok, 50));
    log.record(exchange("01", ReplyVerdict::NoReply, 300));
    log.record(exchange("02", ReplyVerdict::Checksum, 40));
    log.record(exchange("02", ReplyVerdict::Exception, 25));
    log.record(exchange("02", ReplyVerdict::LateReplyDropped, -1));
    log.record(exchange("02", ReplyVerdict::WrongStation, 35));
    // Bytes that came between requests: late, but no request of their own.
    TrafficRecord between = exchange("02", ReplyVerdict::LateReplyDropped, -1);
    between.reply = QByteArrayLiteral(":0A03020159\r\n");
    log.record(between);
    // Bytes read before any request was sent name no instrument: listed, counted under none.
    between.station.clear();
    log.record(between);
    // The vendor frame's return command is not answered by design: good, without a time.
    TrafficRecord leave = exchange("#", ReplyVerdict::NoReply, 400);
    leave.mode = FrameMode::Vendor;
    leave.command = QStringLiteral("P");
    leave.address = leave.data = QStringLiteral("0000");
    TrafficRecord unanswered = leave;
    unanswered.data = QStringLiteral("0001");
    TrafficRecord answered = unanswered;
    answered.verdict = ReplyVerdict::Ok;
    answered.responseMs = 20;
    for (const TrafficRecord &r : {leave, unanswered, answered})
        log.record(r);

    const TrafficCounters one = log.counters().value("01");
    QCOMPARE(one.requests, 3);
    QCOMPARE(one.good, 2);
    QCOMPARE(one.noReply, 1);
    // Mean and worst over answered requests only: a timeout is not a response time.
    QCOMPARE(one.meanResponseMs(), 40.0);
    QCOMPARE(one.worstResponseMs, 50);
    const TrafficCounters two = log.counters().value("02");
    QCOMPARE(two.requests, 4);
    QCOMPARE(two.good + two.checksum + two.exceptions + two.late + two.otherFaults, 5);
    QCOMPARE(two.late, 2);
    QCOMPARE(two.meanResponseMs(), 0.0);
    QCOMPARE(log.counters().keys(), (QStringList{"01", "02", "03"}));
    const TrafficCounters vendor = log.counters().value("03");
    QCOMPARE(vendor.requests, 3);
    QCOMPARE(vendor.good, 2);
    QCOMPARE(vendor.noReply, 1);
    QCOMPARE(vendor.meanResponseMs(), 20.0);

    log.resetCounters();
    QVERIFY(log.counters().isEmpty());
    // The exchanges themselves stay for the view.
    QCOMPARE(log.size(), 12);
}

// A week online costs no more memory than the first full ring: records of their own bytes each,
// as the line gives them, pushed through the default ring five times over.
void TestTrafficLog::ringStaysBoundedOverAMillionExchanges()
{
    TrafficLog log;
    const auto recordMany = [&log](int from, int count) {
        for (int i = from; i < from + count; ++i) {
            TrafficRecord record =
                exchange(QStringLiteral("%1").arg(i % 95 + 1, 2, 16, QLatin1Char('0')).toUpper(),
                         ReplyVerdict::Ok, i % 300);
            record.request = QByteArray::number(i, 16).repeated(4);
            record.reply = QByteArray::number(i).repeated(6);
            record.replyText = QString::fromLatin1(record.reply);
            log.record(std::move(record));
        }
    };
    constexpr int Total = 1000000;
    recordMany(0, 2 * TrafficLog::DefaultCapacity);
    const qint64 fullRing = ProcessFigures::residentKb();
    recordMany(2 * TrafficLog::DefaultCapacity, Total - 2 * TrafficLog::DefaultCapacity);
    const qint64 afterAll = ProcessFigures::residentKb();
    QCOMPARE(log.size(), TrafficLog::DefaultCapacity);
    QCOMPARE(log.lastSerial(), quint64(Total));
    const QList<TrafficRecord> kept = log.since(0);
    QCOMPARE(kept.size(), TrafficLog::DefaultCapacity);
    QCOMPARE(kept.first().serial, quint64(Total - TrafficLog::DefaultCapacity + 1));
    QCOMPARE(kept.last().reply, QByteArray::number(Total - 1).repeated(6));
    QCOMPARE(log.counters().size(), 95);
    // Records replaced in place free their bytes: growth would be some 50 MB here. Under the
    // address sanitizer freed memory waits in its quarantine, so resident memory says nothing.
    if (fullRing > 0 && !runsUnderAddressSanitizer())
        QVERIFY2(afterAll - fullRing < 4096,
                 qPrintable(QStringLiteral("%1 kB -> %2 kB").arg(fullRing).arg(afterAll)));
}

QTEST_GUILESS_MAIN(TestTrafficLog)
#include "tst_trafficlog.moc"
