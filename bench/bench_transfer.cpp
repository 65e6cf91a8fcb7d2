// A full upload (uploadAll) and a full download (the 52-step chain from a complete set)
// against the simulated controller on a pseudo-terminal, for each protocol at 9600 and 19200
// bit/s, beside the time the line allows for the same exchanges: every frame's characters at the
// character time, the controller's response delay after each answered request, the reply timeout
// after each one the protocol leaves unanswered (the vendor frame's return command), the
// 3.5-character silence before each Modbus RTU request, and the transfer's one 100 ms
// pauseForEvents.
//
// The simulated controller has every option that adds items: alarm 2, a three-phase heater
// burnout alarm, and the contact input with set values 2 to 4 (reached through the vendor frame).
//
//   bench-transfer [runs per row, default 1]

#include "BenchSession.h"
#include "base/SessionState.h"
#include "comm/SerialCommComponent.h"
#include "sim/SimulatedController.h"
#include "transfer/OnlineStartRead.h"
#include "transfer/ParameterDownload.h"
#include "transfer/ParameterUpload.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace
{

constexpr double PauseSeconds = 0.1;

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
    SimulatedController::Options options;
    options.line = benchLine(protocol.wire, speed);
    options.model.heaterBreak = 3;
    options.model.contactInput = true;
    options.model.serialComm = false;
    SimulatedController sim(options);
    if (!sim.start()) {
        std::printf("%-13s %6d  simulator did not start\n", protocol.name, speed);
        return;
    }

    BenchSession session(protocol.index, speed, sim.slavePath(),
                         [](PortNames names) { return std::make_unique<CountingCom>(names); });
    if (!session.open()) {
        std::printf("%-13s %6d  port does not open\n", protocol.name, speed);
        return;
    }
    SessionState &shared = session.shared;
    shared.online = true;
    OnlineStartRead &startRead = session.core.onlineStartRead;
    ParameterUpload &upload = session.core.upload;
    // The option and status words, as going online reads them.
    shared.unsavedOnlineChanges = true;
    startRead.readAtOnlineStart();

    const auto timed = [&](const std::function<void()> &transferOnce) {
        Figures best;
        for (int run = 0; run < runs; ++run) {
            CountingCom::reset();
            QElapsedTimer clock;
            clock.start();
            transferOnce();
            const double seconds = double(clock.nsecsElapsed()) / 1e9;
            if (run == 0 || seconds < best.seconds)
                best = {seconds,
                        countedLineSeconds(speed, options.line.dataBits, options.line.stopBits,
                                           protocol.wire == WireProtocol::ModbusRtu) +
                            PauseSeconds,
                        int(CountingCom::exchanges)};
        }
        return best;
    };
    const Figures up = timed([&] { upload.uploadAll(); });
    const ParameterDownload::Values values = shared.settingValues;
    const Figures down = timed([&] { session.core.download.download(values); });
    for (const auto &[name, f] : {std::pair{"upload", up}, std::pair{"download", down}})
        std::printf("%-13s %6d %-9s %9d %9.2f %9.2f %7.1f %%\n", protocol.name, speed, name,
                    f.exchanges, f.boundSeconds, f.seconds, 100.0 * f.boundSeconds / f.seconds);
    if (session.view.commErrors > 0 || session.op.messages > 0)
        std::printf("  (%d communication errors, %d messages)\n", session.view.commErrors,
                    session.op.messages);
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
