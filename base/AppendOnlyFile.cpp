#include "AppendOnlyFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace AppendOnlyFile
{

Result failureOf(const QFileDevice &file)
{
    // Qt reports a refused open as a plain open error; what the operator must hear is whether the
    // file (or its folder) may not be written, which is where another program's lock or a
    // read-only file shows on this system.
    const QFileInfo info(file.fileName());
    const QFileInfo folder(info.absolutePath());
    const bool refused =
        file.error() == QFileDevice::PermissionsError ||
        (info.exists() ? !info.isWritable() : folder.exists() && !folder.isWritable());
    return refused ? Result::PermissionDenied : Result::Failed;
}

Result append(const QString &path, const QByteArray &lines, const QByteArray &header,
              FileFault *fault)
{
    const auto report = [&](const FileFault &found) {
        if (fault)
            *fault = found;
    };
    const FileFault target = FileFault::ofTarget(path);
    report(target);
    if (!target.isNone())
        return Result::Failed;
    // Unbuffered: one write of the whole text goes straight to the file, so a reader never sees
    // half a line that the writer still means to finish, and no rest of a failed line stays in a
    // buffer to be written after it.
    QFile file(path);
    const auto failed = [&](int errorNumber) {
        report(FileFault::of(file, errorNumber));
        return failureOf(file);
    };
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return failed(errno);
    const qint64 wholeLines = file.size();
    const QByteArray bytes = wholeLines == 0 ? header + lines : lines;
    errno = 0;
    const bool written = file.write(bytes) == bytes.size();
    const Result result = written ? Result::Written : failed(errno);
    if (!written)
        file.resize(wholeLines);
    file.close();
    return result;
}

} // namespace AppendOnlyFile
