#pragma once

#include "chart/TrendLog.h"

#include <QByteArray>
#include <QFile>
#include <QString>

// Reads a trend log that this program wrote: line 1 the single field of message 556 (in either
// language), line 2 the headings (date, time, then PV / SV / MV1 / MV2 as selected), then one
// line per sample, every field quoted and followed by a comma. The date may be in any of the forms
// the program has written ("7/4/26", "04/07/2026", "2026/07/04", "2026-07-04") and the time with
// or without its seconds' word ("9:05:03", "09:05:03", "9時05分03秒", "9:05:03 PM").
//
// The file may still be growing: only whole lines (ended by LF) are taken, and readMore() takes
// the lines appended since. Every line is bounded; a data line that cannot be read is left out
// and counted. A file whose first two lines are not a trend log's is refused whole.
class TrendLogReader
{
public:
    enum class Status {
        Read,
        NotTrendLog, // the first lines are not a trend log's headings
        CannotOpen,
    };

    explicit TrendLogReader(QString path);

    // Reads the file from its start. On anything but Read, log() keeps what it held before.
    Status read();
    // Takes the whole lines added since the last read. A file that became shorter than what was
    // read (replaced by a new run of the same name) is read again from its start. Returns the
    // number of samples added; -1 when the file cannot be read any more or no longer is a log.
    qsizetype readMore();

    const TrendLog &log() const { return m_log; }
    QString path() const { return m_path; }
    // Data lines left out because they could not be read.
    qsizetype skippedLines() const { return m_skipped; }

    // One field of the program's time and date forms; exposed for the tests. Invalid on failure.
    static QDate parseDate(QByteArrayView text, bool dayFirst);
    static int parseTimeMs(QByteArrayView text); // -1 on failure

private:
    // Takes the whole lines of pending and then of the rest of the file into the log.
    void takeLines(QFile &file, QByteArray pending);
    // Takes the whole lines of bytes into the log; returns the bytes taken.
    qsizetype parseData(const QByteArray &bytes);
    bool parseLine(QByteArrayView line, TrendLog &log) const;
    static Status parseHeadings(const QByteArray &bytes, TrendLog &log, qsizetype &dataStart);

    QString m_path;
    TrendLog m_log;
    qsizetype m_consumed = 0; // bytes of whole lines taken so far
    qsizetype m_skipped = 0;
    bool m_discarding = false; // within an overlong line, up to its end
    bool m_dayFirst = false;   // numeric dates with the year last read as day/month
};
