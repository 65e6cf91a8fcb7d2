#include "comm/ParameterTable.h"
#include "comm/RegisterMap.h"
#include "dialogs/JournalWindow.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/WindowRig.h"
#include "transfer/JournalFile.h"

#include <QAction>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>

// The write journal of the window against the simulated controller: each change written through
// the entry dialog is one line, a refused one too, and File > Write journal lists them newest
// first with the file they are in.
class TestJournalWindow : public QObject
{
    Q_OBJECT

private slots:
    void changesAreJournalledAndListed();
    void viewerReadableAtMinimumSize_data();
    void viewerReadableAtMinimumSize();

private:
    static QStringList rowTexts(const QTreeWidgetItem *row)
    {
        QStringList texts;
        for (int column = 0; column < row->columnCount(); ++column)
            texts << row->text(column);
        return texts;
    }
};

void TestJournalWindow::changesAreJournalledAndListed()
{
    WindowRig rig(WindowRig::Folder::AlsoProgram);
    QVERIFY(rig.startSimulator());
    rig.openWindow();
    QVERIFY(rig.linkVerified());
    QVERIFY(rig.goOnline());
    rig.op.answers = {true};
    rig.window->findChild<QAction *>("uploadAction")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(rig.shared().settingDataValid && !rig.shared().uploadRequested, 20000);

    const quint16 integralTime = quint16(RegisterMap::modbusAddress(15).toUInt(nullptr, 16));
    const qint16 before = rig.sim->value(integralTime);
    const auto enter = [&](const QString &digits) {
        operateModal([&] { rig.button(QStringLiteral("changeButton_5"))->click(); },
                     [&](QWidget *dialog) {
                         auto *entry = dialog->findChild<QLineEdit *>("entryText");
                         QTest::keyClicks(entry, digits);
                         QTest::keyClick(entry, Qt::Key_Return);
                     });
    };
    const QString path = rig.window->core().journal.pathFor(QDate::currentDate());
    enter(QStringLiteral("321"));
    QTRY_COMPARE_WITH_TIMEOUT(JournalFile::latest(path, 10).size(), 1, 10000);
    rig.sim->operateKeys(60000);
    enter(QStringLiteral("322"));
    QTRY_COMPARE_WITH_TIMEOUT(JournalFile::latest(path, 10).size(), 2, 10000);
    QCOMPARE(rig.sim->value(integralTime), qint16(321));

    rig.window->findChild<QAction *>("journalAction")->trigger();
    auto *viewer = rig.window->findChild<JournalWindow *>();
    QVERIFY(viewer && viewer->isVisible() && !viewer->isModal());
    QCOMPARE(viewer->findChild<QLineEdit *>("pathValue")->text(), path);
    const auto *list = viewer->findChild<QTreeWidget *>("entries");
    QCOMPARE(list->topLevelItemCount(), 2);
    // Port, instrument number, item, before, sent, outcome, sent by (the time column left out).
    const QString item = msg(ParameterTable::captionMessage(15));
    QCOMPARE(rowTexts(list->topLevelItem(0)).mid(1),
             (QStringList{"COM1", "01", item, "321", "322", "Refused (keys operated)", "window"}));
    QCOMPARE(rowTexts(list->topLevelItem(1)).mid(1),
             (QStringList{"COM1", "01", item, QString::number(before), "321", "Taken", "window"}));
    QVERIFY(rig.op.unexpectedQuestions.isEmpty());
}

void TestJournalWindow::viewerReadableAtMinimumSize_data()
{
    QTest::addColumn<bool>("japanese");
    QTest::newRow("English") << false;
    QTest::newRow("Japanese") << true;
}

// At its smallest the window still shows its buttons and captions whole, and the file's path.
void TestJournalWindow::viewerReadableAtMinimumSize()
{
    QFETCH(bool, japanese);
    MessageTable::instance().setLanguage(japanese ? Language::Japanese : Language::English);
    QTemporaryDir dir;
    FakeOperator op;
    const WriteJournal journal(dir.path(), WriteJournal::Source::Window, op);
    JournalWindow viewer(journal);
    viewer.showLatest();
    viewer.resize(viewer.minimumSizeHint());
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    for (const char *name : {"refreshButton", "closeButton", "pathCaption"}) {
        const auto *widget = viewer.findChild<QWidget *>(name);
        QVERIFY2(widget->isVisible() && widget->width() >= widget->sizeHint().width(), name);
    }
    QVERIFY(viewer.findChild<QLineEdit *>("pathValue")
                ->text()
                .endsWith("journal-" + QDate::currentDate().toString("yyyy-MM") + ".csv"));
    MessageTable::instance().setLanguage(Language::English);
}

QTEST_MAIN(TestJournalWindow)
#include "tst_journal_window.moc"
