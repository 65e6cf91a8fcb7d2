#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

// What happened to the controller while online, one line per event in Logging/events-YYYY-MM.csv:
//   2026-07-04T09:05:03,COM1,1,alarm1-on,25.0,30.0,45.5
// (local time in ISO 8601, port, instrument number, event, PV, SV, MV1 as displayed). Lines are
// appended whole and never replaced; the event names are fixed words, the same in every language,
// so a log reads the same wherever it was written.
namespace EventLog
{

enum class Kind {
    Alarm1On,
    Alarm1Off,
    Alarm2On,
    Alarm2Off,
    HeaterBurnoutOn,
    HeaterBurnoutOff,
    SensorBreakOn,
    SensorBreakOff,
    CommError,
    Offline,
    Online,
    AutoTuningStarted,
    AutoTuningEnded,
    FrontPanelChange,
    TransferCompleted,
    TransferStopped,
};
constexpr int KindCount = int(Kind::TransferStopped) + 1;

struct Event {
    QDateTime at;
    QString port;
    int instrument = 0;
    Kind kind = Kind::CommError;
    QString pv;
    QString sv;
    QString mv1;
};

// "alarm1-on", ...; and back (nothing for an unknown word).
QString word(Kind kind);
std::optional<Kind> kindOf(QStringView word);
// The operator's name of the event (a message of the table).
QString caption(Kind kind);

// "events-2026-07.csv" for any day of July 2026.
QString fileNameFor(const QDate &date);
QByteArray line(const Event &event);
std::optional<Event> parse(QByteArrayView line);

// The last `count` events of a file (lines that cannot be read are left out), newest first.
std::vector<Event> latest(const QString &path, int count);

} // namespace EventLog
