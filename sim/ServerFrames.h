#pragma once

#include "sim/SimConfig.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <optional>

// One complete request whose checksum was right, as the controller's side of the line reads it.
struct ServerRequest {
    int station = 0;
    // Modbus: the function code. Ravtocol: the two command characters packed high/low
    // ('R' << 8 | 'D'). Vendor frame: the command character.
    int command = 0;
    // Modbus: first register; Ravtocol: first data register; vendor frame: the item.
    quint16 address = 0;
    // Modbus 03: register count; Ravtocol: last data register.
    quint16 last = 0;
    // The data word of a write (numeric, whatever the byte order on the wire).
    std::optional<quint16> data;
    // The frame could be checked but not understood (Ravtocol or vendor frame of another form).
    bool malformed = false;
};

// The framings a request can come in: the three user protocols and the vendor frame.
enum class ServerFraming {
    ModbusAscii,
    ModbusRtu,
    Ravtocol,
    Vendor,
};

ServerFraming framingOf(WireProtocol protocol);

// Finds requests in the bytes arriving from the line, for one framing: ASCII framings by their
// start and end characters, RTU by the length the function code gives, each frame then checked by
// its checksum. Bytes that make no valid frame are dropped; a frame of another framing is noise
// here.
class ServerDecoder
{
public:
    explicit ServerDecoder(ServerFraming framing);

    ServerFraming framing() const { return m_framing; }
    void feed(const QByteArray &bytes);
    // The next complete, checked request, if one has arrived.
    std::optional<ServerRequest> next();
    // The line has been quiet longer than a frame gap: a partial frame will never be completed.
    void lineQuiet();
    void clear() { m_buffer.clear(); }

private:
    std::optional<ServerRequest> nextAsciiModbus();
    std::optional<ServerRequest> nextRtu();
    std::optional<ServerRequest> nextRavtocol();
    std::optional<ServerRequest> nextVendor();
    // Takes the text from the start character to the end character; leading bytes before the
    // start character are dropped. Empty while incomplete.
    QByteArray takeDelimited(char start, char end);

    ServerFraming m_framing;
    QByteArray m_buffer;
};

// Reply frames, checksums included. Data words are numeric; each framing orders their bytes.
namespace ServerReplies
{
QByteArray modbusRead(WireProtocol protocol, int station, const QList<quint16> &words);
QByteArray modbusWriteEcho(WireProtocol protocol, int station, quint16 address, quint16 value);
QByteArray modbusException(WireProtocol protocol, int station, int function, int code);
QByteArray ravtocolData(int station, const QList<quint16> &words);
QByteArray ravtocolError(int station, int code);
// replyCharacter: 0x06 ACK, 0x15 NAK, '!' or 0x1B ESC.
QByteArray vendor(char replyCharacter, int station, std::optional<quint16> word = std::nullopt);

// The number of terminator bytes after the checksum (two hex digits or two CRC bytes).
int terminatorLength(ServerFraming framing);
} // namespace ServerReplies
