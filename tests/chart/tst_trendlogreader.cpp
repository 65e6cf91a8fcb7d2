#include "base/MessageTable.h"
#include "chart/TrendLogReader.h"
#include "chart/TrendLogWriter.h"
#include "chart/TrendView.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace
{

constexpr qint64 Second = 1000;

// Headings as the program writes them, for logs made up line by line.
const QByteArray Headings = "\"Control data\"\r\n\"Date\",\"Time\",\"PV\",\"SV\",\"MV1\",\r\n";

void writeFile(const QString &path, const QByteArray &bytes, QIODevice::OpenMode mode)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | mode));
    QCOMPARE(file.write(bytes), bytes.size());
}

qint64 msOf(const QDateTime &local)
{
    return QDateTime(local.date(), local.time(), Qt::UTC).toMSecsSinceEpoch();
}

QByteArray line(int second, const char *pv)
{
    return QStringLiteral("\"2026/07/04\",\"10:00:%1\",\"%2\",\"30.0\",\"45.5\",\r\n")
        .arg(second, 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(pv))
        .toUtf8();
}

} // namespace

class TestTrendLogReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void readsWhatTheProgramWrote_data();
    void readsWhatTheProgramWrote();
    void dateAndTimeForms_data();
    void dateAndTimeForms();
    void followsGrowingFile();
    void refusesOtherFiles_data();
    void refusesOtherFiles();
    void leavesOutUnreadableLines();
    void viewStaysInsideRun();
    void strokesKeepExtremesAndGaps();
};

void TestTrendLogReader::readsWhatTheProgramWrote_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("point"); // the decimal separator of the locale it was written in
    QTest::newRow("English") << int(Language::English) << ".";
    QTest::newRow("Japanese") << int(Language::Japanese) << ".";
    QTest::newRow("a comma locale") << int(Language::English) << ",";
}

void TestTrendLogReader::readsWhatTheProgramWrote()
{
    QFETCH(int, language);
    QFETCH(QString, point);
    MessageTable::instance().setLanguage(Language(language));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.csv"));
    TrendLogWriter writer(path, {true, true, true, true});
    const QDateTime start(QDate(2026, 7, 4), QTime(23, 59, 58));
    QStringList pvs = {"25.0", "----", "-3.5", "1200", "25.1"};
    pvs.replaceInStrings(".", point);
    for (int i = 0; i < pvs.size(); ++i)
        QCOMPARE(writer.write(
                     {start.addSecs(i), pvs[i], "30" + point + "0", "45" + point + "5", "----"}),
                 TrendLogWriter::Result::Written);
    MessageTable::instance().setLanguage(Language::English);

    TrendLogReader reader(path);
    QCOMPARE(reader.read(), TrendLogReader::Status::Read);
    const TrendLog &log = reader.log();
    QCOMPARE(log.channels.size(), std::size_t(4));
    QCOMPARE(log.channels[0].name, QStringLiteral("PV"));
    QCOMPARE(log.channels[3].name, QStringLiteral("MV2"));
    QCOMPARE(log.size(), pvs.size());
    QCOMPARE(reader.skippedLines(), 0);
    // Clock times run on over midnight, one second apart.
    for (int i = 0; i < pvs.size(); ++i)
        QCOMPARE(log.times[i], msOf(start.addSecs(i)));
    // "----" is a gap, never 0; the values read back as the labels showed them.
    QVERIFY(TrendLog::isGap(log.channels[0].values[1]));
    QVERIFY(TrendLog::isGap(log.channels[3].values[0]));
    QCOMPARE(log.channels[0].values[2], -3.5f);
    QCOMPARE(log.valueText(0, 1), QStringLiteral("----"));
    QCOMPARE(log.valueText(0, 3), QStringLiteral("1200.0"));
    QCOMPARE(log.valueText(2, 0), QStringLiteral("45.5"));
}

void TestTrendLogReader::dateAndTimeForms_data()
{
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QByteArray>("time");
    QTest::addColumn<bool>("dayFirst");
    QTest::addColumn<QDateTime>("expected");
    const QDateTime morning(QDate(2026, 7, 4), QTime(9, 5, 3));
    const QDateTime evening(QDate(2026, 7, 4), QTime(21, 5, 3));
    QTest::newRow("US short") << QByteArray("7/4/26") << QByteArray("9:05:03") << false << morning;
    QTest::newRow("US 12-hour") << QByteArray("7/4/26") << QByteArray("9:05:03 PM") << false
                                << evening;
    QTest::newRow("12 AM is midnight") << QByteArray("7/4/26") << QByteArray("12:00:00 AM") << false
                                       << QDateTime(QDate(2026, 7, 4), QTime(0, 0));
    QTest::newRow("day first") << QByteArray("04/07/2026") << QByteArray("09:05:03") << true
                               << morning;
    QTest::newRow("day first given, month cannot be 13")
        << QByteArray("7/13/26") << QByteArray("09:05:03") << true
        << QDateTime(QDate(2026, 7, 13), QTime(9, 5, 3));
    QTest::newRow("Japanese") << QByteArray("2026/07/04") << QByteArray("9時05分03秒") << false
                              << morning;
    QTest::newRow("Japanese afternoon")
        << QByteArray("2026/07/04") << QByteArray("午後9:05:03") << false << evening;
    QTest::newRow("fixed slashes")
        << QByteArray("2026/07/04") << QByteArray("21:05:03") << true << evening;
    QTest::newRow("month name") << QByteArray("4 Jul 2026") << QByteArray("09:05:03") << true
                                << morning;
    QTest::newRow("fixed dashes") << QByteArray("2026-07-04") << QByteArray("09:05:03") << false
                                  << morning;
    QTest::newRow("no seconds") << QByteArray("2026-07-04") << QByteArray("09:05") << false
                                << QDateTime();
    QTest::newRow("hour 25") << QByteArray("2026-07-04") << QByteArray("25:05:03") << false
                             << QDateTime();
    QTest::newRow("month 13 either way")
        << QByteArray("13/13/26") << QByteArray("09:05:03") << false << QDateTime();
}

void TestTrendLogReader::dateAndTimeForms()
{
    QFETCH(QByteArray, date);
    QFETCH(QByteArray, time);
    QFETCH(bool, dayFirst);
    QFETCH(QDateTime, expected);
    const QDate readDate = TrendLogReader::parseDate(date, dayFirst);
    const int readTime = TrendLogReader::parseTimeMs(time);
    if (!expected.isValid()) {
        QVERIFY(!readDate.isValid() || readTime < 0);
        return;
    }
    QCOMPARE(readDate, expected.date());
    QCOMPARE(readTime, expected.time().msecsSinceStartOfDay());

    // Through a whole file as well, for the forms whose order does not hang on the system's.
    if (!date.startsWith("20"))
        return;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("forms.csv"));
    writeFile(path, Headings + "\"" + date + "\",\"" + time + "\",\"1.0\",\"2.0\",\"3.0\",\r\n",
              {});
    TrendLogReader reader(path);
    QCOMPARE(reader.read(), TrendLogReader::Status::Read);
    QCOMPARE(reader.log().size(), 1);
    QCOMPARE(reader.log().times[0], msOf(expected));
}

void TestTrendLogReader::followsGrowingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("growing.csv"));
    writeFile(path, Headings + line(0, "20.0") + line(1, "20.5"), {});
    TrendLogReader reader(path);
    QCOMPARE(reader.read(), TrendLogReader::Status::Read);
    QCOMPARE(reader.log().size(), 2);

    // A line caught half written waits for its end.
    const QByteArray third = line(2, "21.0");
    writeFile(path, line(2, "21.0").first(10), QIODevice::Append);
    QCOMPARE(reader.readMore(), 0);
    writeFile(path, third.sliced(10) + line(3, "----"), QIODevice::Append);
    QCOMPARE(reader.readMore(), 2);
    QCOMPARE(reader.log().size(), 4);
    QCOMPARE(reader.log().channels[0].values[2], 21.0f);
    QVERIFY(TrendLog::isGap(reader.log().channels[0].values[3]));
    QCOMPARE(reader.readMore(), 0);
    QCOMPARE(reader.skippedLines(), 0);

    // A new run of the same name replaced the file: read from its start.
    writeFile(path, Headings + line(9, "30.0"), QIODevice::Truncate);
    QCOMPARE(reader.readMore(), 1);
    QCOMPARE(reader.log().size(), 1);
    QCOMPARE(reader.log().channels[0].values[0], 30.0f);

    // A file gone keeps what was read.
    QVERIFY(QFile::remove(path));
    QCOMPARE(reader.readMore(), -1);
    QCOMPARE(reader.log().size(), 1);
}

void TestTrendLogReader::refusesOtherFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    const int notLog = int(TrendLogReader::Status::NotTrendLog);
    QTest::newRow("empty") << QByteArray() << notLog;
    QTest::newRow("title only") << QByteArray("\"Control data\"\r\n") << notLog;
    QTest::newRow("other title") << QByteArray("\"Setdata\"\r\n\"Date\",\"Time\",\"PV\",\r\n")
                                 << notLog;
    QTest::newRow("unknown channel")
        << QByteArray("\"Control data\"\r\n\"Date\",\"Time\",\"PV\",\"XX\",\r\n") << notLog;
    QTest::newRow("repeated channel")
        << QByteArray("\"Control data\"\r\n\"Date\",\"Time\",\"PV\",\"PV\",\r\n") << notLog;
    QTest::newRow("no channel") << QByteArray("\"Control data\"\r\n\"Date\",\"Time\",\r\n")
                                << notLog;
    QTest::newRow("settings data file") << QByteArray("ZN8P\r\n1,2,3,4\r\n5,6\r\n") << notLog;
    QTest::newRow("binary") << QByteArray(5000, '\0') << notLog;
    QTest::newRow("one endless line") << QByteArray(1 << 20, 'x') << notLog;
}

void TestTrendLogReader::refusesOtherFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.csv"));
    writeFile(path, bytes, {});
    TrendLogReader reader(path);
    QCOMPARE(int(reader.read()), status);
    QVERIFY(reader.log().isEmpty());
    QVERIFY(reader.log().channels.empty());
    QCOMPARE(TrendLogReader(dir.filePath(QStringLiteral("missing.csv"))).read(),
             TrendLogReader::Status::CannotOpen);
}

void TestTrendLogReader::leavesOutUnreadableLines()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("damaged.csv"));
    writeFile(path,
              Headings + line(0, "20.0") + "\"2026/07/04\",\"10:00:01\",\"1.0\",\r\n" +
                  "\"someday\",\"10:00:02\",\"1.0\",\"2.0\",\"3.0\",\r\n" + QByteArray(2000, '7') +
                  "\r\n" + "\r\n" + line(5, "OVER") + line(6, "21.0"),
              {});
    TrendLogReader reader(path);
    QCOMPARE(reader.read(), TrendLogReader::Status::Read);
    QCOMPARE(reader.log().size(), 3);
    QCOMPARE(reader.skippedLines(), 3);
    // A text that is no number is no value.
    QVERIFY(TrendLog::isGap(reader.log().channels[0].values[1]));
    QCOMPARE(reader.log().channels[0].values[2], 21.0f);
}

void TestTrendLogReader::viewStaysInsideRun()
{
    const qint64 hour = 3600 * Second;
    TrendRange range;
    range.setRun(0, hour);
    QVERIFY(range.showsWholeRun());
    QCOMPARE(range.width(), hour);

    range.zoom(0.5, hour / 2);
    QCOMPARE(range.start(), hour / 4);
    QCOMPARE(range.end(), 3 * hour / 4);
    QVERIFY(!range.showsWholeRun());
    range.pan(hour);
    QCOMPARE(range.end(), hour);
    QCOMPARE(range.width(), hour / 2);
    range.pan(-2 * hour);
    QCOMPARE(range.start(), 0);

    // A growing run keeps a zoomed view where it is and a whole-run view whole.
    range.setRun(0, 2 * hour);
    QCOMPARE(range.start(), 0);
    QCOMPARE(range.width(), hour / 2);
    range.showWholeRun();
    range.setRun(0, 3 * hour);
    QCOMPARE(range.end(), 3 * hour);

    range.zoomTo(2 * hour, 2 * hour + 100);
    QCOMPARE(range.width(), TrendRange::MinWidth);
    range.zoom(10'000, 0);
    QVERIFY(range.showsWholeRun());

    // A run shorter than the narrowest view, and an empty one, still have a view.
    range.setRun(5 * Second, 5 * Second);
    QCOMPARE(range.start(), 5 * Second);
    QCOMPARE(range.width(), TrendRange::MinWidth);
}

void TestTrendLogReader::strokesKeepExtremesAndGaps()
{
    TrendLog log;
    log.channels.push_back({QStringLiteral("PV"), 1, {}, {}});
    const int samples = 100'000;
    for (int i = 0; i < samples; ++i) {
        log.times.push_back(qint64(i) * Second);
        log.channels[0].values.push_back(float(std::sin(i / 1000.0) * 100));
    }
    log.channels[0].values[40'000] = 5000; // a spike of one sample
    log.channels[0].values[70'000] = NAN;  // a gap of one sample
    TrendRange range;
    range.setRun(0, log.times.back());

    const int columns = 200;
    const auto lines = TrendView::strokes(log, 0, range, columns);
    QCOMPARE(lines.size(), std::size_t(2));
    std::size_t points = 0;
    double highest = -1e9;
    double lowest = 1e9;
    for (const auto &stroke : lines) {
        points += stroke.size();
        for (const QPointF &p : stroke) {
            QVERIFY(p.x() >= 0 && p.x() <= columns);
            highest = std::max(highest, p.y());
            lowest = std::min(lowest, p.y());
        }
    }
    QVERIFY(points <= std::size_t(4 * (columns + 2)));
    QCOMPARE(highest, 5000.0);
    QVERIFY(lowest < -99.9);
    QVERIFY(lines[0].back().x() < lines[1].front().x());

    // Zoomed in to a few samples, each is a point of its own at its own place, and the line runs
    // on from the samples just outside the view.
    range.zoomTo(10 * Second, 20 * Second);
    const auto near = TrendView::strokes(log, 0, range, 1000);
    QCOMPARE(near.size(), std::size_t(1));
    QCOMPARE(near[0].size(), std::size_t(12));
    QCOMPARE(near[0][1].x(), 0.0);
    QCOMPARE(near[0][11].x(), 1000.0);
    QCOMPARE(near[0][1].y(), double(log.channels[0].values[10]));
}

QTEST_GUILESS_MAIN(TestTrendLogReader)
#include "tst_trendlogreader.moc"
