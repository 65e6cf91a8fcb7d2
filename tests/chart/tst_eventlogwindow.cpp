#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "chart/EventLogWindow.h"
#include "chart/EventRecorder.h"

#include <QComboBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

class TestEventLogWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void listsNewestFirstAndFilters();
};

void TestEventLogWindow::listsNewestFirstAndFilters()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("events.csv"));
    SessionState shared;
    EventRecorder recorder(shared, path);
    QDateTime now(QDate(2026, 7, 4), QTime(9, 0, 0));
    recorder.setClock([&now] { return now; });
    recorder.wentOnline();
    for (const int status : {0x0004, 0x0000, 0x0004}) {
        now = now.addSecs(60);
        shared.monitorValues[4] = qint16(status);
        recorder.statusRead();
    }

    EventLogWindow window(path);
    auto *table = window.findChild<QTableWidget *>(QStringLiteral("tblEvents"));
    auto *kind = window.findChild<QComboBox *>(QStringLiteral("kindFilter"));
    QCOMPARE(table->rowCount(), 4);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("2026-07-04 09:03:00"));
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("Alarm 1 on"));
    QCOMPARE(table->item(3, 1)->text(), QStringLiteral("Online"));

    kind->setCurrentIndex(kind->findText(QStringLiteral("Alarm 1 off")));
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("2026-07-04 09:02:00"));

    // What is appended while the window is open shows on the next refresh.
    now = now.addSecs(60);
    shared.monitorValues[4] = 0;
    recorder.statusRead();
    window.refresh();
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("2026-07-04 09:04:00"));
}

QTEST_MAIN(TestEventLogWindow)
#include "tst_eventlogwindow.moc"
