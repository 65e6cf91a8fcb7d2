#pragma once

#include "comm/SessionContext.h"

#include "base/ItemOutcome.h"
#include "polling/ItemReadBack.h"
#include "polling/ReplyReporter.h"

#include <QString>
#include <QtGlobal>

#include <optional>

class ComLink;
class MainView;
class OperatorInterface;
class RequestLayer;
class VendorFrameWrites;
class WriteJournal;
struct SessionState;

// One setting item changed by the operator, written to the controller on its own
// (TimerJob::WriteItem). Whoever changes the item puts the new value into settingValues and the
// value before the change into downloadValues, then posts the write (SessionState::postWrite).
class SingleWrite
{
public:
    SingleWrite(const SessionContext &context, ItemReadBack &itemRead,
                VendorFrameWrites &vendorWrites, WriteJournal &journal);

    // Writes item code and reads it back.
    // - Auto-tuning on/off (12) and OUT/OFF (44) are not written when unchanged.
    // - Items reached through the vendor frame (11, 51, 58 to 63) are preceded by a write of the
    //   main set value to its register, which tells whether the controller's keys are operated:
    //   the operator's value for item 11, else the controller's own, read just before (when it
    //   cannot be read, message 880 and nothing is written). Keys operated: the key-operation
    //   notice shows for 2 s, the previous value is put back and nothing else is sent. When that
    //   write goes unanswered, a read of the main set value tells whether the line is there: if
    //   it answers, the reply was lost on the way and the write goes on; if not, the
    //   communication error box shows and the value is put back.
    // - A direct write that goes unanswered puts the previous value back and shows the
    //   communication error box; a refusal because of the keys beeps (not for auto-tuning under
    //   Ravtocol, whose controllers refuse that register while the keys are worked).
    // - A good direct write sets settingDataValid.
    // - The item is read back. What the controller answered and what the read-back showed make
    //   the item's record (lastOutcome), from which everything else follows: a record not taken
    //   whose value was sent goes into unconfirmedWrites, status bar panel 2 names it (keys
    //   operated, not taken with the controller's value, or not confirmed) until the next write
    //   or a read that shows the value sent, and the journal gets one line for it.
    // Always true: failures are reported, never stop the dispatcher.
    bool write(int code);
    // Job 2: the posted write (shared.postedWriteCode).
    bool writePosted();
    // The record of the last write; nullopt when nothing needed writing (an unchanged
    // switch, or no setting code).
    const std::optional<ItemOutcome> &lastOutcome() const { return m_outcome; }

    // The manual output buttons "+1.0", "+0.1", "-0.1", "-1.0", "+10.0", "-10.0" (index 0 to 5):
    // while online, reads the manual output (code 46, tenths of a percent), steps it, keeps it
    // within the main output limits (down to -100.0 % with heating/cooling) and posts its write
    // (TimerJob::WriteItem). Offline it does nothing.
    void stepManualOutput(int index);

private:
    // The vendor-frame items' first step: the main set value written to its own register, which
    // tells whether the controller's keys are operated. False when the item must not be written
    // (keys operated, the line down, or the controller's main set value could not be read), with
    // the previous value put back, the operator told and record saying why.
    bool checkKeysThroughMainSetValue(ItemOutcome &record);
    // Writes the item and judges the reply of its last write into record.
    void writeItem(ItemOutcome &record);
    // Puts the record in force: the page's mark (only when valueSent: the item's own value went
    // out), status bar panel 2 and the journal.
    void conclude(const ItemOutcome &record, bool valueSent);
    void putBack(int code);
    void setReplyTimeout(int milliseconds);

    SessionState &m_shared;
    RequestLayer &m_request;
    ComLink &m_link;
    OperatorInterface &m_op;
    MainView &m_view;
    VendorFrameWrites &m_vendorWrites;
    WriteJournal &m_journal;
    ReplyReporter m_reporter;
    ItemReadBack &m_readBack;
    std::optional<ItemOutcome> m_outcome;
};
