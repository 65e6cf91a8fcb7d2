#include "PrinterSelectionDialog.h"

#include "ui_PrinterSelectionDialog.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "display/WindowPlacement.h"

PrinterSelectionDialog::PrinterSelectionDialog(SessionState &shared, OperatorInterface &op,
                                               const QStringList &printers,
                                               const QString &defaultPrinter,
                                               const QString &current, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::PrinterSelectionDialog>()), m_shared(shared),
      m_op(op), m_printers(printers)
{
    m_ui->setupUi(this);
    setWindowTitle(msg(34));
    keepTitleWhole(*this);
    m_ui->Label1->setText(msg(35));
    m_ui->prnCancel->setText(msg(30));
    m_ui->prnName->addItems(printers);
    m_ui->prnName->setCurrentText(current.isEmpty() ? defaultPrinter : current);
    m_shared.selectedPrinterIndex = qint16(printers.indexOf(defaultPrinter));
    connect(m_ui->prnOK, &QPushButton::clicked, this, &PrinterSelectionDialog::onOk);
    connect(m_ui->prnCancel, &QPushButton::clicked, this, &PrinterSelectionDialog::reject);
}

PrinterSelectionDialog::~PrinterSelectionDialog() = default;

void PrinterSelectionDialog::onOk()
{
    m_op.beep();
    m_shared.selectedPrinterIndex = qint16(m_printers.indexOf(m_ui->prnName->currentText()));
    accept();
}

void PrinterSelectionDialog::reject()
{
    m_op.beep();
    m_shared.selectedPrinterIndex = Cancelled;
    QDialog::reject();
}
