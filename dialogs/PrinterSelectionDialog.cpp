#include "PrinterSelectionDialog.h"

#include "ui_PrinterSelectionDialog.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/SessionContext.h"
#include "display/WindowPlacement.h"

PrinterSelectionDialog::PrinterSelectionDialog(const SessionContext &context,
                                               const QStringList &printers,
                                               const QString &defaultPrinter,
                                               const QString &current, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::PrinterSelectionDialog>()),
      m_shared(context.shared), m_op(context.op), m_printers(printers)
{
    m_ui->setupUi(this);
    setWindowTitle(msg(34));
    keepTitleWhole(*this);
    m_ui->printerCaption->setText(msg(35));
    m_ui->cancelButton->setText(msg(30));
    m_ui->printerName->addItems(printers);
    m_ui->printerName->setCurrentText(current.isEmpty() ? defaultPrinter : current);
    m_shared.selectedPrinterIndex = qint16(printers.indexOf(defaultPrinter));
    connect(m_ui->okButton, &QPushButton::clicked, this, &PrinterSelectionDialog::onOk);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &PrinterSelectionDialog::reject);
}

PrinterSelectionDialog::~PrinterSelectionDialog() = default;

void PrinterSelectionDialog::onOk()
{
    m_op.beep();
    m_shared.selectedPrinterIndex = qint16(m_printers.indexOf(m_ui->printerName->currentText()));
    accept();
}

void PrinterSelectionDialog::reject()
{
    m_op.beep();
    m_shared.selectedPrinterIndex = Cancelled;
    QDialog::reject();
}
