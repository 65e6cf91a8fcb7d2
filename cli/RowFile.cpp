#include "RowFile.h"

#include "base/AppendOnlyFile.h"

#include <QFile>
#include <QFileInfo>

namespace
{
const QByteArray CsvLineEnd = QByteArrayLiteral("\r\n");
} // namespace

RowFile::RowFile(QString base, Format format, LogRotation rotation, Existing existing)
    : m_base(std::move(base)), m_format(format), m_rotation(rotation), m_existing(existing)
{
}

bool RowFile::write(const MonitorRecord &record)
{
    const bool csv = m_format == Format::Csv;
    const QByteArray line =
        csv ? record.csvLine().toUtf8() + CsvLineEnd : record.jsonLine() + QByteArrayLiteral("\n");
    const QByteArray header =
        csv ? record.csvHeader().join(QLatin1Char(',')).toUtf8() + CsvLineEnd : QByteArray();
    const bool due = !m_path.isEmpty() &&
                     m_rotation.due(m_fileStart, m_bytes, m_header.size(), record.at, line.size());
    if ((m_path.isEmpty() || due || header != m_header) && !begin(record.at, header, due))
        return false;
    const bool empty = m_bytes == 0;
    if (AppendOnlyFile::append(m_path, line, header, &m_fault) != AppendOnlyFile::Result::Written)
        return false;
    m_bytes += (empty ? header.size() : 0) + line.size();
    return true;
}

bool RowFile::begin(const QDateTime &at, const QByteArray &header, bool rotating)
{
    const bool first = m_path.isEmpty();
    // Another header in the middle of a run: a new file of its own, whatever the rotation.
    QString path =
        first || rotating ? m_rotation.pathFor(m_base, at) : LogRotation::timedPath(m_base, at);
    if (first && m_existing == Existing::Replace && !m_rotation.isActive()) {
        m_fault = FileFault::ofTarget(path);
        QFile file(path);
        if (!m_fault.isNone() || (file.exists() && !file.remove())) {
            if (m_fault.isNone())
                m_fault = FileFault(path, FileFault::Reason::Other, file.errorString());
            return false;
        }
    }
    // A day's file, or the file given, is continued when it holds this run's header; anything
    // else that is there stays as it is.
    const bool continues = (m_rotation.kind() != LogRotation::Kind::Size || first) &&
                           QFileInfo(path).isFile() && holdsHeader(path, header);
    if (QFileInfo::exists(path) && !continues)
        path = LogRotation::freePath(path);
    m_path = path;
    m_fileStart = at;
    m_header = header;
    m_bytes = QFileInfo(path).isFile() ? QFileInfo(path).size() : 0;
    return true;
}

bool RowFile::holdsHeader(const QString &path, const QByteArray &header) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() == 0 || header.isEmpty())
        return true;
    return file.read(header.size()) == header;
}
