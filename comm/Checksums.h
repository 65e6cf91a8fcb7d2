#pragma once

#include <QByteArray>
#include <QtGlobal>

// Checksums of the four framings (docs/protocols.md).
namespace Checksums
{
// Modbus ASCII LRC: two's complement of the 8-bit sum of the bytes.
quint8 lrc(const QByteArray &bytes);
// Modbus RTU CRC-16 (reflected 0xA001, initial 0xFFFF); sent low byte first.
quint16 crc16(const QByteArray &bytes);
// Ravtocol BCC: 8-bit sum of the characters.
quint8 ravtocolBcc(const QByteArray &characters);
// Vendor frame BCC: exclusive-or of the characters.
quint8 vendorBcc(const QByteArray &characters);
// Two upper-case hexadecimal digits.
QByteArray hex2(quint8 value);
} // namespace Checksums

// Line timing for one set of line parameters.
struct LineTiming {
    // Bits of one character on the line: start bit, data bits, parity bit (unless none), stop bits.
    static int bitsPerCharacter(int dataBits, bool parity, int stopBits);
    // Microseconds one character takes at the given speed in bit/s.
    static qint64 characterMicros(int speed, int dataBits, bool parity, int stopBits);
    // The Modbus RTU inter-frame silence: 3.5 character times, fixed 1750 us above 19200 bit/s.
    static qint64 rtuFrameGapMicros(int speed, int dataBits, bool parity, int stopBits);
    // Milliseconds from writing a request of requestBytes characters until its reply must be
    // complete: the reply wait counts from the moment the request has left the line, since the
    // controller cannot answer before its last character has arrived.
    static qint64 replyDeadlineMs(int replyWaitMs, qint64 characterMicros, int requestBytes);
};
