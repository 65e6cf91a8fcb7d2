#include "MonitorRows.h"

#include "CommandLine.h"
#include "Console.h"
#include "PortOption.h"
#include "comm/InstrumentNumber.h"

#include <QDir>
#include <QFileInfo>

MonitorRows::MonitorRows(const CommandLine &commandLine, Console &console)
    : m_commandLine(commandLine), m_console(console),
      m_fileFormat(commandLine.format == RowFormat::Jsonl ? RowFile::Format::Jsonl
                                                          : RowFile::Format::Csv),
      m_severalInstruments(commandLine.stations.size() > 1)
{
}

QString MonitorRows::basePath(const QString &port, int instrument) const
{
    const QString out = m_commandLine.outPath;
    if (!m_severalInstruments && !QFileInfo(out).isDir() && !out.endsWith(QLatin1Char('/')))
        return out;
    const QString extension =
        m_fileFormat == RowFile::Format::Csv ? QStringLiteral("csv") : QStringLiteral("jsonl");
    return QDir(out).filePath(
        QStringLiteral("%1-%2.%3")
            .arg(PortOption::label(port), InstrumentNumber::text(instrument), extension));
}

QString MonitorRows::prepare(const QString &port, const QStringList &instruments)
{
    const QString out = m_commandLine.outPath;
    if (out.isEmpty())
        return QString();
    const bool folder = m_severalInstruments || out.endsWith(QLatin1Char('/'));
    if (folder && !QDir().mkpath(out))
        return QStringLiteral("cannot make the folder %1").arg(out);
    for (const QString &instrument : instruments) {
        const QString path = basePath(port, instrument.toInt());
        const QFileInfo target(path);
        if (target.exists() && !target.isFile())
            return QStringLiteral("%1 is no regular file; no rows are written there").arg(path);
        const bool covered = m_commandLine.appendCsv || m_commandLine.replaceCsv ||
                             m_commandLine.rotation.isActive();
        if (target.isFile() && !covered)
            return QStringLiteral("%1 exists; give --append to add to it or --force to replace it")
                .arg(path);
    }
    return QString();
}

RowFile &MonitorRows::fileOf(const MonitorRecord &record)
{
    auto found = m_files.find(record.instrument);
    if (found == m_files.end()) {
        const RowFile::Existing existing =
            m_commandLine.replaceCsv ? RowFile::Existing::Replace : RowFile::Existing::Continue;
        found =
            m_files
                .emplace(record.instrument, RowFile(basePath(record.port, record.instrument),
                                                    m_fileFormat, m_commandLine.rotation, existing))
                .first;
    }
    return found->second;
}

bool MonitorRows::write(const MonitorRecord &record, const QString &textRow)
{
    const bool toFile = !m_commandLine.outPath.isEmpty();
    if (!m_commandLine.quiet) {
        if (toFile || m_commandLine.format == RowFormat::Text) {
            m_console.line(textRow);
        } else if (m_commandLine.format == RowFormat::Jsonl) {
            m_console.rawLine(QString::fromUtf8(record.jsonLine()));
        } else {
            // A new header line where the columns change (another unit), as a file would begin.
            if (record.csvHeader() != m_printedHeader) {
                m_printedHeader = record.csvHeader();
                m_console.rawLine(m_printedHeader.join(QLatin1Char(',')));
            }
            m_console.rawLine(record.csvLine());
        }
    }
    if (!toFile)
        return true;
    RowFile &file = fileOf(record);
    if (file.write(record))
        return true;
    m_console.errorLine(QStringLiteral("znctl: cannot write %1").arg(file.fault().text()));
    return false;
}
