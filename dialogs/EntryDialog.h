#pragma once

#include "dialogs/EntryValue.h"
#include "transfer/SettingRanges.h"

#include <QDialog>

#include <memory>

class OperatorInterface;
struct SessionContext;
struct SessionState;

namespace Ui
{
class EntryDialog;
}

// The parameter entry dialog: a ten-key pad and the keyboard build the new raw value of the
// item within its entry range (SettingRanges::entryRange, whose texts the dialog shows);
// what is typed is the value in the item's units, "150" being 150.0 also for a 0.1-step item
// (EntryValue).
// OK stores it in settingValues and hands it on (SettingChange: a job-2 write online, the data
// marked changed offline); what the main window shows afterwards is its caller's.
class EntryDialog : public QDialog
{
    Q_OBJECT

public:
    EntryDialog(const SessionContext &context, const SettingRanges::EntryRange &range,
                QWidget *parent = nullptr);
    ~EntryDialog() override;

    // The entry box text; after OK the text the item's value label takes offline.
    QString entryText() const;
    // After OK: true when a write was posted to the job timer.
    bool writePosted() const { return m_writePosted; }

private:
    // The item's caption and the unit its page shows, so that the operator sees what is set.
    static QString itemHeading(const SessionState &shared, int code);
    void onKey(const TenKey &key);
    void onSignToggle();
    void onOk();
    void showValue();

    std::unique_ptr<Ui::EntryDialog> m_ui;
    SessionState &m_shared;
    OperatorInterface &m_op;
    EntryValue m_value;
    int m_code;
    bool m_writePosted = false;
};
