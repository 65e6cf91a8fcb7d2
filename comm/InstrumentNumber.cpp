#include "InstrumentNumber.h"

namespace InstrumentNumber
{

Fault check(const QString &text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty())
        return Fault::NotANumber;
    int number = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return Fault::NotANumber;
        // Held just above the range: any longer run of digits is as far out.
        number = qMin(number * 10 + (c.unicode() - '0'), Last + 1);
    }
    return number >= First && number <= Last ? Fault::None : Fault::OutOfRange;
}

std::optional<int> parse(const QString &text)
{
    if (check(text) != Fault::None)
        return std::nullopt;
    return text.trimmed().toInt();
}

QString text(int number)
{
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

QString normalized(const QString &typed)
{
    const std::optional<int> number = parse(typed);
    return number ? text(*number) : QString();
}

QString problem(const QString &typed)
{
    return QStringLiteral("'%1' is not an instrument number from %2 to %3")
        .arg(typed)
        .arg(First)
        .arg(Last);
}

} // namespace InstrumentNumber
