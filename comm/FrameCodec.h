#pragma once

#include "comm/CommComponent.h"
#include "comm/Reply.h"

#include <QByteArray>
#include <QString>

// The text fields of one request, as sendRequest receives them (docs/protocols.md).
struct FrameRequest {
    QString station;
    QString subAddress;
    QString command;
    QString address;
    QString data;
};

// What the bytes received so far are, seen from their front.
struct FrameVerdict {
    enum Kind {
        Incomplete, // a reply may still be arriving: wait for more bytes
        Complete,   // the front `length` bytes are a valid reply, rendered as `reply`
        Discard,    // the front `length` bytes are noise, a corrupt frame or another station's
    };
    Kind kind = Incomplete;
    int length = 0;
    QString reply;
    // Why the bytes of a Discard are no reply to the request.
    ReplyVerdict why = ReplyVerdict::Noise;

    static FrameVerdict incomplete() { return {}; }
    static FrameVerdict complete(int length, const QString &reply)
    {
        return {Complete, length, reply, ReplyVerdict::Ok};
    }
    static FrameVerdict discard(int length, ReplyVerdict why = ReplyVerdict::Noise)
    {
        return {Discard, length, {}, why};
    }
};

// One framing, independent of the transport: builds request frames and judges incoming bytes.
// Implementations hold no state, so one instance serves every request.
class FrameCodec
{
public:
    virtual ~FrameCodec() = default;
    // The request frame for the fields; empty when the fields cannot be framed (not hexadecimal
    // where the framing needs it, missing station).
    virtual QByteArray requestFrame(const FrameRequest &request) const = 0;
    // Judges the front of input as the reply to request. Never Discard with length 0; Complete
    // only for a frame whose checksum, station and structure are right.
    virtual FrameVerdict judge(const QByteArray &input, const FrameRequest &request) const = 0;
    // True when requests must be preceded by the Modbus RTU inter-frame silence.
    virtual bool needsFrameGap() const { return false; }
};

// The codec of a framing; one static instance each.
const FrameCodec &frameCodec(FrameMode mode);

// Data word wordNumber (from 1) of a rendered reply as four hexadecimal digits, high byte first;
// empty when the reply is too short to hold it or is no data-carrying reply. The framing is
// told by the first character (':' Modbus, '@' Ravtocol, ACK vendor frame), so the word reads the
// same whatever frame mode is set when it is asked for.
QString replyWord(const QString &reply, int wordNumber);
