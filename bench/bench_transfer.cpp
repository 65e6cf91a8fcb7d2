// A full upload (ReadPara_setflg) and a full download (the 52-step chain from a complete set)
// against the simulated controller on a pseudo-terminal, for each protocol at 9600 and 19200
// bit/s, beside the time the line allows for the same exchanges: every frame's characters at the
// character time, the controller's response delay after each answered request, the reply timeout
// after each one the protocol leaves unanswered (the vendor frame's return command), the
// 3.5-character silence before each Modbus RTU request, and the transfer's one 100 ms WaitTick.
//
// The simulated controller has every option that adds items: alarm 2, a three-phase heater
// burnout alarm, and the contact input with set values 2 to 4 (reached through the vendor frame).
//
//   bench-transfer [runs per row, default 1]

#include "base/MainView.h"
#include "base/OperatorInterface.h"
#include "base/ZN8P_INC.h"
#include "comm/Checksums.h"
#include "comm/ComLink.h"
#include "comm/FrameCodec.h"
#include "comm/RegisterMap.h"
#include "comm/RequestLayer.h"
#include "comm/SerialZN8PCom.h"
#include "polling/VendorFrameReads.h"
#include "sim/SimulatedController.h"
#include "transfer/OnlineStartRead.h"
#include "transfer/ParameterUpload.h"
#include "transfer/TransferJobs.h"
#include "transfer/WriteJournal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace
{

constexpr int ResponseDelayMs = 2;
constexpr double WaitTickSeconds = 0.1;

// The component, adding up the line time every exchange needs at the least.
class TimedCom : public SerialZN8PCom
{
public:
    TimedCom(const PortNames &ports, const LineConfig &line) : SerialZN8PCom(ports), m_line(line) {}

    QString SendRequest(const QString &station, const QString &subAddress, const QString &command,
                        const QString &address, const QString &data, int count,
                        const QString &spare) override
    {
        const QString reply =
            SerialZN8PCom::SendRequest(station, subAddress, command, address, data, count, spare);
        const bool rtu = m_mode == FrameMode::ModbusRtu;
        const qint64 requestChars =
            frameCodec(m_mode).requestFrame({station, subAddress, command, address, data}).size();
        // An RTU reply is rendered as ':' + hex pairs + LRC + CR LF; on the line it is the bytes
        // of the pairs plus two CRC bytes.
        const qint64 replyChars = rtu ? (reply.size() - 5) / 2 + 2 : reply.size();
        const qint64 character = m_line.characterMicros();
        lineMicros += double(character * (requestChars + (reply.isEmpty() ? 0 : replyChars)));
        lineMicros += reply.isEmpty() ? ReplyTimeout() * 1000.0 : ResponseDelayMs * 1000.0;
        if (rtu)
            lineMicros += double(LineTiming::rtuFrameGapMicros(
                m_line.speed, m_line.dataBits, m_line.parity != 'N', m_line.stopBits));
        ++exchanges;
        return reply;
    }
    void setFrameMode(FrameMode mode) override
    {
        m_mode = mode;
        SerialZN8PCom::setFrameMode(mode);
    }

    static inline double lineMicros = 0;
    static inline int exchanges = 0;

private:
    LineConfig m_line;
    FrameMode m_mode = FrameMode::ModbusAscii;
};

class SilentOperator : public OperatorInterface
{
public:
    void showMessage(const QList<int> &, MessageIcon) override { ++messages; }
    bool askYesNo(const QList<int> &, MessageIcon) override { return false; }
    void showText(int, const QString &, MessageIcon) override {}
    bool askYesNoText(int, const QString &, MessageIcon) override { return false; }
    void beep() override {}
    void setStatusPanel(int, const QString &) override {}
    void setMenuEnabled(MenuItem, bool) override {}
    void processEvents() override {}
    int messages = 0;
};

class CountingView : public NullMainView
{
public:
    void setCommErrorVisible(bool visible) override { commErrors += visible; }
    int commErrors = 0;
};

struct Protocol {
    const char *name;
    WireProtocol wire;
    qint16 index;
};

struct Figures {
    double seconds = 0;
    double boundSeconds = 0;
    int exchanges = 0;
};

// One protocol and speed: the upload, then the download of what it read, each runs times; the
// fastest run of each.
void measure(const Protocol &protocol, int speed, int runs)
{
    const bool rtu = protocol.wire == WireProtocol::ModbusRtu;
    SimulatedController::Options options;
    options.line.protocol = protocol.wire;
    options.line.speed = speed;
    options.line.dataBits = rtu ? 8 : 7;
    options.line.parity = rtu ? 'N' : 'E';
    options.line.responseDelayMs = ResponseDelayMs;
    options.model.heaterBreak = 3;
    options.model.contactInput = true;
    options.model.serialComm = false;
    SimulatedController sim(options);
    if (!sim.start()) {
        std::printf("%-13s %6d  simulator did not start\n", protocol.name, speed);
        return;
    }

    ZN8P_INC inc;
    inc.protocolIndex = inc.savedProtocolIndex = protocol.index;
    inc.speedText = QString::number(speed);
    inc.dataBitsText = rtu ? QStringLiteral("8") : QStringLiteral("7");
    inc.parityText = rtu ? QStringLiteral("NONE") : QStringLiteral("EVEN");
    inc.online = true;
    RegisterMap::fillRegisterTable(inc);
    RegisterMap::fillVendorItemTable(inc);
    const QString device = sim.slavePath();
    ComLink link([&] {
        auto com =
            std::make_unique<TimedCom>(PortNames({{QStringLiteral("COM1"), device}}), options.line);
        com->setPortName(QStringLiteral("COM1"));
        com->setSpeed(inc.speedText);
        com->setDataBits(inc.dataBitsText);
        com->setParity(inc.parityText);
        com->setReplyTimeout(300);
        return com;
    });
    if (!link.renew().OpenPort()) {
        std::printf("%-13s %6d  port does not open\n", protocol.name, speed);
        return;
    }
    SilentOperator op;
    CountingView view;
    RequestLayer request(inc, link);
    VendorFrameReads vendorReads(inc, request, link, op, view);
    ParameterUpload upload(inc, request, link, op, view, vendorReads);
    OnlineStartRead startRead(inc, request, link, op, view, upload);
    // The journal goes to a folder of its own that is dropped with the run.
    QTemporaryDir journalDir;
    WriteJournal journal(journalDir.path(), WriteJournal::Source::Znctl, op);
    TransferJobs transfer(inc, request, link, op, view, vendorReads, upload, startRead, journal);
    // The option and status words, as going online reads them.
    inc.unsavedOnlineChanges = true;
    startRead.Setdata_read();

    const auto timed = [&](const std::function<void()> &transferOnce) {
        Figures best;
        for (int run = 0; run < runs; ++run) {
            TimedCom::lineMicros = 0;
            TimedCom::exchanges = 0;
            QElapsedTimer clock;
            clock.start();
            transferOnce();
            const double seconds = double(clock.nsecsElapsed()) / 1e9;
            if (run == 0 || seconds < best.seconds)
                best = {seconds, TimedCom::lineMicros / 1e6 + WaitTickSeconds, TimedCom::exchanges};
        }
        return best;
    };
    const Figures up = timed([&] { upload.ReadPara_setflg(); });
    const ParameterDownload::Values values = inc.settingValues;
    const Figures down = timed([&] { transfer.download().download(values); });
    for (const auto &[name, f] : {std::pair{"upload", up}, std::pair{"download", down}})
        std::printf("%-13s %6d %-9s %9d %9.2f %9.2f %7.1f %%\n", protocol.name, speed, name,
                    f.exchanges, f.boundSeconds, f.seconds, 100.0 * f.boundSeconds / f.seconds);
    if (view.commErrors > 0 || op.messages > 0)
        std::printf("  (%d communication errors, %d messages)\n", view.commErrors, op.messages);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    std::printf("Full transfers against zn8p-sim (response delay %d ms, reply timeout 300 ms).\n",
                ResponseDelayMs);
    std::printf("%-13s %6s %-9s %9s %9s %9s %9s\n", "protocol", "bit/s", "transfer", "requests",
                "bound s", "took s", "of bound");
    const Protocol protocols[] = {{"Modbus ASCII", WireProtocol::ModbusAscii, ModbusAscii},
                                  {"Modbus RTU", WireProtocol::ModbusRtu, ModbusRtu},
                                  {"Ravtocol", WireProtocol::Ravtocol, Ravtocol}};
    for (const int speed : {9600, 19200}) {
        for (const Protocol &protocol : protocols)
            measure(protocol, speed, runs);
    }
    return 0;
}
