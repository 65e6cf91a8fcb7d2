#pragma once

#include "dialogs/ScaleEntry.h"

#include <QDialog>

#include <memory>

class OperatorInterface;

namespace Ui
{
class ScaleEntryDialog;
}

// The chart scale entry dialog: a ten-key pad and the keyboard type one integer for Y high, Y
// low, the recording cycle or the Y divisions. OK closes the dialog only with a value that passes
// the mode's checks (value() then holds it); the caller applies it to the chart and its files.
// The dialog never talks to the controller.
class ScaleEntryDialog : public QDialog
{
    Q_OBJECT

public:
    // now: the current value shown; high and low: the chart's Y scale.
    ScaleEntryDialog(OperatorInterface &op, ScaleEntry::Mode mode, const QString &now, qint16 high,
                     qint16 low, QWidget *parent = nullptr);
    ~ScaleEntryDialog() override;

    int value() const { return m_entry.value(); }

private:
    void onKey(const TenKey &key);
    void accept() override;
    void refresh();
    // Shows message id when not 0; the entry box takes the focus again.
    void refuse(int id);

    std::unique_ptr<Ui::ScaleEntryDialog> m_ui;
    OperatorInterface &m_op;
    ScaleEntry m_entry;
};
