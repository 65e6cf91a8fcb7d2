#include "TrendLogReader.h"

#include "base/MessageTable.h"

#include <QFile>
#include <QLocale>
#include <QStringDecoder>

#include <algorithm>
#include <charconv>
#include <limits>

namespace
{

// The longest line the program writes is well under 100 bytes; anything longer is not a sample.
constexpr qsizetype MaxLine = 512;
// Headings must show up within this many bytes, so a large file of another kind is refused fast.
constexpr qsizetype MaxHeadings = 2 * MaxLine;
// Read in pieces, so that a file of any size costs its samples and not a copy of its text.
constexpr qint64 Chunk = qint64(1) << 22;
constexpr qint64 MsPerDay = 86'400'000;
const qint64 UnixJulianDay = QDate(1970, 1, 1).toJulianDay();

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.chop(1);
    return text;
}

QByteArrayView unquoted(QByteArrayView field)
{
    field = trimmed(field);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        field = field.sliced(1, field.size() - 2);
    return trimmed(field);
}

// The fields of one line, without their quotes; the empty field after the trailing comma is
// not one. A quoted field runs to its closing quote, so that a decimal comma inside it stays part
// of it. Returns the count, at most max (-1 when there are more).
int splitFields(QByteArrayView line, QByteArrayView *fields, int max)
{
    line = trimmed(line);
    int count = 0;
    while (!line.isEmpty()) {
        const QByteArrayView field = trimmed(line);
        const qsizetype close = field.startsWith('"') ? field.indexOf('"', 1) : -1;
        const qsizetype comma =
            line.indexOf(',', close < 0 ? 0 : line.size() - field.size() + close + 1);
        if (count == max)
            return -1;
        fields[count++] = unquoted(comma < 0 ? line : line.first(comma));
        line = comma < 0 ? QByteArrayView() : line.sliced(comma + 1);
    }
    return count;
}

// Up to three runs of digits in text; the number found.
int digitRuns(QByteArrayView text, int (&runs)[3], int (&lengths)[3])
{
    int found = 0;
    qsizetype i = 0;
    while (i < text.size() && found < 3) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        int value = 0;
        int length = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && length < 5) {
            value = value * 10 + (text[i] - '0');
            ++length;
            ++i;
        }
        runs[found] = value;
        lengths[found++] = length;
    }
    return found;
}

// A sample value: its number, or NaN when the label showed none ("----", empty, any other text).
// The decimal separator is the one of the locale the log was written under: "." or ",".
float valueOf(QByteArrayView field, int &decimals)
{
    if (!field.isEmpty() && field.front() == '+')
        field = field.sliced(1);
    const QByteArray text = field.toByteArray().replace(',', '.');
    float value = 0;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.isEmpty())
        return std::numeric_limits<float>::quiet_NaN();
    const qsizetype point = text.indexOf('.');
    if (point >= 0)
        decimals = std::max(decimals, int(text.size() - point - 1));
    return value;
}

// The month of an English month abbreviation in text, 0 when there is none.
int monthNamed(QByteArrayView text)
{
    static const char *const names[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
    const QByteArray lower = text.toByteArray().toLower();
    for (int m = 0; m < 12; ++m) {
        if (lower.contains(names[m]))
            return m + 1;
    }
    return 0;
}

QString decoded(QByteArrayView text)
{
    QStringDecoder system(QStringConverter::System);
    const QString asSystem = system.decode(text);
    if (!system.hasError())
        return asSystem;
    return QString::fromUtf8(text);
}

bool isTitle(const QString &field)
{
    return field == MessageTable::instance().text(556, Language::English) ||
           field == MessageTable::instance().text(556, Language::Japanese);
}

} // namespace

QString TrendLog::valueText(int c, qsizetype i) const
{
    const float value = channels[c].values[i];
    if (isGap(value))
        return QStringLiteral("----");
    return QString::number(value, 'f', channels[c].decimals);
}

qsizetype TrendLog::lowerBound(qint64 ms) const
{
    return std::lower_bound(times.begin(), times.end(), ms) - times.begin();
}

void TrendLog::summarise()
{
    for (Channel &channel : channels) {
        const qsizetype whole = qsizetype(channel.values.size()) / Block;
        for (qsizetype b = qsizetype(channel.blocks.size()); b < whole; ++b) {
            const float nan = std::numeric_limits<float>::quiet_NaN();
            Summary summary{nan, nan, nan, nan, false};
            for (qsizetype i = b * Block; i < (b + 1) * Block; ++i) {
                const float value = channel.values[i];
                if (isGap(value)) {
                    summary.gap = true;
                    continue;
                }
                if (isGap(summary.first)) {
                    summary.first = summary.low = summary.high = value;
                }
                summary.last = value;
                summary.low = std::min(summary.low, value);
                summary.high = std::max(summary.high, value);
            }
            channel.blocks.push_back(summary);
        }
    }
}

qsizetype TrendLog::nearestSample(qint64 ms) const
{
    if (times.empty())
        return -1;
    const qsizetype after = lowerBound(ms);
    if (after == size())
        return after - 1;
    if (after == 0)
        return 0;
    return ms - times[after - 1] <= times[after] - ms ? after - 1 : after;
}

TrendLogReader::TrendLogReader(QString path) : m_path(std::move(path))
{
    const QString shortDate = QLocale::system().dateFormat(QLocale::ShortFormat);
    m_dayFirst = shortDate.startsWith(QLatin1Char('d'));
}

QDate TrendLogReader::parseDate(QByteArrayView text, bool dayFirst)
{
    int runs[3];
    int lengths[3];
    const int found = digitRuns(text, runs, lengths);
    // The C locale's short form names the month: "4 Jul 2026".
    if (found == 2)
        return QDate(runs[1], monthNamed(text), runs[0]);
    if (found != 3)
        return {};
    if (lengths[0] == 4)
        return QDate(runs[0], runs[1], runs[2]);
    // The year last, in two digits in the short forms of most systems.
    const int year = lengths[2] <= 2 ? 2000 + runs[2] : runs[2];
    const QDate preferred =
        dayFirst ? QDate(year, runs[1], runs[0]) : QDate(year, runs[0], runs[1]);
    if (preferred.isValid())
        return preferred;
    return dayFirst ? QDate(year, runs[0], runs[1]) : QDate(year, runs[1], runs[0]);
}

int TrendLogReader::parseTimeMs(QByteArrayView text)
{
    int runs[3];
    int lengths[3];
    if (digitRuns(text, runs, lengths) != 3)
        return -1;
    int hour = runs[0];
    // A 12-hour form carries its half of the day as AM/PM or, in Japanese, 午前/午後.
    const bool pm = text.contains("PM") || text.contains("pm") || text.contains("午後");
    const bool am = text.contains("AM") || text.contains("am") || text.contains("午前");
    if ((pm || am) && (hour < 1 || hour > 12))
        return -1;
    if (pm && hour < 12)
        hour += 12;
    if (am && hour == 12)
        hour = 0;
    const QTime time(hour, runs[1], runs[2]);
    return time.isValid() ? time.msecsSinceStartOfDay() : -1;
}

TrendLogReader::Status TrendLogReader::parseHeadings(const QByteArray &bytes, TrendLog &log,
                                                     qsizetype &dataStart)
{
    const qsizetype end1 = bytes.indexOf('\n');
    const qsizetype end2 = end1 < 0 ? -1 : bytes.indexOf('\n', end1 + 1);
    if (end2 < 0)
        return Status::NotTrendLog;
    QByteArrayView fields[8];
    const QByteArrayView bytesView(bytes);
    if (splitFields(bytesView.first(end1), fields, 8) != 1 || !isTitle(decoded(fields[0])))
        return Status::NotTrendLog;
    const int count = splitFields(bytesView.sliced(end1 + 1, end2 - end1 - 1), fields, 8);
    if (count < 3)
        return Status::NotTrendLog;
    static const QStringList known = {QStringLiteral("PV"), QStringLiteral("SV"),
                                      QStringLiteral("MV1"), QStringLiteral("MV2")};
    for (int f = 2; f < count; ++f) {
        const QString name = decoded(fields[f]);
        const bool repeated =
            std::any_of(log.channels.begin(), log.channels.end(),
                        [&](const TrendLog::Channel &c) { return c.name == name; });
        if (!known.contains(name) || repeated)
            return Status::NotTrendLog;
        log.channels.push_back({name, 0, {}, {}});
    }
    dataStart = end2 + 1;
    return Status::Read;
}

TrendLogReader::Status TrendLogReader::read()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::CannotOpen;
    const QByteArray head = file.read(MaxHeadings);
    TrendLog log;
    qsizetype dataStart = 0;
    if (const Status status = parseHeadings(head, log, dataStart); status != Status::Read)
        return status;
    m_log = std::move(log);
    m_skipped = 0;
    m_discarding = false;
    m_consumed = dataStart;
    takeLines(file, head.sliced(dataStart));
    m_log.summarise();
    return Status::Read;
}

qsizetype TrendLogReader::readMore()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    if (file.size() < m_consumed) {
        file.close();
        return read() == Status::Read ? m_log.size() : -1;
    }
    const qsizetype before = m_log.size();
    file.seek(m_consumed);
    takeLines(file, QByteArray());
    m_log.summarise();
    return m_log.size() - before;
}

void TrendLogReader::takeLines(QFile &file, QByteArray pending)
{
    for (;;) {
        const qsizetype taken = parseData(pending);
        m_consumed += taken;
        pending.remove(0, taken);
        if (file.atEnd())
            return;
        pending += file.read(Chunk);
    }
}

qsizetype TrendLogReader::parseData(const QByteArray &bytes)
{
    qsizetype at = 0;
    for (;;) {
        const qsizetype end = bytes.indexOf('\n', at);
        if (end < 0) {
            // A line that runs on past the bound is not one of ours: what there is of it so far
            // is dropped, and the rest up to its end when it comes, so that a file without line
            // ends never piles up in memory.
            if (bytes.size() - at > MaxLine) {
                if (!m_discarding)
                    ++m_skipped;
                m_discarding = true;
                return bytes.size();
            }
            return at;
        }
        const QByteArrayView line = QByteArrayView(bytes).sliced(at, end - at);
        if (m_discarding)
            m_discarding = false;
        else if (!trimmed(line).isEmpty() && (line.size() > MaxLine || !parseLine(line, m_log)))
            ++m_skipped;
        at = end + 1;
    }
}

bool TrendLogReader::parseLine(QByteArrayView line, TrendLog &log) const
{
    QByteArrayView fields[8];
    const int count = splitFields(line, fields, 8);
    const int channels = int(log.channels.size());
    if (count != 2 + channels)
        return false;
    const QDate date = parseDate(fields[0], m_dayFirst);
    const int ms = parseTimeMs(fields[1]);
    if (!date.isValid() || ms < 0)
        return false;
    qint64 at = (date.toJulianDay() - UnixJulianDay) * MsPerDay + ms;
    // A clock set back during the run would draw the trace backwards; such samples stand at the
    // last time instead, so the times stay in order for the cursor and the zoom.
    if (!log.times.empty())
        at = std::max(at, log.times.back());
    log.times.push_back(at);
    for (int c = 0; c < channels; ++c)
        log.channels[c].values.push_back(valueOf(fields[2 + c], log.channels[c].decimals));
    return true;
}
