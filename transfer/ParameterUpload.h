#pragma once

#include "polling/ReplyReporter.h"
#include "transfer/TransferReport.h"

class MainView;
class OperatorInterface;
class RequestLayer;
class VendorFrameReads;
struct ZN8P_INC;

// Reads every setting item (codes 11 to 63) from the controller into settingValues. Each item is
// tried once and a single failure does not stop the upload; a refusal of the opening setting-flag
// write because the controller's keys are being operated does, and so do
// TransferReport::LineLostAfter unanswered items in a row.
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

    ParameterUpload(ZN8P_INC &inc, RequestLayer &request, OperatorInterface &op, MainView &view,
                    ReplyReporter &reporter, VendorFrameReads &vendorReads);

    // The upload of the Upload menu and of the status check (timerJob 4), with the progress
    // display (message 502). Codes 45 and 46 are not read. A key-operation refusal ends it at
    // once, with message 291 only when the Upload menu asked for it (uploadRequested, then
    // cleared). At the end clears rereadFlag and uploadRequested and sets settingDataValid, and
    // notes the time in status bar panel 2; an upload stopped by a lost line says how far it got
    // instead and leaves settingDataValid as it was. Returns false when refused.
    bool ReadPara_setflg();
    // The silent upload of the online start read: no progress display, code 46 (manual output)
    // read too, stopped silently by a lost line; at the end only rereadFlag is cleared. Returns
    // true when every item was tried, false when refused or stopped by a lost line.
    bool ReadPara_setflg2();

private:
    // Writes 1 to the setting-flag register; false on a key-operation refusal.
    bool writeSettingFlag();
    // Returns the number of items handled: ItemCount, or fewer when the line was lost.
    int readItems(bool readManualOutput, bool showProgress);
    void readItem(int code);

    ZN8P_INC &m_inc;
    RequestLayer &m_request;
    OperatorInterface &m_op;
    MainView &m_view;
    VendorFrameReads &m_vendorReads;
    ReplyReporter &m_reporter;
    TransferReport m_report;
};
