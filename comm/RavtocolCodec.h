#pragma once

#include "comm/FrameCodec.h"

// Ravtocol: '@' station command registers [data] BCC CR. A reply ends at its CR.
class RavtocolCodec : public FrameCodec
{
public:
    QByteArray requestFrame(const FrameRequest &request) const override;
    FrameVerdict judge(const QByteArray &input, const FrameRequest &request) const override;
    // Word n of a '$' reply, swapped back to high byte first; empty for any other reply.
    static QString replyWord(const QString &reply, int wordNumber);
};
