#pragma once

#include "MonitorRecord.h"
#include "chart/TrendLogWriter.h"

#include <QDateTime>
#include <QSet>

#include <optional>

struct SessionState;

// What one rotation of monitor reads gives, as the program shows it: each value the rotation read,
// "----" for one it did not (and for MV2 without a second output), stamped with the time its PV
// (or its first value) was read: a rotation slowed by reply timeouts ends seconds after that.
class RotationSample
{
public:
    // A monitor read of code answered just now.
    void read(int code);
    bool isEmpty() const { return m_read.isEmpty(); }
    void clear();

    // The values as the trend log and the plant link take them.
    TrendLogWriter::Sample values(const SessionState &shared) const;
    // The values as machine output carries them: numbers in their units, none where not read.
    MonitorRecord record(const SessionState &shared) const;
    // The status word, when this rotation read it.
    std::optional<quint16> status(const SessionState &shared) const;
    // The console's row: "09:05:03  PV 25.0  SV 30.0  MV1 45.5  MV2 ----  status 0001", PV with
    // its over- or underscale marker.
    QString consoleRow(const SessionState &shared) const;

private:
    QString ifRead(int code, const QString &text) const;

    QSet<int> m_read;
    QDateTime m_at;
};
