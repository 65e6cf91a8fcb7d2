#pragma once

#include "comm/SessionContext.h"

#include "base/SessionState.h"
#include "polling/ItemReadBack.h"
#include "polling/ReplyReporter.h"
#include "transfer/TransferReport.h"

#include <array>
#include <functional>

class ComLink;
class MainView;
class OperatorInterface;
class RequestLayer;
class VendorFrameWrites;
class WriteJournal;

// Writes the whole set of setting items to the controller, register by register, in the one order
// the controller accepts them: the input type and scaling first (they re-range the others), the
// auto-tuning switch last. Each step is tried once; a single unanswered or refused step does not
// stop a download; a refusal because the controller's keys are being operated does, and so do
// TransferReport::LineLostAfter unanswered steps in a row (a dead line would otherwise cost a
// reply timeout per item for nothing). Every item written is then read back (none after a lost
// line): each item of the set gets its record (lastOutcomes), from which the operator is told of
// the items the controller does not hold as sent and those never sent, and they stay marked on
// the display.
class ParameterDownload
{
public:
    // Told how each download ended, for the event log.
    void setEndNotice(TransferReport::EndNotice notice)
    {
        m_report.setEndNotice(std::move(notice));
    }

    using Values = std::array<qint16, SessionState::SettingCount>;

    static constexpr int StepCount = 52;
    // Parameter codes in the order they are written. 10 (mode register) and 46 (manual output)
    // are never written.
    static const std::array<qint16, StepCount> Chain;

    enum class Result {
        Completed,
        AutoTuningRunning, // refused with messages 503/504, nothing sent
        KeysOperated,      // stopped by the controller's keys; see the operations below
        LineLost,          // stopped after TransferReport::LineLostAfter unanswered steps, or
                           // every step sent but the line lost while they were read back
    };

    ParameterDownload(const SessionContext &context, ItemReadBack &itemRead,
                      VendorFrameWrites &vendorWrites, WriteJournal &journal);

    // Run by downloadPreparedCopy once its chain completed or was stopped by the keys: the online
    // start read (OnlineStartRead::readAtOnlineStart), which reads the controller's state back.
    void setReadBack(std::function<void()> readBack) { m_readBack = std::move(readBack); }

    // Whether the step of code is written: it depends on the installed options (optionWord,
    // optionWord2), the controller's state (statusWord) and the values being written (source).
    static bool applies(int code, const SessionState &shared, const Values &source);

    // Job 3 (the display's data sent when going online): refused while the controller is
    // auto-tuning (statusWord bit 0x800, messages 503/504 and a beep); else the chain from
    // settingValues.
    Result downloadDisplayedSettings();
    // Job 5 (the Download menu, which has filled downloadValues and set downloadRequested): the
    // chain from downloadValues, then the read-back.
    Result downloadPreparedCopy();

    // Common to both: the setting flag (a keys-operated refusal shows the key-operation notice and
    // message 292, and ends the job with nothing else changed: every item not reached), the
    // progress display (message 501, both bars counting the steps written) and the chain, then
    // the read-back of every item sent. The items the controller does not hold as sent, and
    // those a stop left unsent, go into unconfirmedWrites and the page shows them marked at once.
    // A stop (keys, lost line) says how far it got, that the controller holds a mix, which items
    // it did not take and which were never sent (TransferReport), hides the frames and leaves
    // settingDataValid and downloadRequested unchanged. A completed chain sets settingDataValid,
    // clears downloadRequested, notes the time in status bar panel 2 and lists the items not
    // taken. Every step sent goes into the journal as its record has it. After a lost line
    // nothing is read back: a step the controller answered counts as taken, one it did not as
    // unanswered.
    Result download(const Values &source);

    // The records of the last download's items, in the order of the chain: every item that
    // applied, sent or not.
    const QList<ItemOutcome> &lastOutcomes() const { return m_outcomes; }

private:
    // Writes the step of record's item and judges the reply into record; the vendor-frame
    // routines report their own replies, a user-protocol write is reported here.
    void writeStep(ItemOutcome &record);
    // Reads back each item sent and notes what the read showed in its record; false when the
    // line was lost on the way (TransferReport::LineLostAfter items in a row unanswered), the
    // items after that left unconfirmed.
    bool confirm();
    ItemOutcome *recordOf(int code);
    void endProgress();
    void setReplyTimeout(int milliseconds);

    SessionState &m_shared;
    RequestLayer &m_request;
    ComLink &m_link;
    OperatorInterface &m_op;
    MainView &m_view;
    VendorFrameWrites &m_vendorWrites;
    WriteJournal &m_journal;
    ReplyReporter m_reporter;
    ItemReadBack &m_itemRead;
    TransferReport m_report;
    std::function<void()> m_readBack;
    QList<ItemOutcome> m_outcomes;
};
