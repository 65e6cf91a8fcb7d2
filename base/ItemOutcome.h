#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What became of one setting item that a write or a download meant to give the controller: what
// the controller answered to the write, and what a read of the item afterwards showed. It is the
// one record every report of the outcome is taken from: status bar panel 2, the message boxes,
// the red marks on the pages, znctl's lines and exit code and the write journal.
struct ItemOutcome {
    // What the controller answered to the write.
    enum class Reply {
        NotSent,      // never sent: a transfer stopped before the item, or the frame never opened
        Answered,     // the controller answered that it took the value
        Refused,      // refused (detail: the exception or error code, "NAK", "not understood")
        KeysOperated, // refused because the controller's keys are being operated
        NoReply,      // nothing came back that answered it
    };

    // What the item's outcome is, all things weighed. A read-back that shows the value sent
    // settles it as taken whatever the reply was (a lost reply included); one that shows another
    // value settles it as not taken. A refusal stays a refusal.
    enum class Verdict {
        Taken,        // the read-back shows the value sent; or, not read back, answered as taken
        NotTaken,     // the read-back shows another value (readBack)
        Refused,      // the controller refused the write
        KeysOperated, // refused because its keys are being operated
        Unconfirmed,  // answered as taken, but the read-back got no good reply
        NoReply,    // unanswered and not settled by a read-back: the controller's value is unknown
        NotReached, // never sent
    };

    int code = 0;
    // The value last read from the controller before the write; nullopt when none was read.
    std::optional<qint16> before;
    qint16 sent = 0;
    Reply reply = Reply::NotSent;
    QString detail;
    // Whether the item was read after the write, and the value that read showed (nullopt when the
    // read was refused or unanswered).
    bool readBackTried = false;
    std::optional<qint16> readBack;

    // The record of a write about to be made: nothing sent yet.
    static ItemOutcome planned(int code, std::optional<qint16> before, qint16 sent)
    {
        ItemOutcome outcome;
        outcome.code = code;
        outcome.before = before;
        outcome.sent = sent;
        return outcome;
    }

    Verdict verdict() const;
    bool taken() const { return verdict() == Verdict::Taken; }
    bool sentOut() const { return reply != Reply::NotSent; }
    // The one judgement of a read-back: value, read from the controller after the write, shows
    // that it took the value sent.
    bool holds(qint16 value) const { return value == sent; }
    // The controller holds the value sent, as a read showed.
    bool holdsSent() const { return readBack && holds(*readBack); }
    // The page marks the item: the controller is not known to hold what the page shows for it.
    bool marked() const { return !taken() && !holdsSent(); }
};
