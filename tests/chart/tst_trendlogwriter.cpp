#include "base/MessageTable.h"
#include "chart/TrendLogWriter.h"
#include "tests/support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestTrendLogWriter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void fileName();
    void linesPerChannelSelection();
    void sameSecondGetsASuffixAndAppendKeepsTheFile();
    void failedLineIsLostAndNextTriesAgain();
    void refusesWhatIsNoRegularFile();

private:
    static QByteArray contents(const QString &path);
    static TrendLogWriter::Sample sample(const QString &pv);
};

QByteArray TestTrendLogWriter::contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TrendLogWriter::Sample TestTrendLogWriter::sample(const QString &pv)
{
    return {QDateTime(QDate(2026, 7, 4), QTime(9, 5, 3)), pv, QStringLiteral("30.0"),
            QStringLiteral("45.5"), QStringLiteral("0.0")};
}

void TestTrendLogWriter::fileName()
{
    QCOMPARE(TrendLogWriter::fileNameFor(QDateTime(QDate(2026, 7, 4), QTime(9, 5, 3))),
             QStringLiteral("2026_7_4_9_5_3.csv"));
    QCOMPARE(TrendLogWriter::fileNameFor(QDateTime(QDate(2031, 12, 31), QTime(23, 59, 0))),
             QStringLiteral("2031_12_31_23_59_0.csv"));
}

void TestTrendLogWriter::linesPerChannelSelection()
{
    QTemporaryDir dir;
    // The same sortable form whatever the system's language.
    const QByteArray stamp = "\"2026/07/04\",\"09:05:03\",";
    QCOMPARE(TrendLogWriter::dateText(QDate(2031, 12, 31)), QStringLiteral("2031/12/31"));
    QCOMPARE(TrendLogWriter::timeText(QTime(23, 0, 9)), QStringLiteral("23:00:09"));

    TrendLogWriter pvOnly(dir.filePath("pv.csv"), {true, false, false, false});
    QCOMPARE(pvOnly.write(sample("25.0")), TrendLogWriter::Result::Written);
    QCOMPARE(pvOnly.write(sample("----")), TrendLogWriter::Result::Written);
    QCOMPARE(contents(dir.filePath("pv.csv")), "\"Control data\"\r\n\"Date\",\"Time\",\"PV\",\r\n" +
                                                   stamp + "\"25.0\",\r\n" + stamp +
                                                   "\"----\",\r\n");

    TrendLogWriter all(dir.filePath("all.csv"), {true, true, true, true});
    QCOMPARE(all.write(sample("25.0")), TrendLogWriter::Result::Written);
    QCOMPARE(contents(dir.filePath("all.csv")),
             "\"Control data\"\r\n\"Date\",\"Time\",\"PV\",\"SV\",\"MV1\",\"MV2\",\r\n" + stamp +
                 "\"25.0\",\"30.0\",\"45.5\",\"0.0\",\r\n");
}

void TestTrendLogWriter::sameSecondGetsASuffixAndAppendKeepsTheFile()
{
    QTemporaryDir dir;
    const QDateTime start(QDate(2026, 7, 4), QTime(9, 5, 3));
    QStringList paths;
    for (const char *pv : {"1.0", "2.0", "3.0"}) {
        const QString path = TrendLogWriter::freePath(dir.path(), start);
        TrendLogWriter(path, {}).write(sample(pv));
        paths << QFileInfo(path).fileName();
    }
    QCOMPARE(paths,
             (QStringList{"2026_7_4_9_5_3.csv", "2026_7_4_9_5_3_2.csv", "2026_7_4_9_5_3_3.csv"}));
    QVERIFY(contents(dir.filePath("2026_7_4_9_5_3.csv")).contains("\"1.0\""));

    // Continuing a log adds lines only; a missing one is begun with its headings.
    const QString first = dir.filePath("2026_7_4_9_5_3.csv");
    const QByteArray before = contents(first);
    TrendLogWriter continued(first, {}, true);
    QCOMPARE(continued.write(sample("4.0")), TrendLogWriter::Result::Written);
    const QByteArray added = contents(first).mid(before.size());
    QVERIFY(contents(first).startsWith(before));
    QVERIFY(added.startsWith("\"2026/07/04\"") && added.contains("\"4.0\"") &&
            added.count("\r\n") == 1);
    TrendLogWriter begun(dir.filePath("new.csv"), {}, true);
    begun.write(sample("5.0"));
    QCOMPARE(contents(dir.filePath("new.csv")).count("\r\n"), 3);
}

void TestTrendLogWriter::failedLineIsLostAndNextTriesAgain()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("Logging");
    const QString path = folder + "/run.csv";
    TrendLogWriter log(path, {});
    QCOMPARE(log.write(sample("1.0")), TrendLogWriter::Result::Failed);
    QVERIFY(!log.fault().isNone());
    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(log.write(sample("2.0")), TrendLogWriter::Result::Written);
    const QByteArray text = contents(path);
    QVERIFY(text.startsWith("\"Control data\"\r\n"));
    QVERIFY(text.contains("\"2.0\"") && !text.contains("\"1.0\""));

    // The disk fills up in the middle of a line (a file size limit stands in for it): the line is
    // lost whole, and once there is room again the next one is written after the last whole line.
    TrendLogWriter::Result onFullDisk;
    {
        const FileSizeLimit full(text.size() + 10);
        onFullDisk = log.write(sample("3.0"));
    }
    QCOMPARE(onFullDisk, TrendLogWriter::Result::Failed);
    QCOMPARE(log.fault().reasonText(), QStringLiteral("disk full"));
    QCOMPARE(contents(path), text);
    QCOMPARE(log.write(sample("4.0")), TrendLogWriter::Result::Written);
    const QByteArray added = contents(path).mid(text.size());
    QVERIFY(contents(path).startsWith(text));
    QVERIFY(added.startsWith('"') && added.contains("\"4.0\"") && added.count("\r\n") == 1 &&
            added.endsWith("\r\n"));
}

// A FIFO (as a device) named as the log is neither replaced by a file nor written to.
void TestTrendLogWriter::refusesWhatIsNoRegularFile()
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo.csv");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    TrendLogWriter log(fifo, {});
    QCOMPARE(log.write(sample("1.0")), TrendLogWriter::Result::Failed);
    QCOMPARE(log.write(sample("2.0")), TrendLogWriter::Result::Failed);
    QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
}

QTEST_GUILESS_MAIN(TestTrendLogWriter)
#include "tst_trendlogwriter.moc"
