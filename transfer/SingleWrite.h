#pragma once

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
struct ZN8P_INC;

// One setting item changed by the operator, written to the controller on its own (timerJob 2).
// Whoever changes the item puts the new value into settingValues, the value before the change
// into downloadValues and the code into itemCode, then sets timerJob to 2.
class SingleWrite
{
public:
    // How the last WriteOneSetting ended.
    enum class Verdict {
        Taken,        // the read-back shows the value sent (or nothing needed writing)
        KeysOperated, // refused because the controller's keys are being operated
        NotTaken,     // the read-back shows another value
        Unconfirmed,  // the write or the read-back was refused: the controller's value is unknown
        NoReply,      // the controller did not answer the write's last step or its read-back
    };

    SingleWrite(ZN8P_INC &inc, RequestLayer &request, ComLink &link, OperatorInterface &op,
                MainView &view, ItemReadBack &itemRead, VendorFrameWrites &vendorWrites,
                WriteJournal &journal);

    // Job 2: writes inc.itemCode and reads it back.
    // - Auto-tuning on/off (12) and OUT/OFF (44) are not written when unchanged.
    // - Items reached through the vendor frame (11, 51, 58 to 63) are preceded by a write of the
    //   main set value to its register, which tells whether the controller's keys are operated:
    //   the operator's value for item 11, else the controller's own, read just before (when it
    //   cannot be read, message 880 and nothing is written). Keys operated: the key-operation
    //   notice shows for 2 s, the previous value is put back and nothing else is sent; with no
    //   reply the communication error box shows and the value is put back.
    // - A direct write that goes unanswered puts the previous value back and shows the
    //   communication error box; a refusal because of the keys beeps (not for auto-tuning under
    //   Ravtocol, whose controllers refuse that register while the keys are worked).
    // - A good direct write sets settingDataValid.
    // - The write counts as taken only when the read-back shows the value sent. Otherwise the
    //   item goes into unconfirmedWrites and status bar panel 2 names it (keys operated, not
    //   taken with the controller's value, or not confirmed) until the next write.
    // - Every write sent goes into the journal with what became of it, judged by its reply and
    //   the read-back.
    // Always true: failures are reported, never stop the dispatcher; lastVerdict() says how it
    // ended.
    bool WriteOneSetting();
    Verdict lastVerdict() const { return m_verdict; }

    // The manual output buttons "+1.0", "+0.1", "-0.1", "-1.0", "+10.0", "-10.0" (index 0 to 5):
    // while online, reads the manual output (code 46, tenths of a percent), steps it, keeps it
    // within the main output limits (down to -100.0 % with heating/cooling) and posts its write
    // (timerJob 2). Offline it does nothing.
    void Manuval_Click(int index);

private:
    struct Sent {
        QString reply;
        // A user-protocol write judged and reported here; else a vendor-frame routine's, which
        // reports itself.
        bool direct = true;
        // reply is a vendor-frame reply (ACK, NAK, ...).
        bool vendorFrame = false;
    };
    // Writes the item; returns the reply of its last write.
    Sent writeItem(int code, qint16 value);
    // The vendor-frame items' first step: the main set value written to its own register, which
    // tells whether the controller's keys are operated. False when the item must not be written
    // (keys operated, no reply, or the controller's main set value could not be read), with the
    // previous value put back and the operator told.
    bool checkKeysThroughMainSetValue(int code, std::optional<qint16> before, qint16 value);
    // A write is taken only when its read-back shows the value sent; otherwise the item is
    // listed in unconfirmedWrites and status bar panel 2 says so until the next write.
    void judgeReadBack(int code, qint16 sent, bool readBackGood, bool keysNoted);
    void noteKeysOperated(int code);
    void setNote(const QString &note);
    void putBack(int code);
    void setReplyTimeout(int milliseconds);

    ZN8P_INC &m_inc;
    RequestLayer &m_request;
    ComLink &m_link;
    OperatorInterface &m_op;
    MainView &m_view;
    VendorFrameWrites &m_vendorWrites;
    WriteJournal &m_journal;
    ReplyReporter m_reporter;
    ItemReadBack &m_readBack;
    Verdict m_verdict = Verdict::Taken;
};
