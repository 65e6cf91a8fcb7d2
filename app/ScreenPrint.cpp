#include "ScreenPrint.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "dialogs/PrinterSelectionDialog.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTimer>
#include <QWidget>

namespace
{
const QList<int> NoPrinterMessage = {57};
constexpr int PdfFileEntry = 1071;
} // namespace

PrinterList PrinterList::system()
{
    return {QPrinterInfo::availablePrinterNames(), QPrinterInfo::defaultPrinterName()};
}

ScreenPrint::ScreenPrint(const SessionContext &context, QTimer &printTimer, QWidget *window)
    : m_context(context), m_printTimer(printTimer), m_window(window)
{
    connect(&m_printTimer, &QTimer::timeout, this, &ScreenPrint::printForegroundWindow);
}

void ScreenPrint::selectPrinter()
{
    m_context.op.beep();
    choosePrinter();
}

void ScreenPrint::print()
{
    m_context.op.beep();
    if (choosePrinter())
        m_printTimer.start();
}

bool ScreenPrint::choosePrinter()
{
    const PrinterList printers = m_source();
    if (printers.names.isEmpty()) {
        m_context.op.showMessage(NoPrinterMessage);
        return false;
    }
    return runDialog(printers, {}) != PrinterSelectionDialog::Cancelled;
}

ScreenPrint::Choice ScreenPrint::choosePrinterOrPdf()
{
    const PrinterList printers = m_source();
    const int chosen = runDialog(printers, {msg(PdfFileEntry)});
    if (chosen == PrinterSelectionDialog::Cancelled)
        return Choice::Cancelled;
    return chosen < printers.names.size() ? Choice::Printer : Choice::PdfFile;
}

int ScreenPrint::runDialog(const PrinterList &printers, const QStringList &extra)
{
    PrinterSelectionDialog dialog(m_context, printers.names + extra, printers.defaultName,
                                  m_printerName, m_window);
    dialog.exec();
    const int chosen = m_context.shared.selectedPrinterIndex;
    // An entry not in the list (none shown) prints to the system's default.
    if (chosen != PrinterSelectionDialog::Cancelled && chosen < printers.names.size())
        m_printerName = printers.names.value(chosen);
    return chosen;
}

void ScreenPrint::printForegroundWindow()
{
    m_printTimer.stop();
    QWidget *front = QApplication::activeWindow();
    const QImage picture = (front != nullptr ? front : m_window->window())->grab().toImage();
    QPrinter printer(QPrinter::HighResolution);
    if (!m_printerName.isEmpty())
        printer.setPrinterName(m_printerName);
    printer.setDocName(QApplication::applicationDisplayName());
    if (!printer.isValid() || !printToFit(picture, printer))
        m_context.op.showMessage(NoPrinterMessage);
}

bool ScreenPrint::printToFit(const QImage &image, QPrinter &printer)
{
    printer.setPageOrientation(image.width() < image.height() ? QPageLayout::Portrait
                                                              : QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect area = painter.viewport();
    QSize size = image.size();
    size.scale(area.size(), Qt::KeepAspectRatio);
    painter.setViewport(area.x() + (area.width() - size.width()) / 2,
                        area.y() + (area.height() - size.height()) / 2, size.width(),
                        size.height());
    painter.setWindow(image.rect());
    painter.drawImage(0, 0, image);
    return painter.end() && printer.printerState() != QPrinter::Error;
}
