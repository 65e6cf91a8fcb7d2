#include "MonitorRecord.h"

#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"
#include "polling/TrafficCsv.h"

#include <QJsonDocument>
#include <QLocale>

#include <initializer_list>
#include <utility>

namespace
{

const QString Percent = QStringLiteral("%");

// The flags of the status word, in the order of the CSV columns, and the JSON object each goes to.
struct Flag {
    const char *name;
    quint16 bit;
    bool lamp;
};
const std::initializer_list<Flag> Flags = {
    {"out1", StatusBit::Out1, true},
    {"out2", StatusBit::Out2, true},
    {"autoTuning", StatusBit::AutoTuning, true},
    {"alarm1", StatusBit::Alarm1, false},
    {"alarm2", StatusBit::Alarm2, false},
    {"heaterBurnout", StatusBit::HeaterBurnout, false},
    {"overscale", StatusBit::OverScale, false},
    {"underscale", StatusBit::UnderScale, false},
};

QString number(std::optional<double> value, int decimals)
{
    return value ? QLocale::c().toString(*value, 'f', decimals) : QString();
}

QJsonValue jsonNumber(std::optional<double> value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QString headed(const char *name, const QString &unit)
{
    return unit.isEmpty() ? QLatin1String(name)
                          : QStringLiteral("%1 (%2)").arg(QLatin1String(name), unit);
}

QString timeText(const QDateTime &at, bool utc)
{
    return utc ? at.toUTC().toString(Qt::ISODateWithMs)
               : at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

} // namespace

QString MonitorRecord::unitOf(int inputType)
{
    if (inputType >= 0 && inputType <= 14)
        return QStringLiteral("°C");
    if (inputType >= 15 && inputType <= 29)
        return QStringLiteral("°F");
    return QString();
}

int MonitorRecord::decimalsOf(int inputType, int decimalPlace)
{
    if (InputType::isTenth(inputType))
        return 1;
    if (InputType::isDc(inputType))
        return decimalPlace >= 0 && decimalPlace <= 3 ? decimalPlace : 0;
    return 0;
}

QStringList MonitorRecord::csvHeader() const
{
    QStringList header = {QStringLiteral("time"),       QStringLiteral("port"),
                          QStringLiteral("instrument"), headed("PV", unit),
                          headed("SV", unit),           headed("MV1", Percent)};
    if (secondOutput)
        header << headed("MV2", Percent);
    for (const Flag &flag : Flags)
        header << QLatin1String(flag.name);
    return header;
}

QString MonitorRecord::csvLine() const
{
    QStringList fields = {timeText(at, false),         TrafficCsv::field(port),
                          QString::number(instrument), number(pv, pvDecimals),
                          number(sv, pvDecimals),      number(mv1, 1)};
    if (secondOutput)
        fields << number(mv2, 1);
    for (const Flag &flag : Flags)
        fields << (status ? QString::number((*status & flag.bit) ? 1 : 0) : QString());
    return fields.join(QLatin1Char(','));
}

QJsonObject MonitorRecord::json(bool utc) const
{
    QJsonObject lamps;
    QJsonObject alarms;
    for (const Flag &flag : Flags) {
        if (status)
            (flag.lamp ? lamps : alarms)
                .insert(QLatin1String(flag.name), (*status & flag.bit) != 0);
    }
    const QJsonValue none(QJsonValue::Null);
    return {
        {QStringLiteral("time"), timeText(at, utc)},
        {QStringLiteral("port"), port},
        {QStringLiteral("instrument"), instrument},
        {QStringLiteral("pv"), jsonNumber(pv)},
        {QStringLiteral("sv"), jsonNumber(sv)},
        {QStringLiteral("mv1"), jsonNumber(mv1)},
        {QStringLiteral("mv2"), jsonNumber(mv2)},
        {QStringLiteral("units"), QJsonObject{{QStringLiteral("pv"), unit},
                                              {QStringLiteral("sv"), unit},
                                              {QStringLiteral("mv1"), Percent},
                                              {QStringLiteral("mv2"), Percent}}},
        {QStringLiteral("lamps"), status ? QJsonValue(lamps) : none},
        {QStringLiteral("alarms"), status ? QJsonValue(alarms) : none},
    };
}

QByteArray MonitorRecord::jsonLine() const
{
    return QJsonDocument(json()).toJson(QJsonDocument::Compact);
}
