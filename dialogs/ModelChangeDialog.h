#pragma once

#include "dialogs/UnitOptionRules.h"

#include <QDialog>

#include <memory>

class OperatorInterface;
class QRadioButton;
struct SessionContext;

namespace Ui
{
class ModelChangeDialog;
}

// The model change dialog: the unit configuration at opening on the left, the options after the
// change on the right. Option clicks follow UnitOptionRules (a refused click shows its message);
// "Change" asks 192 and, on Yes, keeps the new configuration for the main display to lay out;
// "Cancel" and the close box bring back the configuration at opening.
class ModelChangeDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ModelChangeDialog(const SessionContext &context, QWidget *parent = nullptr);
    ~ModelChangeDialog() override;

public slots:
    void reject() override;

protected:
    // Says, once, which stored options the rules had to drop on opening.
    void showEvent(QShowEvent *event) override;

private:
    QList<QRadioButton *> options(int field) const;
    void onOptionClicked(UnitOptionRules::Field field, int value);
    void onChange();
    // Selects every field's option of its value and enables the unlocked ones.
    void showRules();

    std::unique_ptr<Ui::ModelChangeDialog> m_ui;
    OperatorInterface &m_op;
    UnitOptionRules m_rules;
    bool m_dropsReported = false;
};
