#include "VendorFrameWrites.h"

#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/ControllerCodes.h"
#include "comm/DataWord.h"
#include "comm/ParameterTable.h"
#include "comm/ReplyCheck.h"
#include "comm/RequestLayer.h"
#include "comm/VendorFrameSession.h"
#include "transfer/WriteOutcome.h"

namespace
{

// Alarm types above this one are the "with standby" types.
constexpr qint16 LastTypeWithoutStandby = 6;
// Largest AT bias (tenths of a degree) that a tenth-degree input takes in its register below
// the direct mode.
constexpr qint16 LargestDirectTenthBias = 50;

constexpr int Alarm1StandbyIndex = 18; // FF1A in vendorItemTable
constexpr int Alarm2StandbyIndex = 19; // FF1B

const QString WriteItem = QStringLiteral("q");
const QString WriteCopy = QStringLiteral("r");
const QString ReadMemoryNumber = QString(QChar(96));

constexpr QChar Ack = QChar(0x06);
constexpr QChar Nak = QChar(0x15);
constexpr QChar Esc = QChar(0x1B);

// The memory number (0 main set value, 1 to 3 set values 2 to 4) that selects the set value of
// code; -1 for the contact input function.
int memoryNumberOf(int code)
{
    switch (code) {
    case 11:
        return 0;
    case 58:
    case 59:
    case 60:
        return code - 57;
    default:
        return -1;
    }
}

} // namespace

VendorFrameWrites::VendorFrameWrites(const SessionContext &context, VendorFrameSession &exchange)
    : m_shared(context.shared), m_request(context.request), m_link(context.link), m_op(context.op),
      m_exchange(exchange), m_reporter(context)
{
}

bool VendorFrameWrites::atBiasNeedsVendorFrame(int inputType, qint16 bias)
{
    return InputType::isTenth(inputType) && bias > LargestDirectTenthBias;
}

Reply VendorFrameWrites::writeSetValue(int code, const QString &data)
{
    Reply reply;
    m_exchange.runExchange([&] {
        readMemoryNumber();
        const bool contactInput = m_shared.optionWord() & 0x01;
        const bool setValuesSelectable = m_shared.setting(Code::ContactInputFunction) == 0;
        bool write = false;
        switch (code) {
        case 11:
        case Code::ContactInputFunction:
            write = true;
            break;
        case 58:
            write = contactInput;
            break;
        case 59:
        case 60:
            write = contactInput && setValuesSelectable;
            break;
        default:
            break;
        }
        if (!write)
            return;
        reply = writePair(code, data);
        // The memory number just read (code 64) tells which set value is in use; the standby
        // must be re-armed only when that one changed. (Code 17 is the proportional cycle and
        // says nothing about the memory in use.)
        if (memoryNumberOf(code) >= 0 &&
            memoryNumberOf(code) == m_shared.setting(Code::MemoryNumber))
            rearmAlarmStandby();
    });
    return reply;
}

Reply VendorFrameWrites::writeOutputItem(int code, const QString &data)
{
    Reply reply;
    m_exchange.runExchange([&] {
        if (code == Code::AbnormalOutput || code == Code::OutOffKey)
            reply = writePair(code, data);
    });
    return reply;
}

bool VendorFrameWrites::writeAtBias(ItemOutcome &record, const QString &data)
{
    m_reporter.read(m_request.read(m_shared.registerTable.at(Code::ModeRegister)),
                    Code::ModeRegister);
    if (m_shared.setting(Code::ModeRegister) >= DirectAtBiasMode)
        return false;
    // sendAtBias() reports its own replies, through the vendor frame or directly.
    const Reply reply = sendAtBias(data);
    if (atbThroughVendorFrame(record.sent))
        WriteReply::judgeVendor(record, reply);
    else
        WriteReply::judge(record, reply, m_shared.protocolIndex);
    return true;
}

bool VendorFrameWrites::atbThroughVendorFrame(qint16 bias) const
{
    return m_shared.setting(Code::ModeRegister) < DirectAtBiasMode &&
           atBiasNeedsVendorFrame(m_shared.setting(Code::InputType), bias);
}

Reply VendorFrameWrites::sendAtBias(const QString &data)
{
    m_reporter.read(m_request.read(m_shared.registerTable.at(Code::ModeRegister)),
                    Code::ModeRegister);
    // The vendor frame carries its data high byte first in every protocol.
    const QString vendorData =
        m_shared.protocolIndex == Ravtocol ? DataWord::swapBytes(data) : data;
    if (!atbThroughVendorFrame(DataWord::fromHex(vendorData))) {
        const Reply reply = m_request.write(m_shared.registerTable.at(Code::AtBias), data);
        m_reporter.write(reply);
        return reply;
    }
    Reply reply;
    m_exchange.runExchange([&] { reply = writePair(Code::AtBias, vendorData); });
    return reply;
}

void VendorFrameWrites::readMemoryNumber()
{
    const QString &item =
        m_shared.vendorItemTable.at(ParameterTable::vendorItemIndex(Code::MemoryNumber));
    const Reply reply = m_request.send(ReadMemoryNumber, item, QString());
    const QChar first = reply.text.isEmpty() ? QChar() : reply.text.at(0);
    if (first == Ack) {
        ParameterTable::storeReadWord(m_shared, m_link.com(), reply.text, Code::MemoryNumber);
        m_op.setStatusPanel(1, QStringLiteral("OK"));
    } else if (first == QLatin1Char('!') || first == Esc) {
        m_op.setStatusPanel(1, QStringLiteral("NG"));
    }
}

void VendorFrameWrites::judgeVendorWrite(const Reply &reply)
{
    m_shared.commErrorFlag = false;
    const QChar first = reply.text.isEmpty() ? QChar() : reply.text.at(0);
    if (first == Ack)
        m_op.setStatusPanel(1, QStringLiteral("OK"));
    else if (first == Nak || first == Esc)
        m_op.setStatusPanel(1, QStringLiteral("NG"));
}

Reply VendorFrameWrites::writePair(int code, const QString &data)
{
    sendTwice(WriteItem, m_shared.vendorItemTable.at(ParameterTable::vendorItemIndex(code)), data);
    return sendTwice(WriteCopy, m_shared.vendorItemTable.at(ParameterTable::vendorCopyIndex(code)),
                     data);
}

Reply VendorFrameWrites::sendTwice(const QString &command, const QString &item, const QString &data)
{
    const Reply first = m_request.send(command, item, data);
    const Reply second = m_request.send(command, item, data);
    // The same data twice: an ACK to either means the item took it, whatever the other reply.
    const bool firstTook = ReplyCheck::judgeVendor(first.text) == ReplyCheck::VendorReply::Accepted;
    const bool secondTook =
        ReplyCheck::judgeVendor(second.text) == ReplyCheck::VendorReply::Accepted;
    const Reply reply = firstTook && !secondTook ? first : second;
    judgeVendorWrite(reply);
    return reply;
}

void VendorFrameWrites::rearmAlarmStandby()
{
    const QString cleared = QStringLiteral("0000");
    if (m_shared.setting(Code::Alarm1Type) > LastTypeWithoutStandby)
        sendTwice(WriteItem, m_shared.vendorItemTable.at(Alarm1StandbyIndex), cleared);
    if (m_shared.setting(Code::Alarm2Type) > LastTypeWithoutStandby)
        sendTwice(WriteItem, m_shared.vendorItemTable.at(Alarm2StandbyIndex), cleared);
}
