#include "CommandLine.h"

#include "OptionsFile.h"
#include "PortOption.h"
#include "Subcommands.h"
#include "base/SessionState.h"
#include "comm/InstrumentNumber.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <algorithm>

namespace
{

// Option names that every subcommand takes.
const QStringList CommonOptions = {
    QStringLiteral("port"),     QStringLiteral("speed"),        QStringLiteral("databits"),
    QStringLiteral("parity"),   QStringLiteral("stopbits"),     QStringLiteral("station"),
    QStringLiteral("protocol"), QStringLiteral("settings-dir"), QStringLiteral("yes"),
    QStringLiteral("wait"),     QStringLiteral("help"),         QStringLiteral("version"),
    QStringLiteral("timeout"),  QStringLiteral("config"),
};

const QStringList Speeds = {
    QStringLiteral("1200"),  QStringLiteral("2400"),   QStringLiteral("4800"),
    QStringLiteral("9600"),  QStringLiteral("19200"),  QStringLiteral("38400"),
    QStringLiteral("57600"), QStringLiteral("115200"),
};

QList<QCommandLineOption> optionList()
{
    const auto valued = [](const QString &name, const QString &valueName) {
        return QCommandLineOption(name, QString(), valueName);
    };
    return {
        valued(QStringLiteral("port"), QStringLiteral("PORT")),
        valued(QStringLiteral("speed"), QStringLiteral("BITS")),
        valued(QStringLiteral("databits"), QStringLiteral("N")),
        valued(QStringLiteral("parity"), QStringLiteral("P")),
        valued(QStringLiteral("stopbits"), QStringLiteral("N")),
        valued(QStringLiteral("station"), QStringLiteral("N")),
        valued(QStringLiteral("protocol"), QStringLiteral("P")),
        valued(QStringLiteral("settings-dir"), QStringLiteral("DIR")),
        valued(QStringLiteral("seconds"), QStringLiteral("N")),
        valued(QStringLiteral("csv"), QStringLiteral("FILE")),
        valued(QStringLiteral("events"), QStringLiteral("FILE")),
        valued(QStringLiteral("out"), QStringLiteral("FILE")),
        valued(QStringLiteral("report"), QStringLiteral("FILE")),
        valued(QStringLiteral("out-dir"), QStringLiteral("DIR")),
        valued(QStringLiteral("journal-dir"), QStringLiteral("DIR")),
        valued(QStringLiteral("wait"), QStringLiteral("N")),
        valued(QStringLiteral("mqtt"), QStringLiteral("URL")),
        valued(QStringLiteral("mqtt-user"), QStringLiteral("NAME")),
        valued(QStringLiteral("mqtt-password-file"), QStringLiteral("FILE")),
        valued(QStringLiteral("mqtt-cafile"), QStringLiteral("FILE")),
        valued(QStringLiteral("mqtt-qos"), QStringLiteral("N")),
        valued(QStringLiteral("mqtt-cert"), QStringLiteral("FILE")),
        valued(QStringLiteral("mqtt-key"), QStringLiteral("FILE")),
        valued(QStringLiteral("interval"), QStringLiteral("SECONDS")),
        valued(QStringLiteral("format"), QStringLiteral("FORMAT")),
        valued(QStringLiteral("rotate"), QStringLiteral("WHEN")),
        valued(QStringLiteral("timeout"), QStringLiteral("MS")),
        valued(QStringLiteral("config"), QStringLiteral("FILE")),
        valued(QStringLiteral("frames"), QStringLiteral("FILE")),
        QCommandLineOption(QStringLiteral("quiet")),
        QCommandLineOption(QStringLiteral("stats")),
        QCommandLineOption(QStringLiteral("mqtt-discovery")),
        QCommandLineOption(QStringLiteral("yes")),
        QCommandLineOption(QStringLiteral("json")),
        QCommandLineOption(QStringLiteral("no-store")),
        QCommandLineOption(QStringLiteral("all")),
        QCommandLineOption(QStringLiteral("append")),
        QCommandLineOption(QStringLiteral("force")),
        QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}),
        QCommandLineOption(QStringLiteral("version")),
    };
}

// A decimal number within [low, high], or nullopt.
std::optional<int> number(const QString &text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<qint16> protocolIndex(const QString &text)
{
    const QString name = text.toLower();
    if (name == QLatin1String("ascii") || name == QLatin1String("0"))
        return qint16(ModbusAscii);
    if (name == QLatin1String("rtu") || name == QLatin1String("1"))
        return qint16(ModbusRtu);
    if (name == QLatin1String("ravtocol") || name == QLatin1String("2"))
        return qint16(Ravtocol);
    return std::nullopt;
}

QString invalidValue(const QString &option, const QString &value, const QString &expected)
{
    return QStringLiteral("invalid value '%1' for --%2 (expected %3)").arg(value, option, expected);
}

// The instruments of a --station value: numbers and ranges from 1 to 95 separated by commas
// ("1-8,12"), as two digits each, in the order given and without repeats; empty when a part is not
// a number or range within 1 to 95.
QStringList stationList(const QString &text)
{
    QStringList stations;
    for (const QString &part : text.split(QLatin1Char(','))) {
        const QStringList ends = part.split(QLatin1Char('-'));
        const std::optional<int> first = InstrumentNumber::parse(ends.first());
        const std::optional<int> last =
            ends.size() == 2 ? InstrumentNumber::parse(ends.last()) : first;
        if (ends.size() > 2 || !first || !last || *last < *first)
            return {};
        for (int station = *first; station <= *last; ++station) {
            const QString digits = InstrumentNumber::text(station);
            if (!stations.contains(digits))
                stations << digits;
        }
    }
    return stations;
}

// The condition options; false with the reason on a value out of range.
bool parseOverrides(const QCommandLineParser &parser, ConditionOverrides &o, QString *error)
{
    const auto given = [&](const char *name) { return parser.isSet(QLatin1String(name)); };
    const auto value = [&](const char *name) { return parser.value(QLatin1String(name)); };
    if (given("port")) {
        o.port = PortOption::parse(value("port"), error);
        if (!o.port)
            return false;
    }
    if (given("speed")) {
        if (!Speeds.contains(value("speed"))) {
            *error = invalidValue(QStringLiteral("speed"), value("speed"),
                                  Speeds.join(QLatin1String(", ")));
            return false;
        }
        o.speed = value("speed");
    }
    if (given("databits")) {
        const std::optional<int> dataBits = number(value("databits"), 7, 8);
        if (!dataBits) {
            *error = invalidValue(QStringLiteral("databits"), value("databits"),
                                  QStringLiteral("7 or 8"));
            return false;
        }
        o.dataBits = QString::number(*dataBits);
    }
    if (given("parity")) {
        const QString parity = value("parity").toUpper();
        if (parity != QLatin1String("EVEN") && parity != QLatin1String("ODD") &&
            parity != QLatin1String("NONE")) {
            *error = invalidValue(QStringLiteral("parity"), value("parity"),
                                  QStringLiteral("EVEN, ODD or NONE"));
            return false;
        }
        o.parity = parity;
    }
    if (given("stopbits")) {
        const std::optional<int> stopBits = number(value("stopbits"), 1, 2);
        if (!stopBits) {
            *error = invalidValue(QStringLiteral("stopbits"), value("stopbits"),
                                  QStringLiteral("1 or 2"));
            return false;
        }
        o.stopBits = QString::number(*stopBits);
    }
    if (given("protocol")) {
        o.protocol = protocolIndex(value("protocol"));
        if (!o.protocol) {
            *error = invalidValue(QStringLiteral("protocol"), value("protocol"),
                                  QStringLiteral("ascii, rtu or ravtocol"));
            return false;
        }
    }
    return true;
}

// --mqtt and the options of its login, which mean nothing without it.
bool parseMqtt(const QCommandLineParser &parser, MqttOptions &mqtt, QString *error)
{
    mqtt.user = parser.value(QStringLiteral("mqtt-user"));
    mqtt.passwordFile = parser.value(QStringLiteral("mqtt-password-file"));
    mqtt.caFile = parser.value(QStringLiteral("mqtt-cafile"));
    mqtt.certFile = parser.value(QStringLiteral("mqtt-cert"));
    mqtt.keyFile = parser.value(QStringLiteral("mqtt-key"));
    mqtt.discovery = parser.isSet(QStringLiteral("mqtt-discovery"));
    if (mqtt.certFile.isEmpty() != mqtt.keyFile.isEmpty()) {
        *error = QStringLiteral("--mqtt-cert and --mqtt-key go together");
        return false;
    }
    if (parser.isSet(QStringLiteral("mqtt-qos"))) {
        const std::optional<int> qos = number(parser.value(QStringLiteral("mqtt-qos")), 0, 1);
        if (!qos) {
            *error =
                invalidValue(QStringLiteral("mqtt-qos"), parser.value(QStringLiteral("mqtt-qos")),
                             QStringLiteral("0 or 1"));
            return false;
        }
        mqtt.qos = *qos;
    }
    if (parser.isSet(QStringLiteral("mqtt"))) {
        if (!parseMqttUrl(parser.value(QStringLiteral("mqtt")), mqtt, error))
            return false;
        if (!mqtt.certFile.isEmpty() && !mqtt.tls()) {
            *error = QStringLiteral("--mqtt-cert needs TLS: an mqtts:// address or --mqtt-cafile");
            return false;
        }
        return true;
    }
    for (const char *name : {"mqtt-user", "mqtt-password-file", "mqtt-cafile", "mqtt-qos",
                             "mqtt-cert", "mqtt-key", "mqtt-discovery"}) {
        if (parser.isSet(QLatin1String(name))) {
            *error = QStringLiteral("--%1 needs --mqtt").arg(QLatin1String(name));
            return false;
        }
    }
    return true;
}

// The options given that neither every subcommand nor this one takes.
QString foreignOption(const QCommandLineParser &parser, const Subcommand &subcommand)
{
    for (const QString &name : parser.optionNames()) {
        const QString longName = name == QLatin1String("h") ? QStringLiteral("help") : name;
        if (!CommonOptions.contains(longName) && !subcommand.options.contains(longName))
            return longName;
    }
    return QString();
}

// Every positional argument goes behind "--", in the order given, where the parser takes each one
// as it stands: "-250.5" is a value to write, not a bundle of short options, and it keeps its place
// among the others whatever its sign ("write -13 25" stays code -13, value 25). Options and their
// values stay in front. Anything behind a "--" given by the user is positional too.
QStringList withPositionalsLast(const QStringList &arguments)
{
    static const QRegularExpression negativeNumber(QStringLiteral("^-[0-9]*[.,]?[0-9]+$"));
    // One list: iterators into two calls' lists would run from one list into another.
    const QList<QCommandLineOption> options = optionList();
    const auto takesValue = [&](const QString &argument) {
        return std::any_of(options.cbegin(), options.cend(), [&](const auto &option) {
            return !option.valueName().isEmpty() &&
                   argument == QLatin1String("--") + option.names().first();
        });
    };
    QStringList optionArguments;
    QStringList positional;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--")) {
            positional << arguments.mid(i + 1);
            break;
        }
        const bool option =
            argument.startsWith(QLatin1Char('-')) && !negativeNumber.match(argument).hasMatch();
        if (!option) {
            positional << argument;
            continue;
        }
        optionArguments << argument;
        // The option's value, whatever it looks like ("--station -3" is refused as a station).
        if (takesValue(argument) && i + 1 < arguments.size())
            optionArguments << arguments.at(++i);
    }
    return optionArguments << QStringLiteral("--") << positional;
}

// The seconds of --interval ("1", "0.5", "60") in milliseconds; nullopt when out of range.
std::optional<qint64> intervalOf(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,6})(?:\\.([0-9]{1,3}))?$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const qint64 ms = match.captured(1).toLongLong() * 1000 +
                      match.captured(2).leftJustified(3, QLatin1Char('0')).toLongLong();
    if (ms < CommandLine::ShortestIntervalMs || ms > CommandLine::LongestIntervalMs)
        return std::nullopt;
    return ms;
}

// The arguments with "--config FILE" replaced by the file's options, put in front so that those
// given on the command line win. Options of the file that the subcommand does not take are left
// out: one file of a line serves read as well as monitor. False with the reason when the
// file cannot be read or names an option that znctl does not have.
bool withOptionsFile(const QStringList &arguments, QStringList &expanded, QString *error)
{
    QStringList rest;
    QString path;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        // Behind "--" every argument is positional, also one that reads "--config".
        if (argument == QLatin1String("--")) {
            rest << arguments.mid(i);
            break;
        }
        if (argument == QLatin1String("--config") && i + 1 < arguments.size())
            path = arguments.at(++i);
        else if (argument.startsWith(QLatin1String("--config=")))
            path = argument.mid(9);
        else
            rest << argument;
    }
    expanded = rest;
    if (path.isEmpty())
        return true;
    QList<OptionsFile::Option> options;
    if (!OptionsFile::read(path, options, error))
        return false;
    const QStringList ordered = withPositionalsLast(rest);
    const Subcommand *subcommand =
        findSubcommand(ordered.value(ordered.indexOf(QStringLiteral("--")) + 1));
    const QList<QCommandLineOption> known = optionList();
    QStringList fromFile;
    for (const OptionsFile::Option &option : options) {
        const auto found = std::find_if(known.cbegin(), known.cend(), [&](const auto &o) {
            return o.names().contains(option.name);
        });
        const auto fail = [&](const QString &reason) {
            *error = QStringLiteral("%1 line %2: %3").arg(path).arg(option.line).arg(reason);
            return false;
        };
        if (found == known.cend() || option.name == QLatin1String("config") ||
            option.name == QLatin1String("h"))
            return fail(QStringLiteral("unknown option '%1'").arg(option.name));
        const bool valued = !found->valueName().isEmpty();
        if (valued && !option.hasValue)
            return fail(
                QStringLiteral("%1 needs a value (%1 = %2)").arg(option.name, found->valueName()));
        if (!valued && option.hasValue)
            return fail(QStringLiteral("%1 takes no value").arg(option.name));
        if (subcommand && !CommonOptions.contains(option.name) &&
            !subcommand->options.contains(option.name))
            continue;
        fromFile << QStringLiteral("--") + option.name;
        if (valued)
            fromFile << option.value;
    }
    expanded = fromFile + rest;
    return true;
}

// The options of monitor's rows, pace and files; false with the reason.
bool parseMonitor(const QCommandLineParser &parser, CommandLine &commandLine, QString *error)
{
    const auto value = [&](const char *name) { return parser.value(QLatin1String(name)); };
    if (parser.isSet(QStringLiteral("interval"))) {
        const std::optional<qint64> ms = intervalOf(value("interval"));
        if (!ms) {
            *error = invalidValue(QStringLiteral("interval"), value("interval"),
                                  QStringLiteral("seconds from 0.1 to 86400, as 1 or 0.5"));
            return false;
        }
        commandLine.intervalMs = *ms;
    }
    if (parser.isSet(QStringLiteral("format"))) {
        if (value("format") == QLatin1String("csv"))
            commandLine.format = RowFormat::Csv;
        else if (value("format") == QLatin1String("jsonl"))
            commandLine.format = RowFormat::Jsonl;
        else {
            *error = invalidValue(QStringLiteral("format"), value("format"),
                                  QStringLiteral("csv or jsonl"));
            return false;
        }
    }
    commandLine.quiet = parser.isSet(QStringLiteral("quiet"));
    if (parser.isSet(QStringLiteral("rotate"))) {
        const std::optional<LogRotation> rotation = LogRotation::parse(value("rotate"), error);
        if (!rotation)
            return false;
        commandLine.rotation = *rotation;
        if (commandLine.csvPath.isEmpty() && commandLine.outPath.isEmpty()) {
            *error = QStringLiteral("--rotate needs --csv or --out");
            return false;
        }
        if (commandLine.replaceCsv) {
            *error = QStringLiteral("--rotate never replaces a file; leave out --force");
            return false;
        }
    }
    if (commandLine.stations.size() > 1 && commandLine.format == RowFormat::Csv &&
        commandLine.outPath.isEmpty() && !commandLine.quiet) {
        *error = QStringLiteral("several instruments write CSV to a file each: give --out DIR, or "
                                "--format jsonl for standard output");
        return false;
    }
    return true;
}
} // namespace

bool ConditionOverrides::any() const
{
    return port || speed || dataBits || parity || stopBits || station || protocol;
}

void ConditionOverrides::applyTo(SessionState &shared) const
{
    shared.portName = port.value_or(shared.portName);
    shared.speedText = speed.value_or(shared.speedText);
    shared.dataBitsText = dataBits.value_or(shared.dataBitsText);
    shared.parityText = parity.value_or(shared.parityText);
    shared.stopBitsText = stopBits.value_or(shared.stopBitsText);
    shared.stationAddress = station.value_or(shared.stationAddress);
    shared.protocolIndex = protocol.value_or(shared.protocolIndex);
    shared.savedProtocolIndex = shared.protocolIndex;
}

bool parseCommandLine(const QStringList &arguments, CommandLine &commandLine, QString *error)
{
    QStringList expanded;
    if (!withOptionsFile(arguments, expanded, error))
        return false;
    QCommandLineParser parser;
    parser.addOptions(optionList());
    if (!parser.parse(QStringList{QStringLiteral("znctl")} + withPositionalsLast(expanded))) {
        *error = parser.errorText();
        return false;
    }
    commandLine.help = parser.isSet(QStringLiteral("help"));
    commandLine.version = parser.isSet(QStringLiteral("version"));
    QStringList positional = parser.positionalArguments();
    if (commandLine.help || commandLine.version)
        return true;
    if (positional.isEmpty()) {
        *error = QStringLiteral("no subcommand given");
        return false;
    }
    commandLine.subcommand = positional.takeFirst();
    const Subcommand *subcommand = findSubcommand(commandLine.subcommand);
    if (!subcommand) {
        *error = QStringLiteral("unknown subcommand '%1'").arg(commandLine.subcommand);
        return false;
    }
    const QString foreign = foreignOption(parser, *subcommand);
    if (!foreign.isEmpty()) {
        *error = QStringLiteral("%1 does not take --%2").arg(subcommand->name, foreign);
        return false;
    }
    if (positional.size() < subcommand->minArguments) {
        *error = QStringLiteral("%1 needs %2").arg(subcommand->name, subcommand->synopsis);
        return false;
    }
    if (subcommand->maxArguments >= 0 && positional.size() > subcommand->maxArguments) {
        *error =
            QStringLiteral("%1 takes no argument '%2'").arg(subcommand->name, positional.last());
        return false;
    }
    commandLine.arguments = positional;
    if (!parseOverrides(parser, commandLine.overrides, error))
        return false;
    if (parser.isSet(QStringLiteral("station"))) {
        commandLine.stations = stationList(parser.value(QStringLiteral("station")));
        if (commandLine.stations.isEmpty()) {
            *error =
                invalidValue(QStringLiteral("station"), parser.value(QStringLiteral("station")),
                             QStringLiteral("numbers or ranges from 1 to 95, as 1-8,12"));
            return false;
        }
        if (commandLine.stations.size() == 1)
            commandLine.overrides.station = commandLine.stations.first();
        else if (!subcommand->runOnLine) {
            *error = QStringLiteral("%1 takes one instrument").arg(subcommand->name);
            return false;
        }
    }
    commandLine.settingsDir = parser.value(QStringLiteral("settings-dir"));
    commandLine.assumeYes = parser.isSet(QStringLiteral("yes"));
    commandLine.json = parser.isSet(QStringLiteral("json"));
    commandLine.noStore = parser.isSet(QStringLiteral("no-store"));
    commandLine.csvPath = parser.value(QStringLiteral("csv"));
    commandLine.appendCsv = parser.isSet(QStringLiteral("append"));
    commandLine.replaceCsv = parser.isSet(QStringLiteral("force"));
    if (commandLine.appendCsv && commandLine.replaceCsv) {
        *error = QStringLiteral("--append and --force exclude each other");
        return false;
    }
    commandLine.eventsPath = parser.value(QStringLiteral("events"));
    commandLine.framesPath = parser.value(QStringLiteral("frames"));
    commandLine.stats = parser.isSet(QStringLiteral("stats"));
    if (!parseMqtt(parser, commandLine.mqtt, error))
        return false;
    commandLine.outPath = parser.value(QStringLiteral("out"));
    commandLine.reportPath = parser.value(QStringLiteral("report"));
    commandLine.outDir = parser.value(QStringLiteral("out-dir"));
    commandLine.searchAll = parser.isSet(QStringLiteral("all"));
    if (!commandLine.outPath.isEmpty() && !commandLine.outDir.isEmpty()) {
        *error = QStringLiteral("--out and --out-dir exclude each other");
        return false;
    }
    if (commandLine.stations.size() > 1 && !commandLine.outPath.isEmpty() &&
        commandLine.subcommand == QLatin1String("upload")) {
        *error = QStringLiteral("several instruments need --out-dir, not --out");
        return false;
    }
    if (commandLine.stations.size() > 1 && !commandLine.reportPath.isEmpty()) {
        *error = QStringLiteral("--report writes the report of one instrument");
        return false;
    }
    commandLine.journalDir = parser.value(QStringLiteral("journal-dir"));
    if (parser.isSet(QStringLiteral("seconds"))) {
        const std::optional<int> seconds =
            number(parser.value(QStringLiteral("seconds")), 1, CommandLine::MaxSeconds);
        if (!seconds) {
            *error =
                invalidValue(QStringLiteral("seconds"), parser.value(QStringLiteral("seconds")),
                             QStringLiteral("a whole number of seconds from 1 to %1")
                                 .arg(CommandLine::MaxSeconds));
            return false;
        }
        commandLine.seconds = *seconds;
    }
    if (parser.isSet(QStringLiteral("wait"))) {
        const std::optional<int> wait =
            number(parser.value(QStringLiteral("wait")), 1, CommandLine::MaxSeconds);
        if (!wait) {
            *error = invalidValue(QStringLiteral("wait"), parser.value(QStringLiteral("wait")),
                                  QStringLiteral("a whole number of seconds from 1 to %1")
                                      .arg(CommandLine::MaxSeconds));
            return false;
        }
        commandLine.waitSeconds = *wait;
    }
    if (parser.isSet(QStringLiteral("timeout"))) {
        const std::optional<int> timeout =
            number(parser.value(QStringLiteral("timeout")), 10, 60000);
        if (!timeout) {
            *error =
                invalidValue(QStringLiteral("timeout"), parser.value(QStringLiteral("timeout")),
                             QStringLiteral("milliseconds from 10 to 60000"));
            return false;
        }
        commandLine.replyTimeoutMs = *timeout;
    }
    return parseMonitor(parser, commandLine, error);
}

QString helpText()
{
    QString text = QStringLiteral("Usage: znctl SUBCOMMAND [ARGUMENTS] [OPTIONS]\n"
                                  "\n"
                                  "Talks to one ZN8P controller over a serial line, headless.\n"
                                  "\n"
                                  "Subcommands:\n");
    for (const Subcommand &subcommand : subcommands()) {
        const QString head = (subcommand.name + QLatin1Char(' ') + subcommand.synopsis).trimmed();
        text += QStringLiteral("  %1\n      %2\n").arg(head, subcommand.summary);
    }
    text += QStringLiteral(
        "\n"
        "Communication conditions (replace the stored ones for this run only):\n"
        "  --port PORT         COM1 to COM8 (see 'znctl ports' for the devices), or a\n"
        "                      serial device's path (/dev/ttyUSB0, /dev/serial/by-id/...),\n"
        "                      or an Ethernet serial server: tcp://HOST:PORT (raw mode)\n"
        "                      or rfc2217://HOST:PORT (znctl sets the server's line)\n"
        "  --speed BITS        9600, 19200 (1200 to 115200 accepted)\n"
        "  --databits N        7 or 8\n"
        "  --parity P          EVEN, ODD or NONE\n"
        "  --stopbits N        1 or 2\n"
        "  --station N         instrument number 1 to 95; read, monitor, upload, diff and\n"
        "                      download take a list with ranges (1-8,12) of instruments\n"
        "                      on one line, served in turn, one row per instrument"
        "\n"
        "  --protocol P        ascii (Modbus ASCII), rtu (Modbus RTU) or ravtocol\n"
        "  --timeout MS        the reply timeout, 10 to 60000 ms (default 300); the longer\n"
        "                      waits the controller needs grow with it\n"
        "\n"
        "Other options:\n"
        "  --config FILE       take options from FILE, one a line (\"name = value\", or a\n"
        "                      switch's name alone; # begins a comment); options on the\n"
        "                      command line win, and those the subcommand does not take\n"
        "                      are left out\n"
        "  --settings-dir DIR  folder of the stored conditions instead of the user's\n"
        "                      configuration folder ($XDG_CONFIG_HOME or ~/.config); DIR\n"
        "                      must exist and, except for search and ports, hold stored\n"
        "                      conditions\n"
        "  --yes               answer Yes to the controller's questions (default: No);\n"
        "                      write: needed for an item whose change resets others\n"
        "  --json              read: print the values as JSON\n"
        "  --no-store          search: leave the stored conditions as they are\n"
        "  --all               search: list every instrument that answers on the port\n"
        "                      found, instead of stopping at the first\n"
        "  --wait N            give up waiting for the controller's keys to be released, or\n"
        "                      for it to leave its vendor frame, after N seconds (default 30)\n"
        "  --seconds N         monitor: stop after N seconds (default: until Ctrl-C or\n"
        "                      SIGTERM)\n"
        "  --interval SECONDS  monitor: start a rotation every SECONDS (0.1 to 86400, as 1\n"
        "                      or 0.5) on a grid of the clock; a rotation that overruns\n"
        "                      skips grid points (default: one after the other)\n"
        "  --format FORMAT     monitor: rows as csv (a header line, then time, port,\n"
        "                      instrument, PV, SV, MV1, MV2 with their units, lamps and\n"
        "                      alarms) or jsonl (one JSON object a line, the same fields),\n"
        "                      in English whatever the language: in --out's files, else\n"
        "                      on standard output\n"
        "  --out FILE|DIR      monitor: write the rows to FILE (csv unless --format jsonl);\n"
        "                      a folder, or several instruments, get PORT-NN.csv each\n"
        "  --csv FILE          monitor: log every rotation to FILE in the trend log format\n"
        "                      of the window;\n"
        "                      an existing FILE (of --csv or --out) is refused unless one\n"
        "                      of these is given:\n"
        "  --append            monitor: add the lines to the existing FILE (also of --frames)\n"
        "  --force             monitor: replace the existing FILE (also of --frames)\n"
        "  --rotate WHEN       monitor: begin a new file of --out or --csv each day\n"
        "                      (daily: NAME_2026-07-04.csv, continued after a restart) or\n"
        "                      before it would pass a size (SIZE as 50M, 1G:\n"
        "                      NAME_2026-07-04_090503.csv); no file is ever replaced\n"
        "  --quiet             monitor: no rows on standard output; events (alarms, line\n"
        "                      loss...) and faults still go to standard error, as a\n"
        "                      service's journal wants them\n"
        "  --events FILE       monitor: append each event (alarm, sensor break, line loss,\n"
        "                      auto-tuning...) to FILE, or to events-YYYY-MM.csv in a folder\n"
        "  --frames FILE       read, monitor, write, upload, download, search: write every\n"
        "                      exchange on the line to FILE as it happens, a CSV line each\n"
        "                      (time, port, speed, instrument, protocol, the request's and\n"
        "                      the reply's bytes in hexadecimal, response time, verdict);\n"
        "                      an existing FILE is refused (monitor: unless --append or\n"
        "                      --force)\n"
        "  --stats             monitor: at the end (also on Ctrl-C), the line's counters per\n"
        "                      instrument on standard error: requests, good, no reply,\n"
        "                      checksum, exceptions, late, other faults, mean and worst\n"
        "                      response time\n"
        "  --mqtt URL          monitor: feed a plant system: publish each rotation to the MQTT\n"
        "                      broker of URL, mqtt://HOST[:PORT]/PREFIX or mqtts://... for\n"
        "                      TLS (port 8883, the broker checked against the system's CA\n"
        "                      store), under PREFIX/COMn/INSTRUMENT/state, and online or\n"
        "                      offline under .../status\n"
        "  --mqtt-user NAME    monitor: log in to the broker as NAME\n"
        "  --mqtt-password-file FILE\n"
        "                      monitor: the password, the first line of FILE\n"
        "  --mqtt-cafile FILE  monitor: TLS to the broker (port 8883 by default), its\n"
        "                      certificate checked against the CA certificate in FILE\n"
        "  --mqtt-cert FILE    monitor: the client certificate (PEM) for a broker that asks\n"
        "                      for one, with\n"
        "  --mqtt-key FILE     monitor: its private key (PEM, not encrypted)\n"
        "  --mqtt-discovery    monitor: announce each instrument's sensors (retained, under\n"
        "                      homeassistant/...) for Home Assistant and Node-RED\n"
        "  --mqtt-qos N        monitor: 0 (default) counts a state message delivered once it\n"
        "                      is written to the broker's connection, 1 only when the broker\n"
        "                      acknowledges it; messages not delivered are counted at the end\n"
        "  --out FILE          upload: write the settings to FILE (a .znm settings data file)\n"
        "  --report FILE       upload: write a settings report to FILE (PDF): every item with\n"
        "                      its name, value and unit, grouped as the window's pages\n"
        "  --out-dir DIR       upload: one settings data file per instrument in DIR, named\n"
        "                      COMn-NN.znm by port and instrument; diff and download of\n"
        "                      several instruments take such a folder instead of a file\n"
        "  --journal-dir DIR   write, download: keep the write journal in DIR instead of the\n"
        "                      program folder's Journal\n"
        "  -h, --help          this text\n"
        "  --version           the program version\n"
        "\n"
        "Exit codes:\n"
        "  0  success (diff: the controller holds the file's values)\n"
        "  1  a file could not be read or written (CSV log, rows of --out, event log, settings\n"
        "     data file, report, MQTT password or TLS files), or a\n"
        "     settings data file is short, damaged or holds a value outside its limits that\n"
        "     it does not mark as held by the controller (nothing is sent)\n"
        "  2  usage error (also a value outside the item's limits, a write that resets\n"
        "     other items without --yes, or a --settings-dir that is no folder or holds no\n"
        "     stored conditions; nothing is written)\n"
        "  3  no controller answered, or it stopped answering (also: the port is in use by\n"
        "     another program)\n"
        "  4  the controller refused a request or did not take a value, or a write it\n"
        "     answered could not be confirmed; or items could not be read, each tried twice\n"
        "     (upload, diff: named as \"not read\", upload --out and --report write no file)\n"
        "  5  the link was lost during monitor (one instrument; a line of several tries a\n"
        "     silent one again every minute)\n"
        "  6  cancelled with Ctrl-C: a search, a read, or a wait for the controller's keys\n"
        "     (monitor ends with 0)\n"
        "  7  not now: the controller's keys stayed operated (for --wait seconds),\n"
        "     auto-tuning runs, or the controller is another model than the file's\n"
        "  8  diff: the controller's settings differ from the file\n"
        "  9  monitor --mqtt: messages were not delivered to the broker (their number is on\n"
        "     standard error); a code above says more and takes precedence\n"
        "Several instruments: 0 when every one succeeded, else the code of the first that\n"
        "did not (each one's outcome is on standard error).\n");
    return text;
}
