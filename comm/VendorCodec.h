#pragma once

#include "comm/FrameCodec.h"

// The controller's vendor frame: STX station sub-address command item [data] BCC ETX; replies
// start with ACK, NAK, '!' or ESC and end at their ETX.
class VendorCodec : public FrameCodec
{
public:
    QByteArray requestFrame(const FrameRequest &request) const override;
    FrameVerdict judge(const QByteArray &input, const FrameRequest &request) const override;
    // Word n of an ACK reply; empty for any other reply.
    static QString replyWord(const QString &reply, int wordNumber);
};
