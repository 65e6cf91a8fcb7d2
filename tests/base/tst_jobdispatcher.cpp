#include "base/JobDispatcher.h"
#include "base/SessionState.h"

#include <QtTest>

// What each Timer1 tick runs and which job follows it.
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
    jobs.setHandler(JobDispatcher::Monitor, [&] {
        ran << "monitor";
        return monitorOk;
    });
    jobs.setHandler(JobDispatcher::WriteItem, [&] {
        ran << "write";
        return writeOk;
    });
    jobs.setHandler(JobDispatcher::Upload, [&] {
        ran << "upload";
        return false;
    });
    jobs.setHandler(JobDispatcher::Download, [&] {
        ran << "download";
        shared.unsavedOnlineChanges = true;
        return true;
    });

    shared.timerJob = JobDispatcher::Idle;
    jobs.tick();
    QVERIFY(ran.isEmpty());
    QCOMPARE(shared.timerJob, qint16(JobDispatcher::Idle));

    shared.timerJob = JobDispatcher::Monitor;
    shared.unsavedOnlineChanges = true;
    jobs.tick();
    QCOMPARE(ran, QStringList{"monitor"});
    QVERIFY(!shared.unsavedOnlineChanges);
    QCOMPARE(shared.timerJob, qint16(JobDispatcher::Monitor));

    // A write that asks for a re-read is followed by the upload; a failed one by monitoring.
    shared.timerJob = JobDispatcher::WriteItem;
    shared.rereadFlag = true;
    jobs.tick();
    QCOMPARE(shared.timerJob, qint16(JobDispatcher::Upload));
    jobs.tick();
    QCOMPARE(shared.timerJob, qint16(JobDispatcher::Monitor));
    shared.timerJob = JobDispatcher::WriteItem;
    writeOk = false;
    jobs.tick();
    QCOMPARE(shared.timerJob, qint16(JobDispatcher::Monitor));

    // The download clears the unsaved mark after it ran; a job without a handler moves on.
    shared.timerJob = JobDispatcher::Download;
    jobs.tick();
    QVERIFY(!shared.unsavedOnlineChanges);
    QCOMPARE(shared.timerJob, qint16(JobDispatcher::Monitor));
    shared.timerJob = JobDispatcher::SendDisplayData;
    jobs.tick();
    QCOMPARE(shared.timerJob, qint16(JobDispatcher::Monitor));

    // A monitoring step that scheduled an upload keeps it; a failed one goes back to job 1.
    jobs.setHandler(JobDispatcher::Monitor, [&] {
        shared.timerJob = JobDispatcher::Upload;
        return monitorOk;
    });
    shared.timerJob = JobDispatcher::Monitor;
    jobs.tick();
    QCOMPARE(shared.timerJob, qint16(JobDispatcher::Upload));
    monitorOk = false;
    shared.timerJob = JobDispatcher::Monitor;
    jobs.tick();
    QCOMPARE(shared.timerJob, qint16(JobDispatcher::Monitor));
    QCOMPARE(ran, (QStringList{"monitor", "write", "upload", "write", "download"}));
}

void TestJobDispatcher::tickDuringAJobDoesNothing()
{
    SessionState shared;
    JobDispatcher jobs(shared);
    int uploads = 0;
    int nestedTicks = 0;
    jobs.setHandler(JobDispatcher::Upload, [&] {
        ++uploads;
        // A long transfer lets the window process events, and Timer1 fires again meanwhile.
        for (int i = 0; i < 3; ++i, ++nestedTicks)
            jobs.tick();
        return true;
    });
    shared.timerJob = JobDispatcher::Upload;
    jobs.tick();
    QCOMPARE(uploads, 1);
    QCOMPARE(nestedTicks, 3);
    QVERIFY(!jobs.isRunning());
    QCOMPARE(shared.timerJob, qint16(JobDispatcher::Monitor));
}

QTEST_GUILESS_MAIN(TestJobDispatcher)
#include "tst_jobdispatcher.moc"
