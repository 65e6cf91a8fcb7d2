#pragma once

#include <QString>

// What came back for one request, as the communication component saw it.
enum class ReplyVerdict {
    Ok,               // the expected answer
    NoReply,          // nothing came back within the reply timeout (or nothing was sent)
    Checksum,         // a frame whose checksum (LRC, CRC, BCC) is wrong
    WrongStation,     // a frame from another instrument number
    WrongFunction,    // a frame answering another function or command
    WrongLength,      // a frame cut short or of the wrong length for the request
    Exception,        // the controller refused: exceptionCode says why
    LateReplyDropped, // a checked frame that answers an earlier request of the same station
    Noise,            // bytes that make no frame at all
    PortLost,         // the port is not open, or failed during the request
};

// One request's reply: the frame rendered as text (docs/protocols.md) when a valid frame came back
// (Ok or Exception), and the verdict. exceptionCode is the Modbus exception code or the Ravtocol
// error code of an Exception (0 for a vendor-frame refusal, which carries none).
struct Reply {
    QString text;
    ReplyVerdict verdict = ReplyVerdict::NoReply;
    int exceptionCode = 0;

    bool ok() const { return verdict == ReplyVerdict::Ok; }

    static Reply failed(ReplyVerdict verdict) { return {QString(), verdict, 0}; }
    // The verdict of a checked frame from its rendered text: a Modbus exception (function with
    // bit 7 set), a Ravtocol '!' or a vendor-frame NAK, '!' or ESC is an Exception, anything else
    // Ok.
    static Reply fromFrame(const QString &text);
};

namespace ReplyVerdicts
{
// The sentence that tells the operator what went wrong and what to check; empty for Ok and for
// NoReply, which "Communication error" says already.
QString text(const Reply &reply);
// The message number of that sentence (0 when there is none).
int messageId(ReplyVerdict verdict);
// "Communication error" (message 451) on one line with the reply's sentence after it, when there
// is one: "Communication error. The controller answered with a bad checksum: ...".
QString commErrorLine(const Reply &reply);
// The same with the cause already in words.
QString commErrorLine(const QString &cause);
} // namespace ReplyVerdicts
