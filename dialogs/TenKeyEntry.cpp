#include "TenKeyEntry.h"

#include "polling/ValueFormat.h"

namespace
{
constexpr int MaxCharacters = 6;
const QChar Point = QLatin1Char('.');
const QChar Minus = QLatin1Char('-');
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
    if (m_literal)
        m_working += QString::number(digit);
    else // Six characters hold at most 999999, far inside long long.
        m_working = QString::number((m_working + QString::number(digit)).toLongLong());
}

void TenKeyEntry::typePoint()
{
    if (m_literal)
        return;
    m_literal = true;
    if (m_working.isEmpty())
        m_working = QStringLiteral("0");
    m_working += Point;
}

void TenKeyEntry::negate()
{
    if (m_literal)
        m_working = m_working.startsWith(Minus) ? m_working.mid(1) : Minus + m_working;
    else
        m_working = QString::number(-m_working.toLongLong());
}

void TenKeyEntry::clear()
{
    m_working.clear();
    m_literal = false;
}

void TenKeyEntry::setRaw(int raw)
{
    m_working = QString::number(raw);
    m_literal = false;
}

std::optional<int> TenKeyEntry::value(int places) const
{
    if (!m_literal)
        return m_working.toInt();
    const bool negative = m_working.startsWith(Minus);
    const QString unsignedText = negative ? m_working.mid(1) : m_working;
    const qsizetype point = unsignedText.indexOf(Point);
    QString fraction = unsignedText.mid(point + 1);
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (fraction.size() > places)
        return std::nullopt;
    fraction = fraction.leftJustified(places, QLatin1Char('0'));
    // At most six digits scaled by at most 1000 stay inside int.
    const int raw = (unsignedText.left(point) + fraction).toInt();
    return negative ? -raw : raw;
}

std::optional<QString> TenKeyEntry::displayText(std::optional<int> places) const
{
    if (m_working.isEmpty() || m_literal)
        return m_working;
    if (!places)
        return std::nullopt;
    if (*places == 0)
        return m_working;
    return NumberFormat::scaled(m_working.toInt(), *places);
}
