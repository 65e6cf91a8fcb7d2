#pragma once

#include "comm/FrameCodec.h"

#include <QByteArray>
#include <QString>

// What both Modbus framings share: the bytes a request stands for, the length of a reply from
// its own head, and the text form of a frame. An ADU here is station byte, function byte and
// data, without checksum.
namespace ModbusPdu
{
// Station, function, address and data fields as bytes; empty unless station and command are two
// hexadecimal digits each and the whole is hexadecimal of even length.
QByteArray requestAdu(const FrameRequest &request);
// Length of the reply ADU that the head of adu announces, for a request to station with
// function: 3 + byte count for 03, 6 for 06, 3 for an exception (function | 0x80). 0 when more
// bytes are needed to tell, -1 when the head is no reply to that request.
int replyLength(const QByteArray &adu, quint8 station, quint8 function);
// True when the whole reply ADU answers the request ADU and no other: an exception, a 03 reply
// whose byte count is twice the registers asked for, or a 06 reply that echoes the register and
// value written. A reply to an earlier request of the same station and function, or one that
// carries more or fewer words than asked for, fails here although its checksum is right.
bool answersRequest(const QByteArray &reply, const QByteArray &request);
// Why the head of adu is no reply from station: another station, or another function.
ReplyVerdict mismatch(const QByteArray &adu, quint8 station);
// Why a checked reply of the right station and function fails answersRequest: a read reply with
// another number of words has the wrong length; a write echo of another register or value
// answers an earlier write.
ReplyVerdict notTheAnswer(const QByteArray &request);
// ':', the ADU as hexadecimal digits, its LRC, CR LF: the Modbus ASCII frame of adu.
QString asciiText(const QByteArray &adu);
// Data word n of a rendered Modbus reply: after the byte count for 03, after the function code
// otherwise; only within the data, never from the LRC.
QString replyWord(const QString &reply, int wordNumber);
} // namespace ModbusPdu
