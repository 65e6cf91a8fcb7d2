#pragma once

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
// followed by a comma. Lines end with CR LF; the text is in the system's 8-bit encoding.
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
    enum class Result {
        Written,
        PermissionDenied, // another program holds the file (message 555 in the desktop program)
        Failed,
    };

    TrendLogWriter(QString path, Channels channels);

    // "2026_7_4_9_5_3.csv": year, month, day, hour, minute, second without leading zeros.
    static QString fileNameFor(const QDateTime &firstSample);

    // Writes the sample; the line is lost when the result is not Written, and the next sample
    // tries again (creating the file when it was never created).
    Result write(const Sample &sample);

    QString path() const { return m_path; }

    // Appends bytes (whole lines) to the file at path, creating it when missing; what a short
    // write let through is cut off again, so the file only ever holds whole lines.
    static Result appendLines(const QString &path, const QByteArray &bytes);

    // The date in the system's short form and the time in the system's form with seconds.
    static QString dateText(const QDate &date);
    static QString timeText(const QTime &time);

private:
    QString headingLine() const;
    QString dataLine(const Sample &sample) const;
    Result create(const QString &text);

    QString m_path;
    Channels m_channels;
    bool m_created = false;
};
