#include "base/SessionState.h"
#include "chart/ChartSettingsFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sys/stat.h>

using Records = QList<int>;
Q_DECLARE_METATYPE(std::function<void(ChartSettingsFiles &, const SessionState &)>)
Q_DECLARE_METATYPE(ChartRecords)

class TestChartSettingsFiles : public QObject
{
    Q_OBJECT

private slots:
    void emptyFolderGetsDefaultsAndFileSevenHasTheLastWord();
    void operationsWriteOnlyTheirRecords_data();
    void operationsWriteOnlyTheirRecords();
    void scalesTheDialogRefusesAreRepaired_data();
    void scalesTheDialogRefusesAreRepaired();
    void noRegularFileIsNeitherReadNorReplaced();

private:
    static QByteArray bytes(const ChartSettingsFiles &files, int channel);
    static ChartRecords records(const ChartSettingsFiles &files, int channel)
    {
        return ChartRecords::fromBytes(bytes(files, channel)).value();
    }
};

QByteArray TestChartSettingsFiles::bytes(const ChartSettingsFiles &files, int channel)
{
    QFile file(files.filePath(channel));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestChartSettingsFiles::emptyFolderGetsDefaultsAndFileSevenHasTheLastWord()
{
    QTemporaryDir dir;
    ChartSettingsFiles files(dir.path());
    SessionState shared;
    const ChartSettingsFiles::Flags flags = files.load(shared);

    const std::array<qint32, 7> colours = {0xFF00FF, 0x00C000, 0x0000FF, 0x0000C0,
                                           0xFF0000, 0x404080, 0x404040};
    for (int channel = 0; channel < 7; ++channel) {
        const ChartRecords r = records(files, channel);
        QCOMPARE(bytes(files, channel).size(), 44);
        QCOMPARE(r.colour, colours[channel]);
        QCOMPARE(shared.traceColors[channel], colours[channel]);
        QCOMPARE(flags[channel], qint16(1));
    }
    // Little-endian records: colour, long base, 5 s, 400, 0, flag, running, 0, 0, 1, 4.
    QCOMPARE(bytes(files, 0).toHex(), QByteArray("ff00ff00"
                                                 "01000000"
                                                 "05000000"
                                                 "90010000"
                                                 "00000000"
                                                 "01000000"
                                                 "00000000"
                                                 "00000000"
                                                 "00000000"
                                                 "01000000"
                                                 "04000000"));
    QCOMPARE(shared.chartLongScale, 1);
    QCOMPARE(shared.chartCycleSeconds, 5);
    QCOMPARE(shared.chartDivisions, qint16(4));

    // Y scale 0 .. 1000 in every file, then ZN8P4.DAT deleted: file 4 comes back with 400 / 0,
    // but files 5 to 7 are read after it, so the chart starts with 0 .. 1000.
    shared.chartScaleHigh = 1000;
    files.highChanged(shared);
    QVERIFY(QFile::remove(files.filePath(Mv2)));
    // A file of 42 bytes (the last record's unused half left off) is read like a full one.
    QFile sv4(files.filePath(Sv4));
    QVERIFY(sv4.resize(42));
    SessionState restarted;
    files.load(restarted);
    QCOMPARE(restarted.chartScaleHigh, 1000);
    QCOMPARE(records(files, Mv2).high, 400);
    QCOMPARE(records(files, Sv4).divisions, qint16(4));

    // A file too short to hold the records is made anew.
    QVERIFY(sv4.resize(10));
    files.load(restarted);
    QCOMPARE(bytes(files, Sv4).size(), 44);
    QCOMPARE(restarted.chartScaleHigh, 400);
}

void TestChartSettingsFiles::operationsWriteOnlyTheirRecords_data()
{
    using Op = std::function<void(ChartSettingsFiles &, const SessionState &)>;
    QTest::addColumn<Op>("operation");
    QTest::addColumn<Records>("first");  // records that change in file 1
    QTest::addColumn<Records>("third");  // in file 3
    QTest::addColumn<Records>("others"); // in every other file

    // Files 1 and 3 lose their selection, the others keep it.
    const ChartSettingsFiles::Flags flags = {0, 1, 0, 1, 1, 1, 1};
    QTest::newRow("colour of MV1") << Op([](auto &f, auto &i) { f.colourChosen(i, Mv1); })
                                   << Records{} << Records{1} << Records{};
    QTest::newRow("selection completed")
        << Op([flags](auto &f, auto &i) { f.selectionCompleted(i, flags); }) << Records{1, 6}
        << Records{1, 6} << Records{1};
    QTest::newRow("time base") << Op([](auto &f, auto &i) { f.timeBaseChanged(i); }) << Records{2}
                               << Records{2} << Records{2};
    QTest::newRow("cycle") << Op([](auto &f, auto &i) { f.cycleChanged(i); }) << Records{3}
                           << Records{3} << Records{3};
    QTest::newRow("Y high") << Op([](auto &f, auto &i) { f.highChanged(i); }) << Records{4}
                            << Records{4} << Records{4};
    QTest::newRow("Y low") << Op([](auto &f, auto &i) { f.lowChanged(i); }) << Records{5}
                           << Records{5} << Records{5};
    QTest::newRow("divisions") << Op([](auto &f, auto &i) { f.divisionsChanged(i); }) << Records{11}
                               << Records{11} << Records{11};
    QTest::newRow("trace started") << Op([flags](auto &f, auto &i) { f.traceStarted(i, flags); })
                                   << Records{1, 2, 3, 4, 5, 6, 7, 11} << Records{7} << Records{7};
    QTest::newRow("trace stopped") << Op([flags](auto &f, auto &i) { f.traceStopped(i, flags); })
                                   << Records{1, 2, 3, 4, 5, 6, 11} << Records{1, 2, 3, 4, 5, 6, 11}
                                   << Records{1, 2, 3, 4, 5, 11};
    QTest::newRow("plot end") << Op([](auto &f, auto &i) { f.plotEnded(i); }) << Records{2, 3}
                              << Records{2, 3} << Records{2, 3};
}

void TestChartSettingsFiles::operationsWriteOnlyTheirRecords()
{
    QFETCH(std::function<void(ChartSettingsFiles &, const SessionState &)>, operation);
    QFETCH(Records, first);
    QFETCH(Records, third);
    QFETCH(Records, others);

    QTemporaryDir dir;
    ChartSettingsFiles files(dir.path());
    SessionState shared;
    files.load(shared);
    std::array<QByteArray, 7> before;
    for (int channel = 0; channel < 7; ++channel)
        before[channel] = bytes(files, channel);

    // Every shared value and every colour differs from what the files hold.
    for (qint32 &colour : shared.traceColors)
        colour ^= 0x123456;
    shared.chartLongScale = 0;
    shared.chartCycleSeconds = 60;
    shared.chartScaleHigh = 1000;
    shared.chartScaleLow = -50;
    shared.chartDivisions = 7;
    operation(files, shared);

    for (int channel = 0; channel < 7; ++channel) {
        const QByteArray after = bytes(files, channel);
        QCOMPARE(after.size(), 44);
        Records changed;
        for (int record = 1; record <= 11; ++record) {
            if (after.mid((record - 1) * 4, 4) != before[channel].mid((record - 1) * 4, 4))
                changed << record;
        }
        const Records &expected = channel == 0 ? first : channel == 2 ? third : others;
        QVERIFY2(changed == expected, qPrintable(QStringLiteral("file %1").arg(channel + 1)));
    }
}

void TestChartSettingsFiles::scalesTheDialogRefusesAreRepaired_data()
{
    // The records written into file 7 (the one with the last word); what the chart starts with.
    QTest::addColumn<ChartRecords>("stored");
    QTest::addColumn<ChartRecords>("started");
    const ChartRecords standard;
    const auto with = [](std::function<void(ChartRecords &)> change) {
        ChartRecords records;
        change(records);
        return records;
    };
    QTest::newRow("cycle 0") << with([](ChartRecords &r) { r.cycle = 0; }) << standard;
    QTest::newRow("cycle -3") << with([](ChartRecords &r) { r.cycle = -3; }) << standard;
    QTest::newRow("cycle 61") << with([](ChartRecords &r) { r.cycle = 61; }) << standard;
    QTest::newRow("cycle 60 kept") << with([](ChartRecords &r) { r.cycle = 60; })
                                   << with([](ChartRecords &r) { r.cycle = 60; });
    QTest::newRow("high = low") << with([](ChartRecords &r) { r.high = r.low = 100; }) << standard;
    QTest::newRow("high < low") << with([](ChartRecords &r) {
        r.high = 0;
        r.low = 400;
    }) << standard;
    QTest::newRow("high off the scale")
        << with([](ChartRecords &r) { r.high = 10001; }) << standard;
    QTest::newRow("low off the scale") << with([](ChartRecords &r) { r.low = -2001; }) << standard;
    QTest::newRow("-2000 to 10000 kept") << with([](ChartRecords &r) {
        r.high = 10000;
        r.low = -2000;
    }) << with([](ChartRecords &r) {
        r.high = 10000;
        r.low = -2000;
    });
    QTest::newRow("1 division") << with([](ChartRecords &r) { r.divisions = 1; }) << standard;
    QTest::newRow("11 divisions") << with([](ChartRecords &r) { r.divisions = 11; }) << standard;
}

void TestChartSettingsFiles::scalesTheDialogRefusesAreRepaired()
{
    QFETCH(ChartRecords, stored);
    QFETCH(ChartRecords, started);
    QTemporaryDir dir;
    ChartSettingsFiles files(dir.path());
    SessionState shared;
    files.load(shared);
    stored.colour = 0x123456;
    QFile file(files.filePath(Sv4));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(stored.toBytes()) == 44);
    file.close();

    SessionState restarted;
    files.load(restarted);
    QCOMPARE(restarted.chartCycleSeconds, started.cycle);
    QCOMPARE(restarted.chartScaleHigh, started.high);
    QCOMPARE(restarted.chartScaleLow, started.low);
    QCOMPARE(restarted.chartDivisions, started.divisions);
    // The file holds what the chart uses; the channel's own colour stays.
    const ChartRecords rewritten = records(files, Sv4);
    QCOMPARE(rewritten.cycle, started.cycle);
    QCOMPARE(rewritten.high, started.high);
    QCOMPARE(rewritten.low, started.low);
    QCOMPARE(rewritten.divisions, started.divisions);
    QCOMPARE(rewritten.colour, 0x123456);
}

// A FIFO would block the start-up read for good and be replaced by the next write.
void TestChartSettingsFiles::noRegularFileIsNeitherReadNorReplaced()
{
    QTemporaryDir dir;
    ChartSettingsFiles files(dir.path());
    QStringList unsaved;
    files.setUnsavedReport([&unsaved](const FileFault &fault) {
        QCOMPARE(fault.reason(), FileFault::Reason::NotRegularFile);
        unsaved << fault.path();
    });
    const QString fifo = files.filePath(Pv);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    SessionState shared;
    const ChartSettingsFiles::Flags flags = files.load(shared);
    QCOMPARE(flags[Pv], qint16(1));
    QCOMPARE(shared.traceColors[Pv], 0xFF00FF);
    QCOMPARE(unsaved, QStringList{fifo});

    unsaved.clear();
    shared.chartScaleHigh = 800;
    files.highChanged(shared);
    QCOMPARE(unsaved, QStringList{fifo});
    QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
    QCOMPARE(records(files, Sv).high, 800);
}

QTEST_GUILESS_MAIN(TestChartSettingsFiles)
#include "tst_chartsettingsfiles.moc"
