#include "TenKeyEntry.h"

#include "polling/ValueFormat.h"

namespace
{
constexpr int MaxCharacters = 6;
const QChar Point = QLatin1Char('.');
const QChar Minus = QLatin1Char('-');
const QChar Zero = QLatin1Char('0');
} // namespace

void TenKeyEntry::edit(const TenKey &key, std::optional<int> places)
{
    switch (key.action) {
    case TenKey::Digit:
        typeDigit(key.digit);
        break;
    case TenKey::Point:
        if (places)
            typePoint();
        break;
    case TenKey::Minus:
        negate();
        break;
    case TenKey::Clear:
        clear();
        break;
    case TenKey::PlusMinus:
    case TenKey::Enter:
    case TenKey::Refresh:
        break;
    }
}

void TenKeyEntry::typeDigit(int digit)
{
    const qsizetype typed = m_working.size() - m_working.count(Point);
    if (digit < 0 || digit > 9 || typed >= MaxCharacters)
        return;
    const bool negative = m_working.startsWith(Minus);
    // A whole part that is only a zero takes the digit instead: "05" and "-05" are not numbers
    // anyone writes.
    if (m_working.mid(negative ? 1 : 0) == QString(Zero))
        m_working.chop(1);
    m_working += QString::number(digit);
}

void TenKeyEntry::typePoint()
{
    if (m_working.contains(Point))
        return;
    if (m_working.isEmpty() || m_working == QString(Minus))
        m_working += Zero;
    m_working += Point;
}

void TenKeyEntry::negate()
{
    if (m_working.isEmpty())
        m_working = Zero;
    else if (m_working.startsWith(Minus))
        m_working = m_working.mid(1);
    else if (m_working != QString(Zero))
        m_working = Minus + m_working;
}

void TenKeyEntry::clear()
{
    m_working.clear();
}

void TenKeyEntry::setRaw(int raw, int places)
{
    m_working = NumberFormat::scaled(raw, places);
}

std::optional<int> TenKeyEntry::value(int places) const
{
    const bool negative = m_working.startsWith(Minus);
    const QString unsignedText = negative ? m_working.mid(1) : m_working;
    const qsizetype point = unsignedText.indexOf(Point);
    QString fraction = point < 0 ? QString() : unsignedText.mid(point + 1);
    while (fraction.endsWith(Zero))
        fraction.chop(1);
    if (fraction.size() > places)
        return std::nullopt;
    fraction = fraction.leftJustified(places, Zero);
    // At most six digits scaled by at most 1000 stay inside int.
    const int raw = (unsignedText.left(point < 0 ? unsignedText.size() : point) + fraction).toInt();
    return negative ? -raw : raw;
}

std::optional<QString> TenKeyEntry::displayText(std::optional<int> places) const
{
    if (m_working.isEmpty() || places)
        return m_working;
    return std::nullopt;
}
