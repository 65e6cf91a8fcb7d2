#include "comm/TrafficLog.h"

#include <QtTest>

// The traffic ring keeps the newest exchanges in order across its wrap, and the counters add up
// per station until an operator resets them.
class TestTrafficLog : public QObject
{
    Q_OBJECT

private slots:
    void ringKeepsTheNewestInOrder();
    void countersPerStationUntilReset();
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

    const TrafficCounters one = log.counters().value("01");
    QCOMPARE(one.requests, 3);
    QCOMPARE(one.good, 2);
    QCOMPARE(one.noReply, 1);
    // Mean and worst over answered requests only: a timeout is not a response time.
    QCOMPARE(one.meanResponseMs(), 40.0);
    QCOMPARE(one.worstResponseMs, 50);
    const TrafficCounters two = log.counters().value("02");
    QCOMPARE(two.requests, 4);
    QCOMPARE(two.good + two.checksum + two.exceptions + two.late + two.otherFaults, 4);
    QCOMPARE(two.meanResponseMs(), 0.0);

    log.resetCounters();
    QVERIFY(log.counters().isEmpty());
    // The exchanges themselves stay for the view.
    QCOMPARE(log.size(), 7);
}

QTEST_GUILESS_MAIN(TestTrafficLog)
#include "tst_trafficlog.moc"
