#include "TrendLogWriter.h"

#include "app/MessageTable.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
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

// Qt reports a refused open as a plain open error; what the operator must hear is whether the
// file (or its folder) may not be written, which is where another program's lock or a read-only
// file shows on this system.
TrendLogWriter::Result resultOf(const QFileDevice &file)
{
    const QFileInfo info(file.fileName());
    const QFileInfo folder(info.absolutePath());
    const bool refused =
        file.error() == QFileDevice::PermissionsError ||
        (info.exists() ? !info.isWritable() : folder.exists() && !folder.isWritable());
    return refused ? TrendLogWriter::Result::PermissionDenied : TrendLogWriter::Result::Failed;
}

} // namespace

TrendLogWriter::TrendLogWriter(QString path, Channels channels)
    : m_path(std::move(path)), m_channels(channels)
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

QString TrendLogWriter::dateText(const QDate &date)
{
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

QString TrendLogWriter::timeText(const QTime &time)
{
    // The long form is the one with seconds; the time zone it also carries means nothing for a
    // local sample time.
    const QString longForm = QLocale::system().timeFormat(QLocale::LongFormat);
    QString format;
    bool inQuote = false;
    for (const QChar c : longForm) {
        if (c == QLatin1Char('\''))
            inQuote = !inQuote;
        if (inQuote || c != QLatin1Char('t'))
            format += c;
    }
    return QLocale::system().toString(time, format.simplified());
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
    const QFileInfo target(m_path);
    if (target.exists() && !target.isFile())
        return Result::Failed;
    if (m_created)
        return appendLines(m_path, encoded(dataLine(sample)));
    const Result result = create(quoted(msg(556)) + LineEnd + headingLine() + dataLine(sample));
    m_created = result == Result::Written;
    return result;
}

TrendLogWriter::Result TrendLogWriter::create(const QString &text)
{
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return resultOf(file);
    const QByteArray bytes = encoded(text);
    // flush() before commit(): Qt 6.4's commit() ignores a failure of its own final flush and
    // would leave a cut-off file on a full disk.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        return resultOf(file);
    return Result::Written;
}

TrendLogWriter::Result TrendLogWriter::appendLines(const QString &path, const QByteArray &bytes)
{
    // Unbuffered: one write of the whole line goes straight to the file, so a reader never sees
    // half a line that the writer still means to finish, and no rest of a failed line stays in a
    // buffer to be written after it. What a full disk let through of it is cut off again, so the
    // file only ever holds whole lines.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return resultOf(file);
    const qint64 wholeLines = file.size();
    const bool written = file.write(bytes) == bytes.size();
    const Result result = written ? Result::Written : resultOf(file);
    if (!written)
        file.resize(wholeLines);
    file.close();
    return result;
}
