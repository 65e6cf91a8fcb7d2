#pragma once

#include "comm/FrameCodec.h"

// Modbus ASCII: ':' ... LRC CR LF. A reply ends at its LF; a ':' inside a frame restarts it.
class ModbusAsciiCodec : public FrameCodec
{
public:
    QByteArray requestFrame(const FrameRequest &request) const override;
    FrameVerdict judge(const QByteArray &input, const FrameRequest &request) const override;
};
