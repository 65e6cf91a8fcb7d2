#pragma once

#include "comm/SessionContext.h"

#include "polling/ReplyReporter.h"
#include "transfer/TransferReport.h"

class ItemReadBack;
class MainView;
class OperatorInterface;
class RequestLayer;
struct SessionState;

// Reads every setting item (codes 11 to 63) from the controller into settingValues. An item whose
// read goes unanswered is tried once more (ItemReadBack); one that still gives no value is left
// "not read" (unreadCodes) and the upload goes on with the rest of the set. A refusal of the
// opening setting-flag write because the controller's keys are being operated stops it, and so do
// TransferReport::LineLostAfter items in a row that went unanswered.
class ParameterUpload
{
public:
    // Told how each upload ended, for the event log.
    void setEndNotice(TransferReport::EndNotice notice)
    {
        m_report.setEndNotice(std::move(notice));
    }

    // Items of the upload: codes 11 to 63.
    static constexpr int FirstCode = 11;
    static constexpr int LastCode = 63;
    static constexpr int ItemCount = LastCode - FirstCode + 1;

    enum class Result {
        Completed,    // every item tried; unreadCodes names those that gave no value
        KeysOperated, // the setting flag was refused: nothing read
        LineLost,     // stopped after TransferReport::LineLostAfter unanswered items in a row
    };

    ParameterUpload(const SessionContext &context, ReplyReporter &reporter, ItemReadBack &itemRead);

    // The upload of the Upload menu and of the status check (TimerJob::Upload), with the progress
    // display (message 502). A key-operation refusal ends it at once, with message 291 only when
    // the Upload menu asked for it (uploadRequested, then cleared). At the end clears rereadFlag
    // and uploadRequested and sets settingDataValid, and notes the time in status bar panel 2; an
    // upload stopped by a lost line says how far it got instead and leaves settingDataValid as it
    // was. Returns false when refused.
    bool uploadAll();
    // The silent upload of the online start read: no progress display, stopped silently by a lost
    // line; at the end only rereadFlag is cleared. Returns true when every item was tried, false
    // when refused or stopped by a lost line.
    bool uploadSilently();
    // How the last upload ended.
    Result lastResult() const { return m_result; }

private:
    // Writes 1 to the setting-flag register; false on a key-operation refusal.
    bool writeSettingFlag();
    // Returns the number of items handled: ItemCount, or fewer when the line was lost.
    int readItems(bool showProgress);
    void readItem(int code);

    SessionState &m_shared;
    RequestLayer &m_request;
    OperatorInterface &m_op;
    MainView &m_view;
    ItemReadBack &m_itemRead;
    ReplyReporter &m_reporter;
    TransferReport m_report;
    ReadValueStore m_values;
    Result m_result = Result::Completed;
};
