#pragma once

#include <QString>

class QFileDevice;

// Why a file the program writes could not be written, as the operator is told: the file and the
// reason in plain words ("disk full", "read-only", "not a regular file", otherwise the system's
// own words).
class FileFault
{
public:
    enum class Reason {
        None,
        NotRegularFile, // a FIFO, a device or a folder where the file should be
        ReadOnly,       // the file, its folder or its file system may not be written
        DiskFull,       // no room left: a full disk, a quota or a file size limit
        Other,
    };

    FileFault() = default;
    FileFault(QString path, Reason reason, QString systemText = QString());

    // The fault of writing to path found before anything is tried: NotRegularFile when path
    // exists as something other than a regular file (a FIFO would block the writer, a device would
    // take the text, a rename would replace either); none otherwise.
    static FileFault ofTarget(const QString &path);
    // The fault of a failed open, write or flush of file, from errorNumber, the errno the failing
    // call left (taken at once, before anything else could change it), and the file's own state.
    static FileFault of(const QFileDevice &file, int errorNumber);

    bool isNone() const { return m_reason == Reason::None; }
    Reason reason() const { return m_reason; }
    QString path() const { return m_path; }
    // "disk full", "read-only", "not a regular file" (in the operator's language), or the system's
    // words.
    QString reasonText() const;
    // "PATH (reason)".
    QString text() const;

private:
    QString m_path;
    Reason m_reason = Reason::None;
    QString m_systemText;
};
