#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// What the kernel says of this machine and process, for benchmarks that print their figures with
// the machine's load and for tests that check memory stays flat.
namespace ProcessFigures
{
// The 1, 5 and 15 minute load averages ("0.52 0.61 0.70"); "?" where /proc is not there.
inline QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

// Resident memory in kB; -1 where the kernel does not say.
inline qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}
} // namespace ProcessFigures
