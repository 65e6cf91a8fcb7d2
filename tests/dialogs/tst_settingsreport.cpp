#include "base/SessionState.h"
#include "dialogs/SettingsReportPainter.h"
#include "polling/ValueFormat.h"
#include "transfer/SettingRanges.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The settings report as a reader of the PDF sees it, through pdftotext.
class TestSettingsReport : public QObject
{
    Q_OBJECT

private slots:
    void pdfHasHeaderAndOneRowPerItem();
    void controllerSetReportsOnlyWhatWasRead();
};

void TestSettingsReport::pdfHasHeaderAndOneRowPerItem()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    SessionState shared;
    shared.portName = QStringLiteral("COM3");
    shared.stationAddress = QStringLiteral("07");
    shared.settingsFileName = QStringLiteral("/data/oven.znm");
    shared.settingDataValid = true;
    shared.settingsFromFile = true;
    shared.unitConfig.alarm2 = 1;
    shared.setting(19) = 55;
    shared.setting(36) = 2;
    shared.unreadCodes = {20};
    // Without heating/cooling, heater burnout alarm, contact input set values and DC output.
    const QList<int> absent = {14, 18, 21, 24, 32, 33, 34, 35, 53, 58, 59, 60, 61, 62};

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    const SettingsReport report =
        SettingsReport::of(shared, QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
    QVERIFY(!SettingsReportPainter::writePdf(report, dir.filePath(QStringLiteral("no/such.pdf")))
                 .isNone());
    QVERIFY(SettingsReportPainter::writePdf(report, pdf).isNone());
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(pdftotext.waitForFinished());
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());

    for (const char *expected :
         {"Settings report", "Date and time +2024-05-06 07:08:09", "Port +COM3",
          "Instrument number +07", "Settings data file +/data/oven.znm", "Alarm 2 +Added",
          "Heating/Cooling control +Not added", "Page 1 of 2", "Page 2 of 2"})
        QVERIFY2(text.contains(QRegularExpression(QLatin1String(expected))), expected);
    // The column headings open each page.
    QCOMPARE(text.count(QRegularExpression(QStringLiteral("(?m)^[\\f ]*Item +Value +Unit *$"))), 2);

    int rows = 0;
    for (int code = 11; code <= 63; ++code) {
        const QString name = QRegularExpression::escape(SettingRanges::itemName(shared, code));
        const QString value =
            code == 20 ? QStringLiteral("----") : itemValueText(shared, code, shared.setting(code));
        const QRegularExpression row(
            QStringLiteral("(?m)^ *%1 {2,}%2( |$)").arg(name, QRegularExpression::escape(value)));
        const int found = text.count(row);
        QVERIFY2(found == (absent.contains(code) ? 0 : 1), qPrintable(QString::number(code)));
        rows += found;
    }
    QCOMPARE(rows, 53 - absent.size());
    QVERIFY(text.contains(
        QRegularExpression(QStringLiteral("(?m)^ *Alarm 1 value setting +55 +deg.C *$"))));
}

// The controller's set: an item never read from the controller (the manual output, which an
// upload of an earlier version left alone) has no value to report, never a default.
void TestSettingsReport::controllerSetReportsOnlyWhatWasRead()
{
    SessionState shared;
    shared.settingDataValid = true;
    for (int code = 11; code <= 63; ++code)
        shared.readValues.at(std::size_t(code - 10)) = shared.setting(code);
    shared.readValues.at(46 - 10).reset();
    shared.setting(11) = 250;
    shared.readValues.at(11 - 10) = 250;
    const SettingsReport report = SettingsReport::of(shared, QDateTime::currentDateTime());
    const QList<SettingsReport::Row> &panel = report.groups.first().rows;
    QCOMPARE(panel.at(0).value, QStringLiteral("250"));
    QCOMPARE(panel.at(1).value, QStringLiteral("----"));

    // The same values loaded from a file are the file's: reported as they stand.
    shared.settingsFromFile = true;
    QCOMPARE(
        SettingsReport::of(shared, QDateTime::currentDateTime()).groups.first().rows.at(1).value,
        itemValueText(shared, 46, shared.setting(46)));
}

QTEST_MAIN(TestSettingsReport)
#include "tst_settingsreport.moc"
