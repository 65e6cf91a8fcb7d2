#pragma once

#include "base/FileFault.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;

// A file the program writes in one piece (a settings data file, a report, an export, a chart
// settings file, the start of a trend log) lands whole or not at all. The bytes go to a temporary
// file beside the target, which replaces the target only when every byte handed over was written,
// the temporary file holds exactly that many and they are on the disk; otherwise the target stays
// as it was and fault() says why. A target that exists as something other than a regular file (a
// FIFO, a device, a folder) is never opened or replaced.
class WholeFileWriter
{
public:
    explicit WholeFileWriter(const QString &path);
    // Without commit() the temporary file is removed and the target left alone.
    ~WholeFileWriter();
    WholeFileWriter(const WholeFileWriter &) = delete;
    WholeFileWriter &operator=(const WholeFileWriter &) = delete;

    // Makes the temporary file. False, with fault(), when the target is no regular file or the
    // temporary file cannot be made (a read-only folder, a missing one).
    bool open();
    // Where the bytes go after open(): for a writer that takes a device (QPdfWriter, QImage::save).
    QIODevice &device();
    // Writes bytes; false, with fault(), when they did not all go.
    bool write(const QByteArray &bytes);
    // Puts the file in place when every write went whole; false, with fault(), otherwise (the
    // target is then untouched).
    bool commit();

    const FileFault &fault() const { return m_fault; }

    // open(), write(bytes), commit(): the fault, none when the file landed.
    static FileFault writeAll(const QString &path, const QByteArray &bytes);

private:
    class CheckedSaveFile;
    bool failed(int errorNumber);

    QString m_path;
    std::unique_ptr<CheckedSaveFile> m_file;
    FileFault m_fault;
};
