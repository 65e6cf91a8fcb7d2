#pragma once

#include "base/FileFault.h"

#include <QByteArray>
#include <QString>

class QFileDevice;

// Appending to a log that must only ever hold whole lines (trend logs, the event log, the write
// journal).
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
// than a regular file at path (a FIFO, a device, a folder) is never opened: Failed. fault, when
// given, receives the file and the reason of a failure (none after Written).
Result append(const QString &path, const QByteArray &lines, const QByteArray &header = {},
              FileFault *fault = nullptr);

// Why file could not be opened or written.
Result failureOf(const QFileDevice &file);

} // namespace AppendOnlyFile
