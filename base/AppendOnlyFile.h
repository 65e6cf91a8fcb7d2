#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

// Appending to a log that must only ever hold whole lines (trend logs, the write journal).
namespace AppendOnlyFile
{

enum class Result {
    Written,
    PermissionDenied, // the file or its folder may not be written (read-only, another's lock)
    Failed,
};

// Appends lines (whole lines, ends included) to path in one unbuffered write, creating the file
// when it is missing; header goes in front of them when the file is empty. What a full disk let
// through of a short write is cut off again, so the file keeps whole lines only. Something other
// than a regular file at path (a FIFO, a device) is never opened: Failed. error, when given,
// receives the system's words for a failure.
Result append(const QString &path, const QByteArray &lines, const QByteArray &header = {},
              QString *error = nullptr);

// Why file could not be opened or written.
Result failureOf(const QFileDevice &file);

// False when path exists as something other than a regular file, which a log must never open:
// a FIFO would block, a device would take the text.
bool isWritableTarget(const QString &path);

} // namespace AppendOnlyFile
