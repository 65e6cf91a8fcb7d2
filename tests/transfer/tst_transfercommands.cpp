#include "tests/support/FakeOperator.h"
#include "tests/support/RecordingMainView.h"
#include "transfer/TransferCommands.h"

#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/RequestLayer.h"

#include <QtTest>

namespace
{
struct CommandRig {
    CommandRig()
    {
        shared.online = true;
        shared.settingDataValid = true;
        shared.timerJob = TimerJob::Monitor;
        for (int code = 11; code <= 63; ++code)
            shared.setting(code) = qint16(code);
    }
    SessionState shared;
    FakeOperator op;
    RecordingMainView view;
    ComLink link{{}};
    RequestLayer request{shared, link};
    TransferCommands commands{{shared, link, request, op, view}};
};
} // namespace

class TestTransferCommands : public QObject
{
    Q_OBJECT

private slots:
    void upload();
    void download_data();
    void download();
    void settingButtons();
};

void TestTransferCommands::upload()
{
    // Asked twice before the job runs: one job, the request flag stays set.
    CommandRig rig;
    rig.op.answers = {true, true};
    rig.commands.upload();
    rig.commands.upload();
    QCOMPARE(rig.shared.timerJob, TimerJob::Upload);
    QVERIFY(rig.shared.uploadRequested);

    rig.shared.online = false;
    rig.commands.upload();
    QCOMPARE(rig.op.messages(), QList<QList<int>>{{98}});
}

void TestTransferCommands::download_data()
{
    QTest::addColumn<bool>("online");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint16>("status");
    QTest::addColumn<QList<int>>("message"); // empty: question 512 asked and answered Yes
    QTest::newRow("offline") << false << true << qint16(0) << QList<int>{40};
    QTest::newRow("no setting data") << true << false << qint16(0) << QList<int>{196};
    QTest::newRow("auto-tuning runs") << true << true << qint16(0x0800) << QList<int>{503, 504};
    QTest::newRow("confirmed") << true << true << qint16(0x0001) << QList<int>{};
}

void TestTransferCommands::download()
{
    QFETCH(bool, online);
    QFETCH(bool, valid);
    QFETCH(qint16, status);
    QFETCH(QList<int>, message);
    CommandRig rig;
    rig.shared.online = online;
    rig.shared.settingDataValid = valid;
    rig.shared.monitorValues[4] = status;
    rig.op.answers = {true};

    rig.commands.download();

    const bool confirmed = message.isEmpty();
    QCOMPARE(rig.op.messages(), confirmed ? QList<QList<int>>{} : QList<QList<int>>{message});
    QCOMPARE(rig.shared.timerJob, confirmed ? TimerJob::Download : TimerJob::Monitor);
    QCOMPARE(rig.shared.downloadRequested, confirmed);
    // Only a confirmed download copies the display's values.
    QCOMPARE(rig.shared.downloadValues.at(63 - 10), qint16(confirmed ? 63 : 0));
    QCOMPARE(rig.shared.downloadValues.at(64 - 10), qint16(0));
}

void TestTransferCommands::settingButtons()
{
    // Online before the first upload: "Set each item after uploading.", no item chosen...
    CommandRig rig;
    rig.shared.settingDataValid = false;
    rig.shared.setting(12) = 0;
    QVERIFY(!rig.commands.changeButton(27));
    QCOMPARE(rig.op.messages(), QList<QList<int>>{{195}});
    // ... except for the other buttons while auto-tuning is switched on.
    rig.shared.setting(12) = 1;
    QVERIFY(rig.commands.changeButton(27));
    QVERIFY(!rig.commands.changeButton(2));

    // The group buttons need setting data.
    rig.commands.groupLockButton(1);
    QCOMPARE(rig.op.messages().last(), QList<int>{719});
    rig.shared.settingDataValid = true;
    rig.commands.groupLockButton(1);
    QCOMPARE(rig.view.toggledGroups, QList<int>{1});
}

QTEST_GUILESS_MAIN(TestTransferCommands)
#include "tst_transfercommands.moc"
