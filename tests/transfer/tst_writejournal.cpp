#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "comm/ParameterTable.h"
#include "tests/support/FakeOperator.h"
#include "transfer/JournalFile.h"
#include "transfer/WriteJournal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace
{

const QDateTime July4(QDate(2026, 7, 4), QTime(9, 5, 3), Qt::OffsetFromUTC, 9 * 3600);
const QString FailedPanel = QStringLiteral("4:The write journal cannot be written.");

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

SessionState controllerOnCom3()
{
    SessionState shared;
    shared.portName = QStringLiteral("COM3");
    shared.stationAddress = QStringLiteral("07");
    shared.setting(Code::InputType) = 1; // a tenth-degree sensor
    return shared;
}

// The record of a write sent, judged by its reply alone.
ItemOutcome written(int code, std::optional<qint16> before, qint16 sent,
                    ItemOutcome::Reply reply = ItemOutcome::Reply::Answered,
                    const QString &detail = {})
{
    ItemOutcome outcome = ItemOutcome::planned(code, before, sent);
    outcome.reply = reply;
    outcome.detail = detail;
    return outcome;
}

} // namespace

class TestWriteJournal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void entriesReadBackWhole();
    void unwritableJournalSaysSoOnceAndGoesOn();
    void readerPassesOverWhatIsNoEntry();
};

void TestWriteJournal::entriesReadBackWhole()
{
    QTemporaryDir dir;
    FakeOperator op;
    WriteJournal journal(dir.filePath("Journal"), WriteJournal::Source::Znctl, op);
    journal.setClock([] { return July4; });
    const SessionState shared = controllerOnCom3();

    journal.record(shared, written(11, qint16(2500), 2505));
    journal.record(shared,
                   written(13, std::nullopt, 45, ItemOutcome::Reply::Refused, "a \"b\", c"));
    // Never sent: no line.
    journal.record(shared, ItemOutcome::planned(13, std::nullopt, 46));
    const QString path = dir.filePath("Journal/journal-2026-07.csv");
    QCOMPARE(journal.pathFor(July4.date()), path);

    const QByteArray text = contents(path);
    QCOMPARE(text.count("\r\n"), 3);
    QVERIFY(text.startsWith("\"Date and time\",\"Port\","));
    QVERIFY(text.endsWith("\"refused\",\"a \"\"b\"\", c\",\"znctl\"\r\n"));

    const QList<QStringList> entries = JournalFile::latest(path, 10);
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[1], (QStringList{"2026-07-04T09:05:03+09:00", "COM3", "07", "11",
                                      msg(ParameterTable::captionMessage(11)), "250.0", "250.5",
                                      "2500", "2505", "taken", "", "znctl"}));
    QCOMPARE(entries[0].mid(JournalFile::Before, 4), (QStringList{"", "4.5", "", "45"}));
    QCOMPARE(entries[0].at(JournalFile::Detail), "a \"b\", c");
    QCOMPARE(JournalFile::latest(path, 1), entries.mid(0, 1));

    // A new month starts a new file with its own heading; the old one is left as it was.
    journal.setClock([] { return July4.addMonths(1); });
    journal.record(shared, written(11, std::nullopt, 2600, ItemOutcome::Reply::NoReply));
    QCOMPARE(contents(path), text);
    const QByteArray august = contents(dir.filePath("Journal/journal-2026-08.csv"));
    QVERIFY(august.startsWith("\"Date and time\"") && august.count("\r\n") == 2);
    QVERIFY(op.panelHistory.isEmpty() && !journal.failed());
}

// A journal that cannot be written holds up nothing: the write's caller goes on, the status bar
// says so once per run of failures, and the next line that can be written is written.
void TestWriteJournal::unwritableJournalSaysSoOnceAndGoesOn()
{
    QTemporaryDir dir;
    FakeOperator op;
    const QString folder = dir.filePath("Journal");
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    WriteJournal journal(folder, WriteJournal::Source::Window, op);
    journal.setClock([] { return July4; });
    const SessionState shared = controllerOnCom3();

    journal.record(shared, written(13, std::nullopt, 45));
    journal.record(shared, written(13, std::nullopt, 46));
    // Said with the file and the system's reason.
    const QString month = QDir::toNativeSeparators(journal.pathFor(July4.date()));
    QCOMPARE(op.panelHistory, QStringList{FailedPanel + " " + month + " (Not a directory)"});
    QVERIFY(journal.failed());

    QVERIFY(QFile::remove(folder));
    journal.record(shared, written(13, std::nullopt, 47));
    QCOMPARE(JournalFile::latest(journal.pathFor(July4.date()), 10).size(), 1);

    // The month's file is a FIFO: never opened (it would block), never replaced, said again.
    QVERIFY(QFile::remove(journal.pathFor(July4.date())));
    const QString fifo = journal.pathFor(July4.date());
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    journal.record(shared, written(13, std::nullopt, 48));
    QCOMPARE(op.panelHistory.value(1), FailedPanel + " " + month + " (not a regular file)");
    QCOMPARE(journal.lastFault().reason(), FileFault::Reason::NotRegularFile);
    QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
}

void TestWriteJournal::readerPassesOverWhatIsNoEntry()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("journal-2026-07.csv");
    const QStringList entry = {"2026-07-04T09:05:03+09:00",
                               "COM1",
                               "01",
                               "11",
                               "Set value",
                               "1",
                               "2",
                               "1",
                               "2",
                               "taken",
                               "",
                               "window"};
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(JournalFile::headingLine());
    file.write(JournalFile::line(entry));
    file.write("\"2026-07-04T09:05:04+09:00\",\"COM1\"\r\n");              // too few fields
    file.write("\"2026-07-04T09:05:05+09:00\",\"unclosed\r\n");            // a broken quote
    file.write("2026-07-04T09:05:06+09:00,COM1,01,11,a,1,2,1,2,x,,y\r\n"); // unquoted
    file.write("\"2026-07-04T09:05:07"); // cut off by another writer
    file.close();
    QCOMPARE(JournalFile::latest(path, 10), QList<QStringList>{entry});

    // Only the tail of a huge file is read: the entries at its end, newest first.
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const QByteArray line = JournalFile::line(entry);
    for (qint64 written = 0; written < 3 * JournalFile::MaxTailBytes; written += line.size())
        file.write(line);
    QStringList last = entry;
    last[JournalFile::RawSent] = "99";
    file.write(JournalFile::line(last));
    file.close();
    const QList<QStringList> tail = JournalFile::latest(path, 100000);
    QCOMPARE(tail.first(), last);
    QVERIFY(tail.size() <= JournalFile::MaxTailBytes / line.size() + 1);
    QVERIFY(JournalFile::latest(dir.filePath("none.csv"), 10).isEmpty());
}

QTEST_GUILESS_MAIN(TestWriteJournal)
#include "tst_writejournal.moc"
