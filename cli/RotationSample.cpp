#include "RotationSample.h"

#include "base/SessionState.h"
#include "comm/ControllerCodes.h"
#include "display/MainDisplayModel.h"
#include "polling/ValueFormat.h"

namespace
{
const QString NoValue = QStringLiteral("----");
} // namespace

void RotationSample::read(int code)
{
    m_read.insert(code);
    if (code == Code::Pv || !m_at.isValid())
        m_at = QDateTime::currentDateTime();
}

void RotationSample::clear()
{
    m_read.clear();
    m_at = QDateTime();
}

QString RotationSample::ifRead(int code, const QString &text) const
{
    return m_read.contains(code) ? text : NoValue;
}

TrendLogWriter::Sample RotationSample::values(const SessionState &shared) const
{
    const bool secondOutput = quint16(shared.optionWord()) & OptionBit::HeatCool;
    return {m_at, ifRead(Code::Pv, pvDisplayText(shared)),
            ifRead(Code::Sv, formatItemValue(shared, Code::Sv)),
            ifRead(Code::Mv1, formatItemValue(shared, Code::Mv1)),
            secondOutput ? ifRead(Code::Mv2, formatItemValue(shared, Code::Mv2)) : NoValue};
}

MonitorRecord RotationSample::record(const SessionState &shared) const
{
    MonitorRecord record;
    record.at = m_at;
    record.port = shared.portName;
    record.instrument = shared.stationAddress.toInt();
    const int inputType = shared.setting(Code::InputType);
    record.unit = MonitorRecord::unitOf(inputType);
    record.pvDecimals = MonitorRecord::decimalsOf(inputType, shared.setting(Code::DecimalPlace));
    record.secondOutput = quint16(shared.optionWord()) & OptionBit::HeatCool;
    record.status = status(shared);
    const auto scaled = [&](int code, int decimals) -> std::optional<double> {
        if (!m_read.contains(code))
            return std::nullopt;
        // One division, so that 2534 with two decimals is the double nearest to 25.34.
        int divisor = 1;
        for (int i = 0; i < decimals; ++i)
            divisor *= 10;
        return double(shared.monitorValues.at(code)) / divisor;
    };
    // A sensor break leaves PV without a value, as the display's "----" says.
    const quint16 word = quint16(shared.statusWord());
    const bool sensorBreak = word & (StatusBit::OverScale | StatusBit::UnderScale);
    record.pv = sensorBreak ? std::nullopt : scaled(Code::Pv, record.pvDecimals);
    record.sv = scaled(Code::Sv, record.pvDecimals);
    record.mv1 = scaled(Code::Mv1, 1);
    record.mv2 = record.secondOutput ? scaled(Code::Mv2, 1) : std::nullopt;
    return record;
}

std::optional<quint16> RotationSample::status(const SessionState &shared) const
{
    if (!m_read.contains(Code::Status))
        return std::nullopt;
    return quint16(shared.statusWord());
}

QString RotationSample::consoleRow(const SessionState &shared) const
{
    const TrendLogWriter::Sample v = values(shared);
    const std::optional<quint16> word = status(shared);
    return QStringLiteral("%1  PV %2  SV %3  MV1 %4  MV2 %5  status %6")
        .arg(m_at.time().toString(QStringLiteral("HH:mm:ss")),
             ifRead(Code::Pv, pvDisplayText(shared, true)), v.sv, v.mv1, v.mv2,
             word ? QStringLiteral("%1").arg(*word, 4, 16, QLatin1Char('0')) : NoValue);
}
