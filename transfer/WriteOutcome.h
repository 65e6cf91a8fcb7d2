#pragma once

#include "base/ItemOutcome.h"
#include "comm/Reply.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// The write journal's words for an item's outcome (ItemOutcome), the same in every language.
struct WriteOutcome {
    enum class Kind {
        Taken,
        Refused,           // detail: the exception or error code, "keys operated", "NAK"
        NoReply,           // detail: "read-back" when the write was answered but its read-back not
        ReadBackDifferent, // detail: the value read back, as displayed
    };

    Kind kind = Kind::Taken;
    QString detail;

    // The journal's reading of a record that was sent; heldText is the display text of the value
    // its read-back showed.
    static WriteOutcome of(const ItemOutcome &record, const QString &heldText);

    // The outcome's word in the journal file ("taken", "refused", "no reply",
    // "read back different"), the same in every language; fromKeyword() reads it back.
    QString keyword() const;
    static std::optional<Kind> fromKeyword(const QString &keyword);
};

// How the controller answered a write, put into the item's record: reply and detail.
namespace WriteReply
{
// A user-protocol (Modbus or Ravtocol) write under protocolIndex. A reply that is neither an
// answer nor a refusal counts as refused, detail "not understood".
void judge(ItemOutcome &record, const Reply &reply, qint16 protocolIndex);
// A vendor-frame write: ACK answered, NAK refused ("NAK"), ESC or '!' refused ("not
// understood"), anything else no reply.
void judgeVendor(ItemOutcome &record, const Reply &reply);
} // namespace WriteReply
