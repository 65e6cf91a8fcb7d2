#include "LogRotation.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace
{

// "dir/stem" and ".ext" of a path; no extension when the name has none.
std::pair<QString, QString> split(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    if (suffix.isEmpty() || info.fileName() == QLatin1Char('.') + suffix)
        return {path, QString()};
    return {path.chopped(suffix.size() + 1), QLatin1Char('.') + suffix};
}

QString stamped(const QString &base, const QString &stamp)
{
    const auto [stem, extension] = split(base);
    return stem + QLatin1Char('_') + stamp + extension;
}

} // namespace

std::optional<LogRotation> LogRotation::parse(const QString &text, QString *error)
{
    LogRotation rotation;
    if (text == QLatin1String("daily")) {
        rotation.m_kind = Kind::Daily;
        return rotation;
    }
    static const QRegularExpression size(QStringLiteral("^([0-9]{1,12})([kKmMgG]?)$"));
    const QRegularExpressionMatch match = size.match(text);
    qint64 bytes = match.hasMatch() ? match.captured(1).toLongLong() : 0;
    const QString unit = match.captured(2).toLower();
    const int shift = unit == QLatin1String("g")   ? 30
                      : unit == QLatin1String("m") ? 20
                      : unit == QLatin1String("k") ? 10
                                                   : 0;
    bytes <<= shift;
    if (bytes < SmallestSize) {
        *error = QStringLiteral("invalid value '%1' for --rotate (expected daily, or a size of at "
                                "least %2 bytes such as 50M)")
                     .arg(text)
                     .arg(SmallestSize);
        return std::nullopt;
    }
    rotation.m_kind = Kind::Size;
    rotation.m_maxBytes = bytes;
    return rotation;
}

bool LogRotation::due(const QDateTime &fileStart, qint64 fileBytes, qint64 headerBytes,
                      const QDateTime &at, qint64 lineBytes) const
{
    switch (m_kind) {
    case Kind::Daily:
        return at.date() != fileStart.date();
    case Kind::Size:
        // A file always takes one line, however long.
        return fileBytes > headerBytes && fileBytes + lineBytes > m_maxBytes;
    case Kind::None:
        break;
    }
    return false;
}

QString LogRotation::pathFor(const QString &base, const QDateTime &start) const
{
    switch (m_kind) {
    case Kind::Daily:
        return stamped(base, QLocale::c().toString(start.date(), QStringLiteral("yyyy-MM-dd")));
    case Kind::Size:
        return timedPath(base, start);
    case Kind::None:
        break;
    }
    return base;
}

QString LogRotation::timedPath(const QString &base, const QDateTime &start)
{
    return stamped(base, QLocale::c().toString(start, QStringLiteral("yyyy-MM-dd_HHmmss")));
}

QString LogRotation::freePath(const QString &path)
{
    const auto [stem, extension] = split(path);
    QString free = path;
    for (int suffix = 2; QFileInfo::exists(free); ++suffix)
        free = QStringLiteral("%1_%2%3").arg(stem).arg(suffix).arg(extension);
    return free;
}
