#include "ComparisonDialog.h"

#include "base/MessageTable.h"
#include "display/WindowPlacement.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace
{

constexpr int TitleMessage = 979;
constexpr int SameValuesMessage = 977;
constexpr int DifferHeading = 978;
constexpr int FirstColumnHeading = 970; // "Code", "Item", "Display", "Controller"
constexpr int ColumnCount = 4;

} // namespace

ComparisonDialog::ComparisonDialog(const QList<SettingDifference> &differences, QWidget *parent)
    : QDialog(parent), m_heading(new QLabel(this)), m_table(new QTableWidget(this))
{
    setObjectName(QStringLiteral("ComparisonDialog"));
    setWindowTitle(msg(TitleMessage));
    keepTitleWhole(*this);
    m_heading->setWordWrap(true);
    m_heading->setText(msg(differences.isEmpty() ? SameValuesMessage : DifferHeading));

    m_table->setColumnCount(ColumnCount);
    QStringList headings;
    for (int column = 0; column < ColumnCount; ++column)
        headings << msg(FirstColumnHeading + column);
    m_table->setHorizontalHeaderLabels(headings);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setRowCount(int(differences.size()));
    for (int row = 0; row < differences.size(); ++row) {
        const SettingDifference &d = differences.at(row);
        const QStringList cells{QString::number(d.code), d.name, d.otherText, d.controllerText};
        for (int column = 0; column < ColumnCount; ++column)
            m_table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setVisible(!differences.isEmpty());

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_table, 1);
    layout->addWidget(buttons);
    resize(differences.isEmpty() ? QSize(380, 120) : QSize(620, 420));
}

ComparisonDialog *ComparisonDialog::showResult(const QList<SettingDifference> &differences,
                                               QWidget *parent)
{
    auto *dialog = new ComparisonDialog(differences, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}
