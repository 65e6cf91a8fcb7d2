// Rotations per second on one line of 1, 4 and 8 simulated controllers, walked in turn on the
// one open port as znctl monitor --station walks them (one session per instrument over a shared
// port, each rotation the seven monitor reads of the polling cycle), beside the rate the line
// allows for the same frames. Then one instrument behind ser2net on loopback (raw and RFC 2217
// mode, when ser2net is installed) at 9600 and 19200 bit/s against the same bound and against
// the server's own pace: the rotation's reads written and read back to back through the same
// server with nothing in between, so that what ser2net itself adds to every exchange (it holds
// the line's bytes until the line has been quiet for two characters) is told apart from what
// the program adds.
//
//   bench-line [seconds per row, default 3]

#include "BenchSession.h"
#include "base/SessionState.h"
#include "comm/NetworkLinePort.h"
#include "comm/SharedLineCom.h"
#include "polling/PollingCycle.h"
#include "sim/SimulatedController.h"
#include "tests/support/ProcessFigures.h"
#include "tests/support/SerialServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{

// The core of one instrument, its requests going to the shared port, which is open already.
struct BenchCore {
    BenchCore(CommComponent &port, qint16 protocol, int station) : sharedPort(port)
    {
        shared.protocolIndex = shared.savedProtocolIndex = protocol;
        shared.stationAddress = QStringLiteral("%1").arg(station, 2, 10, QLatin1Char('0'));
        RegisterMap::fillRegisterTable(shared);
        view.shared = &shared;
        core.link.renew();
    }

    CommComponent &sharedPort;
    QTemporaryDir folder;
    SilentOperator op;
    BenchView view;
    SettingsStore store{QSettings::IniFormat};
    CoreSession core{{op, view, store, folder.path()}, SessionState(), [this] {
                         return std::make_unique<SharedLineCom>(sharedPort);
                     }};
    SessionState &shared = core.shared;
};

struct Protocol {
    const char *name;
    WireProtocol wire;
    qint16 index;
};

// The line of one row: the simulator's pseudo-terminal itself, or ser2net in front of it.
enum class Route { Local, Raw, Rfc2217 };

const char *routeName(Route route)
{
    switch (route) {
    case Route::Raw:
        return "ser2net raw";
    case Route::Rfc2217:
        return "ser2net 2217";
    default:
        return "local";
    }
}

// Rotations per second when the rotation's reads (one register each, the same frame sizes) only
// cross the server: written, read to the reply's end, the next written at once.
double serverPace(const QString &url, const LineFormat &format, double seconds)
{
    NetworkLinePort line(SerialCommComponent::DefaultNetworkAllowanceMs);
    if (!line.open(url, format, 1000))
        return 0;
    const QByteArray request = frameCodec(FrameMode::ModbusAscii)
                                   .requestFrame({QStringLiteral("01"),
                                                  {},
                                                  QStringLiteral("03"),
                                                  QStringLiteral("0080"),
                                                  QStringLiteral("0001")});
    int exchanges = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        line.write(request);
        QByteArray reply;
        while (!reply.endsWith("\r\n") && line.waitForReadyRead(1000))
            reply += line.readAll();
        if (!reply.endsWith("\r\n"))
            return 0;
        ++exchanges;
    }
    return double(exchanges) / PollingCycle::RotationLength / (double(clock.nsecsElapsed()) / 1e9);
}

void lineRate(const Protocol &protocol, int speed, int instruments, double seconds,
              Route route = Route::Local)
{
    const bool rtu = protocol.wire == WireProtocol::ModbusRtu;
    SimulatedController::Options options;
    options.line = benchLine(protocol.wire, speed);
    for (int station = 1; station <= instruments; ++station)
        options.stations << station;
    SimulatedController sim(options);
    if (!sim.start()) {
        std::printf("%-13s %6d %5d  simulator did not start\n", protocol.name, speed, instruments);
        return;
    }
    SerialServer server;
    QString device = sim.slavePath();
    if (route != Route::Local) {
        // The server's own line conditions are the simulator's in raw mode (set once by the
        // configuration), ours through RFC 2217.
        if (!server.start(sim.slavePath(),
                          route == Route::Raw ? SerialServer::Mode::Raw
                                              : SerialServer::Mode::Rfc2217,
                          QStringLiteral("%1%2%3%4")
                              .arg(speed)
                              .arg(QChar(options.line.parity).toLower())
                              .arg(options.line.dataBits)
                              .arg(options.line.stopBits))) {
            std::printf("%-13s %6d %5d  %s\n", protocol.name, speed, instruments,
                        qPrintable(server.errorString()));
            return;
        }
        device = server.url();
    }
    CountingCom port(PortNames({{QStringLiteral("COM1"), device}}));
    port.setPortName(QStringLiteral("COM1"));
    port.setSpeed(QString::number(speed));
    port.setDataBits(QString::number(options.line.dataBits));
    port.setParity(rtu ? QStringLiteral("NONE") : QStringLiteral("EVEN"));
    port.setReplyTimeout(300);
    if (!port.openPort()) {
        std::printf("%-13s %6d %5d  port does not open\n", protocol.name, speed, instruments);
        return;
    }
    std::vector<std::unique_ptr<BenchCore>> cores;
    for (int station = 1; station <= instruments; ++station)
        cores.push_back(std::make_unique<BenchCore>(port, protocol.index, station));

    CountingCom::reset();
    int rotations = 0;
    int errors = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        for (const auto &station : cores) {
            do {
                station->core.polling.runMonitorJob();
                errors += station->shared.commErrorFlag;
            } while (station->shared.monitorStep != 0);
            ++rotations;
        }
    }
    const double elapsed = double(clock.nsecsElapsed()) / 1e9;

    const double bound = double(rotations) / countedLineSeconds(speed, options.line.dataBits,
                                                                options.line.stopBits, rtu);
    const double rate = double(rotations) / elapsed;
    std::printf("%-13s %6d %5d %10.1f %10.1f %7.1f %% %10.2f %6d  %s", protocol.name, speed,
                instruments, bound, rate, 100.0 * rate / bound, rate / instruments, errors,
                routeName(route));
    if (route != Route::Local) {
        // ser2net serves one client at a time: the component lets go of the line first.
        port.closePort();
        const double pace = serverPace(device,
                                       {speed, QSerialPort::DataBits(options.line.dataBits),
                                        rtu ? QSerialPort::NoParity : QSerialPort::EvenParity,
                                        QSerialPort::OneStop},
                                       seconds);
        if (pace > 0)
            std::printf(" (server's pace %.2f/s, %.1f %% of it)", pace, 100.0 * rate / pace);
        else
            std::printf(" (server's pace not measured: no reply)");
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(0.5, std::atof(argv[1])) : 3.0;
    QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());

    std::printf("load average: %s\n", qPrintable(ProcessFigures::loadAverage()));
    std::printf("Rotations (7 monitor reads each) of instruments on one line against zn8p-sim "
                "(response delay %d ms).\n",
                ResponseDelayMs);
    std::printf("%-13s %6s %5s %10s %10s %9s %10s %6s  %s\n", "protocol", "bit/s", "inst.",
                "bound/s", "rot./s", "of bound", "per inst.", "errors", "line");
    const Protocol protocols[] = {{"Modbus ASCII", WireProtocol::ModbusAscii, ModbusAscii},
                                  {"Modbus RTU", WireProtocol::ModbusRtu, ModbusRtu}};
    for (const Protocol &protocol : protocols) {
        for (const int instruments : {1, 4, 8})
            lineRate(protocol, 19200, instruments, seconds);
    }
    if (SerialServer::executable().isEmpty()) {
        std::printf("ser2net is not installed: no rows through a serial server.\n");
        return 0;
    }
    for (const Route route : {Route::Local, Route::Raw, Route::Rfc2217}) {
        for (const int speed : {9600, 19200})
            lineRate(protocols[0], speed, 1, seconds, route);
    }
    return 0;
}
