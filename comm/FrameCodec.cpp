#include "FrameCodec.h"

#include "comm/ModbusAsciiCodec.h"
#include "comm/ModbusPdu.h"
#include "comm/ModbusRtuCodec.h"
#include "comm/RavtocolCodec.h"
#include "comm/VendorCodec.h"

const FrameCodec &frameCodec(FrameMode mode)
{
    static const VendorCodec vendor;
    static const RavtocolCodec ravtocol;
    static const ModbusAsciiCodec modbusAscii;
    static const ModbusRtuCodec modbusRtu;
    switch (mode) {
    case FrameMode::Ravtocol:
        return ravtocol;
    case FrameMode::ModbusAscii:
        return modbusAscii;
    case FrameMode::ModbusRtu:
        return modbusRtu;
    case FrameMode::Vendor:
        break;
    }
    return vendor;
}

QString replyWord(const QString &reply, int wordNumber)
{
    if (reply.isEmpty())
        return {};
    switch (reply.at(0).unicode()) {
    case ':':
        return ModbusPdu::replyWord(reply, wordNumber);
    case '@':
        return RavtocolCodec::replyWord(reply, wordNumber);
    default:
        return VendorCodec::replyWord(reply, wordNumber);
    }
}
