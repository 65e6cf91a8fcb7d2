#include "EntryValue.h"

#include "base/ZN8P_INC.h"
#include "comm/ParameterTable.h"
#include "polling/ValueFormat.h"
#include "transfer/SettingRanges.h"

namespace
{
constexpr int MaxCharacters = 6;
const QChar Point = QLatin1Char('.');
const QChar Minus = QLatin1Char('-');
} // namespace

EntryValue::EntryValue(const ZN8P_INC &inc) : m_inc(inc) {}

std::optional<int> EntryValue::decimals() const
{
    if (m_inc.setting(Code::InputType) >= 30 && SettingRanges::usesDecimalPlace(m_inc.itemCode)) {
        const int place = m_inc.setting(Code::DecimalPlace);
        if (place < 0 || place > 3)
            return std::nullopt;
        return place;
    }
    return m_inc.editOneDecimal ? 1 : 0;
}

std::optional<int> EntryValue::value() const
{
    if (!m_literal)
        return m_working.toInt();
    const bool negative = m_working.startsWith(Minus);
    const QString unsignedText = negative ? m_working.mid(1) : m_working;
    const qsizetype point = unsignedText.indexOf(Point);
    QString fraction = unsignedText.mid(point + 1);
    // Trailing zeros say nothing finer than the item's step: 2.50 is 2.5.
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    const int places = decimals().value_or(0);
    if (fraction.size() > places)
        return std::nullopt;
    fraction = fraction.leftJustified(places, QLatin1Char('0'));
    // At most six digits scaled by at most 1000 stay inside int.
    const int raw = (unsignedText.left(point) + fraction).toInt();
    return negative ? -raw : raw;
}

bool EntryValue::inRange() const
{
    const std::optional<int> v = value();
    return v && *v >= m_inc.editMin && *v <= m_inc.editMax;
}

int EntryValue::typedDigits() const
{
    return int(m_working.size() - m_working.count(Point));
}

void EntryValue::setWorking(long long value)
{
    m_working = QString::number(value);
    refresh();
}

void EntryValue::typeDigit(int digit)
{
    if (digit < 0 || digit > 9 || typedDigits() >= MaxCharacters)
        return;
    if (m_literal) {
        m_working += QString::number(digit);
        refresh();
        return;
    }
    // Six characters hold at most 999999, so the sum stays far inside long long.
    setWorking((m_working + QString::number(digit)).toLongLong());
}

void EntryValue::typePoint()
{
    if (m_literal || !decimals())
        return;
    m_literal = true;
    if (m_working.isEmpty())
        m_working = QStringLiteral("0");
    m_working += Point;
    refresh();
}

void EntryValue::negate()
{
    if (!m_literal) {
        setWorking(-m_working.toLongLong());
        return;
    }
    m_working = m_working.startsWith(Minus) ? m_working.mid(1) : Minus + m_working;
    refresh();
}

bool EntryValue::toggleSign()
{
    if (m_literal) {
        m_working = m_working.startsWith(Minus) ? m_working.mid(1) : Minus + m_working;
    } else {
        m_working = QString::number(-m_working.toLongLong());
    }
    // A literal entry finer than the item is refused by OK, with its own message.
    if (value() && !inRange()) {
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
    m_literal = false;
}

void EntryValue::refresh()
{
    if (const auto text = displayText())
        m_entryText = *text;
}

std::optional<QString> EntryValue::displayText() const
{
    if (m_literal)
        return m_working;
    const std::optional<int> places = decimals();
    if (!places)
        return std::nullopt;
    if (*places == 0)
        return m_working;
    return NumberFormat::scaled(m_working.toInt(), *places);
}

EntryValue::Outcome EntryValue::accept(ZN8P_INC &inc)
{
    if (m_entryText.isEmpty())
        return Outcome::EmptyEntry;
    const std::optional<int> v = value();
    if (!v) {
        clear();
        return Outcome::TooManyDecimals;
    }
    if (!inRange()) {
        clear();
        return Outcome::OutOfRange;
    }
    inc.setting(inc.itemCode) = qint16(*v);
    // The value as the item shows it ("25." or "2.50" typed): offline it goes onto the page.
    m_literal = false;
    setWorking(*v);
    if (inc.itemCode == Code::ScaleHigh || inc.itemCode == Code::ScaleLow)
        inc.rereadFlag = true;
    return Outcome::Accepted;
}
