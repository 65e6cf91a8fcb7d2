#pragma once

#include <QString>
#include <QtGlobal>

// Judgement of the reply texts that sendFields returns. Positions are those of docs/protocols.md
// (counted from 1): Modbus replies carry the function code in characters 4-5 and an exception
// code in 6-7; Ravtocol replies carry '$' or '!' in character 4 and an error code in 5-6. The
// protocol index decides the reading: 2 is Ravtocol, every other index is read as Modbus.
namespace ReplyCheck
{

// The three failures are kept apart: nothing came back, the controller refused, or something
// came back that is neither an answer nor a refusal.
enum class Outcome {
    Good,         // the expected answer ("03" / "06", or '$')
    NoReply,      // the text is too short to hold the function code or '$' (usually empty)
    Refused,      // Modbus exception ("83" / "86") or Ravtocol '!'
    Unrecognised, // anything else
};

// Characters 4-5 of a Modbus reply (empty when the reply is shorter).
QString functionCode(const QString &reply);
// Nothing usable came back: character 4 is missing.
bool isNoReply(const QString &reply);

// A read ("03") and a write ("06") reply under the protocol index.
Outcome judgeRead(const QString &reply, qint16 protocolIndex);
Outcome judgeWrite(const QString &reply, qint16 protocolIndex);
bool isGoodRead(const QString &reply, qint16 protocolIndex);
bool isGoodWrite(const QString &reply, qint16 protocolIndex);

// The two-character exception (Modbus "83"/"86") or error (Ravtocol '!') code of a refusal;
// empty when the reply is no refusal.
QString errorCode(const QString &reply, qint16 protocolIndex);
// The refusal that means the controller's keys are being operated: Modbus exception "12",
// Ravtocol error "63".
bool isKeysOperated(const QString &reply, qint16 protocolIndex);

// First character of a vendor-frame reply.
enum class VendorReply {
    Accepted,      // ACK (0x06); a read carries its data word
    WriteRefused,  // NAK (0x15)
    ReadRefused,   // '!'
    NotUnderstood, // ESC (0x1B)
    None,          // empty or any other first character: no reply
};
VendorReply judgeVendor(const QString &reply);

} // namespace ReplyCheck
