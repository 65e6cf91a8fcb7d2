#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "chart/EventLog.h"
#include "chart/EventRecorder.h"
#include "display/MainDisplayModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestEventLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void statusChangesBecomeEvents_data();
    void statusChangesBecomeEvents();
    void linkAndTransferEvents();
    void monthlyFilesAndWholeLines();
};

namespace
{
QStringList words(const std::vector<EventLog::Event> &newestFirst)
{
    QStringList list;
    for (auto e = newestFirst.rbegin(); e != newestFirst.rend(); ++e)
        list << EventLog::word(e->kind);
    return list;
}
} // namespace

void TestEventLog::statusChangesBecomeEvents_data()
{
    QTest::addColumn<QList<int>>("statusWords");
    QTest::addColumn<QStringList>("events");
    const int quiet = StatusBit::Out1;
    QTest::newRow("alarm 1 on and off")
        << QList<int>{quiet, StatusBit::Alarm1, StatusBit::Alarm1, quiet}
        << QStringList{"alarm1-on", "alarm1-off"};
    QTest::newRow("alarm 2") << QList<int>{quiet, StatusBit::Alarm2, quiet}
                             << QStringList{"alarm2-on", "alarm2-off"};
    QTest::newRow("heater burnout") << QList<int>{quiet, StatusBit::HeaterBurnout, quiet}
                                    << QStringList{"heater-burnout-on", "heater-burnout-off"};
    // Overscale turning into underscale is the same break going on.
    QTest::newRow("sensor break") << QList<int>{quiet, StatusBit::OverScale, StatusBit::UnderScale,
                                                quiet}
                                  << QStringList{"sensor-break-on", "sensor-break-off"};
    QTest::newRow("auto-tuning") << QList<int>{quiet, StatusBit::AutoTuning, quiet}
                                 << QStringList{"autotuning-started", "autotuning-ended"};
    QTest::newRow("front panel, once while the bit stays")
        << QList<int>{quiet, StatusBit::SettingsChanged, StatusBit::SettingsChanged, quiet}
        << QStringList{"front-panel-change"};
    QTest::newRow("already on when going online")
        << QList<int>{StatusBit::Alarm1 | StatusBit::OverScale, quiet}
        << QStringList{"alarm1-on", "sensor-break-on", "alarm1-off", "sensor-break-off"};
    QTest::newRow("outputs switching are no events")
        << QList<int>{quiet, StatusBit::Out2, StatusBit::Manual, quiet} << QStringList{};
}

void TestEventLog::statusChangesBecomeEvents()
{
    QFETCH(QList<int>, statusWords);
    QFETCH(QStringList, events);
    QTemporaryDir dir;
    SessionState shared;
    shared.portName = QStringLiteral("/dev/ttyUSB0");
    shared.stationAddress = QStringLiteral("07");
    EventRecorder recorder(shared, dir.path());
    recorder.setClock([] { return QDateTime(QDate(2026, 7, 4), QTime(9, 5, 3)); });
    recorder.wentOnline();
    for (const int status : statusWords) {
        shared.monitorValues[4] = qint16(status);
        recorder.statusRead();
    }
    QVERIFY(!recorder.lastWriteFailed());
    QCOMPARE(recorder.currentFile(), dir.filePath(QStringLiteral("events-2026-07.csv")));
    const std::vector<EventLog::Event> read = EventLog::latest(recorder.currentFile(), 100);
    QCOMPARE(words(read), QStringList{"online"} + events);
    QCOMPARE(read.back().port, QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(read.back().instrument, 7);
    QCOMPARE(read.back().at, QDateTime(QDate(2026, 7, 4), QTime(9, 5, 3)));
}

void TestEventLog::linkAndTransferEvents()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("events.csv"));
    SessionState shared;
    EventRecorder recorder(shared, path);
    recorder.wentOnline();
    recorder.noReply();
    recorder.noReply(); // the same loss goes on
    recorder.replied();
    recorder.noReply();
    recorder.wentOffline(true);
    recorder.wentOnline();
    recorder.transferEnded(true);
    recorder.transferEnded(false);
    recorder.wentOffline(false); // the operator's own switch is no event
    // Lost while only a transfer asked: no monitor read went unanswered, the loss is still said.
    recorder.wentOnline();
    recorder.wentOffline(true);
    QCOMPARE(recorder.currentFile(), path);
    QCOMPARE(words(EventLog::latest(path, 100)),
             (QStringList{"online", "comm-error", "comm-error", "offline", "online",
                          "transfer-completed", "transfer-stopped", "online", "comm-error",
                          "offline"}));
    // The window's list: the newest first, as many as asked for.
    const auto latest = EventLog::latest(path, 2);
    QCOMPARE(latest.size(), std::size_t(2));
    QCOMPARE(latest[0].kind, EventLog::Kind::Offline);
    QCOMPARE(latest[1].kind, EventLog::Kind::CommError);
    // Nothing was read since going online: no value is passed off as one, not even 0.
    QCOMPARE(latest[0].pv + latest[0].sv + latest[0].mv1, QStringLiteral("------------"));

    // Read: the values as displayed; gone with the line: "----" again.
    recorder.wentOnline();
    for (const int code : {0, 1, 3})
        recorder.monitorRead(code, true);
    recorder.transferEnded(true);
    recorder.noReply();
    const auto read = EventLog::latest(path, 2);
    QCOMPARE(read[1].pv + "|" + read[1].sv + "|" + read[1].mv1, QStringLiteral("0|0|0.0"));
    QCOMPARE(read[0].pv, QStringLiteral("----"));
}

void TestEventLog::monthlyFilesAndWholeLines()
{
    QTemporaryDir dir;
    SessionState shared;
    shared.portName = QStringLiteral("COM1");
    EventRecorder recorder(shared, dir.path());
    QDateTime now(QDate(2026, 7, 31), QTime(23, 59, 59));
    recorder.setClock([&now] { return now; });
    recorder.wentOnline();
    now = now.addSecs(1);
    recorder.noReply();
    const QString july = dir.filePath(QStringLiteral("events-2026-07.csv"));
    const QString august = dir.filePath(QStringLiteral("events-2026-08.csv"));
    QCOMPARE(EventLog::latest(july, 10).size(), std::size_t(1));
    QCOMPARE(EventLog::latest(august, 10).size(), std::size_t(1));
    QFile file(august);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray line = file.readAll();
    QVERIFY2(line.startsWith("2026-08-01T00:00:00,COM1,1,comm-error,"), line.constData());
    QVERIFY(line.endsWith("\r\n"));
    file.close();

    // Lines of other kinds, a half line at the end and an overlong line are not events.
    QVERIFY(file.open(QIODevice::Append));
    file.write("2026-08-01T00:00:01,COM1,1,explosion,1,2,3\r\n");
    file.write(QByteArray(1000, 'x') + "\r\n");
    file.write("2026-08-01T00:00:02,COM1,1,online,1,2,3\r\n");
    file.write("2026-08-01T00:00:03,COM1,1,offl");
    file.close();
    QCOMPARE(words(EventLog::latest(august, 10)), (QStringList{"comm-error", "online"}));

    // A folder in the place of the month's file: the event is lost, and the operator is told
    // once which file and why, again only after a line has been written since.
    QStringList told;
    recorder.setFaultReport([&told](const FileFault &fault) { told << fault.text(); });
    const QString september = dir.filePath(QStringLiteral("events-2026-09.csv"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("events-2026-09.csv")));
    now = QDateTime(QDate(2026, 9, 1), QTime(0, 0));
    recorder.wentOnline();
    recorder.noReply();
    QVERIFY(recorder.lastWriteFailed());
    QCOMPARE(recorder.lostLines(), 2);
    const QStringList once = {QDir::toNativeSeparators(september) + " (not a regular file)"};
    QCOMPARE(told, once);
    QVERIFY(QDir(dir.path()).rmdir(QStringLiteral("events-2026-09.csv")));
    recorder.wentOnline();
    QVERIFY(!recorder.lastWriteFailed());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("events-2026-10.csv")));
    now = QDateTime(QDate(2026, 10, 1), QTime(0, 0));
    recorder.wentOnline();
    QCOMPARE(told.size(), 2);
}

QTEST_GUILESS_MAIN(TestEventLog)
#include "tst_eventlog.moc"
