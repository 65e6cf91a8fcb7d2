#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The write journal's files: one per month, "journal-2026-07.csv", in UTF-8 (the journal outlives
// any one machine's code page), lines ended by CR LF, a heading line first, every field quoted
// with a quote inside a field doubled. Line breaks inside a field are written as blanks, so that
// one line is always one entry.
namespace JournalFile
{

enum Column {
    At,         // ISO 8601 date and time with the offset from UTC
    Port,       // "COM1"
    Instrument, // "01"
    Code,       // parameter code
    Item,       // the item's caption in the language in use
    Before,     // display text of the value last read; empty when none was read
    Sent,       // display text of the value sent
    RawBefore,  // the same values as signed 16-bit numbers
    RawSent,
    Outcome, // WriteOutcome::keyword()
    Detail,  // WriteOutcome::detail
    Source,  // "window" or "znctl"
    ColumnCount
};

QString fileName(const QDate &month);
QByteArray headingLine();
QByteArray line(const QStringList &fields);
// The fields of one line (its end removed); nullopt unless it holds ColumnCount well-quoted fields.
std::optional<QStringList> fields(const QString &line);

// At most count entries of the file at path, newest first. Only the file's last MaxTailBytes are
// read, so that a huge file costs no more than a month's; lines that are no entry (the heading,
// a line cut by another program) are passed over.
constexpr qint64 MaxTailBytes = 1 << 20;
QList<QStringList> latest(const QString &path, int count);

} // namespace JournalFile
