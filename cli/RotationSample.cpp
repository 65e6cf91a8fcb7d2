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
