#pragma once

#include "comm/TrafficRecord.h"
#include "polling/TrafficMeaning.h"

#include <QByteArray>
#include <QString>

// The line's exchanges as CSV (RFC 4180, UTF-8 without a byte order mark, lines ended by CR LF),
// for znctl --frames and the line traffic window's "Save as CSV...": one format, whichever wrote
// the file. The column names and the keys in them are English and stable
// whatever the language, so that a script reads every file the same way:
//
//   time          sent, ISO 8601 local time with ms and offset: 2026-07-04T09:05:03.120+02:00
//   port, speed   as the operator knows them: COM3, 9600
//   instrument    the instrument number, two decimal digits in every framing: 01
//   protocol      modbus-ascii, modbus-rtu, ravtocol, vendor
//   search        1 for a probe of the automatic search, else 0
//   command, address, data   the request's fields as the request layer made them
//   request, reply           the bytes, hexadecimal in pairs separated by blanks ("3A 30 31")
//   response_ms   from the request having left the line to the reply; empty when nothing went out
//   verdict       verdictKey()
//   exception     the controller's code as it sent it (Modbus hexadecimal, Ravtocol decimal)
//   noise_before  1 when bytes were dropped before the reply taken
//   access        read or write; empty for bytes between requests
//   code          the parameter code the request addresses; empty when it names none
//   caption       that item's name, in the operator's language
//   value, unit   the value written, or read in a good reply, in the item's own units
namespace TrafficCsv
{
// The header line.
QByteArray header();
// One record as one line. shared, the state of the record's instrument, gives the meaning
// columns (TrafficMeaning, with unitOf for the setting items' units); without it they are empty.
QByteArray line(const TrafficRecord &record, const SessionState *shared = nullptr,
                const TrafficMeaning::UnitOf &unitOf = {});
// One record as one line with the meaning already worked out (the line traffic window keeps the
// one it had when it took the record in); without it the meaning columns are empty.
QByteArray line(const TrafficRecord &record, const ExchangeMeaning *meaning);

// ok, no-reply, checksum, wrong-station, wrong-function, wrong-length, exception, late-reply,
// noise, port-lost.
QString verdictKey(ReplyVerdict verdict);
QString protocolKey(FrameMode mode);
// A field as RFC 4180 wants it: quoted when it holds a comma, a quote or a line end.
QString field(const QString &text);
} // namespace TrafficCsv
