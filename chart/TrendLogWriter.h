#pragma once

#include "base/AppendOnlyFile.h"

#include <QDateTime>
#include <QString>

// One trend log file in comma-separated text. The first sample creates the file (replacing one of
// the same name) with the two heading lines; every later sample appends one line. The file is
// opened and closed for every line, so that another program can read it while the run goes on and
// an interrupted run leaves only complete lines; a line that does not fit (a full disk) is cut
// off again. A path that exists as something other than a regular file (a FIFO, a device) is
// never written: every write fails.
//
// Every field is quoted. Line 1 is message 556 alone; each later line holds its fields each
// followed by a comma. Lines end with CR LF; the text is in the system's 8-bit encoding. A sample
// line starts with the date as yyyy/MM/dd and the time as HH:mm:ss.
class TrendLogWriter
{
public:
    // Which channels the log carries; MV2 only for a controller with a second output.
    struct Channels {
        bool pv = true;
        bool sv = true;
        bool mv1 = true;
        bool mv2 = false;
    };
    // One sample: when it was taken and the value texts as displayed ("25.0", "----").
    struct Sample {
        QDateTime at;
        QString pv;
        QString sv;
        QString mv1;
        QString mv2;
    };
    // PermissionDenied: another program holds the file (message 555 in the desktop program).
    using Result = AppendOnlyFile::Result;

    // With appendToExisting, an existing file is continued: no heading lines, and nothing of it
    // is replaced.
    TrendLogWriter(QString path, Channels channels, bool appendToExisting = false);

    // "2026_7_4_9_5_3.csv": year, month, day, hour, minute, second without leading zeros.
    static QString fileNameFor(const QDateTime &firstSample);
    // The path in folder for a run whose first sample is firstSample: fileNameFor, or, when a
    // file of that name is already there (a run started in the same second), the same name with
    // "_2", "_3", ... before ".csv".
    static QString freePath(const QString &folder, const QDateTime &firstSample);

    // Writes the sample; the line is lost when the result is not Written, and the next sample
    // tries again (creating the file when it was never created).
    Result write(const Sample &sample);

    QString path() const { return m_path; }
    // Why the last write failed, for the operator: the file and the reason.
    const FileFault &fault() const { return m_fault; }

    // "2026/07/04" and "09:05:03" (24-hour) in every language, so that the lines sort and a
    // spreadsheet reads them the same everywhere.
    static QString dateText(const QDate &date);
    static QString timeText(const QTime &time);

private:
    QString headingLine() const;
    QString dataLine(const Sample &sample) const;
    Result create(const QString &text);
    Result append(const QString &text);

    QString m_path;
    Channels m_channels;
    bool m_created = false;
    FileFault m_fault;
};
