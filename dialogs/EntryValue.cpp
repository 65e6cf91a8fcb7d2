#include "EntryValue.h"

#include "base/SessionState.h"
#include "comm/ParameterTable.h"

EntryValue::EntryValue(const SettingData &settings, const SettingRanges::EntryRange &range)
    : m_settings(settings), m_range(range)
{
}

std::optional<int> EntryValue::decimals() const
{
    if (m_settings.setting(Code::InputType) >= 30 &&
        SettingRanges::usesDecimalPlace(m_range.code)) {
        const int place = m_settings.setting(Code::DecimalPlace);
        if (place < 0 || place > 3)
            return std::nullopt;
        return place;
    }
    return m_range.oneDecimal ? 1 : 0;
}

bool EntryValue::inRange() const
{
    const std::optional<int> v = value();
    return v && *v >= m_range.limits.min && *v <= m_range.limits.max;
}

void EntryValue::edit(const TenKey &key)
{
    m_keys.edit(key, decimals());
    refresh();
}

bool EntryValue::toggleSign()
{
    m_keys.negate();
    // A literal entry finer than the item is refused by OK, with its own message.
    if (value() && !inRange()) {
        m_keys.clear();
        m_entryText.clear();
        return false;
    }
    refresh();
    return true;
}

void EntryValue::refresh()
{
    if (const auto text = m_keys.displayText(decimals()))
        m_entryText = *text;
}

EntryValue::Outcome EntryValue::accept(SessionState &shared)
{
    if (m_entryText.isEmpty())
        return Outcome::EmptyEntry;
    const std::optional<int> v = value();
    const Outcome outcome = !v          ? Outcome::TooManyDecimals
                            : inRange() ? Outcome::Accepted
                                        : Outcome::OutOfRange;
    if (outcome != Outcome::Accepted) {
        m_keys.clear();
        m_entryText.clear();
        return outcome;
    }
    shared.setting(m_range.code) = qint16(*v);
    // The value as the item shows it ("25." or "2.50" typed): offline it goes onto the page.
    m_keys.setRaw(*v, decimals().value_or(0));
    refresh();
    if (m_range.code == Code::ScaleHigh || m_range.code == Code::ScaleLow)
        shared.rereadFlag = true;
    return Outcome::Accepted;
}
