#include "TrendLogWriter.h"

#include "base/AppendOnlyFile.h"
#include "base/MessageTable.h"
#include "base/WholeFileWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStringEncoder>

namespace
{

const QString LineEnd = QStringLiteral("\r\n");

QString quoted(const QString &field)
{
    return QLatin1Char('"') + field + QLatin1Char('"');
}

QString fieldsLine(const QStringList &fields)
{
    QString line;
    for (const QString &field : fields)
        line += quoted(field) + QLatin1Char(',');
    return line + LineEnd;
}

QByteArray encoded(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

} // namespace

TrendLogWriter::TrendLogWriter(QString path, Channels channels, bool appendToExisting)
    : m_path(std::move(path)), m_channels(channels),
      m_created(appendToExisting && QFileInfo(m_path).isFile())
{
}

QString TrendLogWriter::fileNameFor(const QDateTime &firstSample)
{
    const QDate d = firstSample.date();
    const QTime t = firstSample.time();
    return QStringLiteral("%1_%2_%3_%4_%5_%6.csv")
        .arg(d.year())
        .arg(d.month())
        .arg(d.day())
        .arg(t.hour())
        .arg(t.minute())
        .arg(t.second());
}

QString TrendLogWriter::freePath(const QString &folder, const QDateTime &firstSample)
{
    const QString name = fileNameFor(firstSample);
    QString path = QDir(folder).filePath(name);
    const QString stem = path.chopped(4);
    for (int suffix = 2; QFileInfo::exists(path); ++suffix)
        path = QStringLiteral("%1_%2.csv").arg(stem).arg(suffix);
    return path;
}

QString TrendLogWriter::dateText(const QDate &date)
{
    return QLocale::c().toString(date, QStringLiteral("yyyy/MM/dd"));
}

QString TrendLogWriter::timeText(const QTime &time)
{
    return QLocale::c().toString(time, QStringLiteral("HH:mm:ss"));
}

QString TrendLogWriter::headingLine() const
{
    QStringList fields = {msg(557), msg(558)};
    if (m_channels.pv)
        fields << QStringLiteral("PV");
    if (m_channels.sv)
        fields << QStringLiteral("SV");
    if (m_channels.mv1)
        fields << QStringLiteral("MV1");
    if (m_channels.mv2)
        fields << QStringLiteral("MV2");
    return fieldsLine(fields);
}

QString TrendLogWriter::dataLine(const Sample &sample) const
{
    QStringList fields = {dateText(sample.at.date()), timeText(sample.at.time())};
    if (m_channels.pv)
        fields << sample.pv;
    if (m_channels.sv)
        fields << sample.sv;
    if (m_channels.mv1)
        fields << sample.mv1;
    if (m_channels.mv2)
        fields << sample.mv2;
    return fieldsLine(fields);
}

TrendLogWriter::Result TrendLogWriter::write(const Sample &sample)
{
    // A FIFO or a device given as the log would be replaced by a regular file, or block.
    m_fault = FileFault::ofTarget(m_path);
    if (!m_fault.isNone())
        return Result::Failed;
    if (m_created)
        return append(dataLine(sample));
    const Result result = create(quoted(msg(556)) + LineEnd + headingLine() + dataLine(sample));
    m_created = result == Result::Written;
    return result;
}

TrendLogWriter::Result TrendLogWriter::create(const QString &text)
{
    WholeFileWriter file(m_path);
    if (file.open() && file.write(encoded(text)) && file.commit())
        return Result::Written;
    m_fault = file.fault();
    return m_fault.reason() == FileFault::Reason::ReadOnly ? Result::PermissionDenied
                                                           : Result::Failed;
}

TrendLogWriter::Result TrendLogWriter::append(const QString &text)
{
    return AppendOnlyFile::append(m_path, encoded(text), {}, &m_fault);
}
