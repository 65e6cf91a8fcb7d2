#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What became of one write, as the write journal keeps it. A write counts as taken only when the
// controller accepted it and, where it was read back, the read-back holds the value sent.
struct WriteOutcome {
    enum class Kind {
        Taken,
        Refused,           // detail: the exception or error code, "keys operated", "NAK"
        NoReply,           // detail: "read-back" when the write was answered but its read-back not
        ReadBackDifferent, // detail: the value read back, as displayed
    };

    Kind kind = Kind::Taken;
    QString detail;

    // The reply of a user-protocol (Modbus or Ravtocol) write under protocolIndex. A reply that
    // is neither an answer nor a refusal counts as refused, detail "not understood".
    static WriteOutcome ofReply(const QString &reply, qint16 protocolIndex);
    // The reply of a vendor-frame write: ACK taken, NAK refused, ESC not understood, else none.
    static WriteOutcome ofVendorReply(const QString &reply);

    // This outcome with the item's read-back weighed in: readBack is the value read after the
    // write (nullopt when the read got no good reply), readBackText its display text. A refusal
    // or a write that went unanswered stays as it is.
    WriteOutcome checkedBy(std::optional<qint16> readBack, qint16 sent,
                           const QString &readBackText) const;

    // The outcome's word in the journal file ("taken", "refused", "no reply",
    // "read back different"), the same in every language; fromKeyword() reads it back.
    QString keyword() const;
    static std::optional<Kind> fromKeyword(const QString &keyword);
};
