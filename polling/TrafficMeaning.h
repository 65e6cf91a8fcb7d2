#pragma once

#include "comm/TrafficRecord.h"

#include <QString>

#include <functional>

struct SessionState;

// What one exchange meant to the controller: a read or a write of which item, and the value sent
// or read in the item's own units. Worked out when shown, from the request's fields and the
// reply's text, so that captions follow the operator's language.
struct ExchangeMeaning {
    bool write = false;
    int code = -1;   // the parameter code (0 to 65), -1 when the address names none
    QString caption; // what the item is called; empty when code is -1
    QString value;   // the value written, or read back in a good reply; empty when there is none
    QString unit;    // the value's unit where one is known ("°C", "%", "s")
};

namespace TrafficMeaning
{
// The unit of a code's value for the present input type; the windows and znctl know the units of
// the setting pages, the core only those of the monitored values.
using UnitOf = std::function<QString(const SessionState &, int code)>;

ExchangeMeaning of(const TrafficRecord &record, const SessionState &shared,
                   const UnitOf &unitOf = {});

// The parameter code a request address names in the record's framing; -1 for none.
int codeAt(FrameMode mode, const QString &address, const SessionState &shared);
} // namespace TrafficMeaning
