#include "JournalFile.h"

#include <QDateTime>
#include <QFile>

namespace JournalFile
{

namespace
{

const QString LineEnd = QStringLiteral("\r\n");

QString quoted(QString field)
{
    field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    field.replace(QLatin1Char('\r'), QLatin1Char(' '));
    field.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

} // namespace

QString fileName(const QDate &month)
{
    return QStringLiteral("journal-%1-%2.csv")
        .arg(month.year(), 4, 10, QLatin1Char('0'))
        .arg(month.month(), 2, 10, QLatin1Char('0'));
}

QByteArray headingLine()
{
    return line({QStringLiteral("Date and time"), QStringLiteral("Port"),
                 QStringLiteral("Instrument"), QStringLiteral("Code"), QStringLiteral("Item"),
                 QStringLiteral("Value before"), QStringLiteral("Value sent"),
                 QStringLiteral("Raw before"), QStringLiteral("Raw sent"),
                 QStringLiteral("Outcome"), QStringLiteral("Detail"), QStringLiteral("Source")});
}

QByteArray line(const QStringList &fields)
{
    QStringList quotedFields;
    for (const QString &field : fields)
        quotedFields << quoted(field);
    return (quotedFields.join(QLatin1Char(',')) + LineEnd).toUtf8();
}

std::optional<QStringList> fields(const QString &line)
{
    QStringList result;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        if (line.at(i) != QLatin1Char('"'))
            return std::nullopt;
        QString field;
        ++i;
        for (;;) {
            if (i >= n)
                return std::nullopt; // no closing quote
            if (line.at(i) == QLatin1Char('"')) {
                if (i + 1 < n && line.at(i + 1) == QLatin1Char('"')) {
                    field += QLatin1Char('"');
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            field += line.at(i++);
        }
        result << field;
        if (i == n)
            break;
        if (line.at(i) != QLatin1Char(','))
            return std::nullopt;
        ++i;
    }
    if (result.size() != ColumnCount)
        return std::nullopt;
    return result;
}

QList<QStringList> latest(const QString &path, int count)
{
    QFile file(path);
    if (count <= 0 || !file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    const bool tailOnly = size > MaxTailBytes;
    if (tailOnly && !file.seek(size - MaxTailBytes))
        return {};
    QList<QByteArray> lines = file.read(MaxTailBytes).split('\n');
    // A tail begins inside some line: that piece is no entry.
    if (tailOnly && !lines.isEmpty())
        lines.removeFirst();
    QList<QStringList> entries;
    for (auto it = lines.crbegin(); it != lines.crend() && entries.size() < count; ++it) {
        QString text = QString::fromUtf8(*it);
        if (text.endsWith(QLatin1Char('\r')))
            text.chop(1);
        // The heading is the one line whose first field is no date.
        const std::optional<QStringList> entry = fields(text);
        if (entry && QDateTime::fromString(entry->at(At), Qt::ISODate).isValid())
            entries << *entry;
    }
    return entries;
}

} // namespace JournalFile
