#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

class OperatorInterface;
struct SessionContext;
struct SessionState;

namespace Ui
{
class PrinterSelectionDialog;
}

// The printer selection dialog. It opens with selectedPrinterIndex at the system's default
// printer and the list showing current; OK sets selectedPrinterIndex to the printer shown, Cancel
// and the close box set it to -2. It only chooses: printing belongs to ScreenPrint.
class PrinterSelectionDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr qint16 Cancelled = -2;

    // printers: the system's printer names in the system's order; defaultPrinter and current
    // name entries of it (current empty: the default is shown).
    PrinterSelectionDialog(const SessionContext &context, const QStringList &printers,
                           const QString &defaultPrinter, const QString &current,
                           QWidget *parent = nullptr);
    ~PrinterSelectionDialog() override;

public slots:
    void reject() override;

private slots:
    void onOk();

private:
    std::unique_ptr<Ui::PrinterSelectionDialog> m_ui;
    SessionState &m_shared;
    OperatorInterface &m_op;
    QStringList m_printers;
};
