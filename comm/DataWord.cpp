#include "DataWord.h"

#include "base/SessionState.h"

namespace DataWord
{

QString toHex(qint16 value)
{
    return QStringLiteral("%1").arg(static_cast<quint16>(value), 4, 16, QLatin1Char('0')).toUpper();
}

QString swapBytes(const QString &word)
{
    if (word.size() != 4)
        return word;
    return word.mid(2, 2) + word.left(2);
}

QString dataField(qint16 value, qint16 protocolIndex)
{
    const QString word = toHex(value);
    return protocolIndex == Ravtocol ? swapBytes(word) : word;
}

qint16 fromHex(const QString &word, bool *ok)
{
    bool valid = !word.isEmpty() && word.size() <= 4;
    quint16 raw = 0;
    for (int i = 0; valid && i < word.size(); ++i) {
        const int digit = QStringLiteral("0123456789ABCDEF").indexOf(word.at(i).toUpper());
        valid = digit >= 0;
        raw = static_cast<quint16>(raw * 16 + digit);
    }
    if (ok)
        *ok = valid;
    return valid ? static_cast<qint16>(raw) : 0;
}

} // namespace DataWord
