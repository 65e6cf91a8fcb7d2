#include "EntryValue.h"

#include "app/ZN8P_INC.h"
#include "polling/ValueFormat.h"
#include "transfer/ParameterTable.h"
#include "transfer/SettingRanges.h"

namespace
{
constexpr int MaxCharacters = 6;
} // namespace

EntryValue::EntryValue(const ZN8P_INC &inc) : m_inc(inc) {}

int EntryValue::value() const
{
    return m_working.toInt();
}

bool EntryValue::inRange() const
{
    const int v = value();
    return v >= m_inc.editMin && v <= m_inc.editMax;
}

void EntryValue::setWorking(long long value)
{
    m_working = QString::number(value);
    refresh();
}

void EntryValue::typeDigit(int digit)
{
    if (digit < 0 || digit > 9 || m_working.size() >= MaxCharacters)
        return;
    // Six characters hold at most 999999, so the sum stays far inside long long.
    setWorking((m_working + QString::number(digit)).toLongLong());
}

void EntryValue::negate()
{
    setWorking(-m_working.toLongLong());
}

bool EntryValue::toggleSign()
{
    m_working = QString::number(-m_working.toLongLong());
    if (!inRange()) {
        clear();
        return false;
    }
    refresh();
    return true;
}

void EntryValue::clear()
{
    m_working.clear();
    m_entryText.clear();
}

void EntryValue::refresh()
{
    if (const auto text = displayText())
        m_entryText = *text;
}

std::optional<QString> EntryValue::displayText() const
{
    const int v = value();
    const int code = m_inc.itemCode;
    if (m_inc.setting(ParameterTable::InputTypeCode) >= 30 &&
        SettingRanges::usesDecimalPlace(code)) {
        const int place = m_inc.setting(ParameterTable::DecimalPlaceCode);
        if (place < 0 || place > 3)
            return std::nullopt;
        return NumberFormat::byDecimalPlace(v, place);
    }
    if (m_inc.editOneDecimal)
        return NumberFormat::scaled(v, 1);
    return m_working;
}

EntryValue::Outcome EntryValue::accept(ZN8P_INC &inc)
{
    if (m_entryText.isEmpty())
        return Outcome::EmptyEntry;
    if (!inRange()) {
        clear();
        return Outcome::OutOfRange;
    }
    inc.setting(inc.itemCode) = qint16(value());
    if (inc.itemCode == ParameterTable::ScaleHighCode ||
        inc.itemCode == ParameterTable::ScaleLowCode)
        inc.rereadFlag = true;
    return Outcome::Accepted;
}
