#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

struct SessionState;

// One rotation of one instrument as machine output carries it (CSV rows, JSON lines, MQTT): the
// values as numbers in their units with fixed English names, whatever the system's language, and
// "not read" kept apart from every number. PV is also absent while the controller reports a
// sensor break (over- or underscale); MV2 without a second output.
struct MonitorRecord {
    QDateTime at; // when its PV (or its first value) was read
    QString port; // "COM1", or the device path
    int instrument = 0;
    std::optional<double> pv;
    std::optional<double> sv;
    std::optional<double> mv1;
    std::optional<double> mv2;
    int pvDecimals = 0; // PV and SV as the controller shows them
    // The unit of PV and SV: "°C", "°F", or empty for a scaled (linear) input, whose unit the
    // controller does not know.
    QString unit;
    bool secondOutput = false;
    std::optional<quint16> status; // the status word, when the rotation read it

    // The value of an input type for PV and SV: its unit and the decimals it is shown with.
    static QString unitOf(int inputType);
    static int decimalsOf(int inputType, int decimalPlace);

    // CSV (RFC 4180, comma-separated, one header line):
    //   time,port,instrument,PV (°C),SV (°C),MV1 (%),[MV2 (%),]out1,out2,autoTuning,alarm1,alarm2,
    //   heaterBurnout,overscale,underscale
    // time in ISO 8601 local time with milliseconds and offset; a value or flag not read is an
    // empty field, flags are 0 or 1. MV2 only for a controller with a second output.
    QStringList csvHeader() const;
    QString csvLine() const;
    // {"time":...,"port":"COM1","instrument":1,"pv":25.3,"sv":100,"mv1":42.5,"mv2":null,
    //  "units":{"pv":"°C","sv":"°C","mv1":"%","mv2":"%"},
    //  "lamps":{"out1":true,"out2":false,"autoTuning":false},
    //  "alarms":{"alarm1":false,"alarm2":false,"heaterBurnout":false,"overscale":false,
    //            "underscale":false}}
    // The same keys for every controller and language; null for a value not read (lamps and
    // alarms null when the status word was not read). utc: the time in UTC ("...Z") instead of
    // local time with its offset.
    QJsonObject json(bool utc = false) const;
    QByteArray jsonLine() const;
};
