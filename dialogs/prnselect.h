#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

class OperatorInterface;
struct ZN8P_INC;

namespace Ui
{
class prnselect;
}

// The printer selection dialog. It opens with selectedPrinterIndex at the system's default
// printer and the list showing current; OK sets selectedPrinterIndex to the printer shown, Cancel
// and the close box set it to -2. It only chooses: printing belongs to ScreenPrint.
class prnselect : public QDialog
{
    Q_OBJECT

public:
    static constexpr qint16 Cancelled = -2;

    // printers: the system's printer names in the system's order; defaultPrinter and current
    // name entries of it (current empty: the default is shown).
    prnselect(ZN8P_INC &inc, OperatorInterface &op, const QStringList &printers,
              const QString &defaultPrinter, const QString &current, QWidget *parent = nullptr);
    ~prnselect() override;

public slots:
    void reject() override;

private slots:
    void onOk();

private:
    std::unique_ptr<Ui::prnselect> m_ui;
    ZN8P_INC &m_inc;
    OperatorInterface &m_op;
    QStringList m_printers;
};
