#include "WholeFileWriter.h"

#include <QSaveFile>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// A QSaveFile that remembers the first write that fell short and the errno it left: Qt's own
// QSaveFile counts a write cut short by a full disk as done when some of it went, and its commit()
// ignores a failure of its final flush, either of which would put a cut-off file in place.
class WholeFileWriter::CheckedSaveFile : public QSaveFile
{
public:
    using QSaveFile::QSaveFile;

    qint64 handedOver = 0;  // bytes the writers passed in
    int shortErrno = 0;     // errno of the first write that fell short
    bool fellShort = false; // some write did not take all its bytes

protected:
    qint64 writeData(const char *data, qint64 length) override
    {
        errno = 0;
        const qint64 written = QSaveFile::writeData(data, length);
        if (written != length && !fellShort) {
            fellShort = true;
            shortErrno = errno;
        }
        handedOver += length;
        return written;
    }
};

WholeFileWriter::WholeFileWriter(const QString &path) : m_path(path) {}

WholeFileWriter::~WholeFileWriter() = default;

bool WholeFileWriter::open()
{
    m_fault = FileFault();
    m_fault = FileFault::ofTarget(m_path);
    if (!m_fault.isNone())
        return false;
    m_file = std::make_unique<CheckedSaveFile>(m_path);
    errno = 0;
    if (!m_file->open(QIODevice::WriteOnly))
        return failed(errno);
    return true;
}

QIODevice &WholeFileWriter::device()
{
    Q_ASSERT(m_file);
    return *m_file;
}

bool WholeFileWriter::write(const QByteArray &bytes)
{
    if (!m_file)
        return false;
    if (m_file->write(bytes) == bytes.size())
        return true;
    return failed(m_file->shortErrno);
}

bool WholeFileWriter::commit()
{
    if (!m_file || !m_file->isOpen())
        return false;
    if (m_file->fellShort)
        return failed(m_file->shortErrno);
    errno = 0;
    if (!m_file->flush())
        return failed(errno);
    // Every byte handed over is in the temporary file, no more and no fewer.
    if (m_file->size() != m_file->handedOver)
        return failed(0);
#ifdef Q_OS_UNIX
    // On the disk before it replaces the old file, so that a crash leaves one of the two whole.
    errno = 0;
    if (::fsync(m_file->handle()) != 0)
        return failed(errno);
#endif
    errno = 0;
    if (!m_file->commit())
        return failed(errno);
    m_file.reset();
    return true;
}

bool WholeFileWriter::failed(int errorNumber)
{
    // QSaveFile goes by the target's name, which is the one the operator knows.
    if (m_fault.isNone())
        m_fault = FileFault::of(*m_file, errorNumber);
    if (m_file->isOpen())
        m_file->cancelWriting();
    return false;
}

FileFault WholeFileWriter::writeAll(const QString &path, const QByteArray &bytes)
{
    WholeFileWriter writer(path);
    if (writer.open() && writer.write(bytes))
        writer.commit();
    return writer.fault();
}
