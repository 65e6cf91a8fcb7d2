#include "sim/SimCommands.h"

#include "sim/SimulatedController.h"

#include <QStringList>

namespace
{

QString ok()
{
    return QStringLiteral("ok");
}

QString error(const QString &text)
{
    return QStringLiteral("error: ") + text;
}

std::optional<int> number(const QStringList &words, int index, int min, int max)
{
    if (index >= words.size())
        return std::nullopt;
    bool valid = false;
    const int value = words.at(index).toInt(&valid, 0);
    if (!valid || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<bool> onOff(const QStringList &words, int index)
{
    if (index >= words.size())
        return true;
    if (words.at(index) == QLatin1String("on"))
        return true;
    if (words.at(index) == QLatin1String("off"))
        return false;
    return std::nullopt;
}

std::optional<quint16> address(const QStringList &words, int index)
{
    if (index >= words.size())
        return std::nullopt;
    bool valid = false;
    const uint value = words.at(index).toUInt(&valid, 16);
    if (!valid || value > 0xFFFF)
        return std::nullopt;
    return quint16(value);
}

QString hex4(int value)
{
    return QString::number(quint16(value), 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

QString status(SimulatedController &sim)
{
    QString text;
    sim.withCore([&](ControllerCore &core) {
        const RegisterBank &bank = core.registers();
        text = QStringLiteral("PV %1 SV %2 MV1 %3 MV2 %4 status %5 %6 requests %7%8%9")
                   .arg(bank.value(RegisterBank::Pv))
                   .arg(bank.value(RegisterBank::SvInUse))
                   .arg(bank.value(RegisterBank::Mv1) / 10.0, 0, 'f', 1)
                   .arg(bank.value(RegisterBank::Mv2) / 10.0, 0, 'f', 1)
                   .arg(hex4(bank.value(RegisterBank::StatusWord)))
                   .arg(wireProtocolName(core.line().protocol))
                   .arg(core.requestCount())
                   .arg(core.inVendorFrame() ? QStringLiteral(" vendor-frame") : QString())
                   .arg(core.keysOperated() ? QStringLiteral(" keys-operated") : QString());
    });
    return text;
}

// The request log, oldest first, one request a line, then "ok"; "log N" the last N only, "log
// clear" empties it.
QString log(SimulatedController &sim, const QStringList &words)
{
    if (words.value(1) == QLatin1String("clear")) {
        sim.clearRequestLog();
        return ok();
    }
    const auto last = number(words, 1, 0, RequestLog::Capacity);
    if (words.size() > 1 && !last)
        return error(QStringLiteral("log takes a count or clear"));
    const QList<LoggedRequest> entries = sim.requestLog();
    QStringList lines;
    for (qsizetype i = last ? std::max<qsizetype>(0, entries.size() - *last) : 0;
         i < entries.size(); ++i)
        lines << entries.at(i).text();
    lines << ok();
    return lines.join(QLatin1Char('\n'));
}

} // namespace

namespace SimCommands
{

QString execute(SimulatedController &sim, const QString &line)
{
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return QString();
    const QString command = words.first().toLower();
    const auto count = number(words, 1, 0, 1000000);
    if (command == QLatin1String("drop") || command == QLatin1String("corrupt") ||
        command == QLatin1String("truncate") || command == QLatin1String("noise")) {
        const int n = words.size() > 1 ? count.value_or(-1) : 1;
        if (n < 0)
            return error(QStringLiteral("%1 takes a count").arg(command));
        if (command == QLatin1String("drop"))
            sim.dropNext(n);
        else if (command == QLatin1String("corrupt"))
            sim.corruptNext(n);
        else if (command == QLatin1String("truncate"))
            sim.truncateNext(n);
        else
            sim.noiseNext(n);
        return ok();
    }
    if (command == QLatin1String("drop-fraction")) {
        bool valid = false;
        const double fraction = words.value(1).toDouble(&valid);
        if (!valid || fraction < 0 || fraction > 1)
            return error(QStringLiteral("drop-fraction takes a fraction from 0 to 1"));
        sim.dropFraction(fraction);
        return ok();
    }
    if (command == QLatin1String("delay")) {
        const auto ms = number(words, 2, 0, 600000);
        if (!count || !ms)
            return error(QStringLiteral("delay takes a count and milliseconds"));
        sim.delayNext(*count, *ms);
        return ok();
    }
    if (command == QLatin1String("keys")) {
        bool valid = false;
        const double seconds = words.value(1).toDouble(&valid);
        const bool delayed = words.size() == 4 && words.at(2) == QLatin1String("after");
        const auto requests = number(words, 3, 0, 1000000);
        if (!valid || seconds < 0 || (words.size() > 2 && (!delayed || !requests)))
            return error(QStringLiteral("keys takes seconds [after N]"));
        if (delayed)
            sim.operateKeysAfter(*requests, int(seconds * 1000));
        else
            sim.operateKeys(int(seconds * 1000));
        return ok();
    }
    if (command == QLatin1String("log"))
        return log(sim, words);
    if (command == QLatin1String("silent")) {
        const auto on = onOff(words, 1);
        if (!on)
            return error(QStringLiteral("silent takes on or off"));
        sim.setSilent(*on);
        return ok();
    }
    if (command == QLatin1String("clear")) {
        sim.clearFaults();
        return ok();
    }
    if (command == QLatin1String("unplug")) {
        sim.unplug();
        return ok();
    }
    if (command == QLatin1String("plug")) {
        if (!sim.plug())
            return error(sim.errorString());
        return sim.slavePath();
    }
    if (command == QLatin1String("panel") || command == QLatin1String("set")) {
        const auto at = address(words, 1);
        const auto value = number(words, 2, -32768, 65535);
        if (!at || !value)
            return error(QStringLiteral("%1 takes a register (hex) and a value").arg(command));
        if (command == QLatin1String("panel"))
            sim.panelSet(*at, qint16(*value));
        else
            sim.setValue(*at, qint16(*value));
        return ok();
    }
    if (command == QLatin1String("get")) {
        const auto at = address(words, 1);
        if (!at)
            return error(QStringLiteral("get takes a register (hex)"));
        return QString::number(sim.value(*at));
    }
    if (command == QLatin1String("sensor-break") || command == QLatin1String("heater-break")) {
        const auto on = onOff(words, 1);
        if (!on)
            return error(QStringLiteral("%1 takes on or off").arg(command));
        const bool sensor = command == QLatin1String("sensor-break");
        sim.withCore([&](ControllerCore &core) {
            if (sensor)
                core.process().setSensorBroken(*on);
            else
                core.process().setHeaterBroken(*on);
        });
        return ok();
    }
    if (command == QLatin1String("station")) {
        const auto station = number(words, 1, 1, 99);
        if (!station)
            return error(QStringLiteral("station takes 1 to 99"));
        sim.setStation(*station);
        return ok();
    }
    if (command == QLatin1String("protocol")) {
        const auto protocol = wireProtocolFromName(words.value(1));
        if (!protocol)
            return error(QStringLiteral("protocol takes ascii, rtu or ravtocol"));
        sim.setProtocol(*protocol);
        return ok();
    }
    if (command == QLatin1String("status"))
        return status(sim);
    if (command == QLatin1String("help"))
        return help();
    return error(QStringLiteral("unknown command \"%1\" (try help)").arg(command));
}

QString help()
{
    return QStringLiteral(
        "Commands (one per line on stdin, or with --fault):\n"
        "  drop [N]            lose the next N replies (default 1); the requests still act\n"
        "  drop-fraction P     lose each reply with probability P (0 to 1)\n"
        "  corrupt [N]         wrong checksum on the next N replies\n"
        "  truncate [N]        send only the first half of the next N replies\n"
        "  noise [N]           noise bytes before the next N replies\n"
        "  delay N MS          hold the next N replies back MS milliseconds more\n"
        "  keys SECONDS [after N]  the front-panel keys are operated: writes refused (exception\n"
        "                      12, Ravtocol error 63, vendor frame NAK) for that long; with\n"
        "                      \"after N\" once N more requests have been answered\n"
        "  silent on|off       answer nothing at all\n"
        "  unplug              close the line as an unplugged adapter does\n"
        "  plug                open it again (a new pty; --link follows it)\n"
        "  clear               every fault above off\n"
        "  panel REG VALUE     change a setting at the front panel (REG hex): status bit 8000\n"
        "                      until the setting flag 0070 is written 1\n"
        "  set REG VALUE       set a register silently; get REG prints one\n"
        "  sensor-break on|off the sensor reads overscale\n"
        "  heater-break on|off no heater current (heater burnout alarm)\n"
        "  station N, protocol ascii|rtu|ravtocol   change the line settings\n"
        "  log [N|clear]       the requests received (the last N), one a line, then \"ok\":\n"
        "                      command, register or item, data, ok / refused CODE / no reply\n"
        "  status              PV, SV, MV1, MV2, status word, protocol, requests so far,\n"
        "                      vendor frame and key operation when in force\n"
        "Each command answers \"ok\", a value, or \"error: ...\" on stdout.");
}

} // namespace SimCommands
