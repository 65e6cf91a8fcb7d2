#include "base/JobDispatcher.h"
#include "base/ZN8P_INC.h"

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
    ZN8P_INC inc;
    JobDispatcher jobs(inc);
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
        inc.unsavedOnlineChanges = true;
        return true;
    });

    inc.timerJob = JobDispatcher::Idle;
    jobs.tick();
    QVERIFY(ran.isEmpty());
    QCOMPARE(inc.timerJob, qint16(JobDispatcher::Idle));

    inc.timerJob = JobDispatcher::Monitor;
    inc.unsavedOnlineChanges = true;
    jobs.tick();
    QCOMPARE(ran, QStringList{"monitor"});
    QVERIFY(!inc.unsavedOnlineChanges);
    QCOMPARE(inc.timerJob, qint16(JobDispatcher::Monitor));

    // A write that asks for a re-read is followed by the upload; a failed one by monitoring.
    inc.timerJob = JobDispatcher::WriteItem;
    inc.rereadFlag = true;
    jobs.tick();
    QCOMPARE(inc.timerJob, qint16(JobDispatcher::Upload));
    jobs.tick();
    QCOMPARE(inc.timerJob, qint16(JobDispatcher::Monitor));
    inc.timerJob = JobDispatcher::WriteItem;
    writeOk = false;
    jobs.tick();
    QCOMPARE(inc.timerJob, qint16(JobDispatcher::Monitor));

    // The download clears the unsaved mark after it ran; a job without a handler moves on.
    inc.timerJob = JobDispatcher::Download;
    jobs.tick();
    QVERIFY(!inc.unsavedOnlineChanges);
    QCOMPARE(inc.timerJob, qint16(JobDispatcher::Monitor));
    inc.timerJob = JobDispatcher::SendDisplayData;
    jobs.tick();
    QCOMPARE(inc.timerJob, qint16(JobDispatcher::Monitor));

    // A monitoring step that scheduled an upload keeps it; a failed one goes back to job 1.
    jobs.setHandler(JobDispatcher::Monitor, [&] {
        inc.timerJob = JobDispatcher::Upload;
        return monitorOk;
    });
    inc.timerJob = JobDispatcher::Monitor;
    jobs.tick();
    QCOMPARE(inc.timerJob, qint16(JobDispatcher::Upload));
    monitorOk = false;
    inc.timerJob = JobDispatcher::Monitor;
    jobs.tick();
    QCOMPARE(inc.timerJob, qint16(JobDispatcher::Monitor));
    QCOMPARE(ran, (QStringList{"monitor", "write", "upload", "write", "download"}));
}

void TestJobDispatcher::tickDuringAJobDoesNothing()
{
    ZN8P_INC inc;
    JobDispatcher jobs(inc);
    int uploads = 0;
    int nestedTicks = 0;
    jobs.setHandler(JobDispatcher::Upload, [&] {
        ++uploads;
        // A long transfer lets the window process events, and Timer1 fires again meanwhile.
        for (int i = 0; i < 3; ++i, ++nestedTicks)
            jobs.tick();
        return true;
    });
    inc.timerJob = JobDispatcher::Upload;
    jobs.tick();
    QCOMPARE(uploads, 1);
    QCOMPARE(nestedTicks, 3);
    QVERIFY(!jobs.isRunning());
    QCOMPARE(inc.timerJob, qint16(JobDispatcher::Monitor));
}

QTEST_GUILESS_MAIN(TestJobDispatcher)
#include "tst_jobdispatcher.moc"
