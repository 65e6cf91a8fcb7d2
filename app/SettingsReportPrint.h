#pragma once

#include <QString>

class OperatorInterface;
class ScreenPrint;
class QWidget;
struct SessionContext;
struct SessionState;

// File > Print settings report: the report of the display's values to the printer chosen in the
// printer selection dialog, or to a PDF file chosen in a save dialog.
class SettingsReportPrint
{
public:
    // window: the main window, parent of the dialogs.
    SettingsReportPrint(const SessionContext &context, ScreenPrint &screenPrint, QWidget *window);

    // Without valid setting data message 1072 and nothing else. Otherwise the printer selection
    // (its printer becomes the program's); a printer prints the report (message 57 when it
    // fails), "Save as PDF file" asks for the file and writes it (message 1154 with the file and
    // the reason when it cannot).
    void print();

private:
    void printTo(const QString &printerName);
    void saveAsPdf();

    SessionState &m_shared;
    OperatorInterface &m_op;
    ScreenPrint &m_screenPrint;
    QWidget *m_window;
};
