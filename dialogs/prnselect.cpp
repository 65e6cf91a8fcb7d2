#include "prnselect.h"

#include "ui_prnselect.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/ZN8P_INC.h"
#include "display/WindowPlacement.h"

prnselect::prnselect(ZN8P_INC &inc, OperatorInterface &op, const QStringList &printers,
                     const QString &defaultPrinter, const QString &current, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::prnselect>()), m_inc(inc), m_op(op),
      m_printers(printers)
{
    m_ui->setupUi(this);
    setWindowTitle(msg(34));
    keepTitleWhole(*this);
    m_ui->Label1->setText(msg(35));
    m_ui->prnCancel->setText(msg(30));
    m_ui->prnName->addItems(printers);
    m_ui->prnName->setCurrentText(current.isEmpty() ? defaultPrinter : current);
    m_inc.selectedPrinterIndex = qint16(printers.indexOf(defaultPrinter));
    connect(m_ui->prnOK, &QPushButton::clicked, this, &prnselect::onOk);
    connect(m_ui->prnCancel, &QPushButton::clicked, this, &prnselect::reject);
}

prnselect::~prnselect() = default;

void prnselect::onOk()
{
    m_op.beep();
    m_inc.selectedPrinterIndex = qint16(m_printers.indexOf(m_ui->prnName->currentText()));
    accept();
}

void prnselect::reject()
{
    m_op.beep();
    m_inc.selectedPrinterIndex = Cancelled;
    QDialog::reject();
}
