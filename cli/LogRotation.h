#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// When a log that a monitor run keeps appending to goes on in a new file (--rotate), and what the
// files are called. A file is never replaced: a day's file found again (a restart on the same day)
// is continued, and a name that is taken gets "_2", "_3", ... before its extension.
class LogRotation
{
public:
    enum class Kind {
        None,  // one file for the whole run
        Daily, // a file per local calendar day: "stem_2026-07-04.csv"
        Size,  // a new file before a line would take the file over the size:
               // "stem_2026-07-04_090503.csv", by the time of its first line
    };
    static constexpr qint64 SmallestSize = 4096;

    LogRotation() = default;

    // "daily", or a size in bytes with an optional suffix k, M or G (powers of 1024): "50M".
    // nullopt with the reason for anything else or a size below SmallestSize.
    static std::optional<LogRotation> parse(const QString &text, QString *error);

    Kind kind() const { return m_kind; }
    bool isActive() const { return m_kind != Kind::None; }
    qint64 maxBytes() const { return m_maxBytes; }

    // Whether a line of lineBytes taken at `at` goes to a new file after the file begun at
    // fileStart that holds fileBytes (header included) of which headerBytes are its header.
    bool due(const QDateTime &fileStart, qint64 fileBytes, qint64 headerBytes, const QDateTime &at,
             qint64 lineBytes) const;
    // The file of the log named base ("dir/stem.csv") that begins at start: base itself without
    // rotation; a day's name for Daily; a name of the date and time for Size (and for a new file
    // that a log without rotation has to begin).
    QString pathFor(const QString &base, const QDateTime &start) const;
    // The same name with a time stamp whatever the kind: where a log begins a file it cannot
    // continue.
    static QString timedPath(const QString &base, const QDateTime &start);
    // path when nothing is there, else the first of "stem_2.ext", "stem_3.ext", ... that is free.
    static QString freePath(const QString &path);

private:
    Kind m_kind = Kind::None;
    qint64 m_maxBytes = 0;
};
