// Request rate and reply turnaround of the serial component over a pseudo-terminal, against a
// peer that answers a one-register read at line speed: it waits while the request would be on
// the line, then its response delay, then sends the reply one character per character time.
//
// Printed per framing and speed: the rate the line allows (request + reply characters, the peer's
// delay and, for RTU, the 3.5-character silence), the rate measured, and the time from the peer
// writing the reply's last byte to sendRequest returning (median, 99th percentile). Then what an
// unanswered probe of the automatic search costs against its bound: the 300 ms reply timeout after
// the probe has crossed the line.
//
//   bench-comm [requests per row, default 100]

#include "comm/Checksums.h"
#include "comm/FrameCodec.h"
#include "comm/SerialCommComponent.h"
#include "tests/support/Pty.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;
constexpr auto ResponseDelay = std::chrono::microseconds(2000);

struct Row {
    const char *name;
    FrameMode mode;
    FrameRequest request;
    QByteArray reply;
    PtyPeer::RequestEnd requestEnd;
};

QByteArray rtuReply()
{
    const QByteArray adu = QByteArray::fromHex("01030200FA");
    const quint16 crc = Checksums::crc16(adu);
    return adu + char(crc & 0xFF) + char(crc >> 8);
}

std::vector<Row> rows()
{
    return {
        {"Modbus ASCII",
         FrameMode::ModbusAscii,
         {"01", "", "03", "00800001", ""},
         ":01030200FA00\r\n",
         PtyPeer::endsWith('\n')},
        {"Modbus RTU",
         FrameMode::ModbusRtu,
         {"01", "", "03", "00800001", ""},
         rtuReply(),
         PtyPeer::hasLength(8)},
        {"Ravtocol",
         FrameMode::Ravtocol,
         {"01", "", "RD", "0042000420", ""},
         "@01$FA00AC\r",
         PtyPeer::endsWith('\r')},
        {"vendor frame",
         FrameMode::Vendor,
         {"!", " ", "a", "FC32", ""},
         "\x06!01F452\x03",
         PtyPeer::endsWith('\x03')},
    };
}

qint64 percentile(std::vector<qint64> values, double fraction)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size())));
    return values[index];
}

void run(const Row &row, int speed, int requests)
{
    // Modbus RTU needs 8 data bits; the text framings run at the program's default 7E1.
    const bool rtu = row.mode == FrameMode::ModbusRtu;
    const int dataBits = rtu ? 8 : 7;
    const qint64 charMicros = LineTiming::characterMicros(speed, dataBits, true, 1);
    const QByteArray request = frameCodec(row.mode).requestFrame(row.request);

    Pty pty;
    if (!pty.isOpen()) {
        std::printf("%-13s %6d  no pseudo-terminal\n", row.name, speed);
        return;
    }
    SerialCommComponent com(PortNames({{"COM1", pty.slavePath()}}));
    com.setSpeed(QString::number(speed));
    com.setDataBits(QString::number(dataBits));
    com.setFrameMode(row.mode);
    com.setReplyTimeout(300);
    if (!com.openPort()) {
        std::printf("%-13s %6d  port does not open\n", row.name, speed);
        return;
    }
    PtyPeer peer(pty, row.requestEnd, [&](const QByteArray &received) {
        PeerAnswer answer = PeerAnswer::reply(row.reply);
        answer.delay = std::chrono::microseconds(charMicros * received.size()) + ResponseDelay;
        answer.charMicros = charMicros;
        return answer;
    });

    std::vector<Clock::time_point> returned;
    int good = 0;
    const auto start = Clock::now();
    for (int i = 0; i < requests; ++i) {
        com.prepareSend();
        const QString reply =
            com.sendRequest(row.request.station, row.request.subAddress, row.request.command,
                            row.request.address, row.request.data)
                .text;
        returned.push_back(Clock::now());
        if (!reply.isEmpty())
            ++good;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    peer.stop();

    const std::vector<Clock::time_point> lastBytes = peer.answerTimes();
    std::vector<qint64> turnaround;
    for (size_t i = 0; i < std::min(lastBytes.size(), returned.size()); ++i)
        turnaround.push_back(
            std::chrono::duration_cast<std::chrono::microseconds>(returned[i] - lastBytes[i])
                .count());

    const qint64 gapMicros = rtu ? LineTiming::rtuFrameGapMicros(speed, dataBits, true, 1) : 0;
    const qint64 boundMicros =
        charMicros * (request.size() + row.reply.size()) + ResponseDelay.count() + gapMicros;
    std::printf("%-13s %6d %4d %4d %8lld %10.1f %10.1f %8lld %8lld %6d/%d\n", row.name, speed,
                int(request.size()), int(row.reply.size()), static_cast<long long>(charMicros),
                1e6 / double(boundMicros), double(requests) / seconds,
                static_cast<long long>(percentile(turnaround, 0.5)),
                static_cast<long long>(percentile(turnaround, 0.99)), good, requests);
}

// What the automatic search pays per unanswered probe: probes to instrument numbers 1, 2, ... of
// a framing on a line where nothing answers, each with the 300 ms reply timeout.
void searchCost(const Row &row, int probes)
{
    Pty pty;
    SerialCommComponent com(PortNames({{"COM1", pty.slavePath()}}));
    com.setFrameMode(row.mode);
    const bool rtu = row.mode == FrameMode::ModbusRtu;
    com.setDataBits(rtu ? "8" : "7");
    com.setReplyTimeout(300);
    if (!pty.isOpen() || !com.openPort()) {
        std::printf("%-13s  port does not open\n", row.name);
        return;
    }
    PtyPeer peer(pty, row.requestEnd, [](const QByteArray &) { return PeerAnswer::silence(); });
    const auto start = Clock::now();
    for (int number = 1; number <= probes; ++number) {
        const QString station = row.mode == FrameMode::Ravtocol
                                    ? QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'))
                                    : QStringLiteral("%1").arg(number, 2, 16, QLatin1Char('0'));
        com.prepareSend();
        com.sendRequest(station, row.request.subAddress, row.request.command, row.request.address,
                        row.request.data);
    }
    const double perProbe =
        std::chrono::duration<double, std::milli>(Clock::now() - start).count() / probes;
    // The timeout runs from when the request has left the line.
    const double bound = 300.0 + double(LineTiming::characterMicros(9600, rtu ? 8 : 7, true, 1) *
                                        frameCodec(row.mode).requestFrame(row.request).size()) /
                                     1000.0;
    std::printf("%-13s %6d %10.1f %10.1f %9.2f %%\n", row.name, probes, bound, perProbe,
                100.0 * (perProbe - bound) / bound);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int requests = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;

    std::printf("One-register reads, peer response delay %lld us; turnaround = last reply byte "
                "written -> sendRequest returned.\n",
                static_cast<long long>(ResponseDelay.count()));
    std::printf("%-13s %6s %4s %4s %8s %10s %10s %8s %8s %8s\n", "framing", "bit/s", "req", "rep",
                "char us", "bound/s", "req/s", "med us", "p99 us", "good");
    for (int speed : {9600, 19200}) {
        for (const Row &row : rows())
            run(row, speed, requests);
    }

    std::printf("\nAutomatic search: unanswered probes to successive instrument numbers, 9600 "
                "bit/s, reply timeout 300 ms.\n");
    std::printf("%-13s %6s %10s %10s %10s\n", "framing", "probes", "bound ms", "ms/probe", "over");
    for (const Row &row : rows()) {
        if (row.mode != FrameMode::Vendor)
            searchCost(row, std::clamp(requests / 5, 5, 40));
    }
    return 0;
}
