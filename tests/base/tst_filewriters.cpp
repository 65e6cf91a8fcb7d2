#include "base/FileFault.h"
#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "chart/ChartSettingsFiles.h"
#include "chart/EventRecorder.h"
#include "chart/TrendLogWindow.h"
#include "chart/TrendLogWriter.h"
#include "comm/ParameterTable.h"
#include "dialogs/SettingsReport.h"
#include "dialogs/SettingsReportPainter.h"
#include "tests/support/FakeOperator.h"
#include "tests/support/FileSizeLimit.h"
#include "transfer/SettingsDataFile.h"
#include "transfer/WriteJournal.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <sys/stat.h>

namespace
{

const QDateTime July4(QDate(2026, 7, 4), QTime(9, 5, 3));

// One of the program's writers, writing its file (fileName) into a folder the way the program
// does; it returns why the file was not written, none when it was.
struct Writer {
    QString fileName;
    std::function<FileFault(const QString &folder)> write;
};

SessionState controller()
{
    SessionState shared;
    shared.settingValues = ParameterTable::defaultSettingValues();
    shared.settingDataValid = true;
    shared.portName = QStringLiteral("COM1");
    return shared;
}

TrendLogWriter::Sample sample()
{
    return {July4, QStringLiteral("25.0"), QStringLiteral("30.0"), QStringLiteral("42.5"), {}};
}

// The trend log the viewer shows, apart from the folder written to.
QString viewerLog()
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.csv"));
    if (!QFileInfo::exists(path)) {
        TrendLogWriter log(path, {});
        for (int i = 0; i < 5; ++i)
            log.write({July4.addSecs(i), QString::number(20 + i), "30.0", "10.0", {}});
    }
    return path;
}

FileFault exported(const QString &folder, bool pdf)
{
    QString error;
    const auto viewer = TrendLogWindow::open(viewerLog(), {}, QString(), error);
    const QString path = folder + (pdf ? QStringLiteral("/run.pdf") : QStringLiteral("/run.png"));
    return pdf ? viewer->exportPdf(path) : viewer->exportPng(path, QSize(320, 200));
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(Writer)

// Every file the program writes lands whole or the operator is told which file and why; none
// replaces a FIFO (or a device) at its place.
class TestFileWriters : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void landsWholeOrSaysWhy_data();
    void landsWholeOrSaysWhy();
};

void TestFileWriters::landsWholeOrSaysWhy_data()
{
    QTest::addColumn<Writer>("writer");

    QTest::newRow("trend log, new run") << Writer{"run.csv", [](const QString &folder) {
                                                      TrendLogWriter log(folder + "/run.csv", {});
                                                      log.write(sample());
                                                      return log.fault();
                                                  }};
    // znctl monitor --csv FILE --append, and every line after a run's first.
    QTest::newRow("trend log, next line")
        << Writer{"run.csv", [](const QString &folder) {
                      TrendLogWriter log(folder + "/run.csv", {}, true);
                      log.write(sample());
                      return log.fault();
                  }};
    QTest::newRow("event log") << Writer{"events.csv", [](const QString &folder) {
                                             const SessionState shared = controller();
                                             EventRecorder events(shared, folder + "/events.csv");
                                             events.setClock([] { return July4; });
                                             events.wentOnline();
                                             return events.lastFault();
                                         }};
    QTest::newRow("write journal")
        << Writer{"journal-2026-07.csv", [](const QString &folder) {
                      FakeOperator op;
                      WriteJournal journal(folder, WriteJournal::Source::Znctl, op);
                      journal.setClock([] { return July4; });
                      ItemOutcome taken = ItemOutcome::planned(15, std::nullopt, 240);
                      taken.reply = ItemOutcome::Reply::Answered;
                      journal.record(controller(), taken);
                      return journal.lastFault();
                  }};
    // File save, and znctl upload --out.
    QTest::newRow("settings data file")
        << Writer{"oven.znm", [](const QString &folder) {
                      return SettingsDataFile::write(folder + "/oven.znm", controller());
                  }};
    // Save as PDF file, and znctl upload --report.
    QTest::newRow("settings report")
        << Writer{"oven.pdf", [](const QString &folder) {
                      return SettingsReportPainter::writePdf(
                          SettingsReport::of(controller(), July4), folder + "/oven.pdf");
                  }};
    QTest::newRow("viewer PNG") << Writer{
        "run.png", [](const QString &folder) { return exported(folder, false); }};
    QTest::newRow("viewer PDF") << Writer{
        "run.pdf", [](const QString &folder) { return exported(folder, true); }};
    QTest::newRow("chart settings")
        << Writer{"ZN8P1.DAT", [](const QString &folder) {
                      FileFault fault;
                      ChartSettingsFiles files(folder);
                      files.setUnsavedReport([&fault](const FileFault &f) { fault = f; });
                      SessionState shared;
                      shared.traceColors[0] = 0x123456;
                      files.colourChosen(shared, 0);
                      return fault;
                  }};
}

void TestFileWriters::landsWholeOrSaysWhy()
{
    QFETCH(Writer, writer);
    // What a good earlier file holds: a line of a log, or the previous version of the file.
    const QByteArray before = "\"2026/07/04\",\"09:05:02\",\"24.9\",\"30.0\",\"42.0\",\r\n";

    // Unhindered, the writer's file grows to this size.
    QTemporaryDir free;
    const QString freePath = free.filePath(writer.fileName);
    QFile seed(freePath);
    QVERIFY(seed.open(QIODevice::WriteOnly) && seed.write(before) == before.size());
    seed.close();
    QVERIFY(writer.write(free.path()).isNone());
    const qint64 whole = QFileInfo(freePath).size();
    QVERIFY(contents(freePath) != before);

    // A disk that fills just before the end: the earlier file stays as it was, no cut-off file
    // and no temporary file is left, and the fault names the file and "disk full".
    QTemporaryDir full;
    const QString fullPath = full.filePath(writer.fileName);
    QFile earlier(fullPath);
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write(before) == before.size());
    earlier.close();
    FileFault fault;
    {
        const FileSizeLimit nearlyFull(whole - qMin<qint64>(16, whole / 2));
        fault = writer.write(full.path());
    }
    QCOMPARE(fault.reason(), FileFault::Reason::DiskFull);
    QCOMPARE(fault.path(), fullPath);
    QCOMPARE(fault.text(), QDir::toNativeSeparators(fullPath) + QStringLiteral(" (disk full)"));
    QCOMPARE(contents(fullPath), before);
    QCOMPARE(QDir(full.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
             QStringList{writer.fileName});

    // A FIFO at the file's place is neither opened (the writer would block) nor replaced.
    QTemporaryDir fifoDir;
    const QString fifo = fifoDir.filePath(writer.fileName);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    fault = writer.write(fifoDir.path());
    QCOMPARE(fault.reason(), FileFault::Reason::NotRegularFile);
    QCOMPARE(fault.text(),
             QDir::toNativeSeparators(fifo) + QStringLiteral(" (not a regular file)"));
    QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
}

QTEST_MAIN(TestFileWriters)
#include "tst_filewriters.moc"
