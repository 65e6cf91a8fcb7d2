#pragma once

#include <QString>
#include <QtGlobal>

// Text forms of the 16-bit data words carried in request and reply data fields.
namespace DataWord
{
// The value's 16-bit two's-complement form as four upper-case hexadecimal digits, high byte
// first: 1 -> "0001", -1 -> "FFFF".
QString toHex(qint16 value);
// Exchanges the two bytes of a four-digit word text ("0001" -> "0100"); the Ravtocol data field
// carries the low byte first. Any other length is returned unchanged.
QString swapBytes(const QString &word);
// The data field for a write of value under the protocol index: byte-swapped for Ravtocol,
// high byte first otherwise.
QString dataField(qint16 value, qint16 protocolIndex);
// Reads up to four hexadecimal digits as a signed 16-bit value ("FFFF" -> -1, "7FFF" -> 32767).
// ok (when given) is false for an empty or non-hexadecimal text, which gives 0.
qint16 fromHex(const QString &word, bool *ok = nullptr);
} // namespace DataWord
