#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "comm/TrafficLog.h"
#include "dialogs/TrafficWindow.h"
#include "polling/TrafficCsv.h"
#include "tests/support/PythonCsv.h"
#include "tests/support/TrafficSamples.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

// The line traffic window over a traffic log fed as the communication component would: it takes
// the exchanges in batches, follows the line at the end of the list and stays put above it,
// filters, resets the counters and writes what it lists to CSV.
class TestTrafficWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void followsTheLineAndStaysWhenScrolledUp();
    void cellsSayWhatWentOverTheLine_data();
    void cellsSayWhatWentOverTheLine();
    void filters_data();
    void filters();
    void catchesUpInShortBatchesAndPauses();
    void countersAddUpAndReset();
    void savesAndCopiesTheRowsListed();
};

namespace
{
struct Rig {
    SessionState shared;
    TrafficLog log;
    TrafficWindow window{log, shared};

    // line: the sample exchanges recorded and taken in.
    explicit Rig(bool line = true, int capacity = TrafficLog::DefaultCapacity) : log(capacity)
    {
        window.resize(900, 400);
        if (line)
            record(TrafficSamples::line());
        window.takeNew();
    }
    QTableView *table() { return window.findChild<QTableView *>(QStringLiteral("exchanges")); }
    QScrollBar *bar() { return table()->verticalScrollBar(); }
    template <typename T> T *child(const char *name)
    {
        return window.findChild<T *>(QLatin1String(name));
    }
    void record(const QList<TrafficRecord> &records)
    {
        for (const TrafficRecord &r : records)
            log.record(r);
    }
    // The serial of the row at the top of the list.
    quint64 topSerial()
    {
        const QModelIndex top = table()->indexAt(QPoint(0, 0));
        return top.isValid() ? window.model().record(sourceRow(top)).serial : 0;
    }
    int sourceRow(const QModelIndex &shown)
    {
        return static_cast<const QSortFilterProxyModel *>(table()->model())
            ->mapToSource(shown)
            .row();
    }
    // The serials of the rows listed, top to bottom.
    QList<quint64> listed()
    {
        QList<quint64> serials;
        for (int row = 0; row < table()->model()->rowCount(); ++row)
            serials << window.model().record(sourceRow(table()->model()->index(row, 0))).serial;
        return serials;
    }
    QString cell(int row, int column)
    {
        return table()->model()->index(row, column).data().toString();
    }
};

void choose(QComboBox *box, const QVariant &data)
{
    const int at = box->findData(data);
    QVERIFY2(at >= 0, qPrintable(data.toString()));
    box->setCurrentIndex(at);
}
} // namespace

void TestTrafficWindow::followsTheLineAndStaysWhenScrolledUp()
{
    Rig rig(false, 300);
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    QSignalSpy inserted(&rig.window.model(), &QAbstractItemModel::rowsInserted);

    // Fifty exchanges recorded at once arrive in one batch on the next tick.
    for (int i = 0; i < 50; ++i)
        rig.log.record(TrafficSamples::modbusRead(QStringLiteral("01")));
    QTRY_COMPARE(rig.window.model().rowCount(), 50);
    QCOMPARE(inserted.count(), 1);
    QVERIFY(rig.bar()->maximum() > 0);
    QTRY_COMPARE(rig.bar()->value(), rig.bar()->maximum());

    // The line goes on while the event loop runs: the list stays at its end.
    QTimer line;
    int sent = 0;
    connect(&line, &QTimer::timeout, [&] {
        for (int i = 0; i < 3; ++i, ++sent)
            rig.log.record(TrafficSamples::modbusRead(QStringLiteral("01")));
    });
    line.start(30);
    QTRY_VERIFY_WITH_TIMEOUT(sent >= 140, 20000);
    QTRY_COMPARE(rig.window.model().lastSerial(), rig.log.lastSerial());
    line.stop();
    QTRY_COMPARE(rig.window.model().lastSerial(), rig.log.lastSerial());
    QCOMPARE(rig.bar()->value(), rig.bar()->maximum());

    // Scrolled up, the row at the top stays at the top while the ring drops older rows beneath
    // it, until it is dropped itself.
    rig.bar()->setValue(rig.bar()->maximum() / 2 + 10);
    const quint64 top = rig.topSerial();
    const quint64 firstKept = rig.window.model().record(0).serial;
    QVERIFY(top > firstKept + 50);
    line.start(30);
    QTRY_VERIFY_WITH_TIMEOUT(rig.window.model().record(0).serial > firstKept + 20, 20000);
    line.stop();
    QTRY_COMPARE(rig.window.model().lastSerial(), rig.log.lastSerial());
    QCOMPARE(rig.topSerial(), top);
    QVERIFY(rig.bar()->value() < rig.bar()->maximum());
    // Full, the list drops the oldest a twentieth at a time.
    QVERIFY(rig.window.model().rowCount() >= 285 && rig.window.model().rowCount() <= 300);

    // Back at the end it follows again.
    rig.table()->scrollToBottom();
    line.start(30);
    QTRY_VERIFY_WITH_TIMEOUT(rig.window.model().lastSerial() > top + 300, 20000);
    line.stop();
    QTRY_COMPARE(rig.window.model().lastSerial(), rig.log.lastSerial());
    QCOMPARE(rig.bar()->value(), rig.bar()->maximum());
    QVERIFY(rig.window.model().rowCount() <= 300);
}

void TestTrafficWindow::cellsSayWhatWentOverTheLine_data()
{
    QTest::addColumn<int>("sample");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QString>("protocol");
    // Read or write, item code, caption, value with its unit.
    QTest::addColumn<QString>("meaning");

    QTest::newRow("good Modbus ASCII read")
        << 0
        << QStringLiteral(":0103008000017B<CR><LF> | "
                          "3A 30 31 30 33 30 30 38 30 30 30 30 31 37 42 0D 0A")
        << QStringLiteral(":01030200FA00<CR><LF> | 3A 30 31 30 33 30 32 30 30 46 41 30 30 0D 0A")
        << QStringLiteral("Good") << QStringLiteral("Modbus ASCII")
        << QStringLiteral("Read|0|PV|250 \u00B0C");
    QTest::newRow("exception 02") << 1 << QString() << QString()
                                  << QStringLiteral("\u2717 Exception 02: register not available")
                                  << QString() << QString();
    QTest::newRow("write taken after noise")
        << 4 << QString() << QString() << QStringLiteral("Good (noise before the reply)")
        << QString() << QStringLiteral("Write|65|setting-flag register|0001");
    QTest::newRow("RTU as hex alone")
        << 5 << QStringLiteral("01 03 00 80 00 01 85 E2") << QStringLiteral("01 03 02 01 90 B9 B8")
        << QStringLiteral("Good") << QStringLiteral("Modbus RTU")
        << QStringLiteral("Read|0|PV|400 \u00B0C");
    QTest::newRow("Ravtocol keys operated")
        << 6 << QString() << QString() << QStringLiteral("\u2717 Exception 63: keys being operated")
        << QStringLiteral("Ravtocol") << QString();
    QTest::newRow("vendor NAK") << 7 << QString()
                                << QStringLiteral("<NAK>!21<ETX> | 15 21 32 31 03")
                                << QStringLiteral("\u2717 Exception <NAK>: write refused")
                                << QStringLiteral("Vendor frame") << QString();
}

void TestTrafficWindow::cellsSayWhatWentOverTheLine()
{
    QFETCH(int, sample);
    QFETCH(QString, request);
    QFETCH(QString, reply);
    QFETCH(QString, verdict);
    QFETCH(QString, protocol);
    QFETCH(QString, meaning);
    Rig rig;
    using M = TrafficTableModel;
    QCOMPARE(rig.cell(sample, M::Verdict), verdict);
    if (!request.isNull())
        QCOMPARE(rig.cell(sample, M::Request), request);
    if (!reply.isNull())
        QCOMPARE(rig.cell(sample, M::Reply), reply);
    if (!protocol.isEmpty())
        QCOMPARE(rig.cell(sample, M::Protocol), protocol);
    // A failed exchange is marked by colour as well as by its text; its tool tip says what to
    // check.
    const QModelIndex at = rig.table()->model()->index(sample, M::Verdict);
    const bool failed = verdict.startsWith(QChar(0x2717));
    QCOMPARE(at.data(Qt::BackgroundRole).isValid(), failed);
    QCOMPARE(at.data(Qt::ToolTipRole).toString().isEmpty(), !failed);
    QCOMPARE(rig.cell(sample, M::Time), QStringLiteral("09:05:03.120"));
    if (!meaning.isNull()) {
        QStringList cells;
        for (int column : {M::Access, M::ItemCode, M::Caption, M::Value})
            cells << rig.cell(sample, column);
        QCOMPARE(cells.join(QLatin1Char('|')), meaning);
    }
}

void TestTrafficWindow::filters_data()
{
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("station");
    QTest::addColumn<QList<quint64>>("listed");

    QTest::newRow("everything") << int(TrafficFilter::AnyVerdict) << QString()
                                << QList<quint64>{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("failed only") << int(TrafficFilter::FailedOnly) << QString()
                                 << QList<quint64>{2, 3, 4, 7, 8};
    QTest::newRow("exceptions") << int(ReplyVerdict::Exception) << QString()
                                << QList<quint64>{2, 7, 8};
    QTest::newRow("station 02") << int(TrafficFilter::AnyVerdict) << QStringLiteral("02")
                                << QList<quint64>{3, 4};
    QTest::newRow("failed at station 01")
        << int(TrafficFilter::FailedOnly) << QStringLiteral("01") << QList<quint64>{2, 8};
    QTest::newRow("no reply at station 01")
        << int(ReplyVerdict::NoReply) << QStringLiteral("01") << QList<quint64>{};
}

void TestTrafficWindow::filters()
{
    QFETCH(int, verdict);
    QFETCH(QString, station);
    QFETCH(QList<quint64>, listed);
    Rig rig;
    auto *stations = rig.child<QComboBox>("stationFilter");
    // Every station seen is offered after "All", in number order.
    QCOMPARE(stations->itemText(3), QStringLiteral("10"));
    choose(rig.child<QComboBox>("verdictFilter"), verdict);
    choose(stations, station);
    QCOMPARE(rig.listed(), listed);

    // The item filter offers the items met and lists the exchanges with that item.
    auto *items = rig.child<QComboBox>("itemFilter");
    if (items->count() > 1) {
        const int code = items->itemData(1).toInt();
        choose(items, code);
        for (int row = 0; row < rig.table()->model()->rowCount(); ++row)
            QCOMPARE(rig.cell(row, TrafficTableModel::ItemCode), QString::number(code));
    }
    // Rows that arrive later go through the same filter.
    rig.record({TrafficSamples::modbusRead(QStringLiteral("02"), ReplyVerdict::NoReply)});
    choose(items, int(TrafficFilter::AnyItem));
    rig.window.takeNew();
    const bool shown =
        (verdict == int(TrafficFilter::AnyVerdict) || verdict == int(TrafficFilter::FailedOnly) ||
         verdict == int(ReplyVerdict::NoReply)) &&
        (station.isEmpty() || station == QLatin1String("02"));
    QCOMPARE(rig.listed().contains(9), shown);
}

// A window opened on a full log takes it in over a few ticks, none long enough to hold the line
// up; Pause holds the list, not the counters.
void TestTrafficWindow::catchesUpInShortBatchesAndPauses()
{
    Rig rig(false);
    for (int i = 0; i < 4500; ++i)
        rig.log.record(TrafficSamples::modbusRead(QStringLiteral("01")));
    // Clearing Pause takes a batch in at once, the next tick another.
    QList<int> rows;
    for (const bool paused : {false, true, false}) {
        rig.child<QCheckBox>("pauseBox")->setChecked(paused);
        rig.window.takeNew();
        rows << rig.window.model().rowCount();
    }
    QCOMPARE(rows, (QList<int>{2000, 2000, 4500}));
    rig.child<QCheckBox>("pauseBox")->setChecked(true);
    rig.record(TrafficSamples::line());
    for (int tick = 0; tick < TrafficWindow::CounterTicks; ++tick)
        rig.window.takeNew();
    QCOMPARE(rig.window.model().rowCount(), 4500);
    QCOMPARE(rig.child<QTableWidget>("counters")->item(0, 1)->text(), QStringLiteral("4505"));
    QVERIFY(rig.child<QLabel>("statusLabel")->text().contains(QLatin1String("8 new")));
}

void TestTrafficWindow::countersAddUpAndReset()
{
    Rig rig;
    auto *counters = rig.child<QTableWidget>("counters");
    const auto row = [&](int r) {
        QStringList cells;
        for (int c = 0; c < counters->columnCount(); ++c)
            cells << counters->item(r, c)->text();
        return cells.join(QLatin1Char(' '));
    };
    // Station, requests, good, no reply, checksum, exceptions, late, other, mean, worst.
    QCOMPARE(counters->rowCount(), 3);
    QCOMPARE(row(0), QStringLiteral("01 5 3 0 0 2 0 0 22.0 30"));
    QCOMPARE(row(1), QStringLiteral("02 2 0 1 1 0 0 0  "));

    rig.child<QPushButton>("resetButton")->click();
    QCOMPARE(counters->rowCount(), 0);
    // The list keeps its rows; the counters start again from the next exchange, shown within a
    // second.
    QCOMPARE(rig.window.model().rowCount(), 8);
    rig.record({TrafficSamples::modbusRead(QStringLiteral("02"))});
    rig.window.takeNew();
    QCOMPARE(counters->rowCount(), 0);
    for (int tick = 1; tick < TrafficWindow::CounterTicks; ++tick)
        rig.window.takeNew();
    QCOMPARE(counters->rowCount(), 1);
    QCOMPARE(row(0), QStringLiteral("02 1 1 0 0 0 0 0 24.0 24"));
}

void TestTrafficWindow::savesAndCopiesTheRowsListed()
{
    Rig rig;
    choose(rig.child<QComboBox>("verdictFilter"), int(TrafficFilter::FailedOnly));

    // Ctrl+C copies whole rows, tab-separated, in the order listed.
    QTableView *table = rig.table();
    table->selectionModel()->select(table->model()->index(3, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table->selectionModel()->select(table->model()->index(0, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    const QStringList copied = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
    QCOMPARE(copied.size(), 4);
    QVERIFY(copied[0].startsWith(QLatin1String("Time\tPort\t")));
    QVERIFY(copied[1].contains(QLatin1String("Exception 02")));
    QVERIFY(copied[2].contains(QLatin1String("Exception 63")));

    // The file is the one znctl --frames writes, as a script reads it: the rows listed, fixed
    // English columns, the meaning as the window listed it.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("traffic.csv"));
    QVERIFY(rig.window.saveCsv(path).isNone());
    if (!PythonCsv::available())
        QSKIP("python3 is not installed");
    QCOMPARE(PythonCsv::rows(path).first().join(QLatin1Char(',')).toUtf8() + "\r\n",
             TrafficCsv::header());
    const QList<QMap<QString, QString>> records = PythonCsv::records(path);
    QStringList verdicts;
    for (const auto &record : records)
        verdicts << record.value(QStringLiteral("verdict")) + QLatin1Char(' ') +
                        record.value(QStringLiteral("exception"));
    QCOMPARE(verdicts,
             (QStringList{"exception 02", "checksum ", "no-reply ", "exception 63", "exception "}));
    QCOMPARE(records[0].value(QStringLiteral("request")),
             QStringLiteral("3A 30 31 30 33 30 30 37 30 30 30 30 31 38 42 0D 0A"));
    QCOMPARE(records[3].value(QStringLiteral("protocol")), QStringLiteral("ravtocol"));
    for (int row = 0; row < int(records.size()); ++row) {
        QCOMPARE(records[row].value(QStringLiteral("code")),
                 rig.cell(row, TrafficTableModel::ItemCode));
        QCOMPARE(records[row].value(QStringLiteral("caption")),
                 rig.cell(row, TrafficTableModel::Caption));
    }
}

QTEST_MAIN(TestTrafficWindow)
#include "tst_trafficwindow.moc"
