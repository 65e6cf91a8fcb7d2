#pragma once

#include "LogRotation.h"
#include "MonitorRecord.h"
#include "base/FileFault.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The rows of one instrument in a file of plain rows (--out): CSV with its header line, or JSON
// lines. Each line is appended whole (a line that does not fit is cut off again), so a reader sees
// only whole lines, also while the run goes on. A file holds one header: when the columns change
// (another input type, and with it another unit) a new file begins, as it does when --rotate says
// so.
class RowFile
{
public:
    enum class Format { Csv, Jsonl };
    enum class Existing {
        Continue, // an existing file is continued when its header is this run's
        Replace,  // --force: the file given is replaced (rotated files never are)
    };

    RowFile(QString base, Format format, LogRotation rotation, Existing existing);

    // The line of record; false with fault() when it could not be written (the line is lost, the
    // next write tries again).
    bool write(const MonitorRecord &record);
    const FileFault &fault() const { return m_fault; }
    QString path() const { return m_path; }

private:
    // Picks the file for a line at `at` with this header; false with fault() when the file given
    // cannot be replaced.
    bool begin(const QDateTime &at, const QByteArray &header, bool rotating);
    bool holdsHeader(const QString &path, const QByteArray &header) const;

    const QString m_base;
    const Format m_format;
    const LogRotation m_rotation;
    Existing m_existing;
    QString m_path; // empty until the first line
    QDateTime m_fileStart;
    QByteArray m_header;
    qint64 m_bytes = 0;
    FileFault m_fault;
};
