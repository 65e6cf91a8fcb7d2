#include "base/JobDispatcher.h"
#include "base/SessionState.h"

#include <QtTest>

// What each JobTimer tick runs and which job follows it.
class TestJobDispatcher : public QObject
{
    Q_OBJECT

private slots:
    void jobsRunAndHandOver();
    void tickDuringAJobDoesNothing();
};

void TestJobDispatcher::jobsRunAndHandOver()
{
    SessionState shared;
    JobDispatcher jobs(shared);
    QStringList ran;
    bool writeOk = true;
    bool monitorOk = true;
    jobs.setHandler(TimerJob::Monitor, [&] {
        ran << "monitor";
        return monitorOk;
    });
    jobs.setHandler(TimerJob::WriteItem, [&] {
        ran << "write";
        return writeOk;
    });
    jobs.setHandler(TimerJob::Upload, [&] {
        ran << "upload";
        return false;
    });
    jobs.setHandler(TimerJob::Download, [&] {
        ran << "download";
        shared.unsavedOnlineChanges = true;
        return true;
    });

    shared.timerJob = TimerJob::Idle;
    jobs.tick();
    QVERIFY(ran.isEmpty());
    QCOMPARE(shared.timerJob, TimerJob::Idle);

    shared.timerJob = TimerJob::Monitor;
    shared.unsavedOnlineChanges = true;
    jobs.tick();
    QCOMPARE(ran, QStringList{"monitor"});
    QVERIFY(!shared.unsavedOnlineChanges);
    QCOMPARE(shared.timerJob, TimerJob::Monitor);

    // A write that asks for a re-read is followed by the upload; a failed one by monitoring.
    shared.timerJob = TimerJob::WriteItem;
    shared.rereadFlag = true;
    jobs.tick();
    QCOMPARE(shared.timerJob, TimerJob::Upload);
    jobs.tick();
    QCOMPARE(shared.timerJob, TimerJob::Monitor);
    shared.timerJob = TimerJob::WriteItem;
    writeOk = false;
    jobs.tick();
    QCOMPARE(shared.timerJob, TimerJob::Monitor);

    // The download clears the unsaved mark after it ran; a job without a handler moves on.
    shared.timerJob = TimerJob::Download;
    jobs.tick();
    QVERIFY(!shared.unsavedOnlineChanges);
    QCOMPARE(shared.timerJob, TimerJob::Monitor);
    shared.timerJob = TimerJob::SendDisplayData;
    jobs.tick();
    QCOMPARE(shared.timerJob, TimerJob::Monitor);

    // A monitoring step that scheduled an upload keeps it; a failed one goes back to job 1.
    jobs.setHandler(TimerJob::Monitor, [&] {
        shared.timerJob = TimerJob::Upload;
        return monitorOk;
    });
    shared.timerJob = TimerJob::Monitor;
    jobs.tick();
    QCOMPARE(shared.timerJob, TimerJob::Upload);
    monitorOk = false;
    shared.timerJob = TimerJob::Monitor;
    jobs.tick();
    QCOMPARE(shared.timerJob, TimerJob::Monitor);
    QCOMPARE(ran, (QStringList{"monitor", "write", "upload", "write", "download"}));
}

void TestJobDispatcher::tickDuringAJobDoesNothing()
{
    SessionState shared;
    JobDispatcher jobs(shared);
    int uploads = 0;
    int nestedTicks = 0;
    jobs.setHandler(TimerJob::Upload, [&] {
        ++uploads;
        // A long transfer lets the window process events, and JobTimer fires again meanwhile.
        for (int i = 0; i < 3; ++i, ++nestedTicks)
            jobs.tick();
        return true;
    });
    shared.timerJob = TimerJob::Upload;
    jobs.tick();
    QCOMPARE(uploads, 1);
    QCOMPARE(nestedTicks, 3);
    QVERIFY(!jobs.isRunning());
    QCOMPARE(shared.timerJob, TimerJob::Monitor);
}

QTEST_GUILESS_MAIN(TestJobDispatcher)
#include "tst_jobdispatcher.moc"
