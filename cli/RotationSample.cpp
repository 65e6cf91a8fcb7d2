#include "RotationSample.h"

#include "base/ZN8P_INC.h"
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

TrendLogWriter::Sample RotationSample::values(const ZN8P_INC &inc) const
{
    const bool secondOutput = quint16(inc.optionWord()) & OptionBit::HeatCool;
    return {m_at, ifRead(Code::Pv, PvDisplayText(inc)),
            ifRead(Code::Sv, FormatItemValue(inc, Code::Sv)),
            ifRead(Code::Mv1, FormatItemValue(inc, Code::Mv1)),
            secondOutput ? ifRead(Code::Mv2, FormatItemValue(inc, Code::Mv2)) : NoValue};
}

MonitorRecord RotationSample::record(const ZN8P_INC &inc) const
{
    MonitorRecord record;
    record.at = m_at;
    record.port = inc.portName;
    record.instrument = inc.stationAddress.toInt();
    const int inputType = inc.setting(Code::InputType);
    record.unit = MonitorRecord::unitOf(inputType);
    record.pvDecimals = MonitorRecord::decimalsOf(inputType, inc.setting(Code::DecimalPlace));
    record.secondOutput = quint16(inc.optionWord()) & OptionBit::HeatCool;
    record.status = status(inc);
    const auto scaled = [&](int code, int decimals) -> std::optional<double> {
        if (!m_read.contains(code))
            return std::nullopt;
        // One division, so that 2534 with two decimals is the double nearest to 25.34.
        int divisor = 1;
        for (int i = 0; i < decimals; ++i)
            divisor *= 10;
        return double(inc.monitorValues.at(code)) / divisor;
    };
    // A sensor break leaves PV without a value, as the display's "----" says.
    const quint16 word = quint16(inc.statusWord());
    const bool sensorBreak = word & (StatusBit::OverScale | StatusBit::UnderScale);
    record.pv = sensorBreak ? std::nullopt : scaled(Code::Pv, record.pvDecimals);
    record.sv = scaled(Code::Sv, record.pvDecimals);
    record.mv1 = scaled(Code::Mv1, 1);
    record.mv2 = record.secondOutput ? scaled(Code::Mv2, 1) : std::nullopt;
    return record;
}

std::optional<quint16> RotationSample::status(const ZN8P_INC &inc) const
{
    if (!m_read.contains(Code::Status))
        return std::nullopt;
    return quint16(inc.statusWord());
}

QString RotationSample::consoleRow(const ZN8P_INC &inc) const
{
    const TrendLogWriter::Sample v = values(inc);
    const std::optional<quint16> word = status(inc);
    return QStringLiteral("%1  PV %2  SV %3  MV1 %4  MV2 %5  status %6")
        .arg(m_at.time().toString(QStringLiteral("HH:mm:ss")),
             ifRead(Code::Pv, PvDisplayText(inc, true)), v.sv, v.mv1, v.mv2,
             word ? QStringLiteral("%1").arg(*word, 4, 16, QLatin1Char('0')) : NoValue);
}
