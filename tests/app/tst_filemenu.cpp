#include "app/MainDisp.h"
#include "app/MessageTable.h"
#include "app/ProgramFolder.h"
#include "app/ScreenPrint.h"
#include "comm/SettingsStore.h"
#include "dialogs/prnselect.h"
#include "tests/support/FakeOperator.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QtTest>

#include <pwd.h>
#include <unistd.h>

namespace
{
// The CUPS queue that tools/print-queue.sh adds: cups-pdf, which files each job as a PDF in the
// submitting user's ~/PDF.
const QString PdfQueue = QStringLiteral("ZN-PDF");

QString cupsPdfFolder()
{
    const passwd *user = getpwuid(geteuid());
    return QString::fromLocal8Bit(user != nullptr ? user->pw_dir : "") + QStringLiteral("/PDF");
}

// Answers the file dialog once it is open with name (Cancel when empty), after checking that it
// opened in "Setdata" with the data file filter.
void answerFileDialog(const QString &name)
{
    QTimer::singleShot(0, [name] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        QCOMPARE(dialog->directory().absolutePath(), ProgramFolder::setdata());
        QCOMPARE(dialog->nameFilters(), QStringList{"*.znm(data file) (*.znm)"});
        if (name.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(name);
        static_cast<QDialog *>(dialog)->accept();
    });
}

// Answers the printer selection dialog once it is open: the printer named (Cancel when empty).
void answerPrinterDialog(const QString &printer)
{
    QTimer::singleShot(0, [printer] {
        auto *dialog = qobject_cast<prnselect *>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        if (printer.isEmpty()) {
            dialog->findChild<QPushButton *>("prnCancel")->click();
            return;
        }
        dialog->findChild<QComboBox *>("prnName")->setCurrentText(printer);
        dialog->findChild<QPushButton *>("prnOK")->click();
    });
}

// What an operator sees on the printed page, from the PDF rendered by pdftoppm.
struct PrintedPage {
    int pages = 0;
    QImage image;
    QRect picture; // the part that is not paper white

    static PrintedPage of(const QString &pdf)
    {
        PrintedPage page;
        QProcess tool;
        tool.start(QStringLiteral("pdfinfo"), {pdf});
        tool.waitForFinished();
        const QString info = QString::fromLocal8Bit(tool.readAllStandardOutput());
        page.pages =
            QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();
        if (page.pages == 0)
            return page;
        const QString png = pdf + QStringLiteral(".page");
        tool.start(QStringLiteral("pdftoppm"), {"-r", "30", "-png", "-singlefile", pdf, png});
        tool.waitForFinished();
        page.image = QImage(png + QStringLiteral(".png"));
        QFile::remove(png + QStringLiteral(".png"));
        for (int y = 0; y < page.image.height(); ++y) {
            for (int x = 0; x < page.image.width(); ++x) {
                if (qGray(page.image.pixel(x, y)) < 250)
                    page.picture |= QRect(x, y, 1, 1);
            }
        }
        return page;
    }
};
} // namespace

// The File menu of the main window: File save and File load through the file dialogs, Printer
// Selection and Print with the dialog's choice, the refusals, and the printed page through a real
// CUPS queue or QPrinter's own PDF output.
class TestFileMenu : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void saveAndLoadThroughTheFileDialogs();
    void noPrinterOrCancelPrintsNothing();
    void printedPageFitsAndCentresThePicture_data();
    void printedPageFitsAndCentresThePicture();

private:
    QAction *action(const char *name) { return m_window->findChild<QAction *>(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_store;
    ZN8P_INC m_inc;
    FakeOperator m_op;
    std::unique_ptr<MainDisp> m_window;
};

void TestFileMenu::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir->path());
    m_store = std::make_unique<SettingsStore>(QSettings::IniFormat);
    ProgramFolder::resolve(m_dir->path());
    QDir(m_dir->path()).mkpath(QStringLiteral("Setdata"));
    m_inc = ZN8P_INC();
    m_op = FakeOperator();
    MessageTable::instance().setLanguage(Language::English);
    m_window = std::make_unique<MainDisp>(
        m_inc, *m_store, [] { return std::unique_ptr<ZN8PCom>(); }, &m_op);
    m_window->system_init();
}

void TestFileMenu::cleanup()
{
    m_window.reset();
}

void TestFileMenu::saveAndLoadThroughTheFileDialogs()
{
    m_inc.settingDataValid = true;
    m_inc.settingValues[19] = 1234;
    answerFileDialog(QStringLiteral("line 1"));
    action("mnuSave")->trigger();
    const QString path = ProgramFolder::setdata() + QStringLiteral("/line 1.znm");
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(m_op.shown.isEmpty());

    // The same name again: the program's own overwrite question, not the dialog's.
    m_op.answers = {true};
    answerFileDialog(QStringLiteral("line 1.znm"));
    action("mnuSave")->trigger();
    QCOMPARE(m_op.shown.size(), 1);
    QCOMPARE(m_op.shown.at(0).ids, QList<int>{507});

    m_inc.settingValues[19] = 0;
    m_op.answers = {true, true};
    answerFileDialog(QString());
    action("mnuLoad")->trigger();
    QCOMPARE(m_inc.settingValues[19], qint16(0));
    answerFileDialog(QStringLiteral("line 1.znm"));
    action("mnuLoad")->trigger();
    QCOMPARE(m_inc.settingValues[19], qint16(1234));
    QVERIFY(m_inc.unsavedOnlineChanges);
    QCOMPARE(QDir::currentPath(), ProgramFolder::path());
}

void TestFileMenu::noPrinterOrCancelPrintsNothing()
{
    QTimer &timer2 = m_window->timer(MainDisp::Timer2);
    ScreenPrint &print = m_window->screenPrint();

    print.setPrinterSource([] { return PrinterList{}; });
    action("mnuFilePrint")->trigger();
    QCOMPARE(m_op.messages(), QList<QList<int>>{{57}});
    QVERIFY(!timer2.isActive());

    m_op.shown.clear();
    print.setPrinterSource([] { return PrinterList{{"Office", "Line 2"}, "Line 2"}; });
    answerPrinterDialog(QString());
    action("mnuFilePrint")->trigger();
    QCOMPARE(m_inc.selectedPrinterIndex, prnselect::Cancelled);
    QVERIFY(m_op.shown.isEmpty() && !timer2.isActive());
    QCOMPARE(print.printerName(), QString());

    // Printer Selection only chooses: the choice is the program's printer, nothing is printed.
    answerPrinterDialog(QStringLiteral("Office"));
    action("mnupsel")->trigger();
    QCOMPARE(m_inc.selectedPrinterIndex, qint16(0));
    QCOMPARE(print.printerName(), QStringLiteral("Office"));
    QVERIFY(!timer2.isActive());
}

void TestFileMenu::printedPageFitsAndCentresThePicture_data()
{
    QTest::addColumn<bool>("throughCups");
    QTest::addColumn<QSize>("picture");

    // The main window as an operator prints it, relatively wider than a landscape page.
    QTest::newRow("main window to the CUPS queue") << true << QSize(1200, 700);
    QTest::newRow("tall picture to a PDF file") << false << QSize(300, 500);
}

void TestFileMenu::printedPageFitsAndCentresThePicture()
{
    QFETCH(bool, throughCups);
    QFETCH(QSize, picture);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QSKIP("pdftoppm (poppler-utils) is not installed");

    QString pdf;
    if (throughCups) {
        if (!QPrinterInfo::availablePrinterNames().contains(PdfQueue))
            QSKIP("no CUPS queue ZN-PDF; tools/print-queue.sh adds one");
        const QDir out(cupsPdfFolder());
        const QStringList before = out.entryList({"*.pdf"}, QDir::Files);
        m_window->resize(picture);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        picture = m_window->size();
        answerPrinterDialog(PdfQueue);
        action("mnuFilePrint")->trigger();
        QVERIFY(m_window->timer(MainDisp::Timer2).isActive());
        QTRY_VERIFY(!m_window->timer(MainDisp::Timer2).isActive());
        QVERIFY(m_op.shown.isEmpty());
        QStringList added;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(added = out.entryList({"*.pdf"}, QDir::Files)).isEmpty() && added != before, 60000);
        for (const QString &name : added) {
            if (!before.contains(name))
                pdf = out.filePath(name);
        }
        QVERIFY(!pdf.isEmpty());
        // cups-pdf fills the file while it converts the job.
        QTRY_COMPARE_WITH_TIMEOUT(PrintedPage::of(pdf).pages, 1, 20000);
    } else {
        QImage image(picture, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QPainter(&image).fillRect(20, 20, 100, 100, Qt::yellow);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        pdf = m_dir->filePath("tall.pdf");
        printer.setOutputFileName(pdf);
        QVERIFY(ScreenPrint::printToFit(image, printer));
    }

    const PrintedPage page = PrintedPage::of(pdf);
    QCOMPARE(page.pages, 1);
    QVERIFY2(!page.picture.isEmpty(), "blank page");
    // Landscape or portrait as the picture's shape asks: its long side runs along the paper's
    // long side (a landscape job on portrait paper comes out turned, as from a real printer).
    const QSize paper = page.image.size();
    const QSize printed = page.picture.size();
    QCOMPARE(printed.width() > printed.height(), paper.width() > paper.height());
    // Both pictures are relatively longer than the page: they fill its long side.
    const int paperLong = qMax(paper.width(), paper.height());
    QVERIFY(qMax(printed.width(), printed.height()) >= paperLong * 9 / 10);
    const double shape =
        double(qMax(printed.width(), printed.height())) / qMin(printed.width(), printed.height());
    QVERIFY(qAbs(shape - double(qMax(picture.width(), picture.height())) /
                             qMin(picture.width(), picture.height())) < 0.05);
    const int left = page.picture.left(), right = paper.width() - 1 - page.picture.right();
    const int top = page.picture.top(), bottom = paper.height() - 1 - page.picture.bottom();
    QVERIFY2(qAbs(left - right) <= 2 && qAbs(top - bottom) <= 2, "not centred");
    QFile::remove(pdf);
}

QTEST_MAIN(TestFileMenu)
#include "tst_filemenu.moc"
