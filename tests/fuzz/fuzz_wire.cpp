// Every decoder of bytes from the line, on both ends. Input: a selector byte, a chunking byte, then
// the line bytes. Selector bits 0-1 pick the framing (Modbus ASCII, Modbus RTU, Ravtocol, vendor
// frame), bit 2 the end of the line (clear: the program's reply decoder, set: the simulator's
// request parser), bit 3 a write instead of a read, bit 4 the second station. The bytes are decoded
// whole and again in pieces whose sizes the chunking byte seeds: both must give the same frames,
// and every reply the program takes must be a reply it may take to the request it sent. Bit 5
// takes the bytes as a serial server's telnet stream instead (RFC 2217): cut anywhere (an IAC
// escape split across reads), it must give the same line bytes and commands as whole, and the
// line's bytes escaped must come back unchanged.

#include "comm/Checksums.h"
#include "comm/FrameCodec.h"
#include "comm/FrameText.h"
#include "comm/ModbusPdu.h"
#include "comm/ReplyCheck.h"
#include "comm/TelnetCodec.h"
#include "sim/ServerFrames.h"

#include <QStringList>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <vector>

namespace
{

// A failed property stops the run, so that libFuzzer keeps the input that broke it.
void require(bool ok, const char *what)
{
    if (ok)
        return;
    std::fprintf(stderr, "property failed: %s\n", what);
    std::abort();
}

enum Framing { Ascii, Rtu, Ravtocol, Vendor };

constexpr FrameMode Modes[] = {FrameMode::ModbusAscii, FrameMode::ModbusRtu, FrameMode::Ravtocol,
                               FrameMode::Vendor};
constexpr ServerFraming ServerFramings[] = {ServerFraming::ModbusAscii, ServerFraming::ModbusRtu,
                                            ServerFraming::Ravtocol, ServerFraming::Vendor};

// Requests as the request layer frames them, by framing, read/write and station.
const FrameRequest Requests[4][2][2] = {
    {{{"01", "", "03", "00800001", ""}, {"0A", "", "03", "00010001", ""}},
     {{"01", "", "06", "0070", "0001"}, {"0A", "", "06", "0000", "4C1A"}}},
    {{{"01", "", "03", "00800001", ""}, {"0A", "", "03", "00010001", ""}},
     {{"01", "", "06", "0070", "0001"}, {"0A", "", "06", "0000", "4C1A"}}},
    {{{"01", "", "RD", "0010200102", ""}, {"10", "", "RD", "0010200102", ""}},
     {{"01", "", "WD", "0032400324", "0100"}, {"10", "", "WD", "0010000100", "1A4C"}}},
    {{{"!", " ", "a", "FC32", ""}, {"*", " ", " ", "FF13", ""}},
     {{"!", " ", "q", "FC30", "012C"}, {"*", " ", "P", "0070", "0001"}}},
};

// Piece sizes from 1 to 16 bytes, a fixed sequence for each seed.
class Chunks
{
public:
    explicit Chunks(quint8 seed) : m_state(seed) {}
    int next()
    {
        m_state = m_state * 1103515245u + 12345u;
        return 1 + int((m_state >> 16) % 16);
    }

private:
    quint32 m_state;
};

bool sameText(const QString &a, const QByteArray &b)
{
    return a.compare(QString::fromLatin1(b), Qt::CaseInsensitive) == 0;
}

void checkOutcome(const QString &reply, int framing, bool write, bool refused)
{
    const ReplyCheck::Outcome outcome = write ? ReplyCheck::judgeWrite(reply, qint16(framing))
                                              : ReplyCheck::judgeRead(reply, qint16(framing));
    require(outcome == (refused ? ReplyCheck::Outcome::Refused : ReplyCheck::Outcome::Good),
            "the reply check reads the reply as the decoder took it");
}

// A Modbus reply in its rendered form: LRC, station, function, and the length the request gives.
void checkModbus(const QString &reply, const FrameRequest &request, bool write, int framing)
{
    require(reply.startsWith(':') && reply.endsWith("\r\n") && reply.size() % 2 == 1, "shape");
    const QByteArray hex = reply.mid(1, reply.size() - 3).toLatin1();
    const QByteArray bytes = QByteArray::fromHex(hex);
    require(FrameText::isHex(hex) && bytes.size() >= 4, "hex digits");
    const QByteArray adu = bytes.chopped(1);
    const QByteArray head = ModbusPdu::requestAdu(request);
    require(Checksums::lrc(adu) == quint8(bytes.back()), "LRC");
    require(adu[0] == head[0], "station");
    if (quint8(adu[1]) == (quint8(head[1]) | 0x80)) {
        require(adu.size() == 3, "exception length");
        return checkOutcome(reply, framing, write, true);
    }
    require(adu[1] == head[1], "function");
    if (write) {
        require(adu == head, "a write reply echoes register and value");
    } else {
        require(adu.size() == 5 && adu[2] == 2, "a one-register read carries one word");
        require(sameText(replyWord(reply, 1), adu.mid(3, 2).toHex()), "word 1");
    }
    checkOutcome(reply, framing, write, false);
}

// '@' station '$' words | '!' code, BCC, CR.
void checkRavtocol(const QByteArray &frame, const FrameRequest &request, bool write)
{
    const int bcc = int(frame.size()) - 3;
    require(frame.size() >= 7 && frame.startsWith('@') && frame.endsWith('\r'), "shape");
    require(frame.mid(1, 2) == request.station.toLatin1(), "station");
    require(FrameText::hexByte(frame, bcc) == Checksums::ravtocolBcc(frame.left(bcc)), "BCC");
    const QByteArray body = frame.mid(3, bcc - 3);
    const QString reply = QString::fromLatin1(frame);
    if (body.startsWith('!')) {
        require(body.size() == 3 && std::isdigit(body[1]) && std::isdigit(body[2]), "error code");
        return checkOutcome(reply, Ravtocol, write, true);
    }
    require(body == "$" || (!write && body.size() == 5 && FrameText::isHex(body.mid(1))),
            "a read carries one word, a write none");
    if (!write)
        require(sameText(replyWord(reply, 1), body.mid(3, 2) + body.mid(1, 2)), "word 1");
    checkOutcome(reply, Ravtocol, write, false);
}

// Reply character, station, [word], BCC, ETX.
void checkVendor(const QByteArray &frame, const FrameRequest &request, bool write)
{
    const int bcc = int(frame.size()) - 3;
    require(frame.size() >= 5 && QByteArray("\x06\x15!\x1b").contains(frame[0]) &&
                frame.endsWith('\x03'),
            "shape");
    require(frame.mid(1, 1) == request.station.toLatin1(), "station");
    require(FrameText::hexByte(frame, bcc) == Checksums::vendorBcc(frame.mid(1, bcc - 1)), "BCC");
    const QByteArray data = frame.mid(2, bcc - 2);
    const QString reply = QString::fromLatin1(frame);
    require(ReplyCheck::judgeVendor(reply) != ReplyCheck::VendorReply::None, "reply character");
    const bool readData = frame[0] == '\x06' && !write;
    require(readData ? data.size() == 4 && FrameText::isHex(data) : data.isEmpty(),
            "an accepted read carries one word, any other reply none");
    if (readData)
        require(sameText(replyWord(reply, 1), data), "word 1");
}

void checkReply(int framing, const FrameRequest &request, bool write, const QByteArray &frame,
                const QString &reply)
{
    switch (framing) {
    case Ascii:
        require(reply == QString::fromLatin1(frame), "rendered as received");
        return checkModbus(reply, request, write, framing);
    case Rtu:
        require(frame.size() >= 4 &&
                    Checksums::crc16(frame.chopped(2)) ==
                        (quint8(frame[frame.size() - 2]) | quint8(frame.back()) << 8),
                "CRC");
        require(reply == ModbusPdu::asciiText(frame.chopped(2)), "rendered as Modbus ASCII");
        return checkModbus(reply, request, write, framing);
    case Ravtocol:
        require(reply == QString::fromLatin1(frame), "rendered as received");
        return checkRavtocol(frame, request, write);
    default:
        require(reply == QString::fromLatin1(frame), "rendered as received");
        return checkVendor(frame, request, write);
    }
}

// The program's receive loop over what has arrived: noise dropped, each complete reply taken.
void takeReplies(int framing, const FrameRequest &request, bool write, QByteArray &input,
                 QStringList &replies)
{
    const FrameCodec &codec = frameCodec(Modes[framing]);
    while (!input.isEmpty()) {
        const FrameVerdict verdict = codec.judge(input, request);
        if (verdict.kind == FrameVerdict::Incomplete)
            return;
        require(verdict.length > 0 && verdict.length <= input.size(), "verdict length");
        if (verdict.kind == FrameVerdict::Complete) {
            checkReply(framing, request, write, input.left(verdict.length), verdict.reply);
            replies += verdict.reply;
        }
        input.remove(0, verdict.length);
    }
}

void fuzzReplies(int framing, bool write, bool secondStation, const QByteArray &line, quint8 seed)
{
    const FrameRequest &request = Requests[framing][write][secondStation];
    QStringList whole, pieces;
    QByteArray input = line;
    takeReplies(framing, request, write, input, whole);
    const QByteArray wholeRest = input;

    input.clear();
    Chunks chunks(seed);
    for (int at = 0; at < line.size();) {
        const int size = chunks.next();
        input += line.mid(at, size);
        at += size;
        takeReplies(framing, request, write, input, pieces);
    }
    require(whole == pieces && wholeRest == input, "pieces decode as the whole");
}

using Fields = std::tuple<int, int, quint16, quint16, std::optional<quint16>, bool>;

std::vector<Fields> drain(ServerDecoder &decoder)
{
    std::vector<Fields> requests;
    while (const std::optional<ServerRequest> r = decoder.next())
        requests.emplace_back(r->station, r->command, r->address, r->last, r->data, r->malformed);
    return requests;
}

void fuzzRequests(int framing, const QByteArray &line, quint8 seed)
{
    ServerDecoder whole(ServerFramings[framing]);
    whole.feed(line);
    const std::vector<Fields> expected = drain(whole);

    ServerDecoder pieces(ServerFramings[framing]);
    std::vector<Fields> got;
    Chunks chunks(seed);
    for (int at = 0; at < line.size();) {
        const int size = chunks.next();
        pieces.feed(line.mid(at, size));
        at += size;
        const std::vector<Fields> more = drain(pieces);
        got.insert(got.end(), more.begin(), more.end());
    }
    require(got == expected, "pieces decode as the whole");
}

void fuzzTelnet(const QByteArray &stream, quint8 seed)
{
    TelnetCodec whole;
    const QByteArray data = whole.decode(stream);
    const QList<TelnetCodec::Command> commands = whole.takeCommands();
    TelnetCodec pieces;
    QByteArray pieceData;
    QList<TelnetCodec::Command> pieceCommands;
    Chunks chunks(seed);
    for (int at = 0; at < stream.size();) {
        const int length = chunks.next();
        pieceData += pieces.decode(stream.mid(at, length));
        pieceCommands += pieces.takeCommands();
        at += length;
    }
    require(pieceData == data, "telnet line bytes depend on how the stream was cut");
    require(pieceCommands == commands, "telnet commands depend on how the stream was cut");
    for (const TelnetCodec::Command &command : commands)
        require(command.payload.size() <= TelnetCodec::MaxPayload, "subnegotiation unbounded");
    TelnetCodec escaped;
    require(escaped.decode(TelnetCodec::escape(stream)) == stream &&
                escaped.takeCommands().isEmpty(),
            "escaped line bytes do not come back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int selector = data[0];
    const QByteArray line(reinterpret_cast<const char *>(data) + 2, int(size) - 2);
    if (selector & 32)
        fuzzTelnet(line, data[1]);
    else if (selector & 4)
        fuzzRequests(selector & 3, line, data[1]);
    else
        fuzzReplies(selector & 3, selector & 8, selector & 16, line, data[1]);
    return 0;
}
