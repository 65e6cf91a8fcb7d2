#include "SettingsReportPrint.h"

#include "app/ScreenPrint.h"
#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/ProgramFolder.h"
#include "base/SessionState.h"
#include "comm/SessionContext.h"
#include "dialogs/SettingsReportPainter.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrinter>

namespace
{
constexpr int NoPrinterMessage = 57;
constexpr int NotWrittenMessage = 1154;
constexpr int PdfFilter = 1016;
constexpr int ReportTitle = 1061;
constexpr int NoDataMessage = 1072;

SettingsReport reportOf(const SessionState &shared)
{
    return SettingsReport::of(shared, QDateTime::currentDateTime());
}
} // namespace

SettingsReportPrint::SettingsReportPrint(const SessionContext &context, ScreenPrint &screenPrint,
                                         QWidget *window)
    : m_shared(context.shared), m_op(context.op), m_screenPrint(screenPrint), m_window(window)
{
}

void SettingsReportPrint::print()
{
    if (!m_shared.settingDataValid) {
        m_op.showMessage({NoDataMessage}, MessageIcon::Exclamation);
        return;
    }
    m_op.beep();
    switch (m_screenPrint.choosePrinterOrPdf()) {
    case ScreenPrint::Choice::Printer:
        printTo(m_screenPrint.printerName());
        break;
    case ScreenPrint::Choice::PdfFile:
        saveAsPdf();
        break;
    case ScreenPrint::Choice::Cancelled:
        break;
    }
}

void SettingsReportPrint::printTo(const QString &printerName)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!printerName.isEmpty())
        printer.setPrinterName(printerName);
    printer.setDocName(msg(ReportTitle));
    if (!printer.isValid() || !SettingsReportPainter::print(reportOf(m_shared), printer) ||
        printer.printerState() == QPrinter::Error)
        m_op.showMessage({NoPrinterMessage});
}

void SettingsReportPrint::saveAsPdf()
{
    // Beside the settings data file the values came from, under its name; else in its folder.
    const QFileInfo dataFile(m_shared.settingsFileName);
    const QString suggested = m_shared.settingsFileName.isEmpty()
                                  ? ProgramFolder::setdata()
                                  : dataFile.absolutePath() + QLatin1Char('/') +
                                        dataFile.completeBaseName() + QStringLiteral(".pdf");
    QString path =
        QFileDialog::getSaveFileName(m_window, msg(ReportTitle), suggested, msg(PdfFilter));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    const FileFault fault = SettingsReportPainter::writePdf(reportOf(m_shared), path);
    if (!fault.isNone())
        m_op.showText(NotWrittenMessage, msg(NotWrittenMessage).arg(fault.text()),
                      MessageIcon::Exclamation);
}
