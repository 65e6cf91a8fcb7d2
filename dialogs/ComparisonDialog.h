#pragma once

#include "transfer/ControllerComparison.h"

#include <QDialog>
#include <QList>

class QLabel;
class QTableWidget;

// The result of File > Compare with controller: the items whose value on the display differs from
// the controller's (code, item, display, controller), or that both hold the same values. It does
// not block the window: monitoring goes on while it is open.
class ComparisonDialog : public QDialog
{
    Q_OBJECT

public:
    ComparisonDialog(const QList<SettingDifference> &differences, QWidget *parent);

    // Opens a new result window over parent, deleted when closed.
    static ComparisonDialog *showResult(const QList<SettingDifference> &differences,
                                        QWidget *parent);

private:
    QLabel *m_heading;
    QTableWidget *m_table;
};
