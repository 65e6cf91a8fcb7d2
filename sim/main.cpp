// zn8p-sim: a simulated ZN8P controller on a pseudo-terminal or a serial device.

#include "sim/ControlSocket.h"
#include "sim/SimCommands.h"
#include "sim/SimulatedController.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 0;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

struct Option {
    const char *name;
    const char *description;
    const char *valueName;
    const char *defaultValue;
};

const Option Options[] = {
    {"device", "Answer on this serial device instead of a new pseudo-terminal.", "path", ""},
    {"link",
     "Create a symbolic link here to the pseudo-terminal's device (kept across unplug and "
     "plug, removed on exit).",
     "path", ""},
    {"station", "Instrument number, 1 to 99.", "n", "1"},
    {"stations",
     "Several controllers sharing the line, each with its own registers and process: their "
     "instrument numbers, e.g. 1,2,5 (instead of --station; control commands act on the first).",
     "list", ""},
    {"speed", "Line speed in bit/s (1200 to 115200).", "bps", "9600"},
    {"databits", "Data bits, 7 or 8.", "n", "7"},
    {"parity", "Parity: even, odd or none.", "parity", "even"},
    {"stopbits", "Stop bits, 1 or 2.", "n", "1"},
    {"protocol", "User protocol: ascii (Modbus ASCII), rtu (Modbus RTU) or ravtocol.", "name",
     "ascii"},
    {"response-delay-ms", "Time from a request's last character to the reply's first.", "ms", "2"},
    {"time-scale", "Run the process this many times faster than real time.", "x", "1"},
    {"alarm2", "Alarm 2 installed (0 or 1).", "0|1", "1"},
    {"heat-cool", "Heating/cooling control installed (0 or 1).", "0|1", "0"},
    {"heater-break",
     "Heater burnout alarm: 0 none, 1 single phase 20 A, 2 single phase 50 A, 3 three-phase 20 A, "
     "4 three-phase 50 A.",
     "0-4", "1"},
    {"contact-input", "Contact input (set values 2 to 4) installed (0 or 1).", "0|1", "0"},
    {"serial-comm", "Serial communication option installed (0 or 1).", "0|1", "1"},
    {"output", "Control output type: relay, voltage (non-contact voltage) or current (DC).", "type",
     "relay"},
    {"input-type", "Input type 0 to 35 (0: K thermocouple -200 to 1370 deg.C).", "n", "0"},
    {"mode-value", "Value the mode register 0000 reads.", "n", "266"},
    {"any-line-settings",
     "Answer whatever speed and stop bits the program sets on the pseudo-terminal (for tools "
     "that cannot set them); by default a mismatch garbles every request, as on a real line.",
     nullptr, ""},
    {"fault", "Run a control command at start (repeatable), e.g. --fault \"drop 3\".", "command",
     ""},
    {"control",
     "Take control commands on a local socket at this path too, one per line, each answered on "
     "a line (for a simulator run as a service, without a terminal), e.g. with "
     "\"socat - UNIX-CONNECT:path\".",
     "path", ""},
};

int fail(const QString &text)
{
    std::cerr << "zn8p-sim: " << text.toStdString() << std::endl;
    return 2;
}

std::optional<int> intOption(const QCommandLineParser &parser, const char *name, int min, int max)
{
    bool valid = false;
    const int value = parser.value(QLatin1String(name)).toInt(&valid);
    if (!valid || value < min || value > max)
        return std::nullopt;
    return value;
}

void say(const QString &text)
{
    std::cout << text.toStdString() << std::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zn8p-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZN_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A simulated ZN8P temperature controller. It opens a pseudo-terminal (its "
                       "device path is printed on the first line of stdout) or a serial device "
                       "and answers as one controller in the chosen protocol, at the line speed, "
                       "with a living process behind it. Requests in another protocol, for "
                       "another station or with a bad checksum get no reply.\n\n") +
        SimCommands::help());
    parser.addHelpOption();
    parser.addVersionOption();
    for (const Option &o : Options) {
        QString description = QLatin1String(o.description);
        if (*o.defaultValue)
            description += QStringLiteral(" Default: %1.").arg(QLatin1String(o.defaultValue));
        QCommandLineOption option(QLatin1String(o.name), description,
                                  o.valueName ? QLatin1String(o.valueName) : QString());
        if (*o.defaultValue)
            option.setDefaultValue(QLatin1String(o.defaultValue));
        parser.addOption(option);
    }
    parser.process(app);

    SimulatedController::Options options;
    const auto station = intOption(parser, "station", 1, 99);
    const auto speed = intOption(parser, "speed", 1200, 115200);
    const auto dataBits = intOption(parser, "databits", 7, 8);
    const auto stopBits = intOption(parser, "stopbits", 1, 2);
    const auto delay = intOption(parser, "response-delay-ms", 0, 10000);
    const auto protocol = wireProtocolFromName(parser.value(QStringLiteral("protocol")));
    const QString parity = parser.value(QStringLiteral("parity")).toLower();
    if (!station || !speed || !dataBits || !stopBits || !delay)
        return fail(QStringLiteral("station, speed, databits, stopbits or response delay out of "
                                   "range (see --help)"));
    if (!protocol)
        return fail(QStringLiteral("--protocol takes ascii, rtu or ravtocol"));
    if (parity != QLatin1String("even") && parity != QLatin1String("odd") &&
        parity != QLatin1String("none"))
        return fail(QStringLiteral("--parity takes even, odd or none"));
    options.line = {
        *station,  *protocol, *speed, *dataBits, char(parity.at(0).toUpper().toLatin1()),
        *stopBits, *delay};
    if (parser.isSet(QStringLiteral("stations"))) {
        for (const QString &number : parser.value(QStringLiteral("stations")).split(',')) {
            bool valid = false;
            const int value = number.toInt(&valid);
            if (!valid || value < 1 || value > 99 || options.stations.contains(value))
                return fail(QStringLiteral("--stations takes different numbers 1 to 99, as 1,2,5"));
            options.stations << value;
        }
    }

    bool scaleValid = false;
    options.timeScale = parser.value(QStringLiteral("time-scale")).toDouble(&scaleValid);
    if (!scaleValid || options.timeScale <= 0)
        return fail(QStringLiteral("--time-scale takes a positive number"));

    const auto alarm2 = intOption(parser, "alarm2", 0, 1);
    const auto heatCool = intOption(parser, "heat-cool", 0, 1);
    const auto heaterBreak = intOption(parser, "heater-break", 0, 4);
    const auto contact = intOption(parser, "contact-input", 0, 1);
    const auto serial = intOption(parser, "serial-comm", 0, 1);
    const auto inputType = intOption(parser, "input-type", 0, 35);
    const auto modeValue = intOption(parser, "mode-value", -32768, 32767);
    const QString output = parser.value(QStringLiteral("output")).toLower();
    if (!alarm2 || !heatCool || !heaterBreak || !contact || !serial || !inputType || !modeValue)
        return fail(QStringLiteral("a model option is out of range (see --help)"));
    ModelOptions &model = options.model;
    model.alarm2 = *alarm2;
    model.heatCool = *heatCool;
    model.heaterBreak = *heaterBreak;
    model.contactInput = *contact;
    model.serialComm = *serial;
    if (output == QLatin1String("relay"))
        model.outputType = OutputType::Relay;
    else if (output == QLatin1String("voltage"))
        model.outputType = OutputType::Voltage;
    else if (output == QLatin1String("current"))
        model.outputType = OutputType::Current;
    else
        return fail(QStringLiteral("--output takes relay, voltage or current"));
    if (!model.conflict().isEmpty())
        return fail(model.conflict());
    options.inputType = *inputType;
    options.modeValue = qint16(*modeValue);
    options.device = parser.value(QStringLiteral("device"));
    options.linkPath = parser.value(QStringLiteral("link"));
    options.checkLineSettings = !parser.isSet(QStringLiteral("any-line-settings"));

    if (pipe2(signalPipe, O_CLOEXEC) != 0)
        return fail(QStringLiteral("no signal pipe"));
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGHUP, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    SimulatedController sim(options);
    if (!sim.start())
        return fail(sim.errorString());
    ControlSocket control;
    QString controlError;
    if (parser.isSet(QStringLiteral("control")) &&
        !control.listen(parser.value(QStringLiteral("control")), &controlError))
        return fail(controlError);
    const auto execute = [&sim](const QString &line) { return SimCommands::execute(sim, line); };
    // The start-up faults are in force before the line is announced: a client that opens it as
    // soon as it reads the path must meet them from its first request.
    for (const QString &command : parser.values(QStringLiteral("fault"))) {
        const QString answer = SimCommands::execute(sim, command);
        if (answer.startsWith(QLatin1String("error")))
            return fail(answer);
    }
    say(sim.slavePath());

    // Commands from stdin and the control socket until a signal; a closed stdin (a background
    // job, a service) only ends the commands from there, not the simulator.
    bool stdinOpen = true;
    std::string pending;
    for (;;) {
        std::vector<pollfd> fds = {{signalPipe[0], POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        if (!stdinOpen)
            fds.pop_back();
        const std::vector<pollfd> controlFds = control.pollSet();
        fds.insert(fds.end(), controlFds.begin(), controlFds.end());
        if (poll(fds.data(), nfds_t(fds.size()), -1) < 0)
            continue;
        if (fds[0].revents & POLLIN)
            break;
        control.serve(std::vector<pollfd>(fds.begin() + (stdinOpen ? 2 : 1), fds.end()), execute);
        if (stdinOpen && (fds[1].revents & (POLLIN | POLLHUP))) {
            char buffer[256];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                stdinOpen = false;
                continue;
            }
            pending.append(buffer, size_t(n));
            for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
                const QString line = QString::fromStdString(pending.substr(0, end));
                pending.erase(0, end + 1);
                const QString answer = execute(line);
                if (!answer.isEmpty())
                    say(answer);
            }
        }
    }
    sim.stop();
    return 0;
}
