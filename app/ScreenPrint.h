#pragma once

#include "comm/SessionContext.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QImage;
class QPrinter;
class QTimer;
class QWidget;

// The system's printers as the printer selection dialog lists them.
struct PrinterList {
    QStringList names;
    QString defaultName;

    static PrinterList system();
};

// Printer Selection (printerSelectionAction) and Print (printAction): the printer selection dialog,
// then a picture of the window in front printed to fit one page. The print runs on the PrintTimer
// tick after the menu command, so that the closed menu is no longer in the picture.
class ScreenPrint : public QObject
{
    Q_OBJECT

public:
    // window: the main window, parent of the dialog and the picture taken when no window of the
    // program is active. PrintTimer is the window's; this class starts and stops it.
    ScreenPrint(const SessionContext &context, QTimer &printTimer, QWidget *window);

    // Where the dialog's list comes from (tests replace the system's printers).
    void setPrinterSource(std::function<PrinterList()> source) { m_source = std::move(source); }
    // The program's printer; empty until one is chosen, which prints to the system's default.
    QString printerName() const { return m_printerName; }

    // Beep and the dialog; unless it was cancelled the chosen printer becomes the program's.
    // No printer at all: message 57 and no dialog.
    void selectPrinter();
    // As selectPrinter(); unless cancelled, starts PrintTimer, whose tick prints.
    void print();

    enum class Choice { Cancelled, Printer, PdfFile };
    // The dialog with "Save as PDF file" (message 1071) listed after the system's printers, so
    // that it opens without any printer too. A printer chosen becomes the program's.
    Choice choosePrinterOrPdf();

    // Prints image on one page of printer: portrait when narrower than high, else landscape,
    // scaled to fill the printable width or height keeping its proportions, centred. Returns
    // false when the printer refused the job.
    static bool printToFit(const QImage &image, QPrinter &printer);

private:
    // The dialog; false when it was cancelled or no printer exists (message 57).
    bool choosePrinter();
    // The dialog listing printers.names and then extra; the index chosen in that list, or
    // PrinterSelectionDialog::Cancelled.
    int runDialog(const PrinterList &printers, const QStringList &extra);
    // PrintTimer tick: the picture of the active window to the program's printer; message 57 when
    // the printer fails.
    void printForegroundWindow();

    SessionContext m_context;
    QTimer &m_printTimer;
    QWidget *m_window;
    std::function<PrinterList()> m_source = &PrinterList::system;
    QString m_printerName;
};
