#include "EventLog.h"

#include "base/MessageTable.h"

#include <QFile>

#include <array>
#include <deque>

namespace EventLog
{

namespace
{

// The longest line of ours is far shorter; a longer one is not read.
constexpr qsizetype MaxLine = 256;
// The first message of the events' captions, in the order of Kind.
constexpr int FirstCaption = 1018;

const std::array<const char *, KindCount> Words = {"alarm1-on",
                                                   "alarm1-off",
                                                   "alarm2-on",
                                                   "alarm2-off",
                                                   "heater-burnout-on",
                                                   "heater-burnout-off",
                                                   "sensor-break-on",
                                                   "sensor-break-off",
                                                   "comm-error",
                                                   "offline",
                                                   "online",
                                                   "autotuning-started",
                                                   "autotuning-ended",
                                                   "front-panel-change",
                                                   "transfer-completed",
                                                   "transfer-stopped"};

// Port names and value texts never hold a comma or a line end; should one ever, it must not
// shift the fields of the line.
QString field(const QString &text)
{
    QString clean = text;
    return clean.replace(QLatin1Char(','), QLatin1Char(' '))
        .replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
}

} // namespace

QString word(Kind kind)
{
    return QLatin1String(Words[std::size_t(kind)]);
}

std::optional<Kind> kindOf(QStringView text)
{
    for (int k = 0; k < KindCount; ++k) {
        if (text == QLatin1String(Words[std::size_t(k)]))
            return Kind(k);
    }
    return std::nullopt;
}

QString caption(Kind kind)
{
    return msg(FirstCaption + int(kind));
}

QString fileNameFor(const QDate &date)
{
    return date.toString(QStringLiteral("'events-'yyyy-MM'.csv'"));
}

QByteArray line(const Event &event)
{
    const QStringList fields = {event.at.toString(Qt::ISODate),
                                field(event.port),
                                QString::number(event.instrument),
                                word(event.kind),
                                field(event.pv),
                                field(event.sv),
                                field(event.mv1)};
    return fields.join(QLatin1Char(',')).toUtf8() + "\r\n";
}

std::optional<Event> parse(QByteArrayView text)
{
    if (text.size() > MaxLine)
        return std::nullopt;
    const QStringList fields = QString::fromUtf8(text).trimmed().split(QLatin1Char(','));
    if (fields.size() != 7)
        return std::nullopt;
    Event event;
    event.at = QDateTime::fromString(fields[0], Qt::ISODate);
    bool number = false;
    event.instrument = fields[2].toInt(&number);
    const std::optional<Kind> kind = kindOf(fields[3]);
    if (!event.at.isValid() || !number || !kind)
        return std::nullopt;
    event.port = fields[1];
    event.kind = *kind;
    event.pv = fields[4];
    event.sv = fields[5];
    event.mv1 = fields[6];
    return event;
}

std::vector<Event> latest(const QString &path, int count)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    std::deque<Event> kept;
    while (!file.atEnd()) {
        const QByteArray text = file.readLine(MaxLine + 2);
        if (!text.endsWith('\n')) {
            // An overlong line: skip the rest of it.
            while (!file.atEnd() && !file.readLine(MaxLine + 2).endsWith('\n')) {
            }
            continue;
        }
        if (const std::optional<Event> event = parse(text)) {
            kept.push_back(*event);
            if (int(kept.size()) > count)
                kept.pop_front();
        }
    }
    return std::vector<Event>(kept.rbegin(), kept.rend());
}

} // namespace EventLog
