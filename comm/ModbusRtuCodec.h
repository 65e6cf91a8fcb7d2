#pragma once

#include "comm/FrameCodec.h"

// Modbus RTU: station, function, data, CRC-16 low byte first. A reply's end comes from the length
// its function code and byte count give; it is rendered as the equivalent Modbus ASCII text.
class ModbusRtuCodec : public FrameCodec
{
public:
    QByteArray requestFrame(const FrameRequest &request) const override;
    FrameVerdict judge(const QByteArray &input, const FrameRequest &request) const override;
    bool needsFrameGap() const override { return true; }
};
