#include "app/MainWindow.h"
#include "app/ScreenPrint.h"
#include "base/ProgramFolder.h"
#include "comm/ParameterTable.h"
#include "comm/SettingsStore.h"
#include "dialogs/PrinterSelectionDialog.h"
#include "tests/support/FakeOperator.h"
#include "transfer/SettingsDataFile.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QtTest>

#include <pwd.h>
#include <unistd.h>

namespace
{
// The CUPS queue that tools/print-queue.sh adds: cups-pdf files each job as a PDF in the
// submitting user's ~/PDF.
const QString PdfQueue = QStringLiteral("ZN-PDF");

// Answers the modal dialog that opens next: the file dialog (after checking that it opened in
// Setdata with the data file filter) with a file name, the printer selection with a printer; an
// empty answer cancels.
void answerDialog(const QString &answer)
{
    QTimer::singleShot(0, [answer] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (auto *files = qobject_cast<QFileDialog *>(dialog)) {
            QCOMPARE(files->directory().absolutePath(), ProgramFolder::setdata());
            QCOMPARE(files->nameFilters(), QStringList{"*.znm(data file) (*.znm)"});
            files->selectFile(answer);
        } else if (!answer.isEmpty()) {
            dialog->findChild<QComboBox *>("printerName")->setCurrentText(answer);
            dialog->findChild<QPushButton *>("okButton")->click();
            return;
        }
        answer.isEmpty() ? static_cast<QDialog *>(dialog)->reject()
                         : static_cast<QDialog *>(dialog)->accept();
    });
}

// A printed page as pdfinfo and pdftoppm see it; picture is the part that is not paper white.
struct PrintedPage {
    int pages = 0;
    QSize paper;
    QRect picture;

    explicit PrintedPage(const QString &pdf)
    {
        QProcess tool;
        tool.start(QStringLiteral("pdfinfo"), {pdf});
        tool.waitForFinished();
        const QRegularExpression count(QStringLiteral("Pages:\\s+(\\d+)"));
        pages =
            count.match(QString::fromLocal8Bit(tool.readAllStandardOutput())).captured(1).toInt();
        if (pages == 0)
            return;
        tool.start(QStringLiteral("pdftoppm"), {"-r", "30", "-png", "-singlefile", pdf, pdf});
        tool.waitForFinished();
        const QImage image(pdf + QStringLiteral(".png"));
        paper = image.size();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qGray(image.pixel(x, y)) < 250)
                    picture |= QRect(x, y, 1, 1);
            }
        }
    }
};
} // namespace

// The File menu of the main window: File save and File load through the file dialogs, Printer
// Selection and Print, the printed page through a real CUPS queue or QPrinter's PDF output, and
// the file that a later start of the program hands to the window.
class TestFileMenu : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void saveAndLoadThroughTheFileDialogs();
    void laterStartRaisesTheWindowAndLoadsItsFileWhenFree();
    void noPrinterOrCancelPrintsNothing();
    void printedPageFitsTheShape_data();
    void printedPageFitsTheShape();

private:
    void trigger(const char *name) { m_window->findChild<QAction *>(name)->trigger(); }

    QTemporaryDir m_dir;
    std::unique_ptr<SettingsStore> m_store;
    SessionState &shared() { return m_window->core().shared; }
    FakeOperator m_op;
    std::unique_ptr<MainWindow> m_window;
};

void TestFileMenu::init()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    ProgramFolder::resolve(m_dir.path());
    QDir(m_dir.path()).mkpath(QStringLiteral("Setdata"));
    m_store = std::make_unique<SettingsStore>(QSettings::IniFormat);
    m_op = FakeOperator();
    m_window = std::make_unique<MainWindow>(
        SessionState(), *m_store, [] { return std::unique_ptr<CommComponent>(); }, &m_op);
    m_window->initialise();
}

void TestFileMenu::saveAndLoadThroughTheFileDialogs()
{
    shared().settingDataValid = true;
    shared().settingValues = ParameterTable::defaultSettingValues();
    shared().settingValues[19] = 80; // main output high limit
    shared().setting(11) = 320;
    answerDialog(QStringLiteral("line 1"));
    trigger("saveAction");
    QVERIFY(QFileInfo::exists(ProgramFolder::setdata() + QStringLiteral("/line 1.znm")));
    // The same name again: the program's own overwrite question, not the dialog's.
    m_op.answers = {true};
    answerDialog(QStringLiteral("line 1.znm"));
    trigger("saveAction");
    QCOMPARE(m_op.shown.last().ids, QList<int>{507});

    shared().settingValues[19] = 0;
    shared().setting(11) = 250;
    m_window->refreshSettingPage();
    const QLabel *mainSetValue = m_window->findChild<QLabel *>(QStringLiteral("svValue_1"));
    QVERIFY(mainSetValue != nullptr);
    QCOMPARE(mainSetValue->text(), QStringLiteral("250"));
    m_op.answers = {true, true};
    answerDialog(QString());
    trigger("loadAction");
    QCOMPARE(shared().settingValues[19], qint16(0));
    answerDialog(QStringLiteral("line 1.znm"));
    trigger("loadAction");
    QCOMPARE(shared().settingValues[19], qint16(80));
    // Every box shows what the program now holds, the main set value as a file's, not live.
    QCOMPARE(mainSetValue->text(), QStringLiteral("320"));
    QVERIFY(!mainSetValue->property("live").toBool());
}

void TestFileMenu::laterStartRaisesTheWindowAndLoadsItsFileWhenFree()
{
    shared().settingValues = ParameterTable::defaultSettingValues();
    shared().settingValues[19] = 80;
    const QString path = m_dir.filePath(QStringLiteral("handed over.znm"));
    QVERIFY(SettingsDataFile::write(path, shared()).isNone());
    shared().settingValues[19] = 0;
    const auto waitAWhile = [] { QTest::qWait(3 * 250); };

    // Handed over before the splash window has shown the window: the file waits for it.
    m_window->onLaterStart(path);
    waitAWhile();
    QVERIFY(m_op.shown.isEmpty());
    // A dialog the operator has open is not interrupted: the file waits until it is closed, then
    // File load asks its question. The dialog opens before the window shows, so there is no
    // free moment between the two in which the waiting file could already load.
    QDialog dialog(m_window.get());
    dialog.setModal(true);
    dialog.show();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    waitAWhile();
    QVERIFY(m_op.shown.isEmpty());
    m_op.answers = {true};
    dialog.close();
    QTRY_COMPARE(shared().settingValues[19], qint16(80));
    QCOMPARE(m_op.shown.size(), 1);
    QCOMPARE(m_op.shown[0].ids, QList<int>{535});
    QCOMPARE(shared().settingsFileName, path);
    QVERIFY(shared().settingDataValid && shared().unsavedOnlineChanges);

    // A start without a file brings the minimized window back to the front and asks nothing.
    QWidget other;
    other.show();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    m_window->showMinimized();
    m_window->onLaterStart(QString());
    QTRY_VERIFY(m_window->isActiveWindow());
    QVERIFY(!m_window->isMinimized());
    QCOMPARE(m_op.shown.size(), 1);
}

void TestFileMenu::noPrinterOrCancelPrintsNothing()
{
    const QTimer &printTimer = m_window->timer(MainWindow::PrintTimer);
    ScreenPrint &print = m_window->screenPrint();
    print.setPrinterSource([] { return PrinterList{}; });
    trigger("printAction");
    QCOMPARE(m_op.messages(), QList<QList<int>>{{57}});

    m_op.shown.clear();
    print.setPrinterSource([] { return PrinterList{{"Office", "Line 2"}, "Line 2"}; });
    answerDialog(QString());
    trigger("printAction");
    QCOMPARE(shared().selectedPrinterIndex, PrinterSelectionDialog::Cancelled);
    QVERIFY(m_op.shown.isEmpty() && !printTimer.isActive());

    // Printer Selection only chooses the program's printer.
    answerDialog(QStringLiteral("Office"));
    trigger("printerSelectionAction");
    QCOMPARE(print.printerName(), QStringLiteral("Office"));
    QVERIFY(!printTimer.isActive());
}

void TestFileMenu::printedPageFitsTheShape_data()
{
    QTest::addColumn<bool>("throughCups");
    QTest::addColumn<QSize>("picture");
    // The main window as an operator prints it, relatively wider than a landscape page.
    QTest::newRow("main window to the CUPS queue") << true << QSize(1200, 700);
    QTest::newRow("tall picture to a PDF file") << false << QSize(300, 500);
}

void TestFileMenu::printedPageFitsTheShape()
{
    QFETCH(bool, throughCups);
    QFETCH(QSize, picture);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QSKIP("pdftoppm (poppler-utils) is not installed");

    QString pdf = m_dir.filePath(QStringLiteral("tall.pdf"));
    if (throughCups) {
        if (!QPrinterInfo::availablePrinterNames().contains(PdfQueue))
            QSKIP("no CUPS queue ZN-PDF; tools/print-queue.sh adds one");
        const passwd *user = getpwuid(geteuid());
        const QDir out(QString::fromLocal8Bit(user->pw_dir) + QStringLiteral("/PDF"));
        const QStringList before = out.entryList({"*.pdf"});
        m_window->resize(picture);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        picture = m_window->size();
        answerDialog(PdfQueue);
        trigger("printAction");
        QVERIFY(m_window->timer(MainWindow::PrintTimer).isActive());
        QTRY_VERIFY(!m_window->timer(MainWindow::PrintTimer).isActive());
        QVERIFY(m_op.shown.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(out.entryList({"*.pdf"}) != before, 60000);
        pdf = out.filePath(out.entryList({"*.pdf"}, QDir::Files, QDir::Time).constFirst());
        // cups-pdf fills the file while it converts the job.
        QTRY_COMPARE_WITH_TIMEOUT(PrintedPage(pdf).pages, 1, 20000);
    } else {
        QImage image(picture, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(pdf);
        QVERIFY(ScreenPrint::printToFit(image, printer));
    }

    const PrintedPage page(pdf);
    QFile::remove(pdf);
    QFile::remove(pdf + QStringLiteral(".png"));
    QCOMPARE(page.pages, 1);
    QVERIFY2(!page.picture.isEmpty(), "blank page");
    // The picture's long side runs along the paper's (a landscape job on portrait paper comes out
    // turned, as from a real printer), fills it, keeps its shape and is centred.
    const QSize printed = page.picture.size();
    QCOMPARE(printed.width() > printed.height(), page.paper.width() > page.paper.height());
    const auto longSide = [](QSize s) { return qMax(s.width(), s.height()); };
    const auto shape = [&](QSize s) { return double(longSide(s)) / qMin(s.width(), s.height()); };
    QVERIFY(longSide(printed) >= longSide(page.paper) * 9 / 10);
    QVERIFY(qAbs(shape(printed) - shape(picture)) < 0.05);
    QVERIFY2((page.picture.center() - QRect({}, page.paper).center()).manhattanLength() <= 2,
             "not centred");
}

QTEST_MAIN(TestFileMenu)
#include "tst_filemenu.moc"
