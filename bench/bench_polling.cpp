// Monitor polls per second through the whole job-1 path of the polling cycle (request, reply
// check, value store, status check, monitorPanelState) against the simulated controller on a
// pseudo-terminal, for each protocol at 9600 and 19200 bit/s, beside the rate the line allows
// for the same frames. Then the same one-register reads made by mbpoll (libmodbus) against the
// same simulator in Modbus RTU, as a ratio to ours.
//
//   bench-polling [seconds per row, default 3]

#include "BenchSession.h"
#include "base/SessionState.h"
#include "comm/SerialCommComponent.h"
#include "polling/PollingCycle.h"
#include "sim/SimulatedController.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace
{

// What the window does after each monitor read, without widgets.

struct Protocol {
    const char *name;
    WireProtocol wire;
    qint16 index;
};

double ourRate(const Protocol &protocol, int speed, double seconds)
{
    const bool rtu = protocol.wire == WireProtocol::ModbusRtu;
    SimulatedController::Options options;
    options.line = benchLine(protocol.wire, speed);
    SimulatedController sim(options);
    if (!sim.start()) {
        std::printf("%-13s %6d  simulator did not start\n", protocol.name, speed);
        return 0;
    }

    BenchSession session(protocol.index, speed, sim.slavePath(),
                         [](PortNames names) { return std::make_unique<CountingCom>(names); });
    if (!session.open()) {
        std::printf("%-13s %6d  port does not open\n", protocol.name, speed);
        return 0;
    }
    SessionState &shared = session.shared;
    PollingCycle &polling = session.core.polling;

    CountingCom::reset();
    int polls = 0;
    int errors = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        polling.runMonitorJob();
        ++polls;
        errors += shared.commErrorFlag;
    }
    const double elapsed = double(clock.nsecsElapsed()) / 1e9;

    const double bound = double(polls) / countedLineSeconds(speed, options.line.dataBits,
                                                            options.line.stopBits, rtu);
    const double rate = double(polls) / elapsed;
    std::printf("%-13s %6d %10.1f %10.1f %7.1f %% %6d\n", protocol.name, speed, bound, rate,
                100.0 * rate / bound, errors);
    return rate;
}

// One-register reads of PV by mbpoll: a list of the same station makes it read back to back.
double mbpollRate(int speed, int reads)
{
    SimulatedController::Options options;
    options.line = benchLine(WireProtocol::ModbusRtu, speed);
    SimulatedController sim(options);
    if (!sim.start())
        return 0;
    QStringList stations;
    for (int i = 0; i < reads; ++i)
        stations << QStringLiteral("1");
    const QStringList arguments = {QStringLiteral("-m"),  QStringLiteral("rtu"),
                                   QStringLiteral("-b"),  QString::number(speed),
                                   QStringLiteral("-d"),  QStringLiteral("8"),
                                   QStringLiteral("-P"),  QStringLiteral("none"),
                                   QStringLiteral("-0"),  QStringLiteral("-r"),
                                   QStringLiteral("128"), QStringLiteral("-c"),
                                   QStringLiteral("1"),   QStringLiteral("-1"),
                                   QStringLiteral("-a"),  stations.join(QLatin1Char(',')),
                                   sim.slavePath()};
    QProcess mbpoll;
    QElapsedTimer clock;
    clock.start();
    mbpoll.start(QStringLiteral("mbpoll"), arguments);
    if (!mbpoll.waitForFinished(120000) || mbpoll.exitCode() != 0) {
        std::printf("mbpoll did not finish cleanly: %s\n", mbpoll.readAllStandardError().data());
        return 0;
    }
    const double elapsed = double(clock.nsecsElapsed()) / 1e9;
    return double(sim.requestCount()) / elapsed;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(0.5, std::atof(argv[1])) : 3.0;
    QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());

    std::printf("Monitor polls through the job-1 path against zn8p-sim (response delay %d ms).\n",
                ResponseDelayMs);
    std::printf("%-13s %6s %10s %10s %9s %6s\n", "protocol", "bit/s", "bound/s", "polls/s",
                "of bound", "errors");
    const Protocol protocols[] = {{"Modbus ASCII", WireProtocol::ModbusAscii, ModbusAscii},
                                  {"Modbus RTU", WireProtocol::ModbusRtu, ModbusRtu},
                                  {"Ravtocol", WireProtocol::Ravtocol, Ravtocol}};
    double ours[2] = {0, 0};
    for (int s = 0; s < 2; ++s) {
        const int speed = s == 0 ? 9600 : 19200;
        for (const Protocol &protocol : protocols) {
            const double rate = ourRate(protocol, speed, seconds);
            if (protocol.wire == WireProtocol::ModbusRtu)
                ours[s] = rate;
        }
    }

    std::printf("\nOne-register RTU reads by mbpoll against the same simulator:\n");
    std::printf("%6s %12s %12s %8s\n", "bit/s", "mbpoll/s", "ours/s", "ratio");
    for (int s = 0; s < 2; ++s) {
        const int speed = s == 0 ? 9600 : 19200;
        const double theirs = mbpollRate(speed, int(seconds * (s == 0 ? 40 : 75)));
        std::printf("%6d %12.1f %12.1f %8.2f\n", speed, theirs, ours[s],
                    theirs > 0 ? ours[s] / theirs : 0.0);
    }
    return 0;
}
