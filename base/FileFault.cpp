#include "FileFault.h"

#include "base/MessageTable.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace
{

constexpr int DiskFullMessage = 1151;
constexpr int ReadOnlyMessage = 1152;
constexpr int NotRegularFileMessage = 1153;

FileFault::Reason reasonOf(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
    case EFBIG:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return FileFault::Reason::DiskFull;
    case EROFS:
    case EACCES:
    case EPERM:
        return FileFault::Reason::ReadOnly;
    case EISDIR:
    case ENXIO:
        return FileFault::Reason::NotRegularFile;
    default:
        return FileFault::Reason::Other;
    }
}

} // namespace

FileFault::FileFault(QString path, Reason reason, QString systemText)
    : m_path(std::move(path)), m_reason(reason), m_systemText(std::move(systemText))
{
}

FileFault FileFault::ofTarget(const QString &path)
{
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return FileFault(path, Reason::NotRegularFile);
    return FileFault();
}

FileFault FileFault::of(const QFileDevice &file, int errorNumber)
{
    const QString path = file.fileName();
    Reason reason = reasonOf(errorNumber);
    if (reason == Reason::Other) {
        // Qt's own judgement where the call left no telling errno.
        if (file.error() == QFileDevice::ResourceError)
            reason = Reason::DiskFull;
        else if (file.error() == QFileDevice::PermissionsError)
            reason = Reason::ReadOnly;
    }
    if (reason == Reason::Other) {
        const QFileInfo info(path);
        const QFileInfo folder(info.absolutePath());
        if (info.exists() && !info.isFile())
            reason = Reason::NotRegularFile;
        else if (info.exists() ? !info.isWritable() : folder.exists() && !folder.isWritable())
            reason = Reason::ReadOnly;
    }
    QString systemText =
        errorNumber != 0 ? QString::fromLocal8Bit(std::strerror(errorNumber)) : file.errorString();
    return FileFault(path, reason, systemText);
}

QString FileFault::reasonText() const
{
    switch (m_reason) {
    case Reason::None:
        return QString();
    case Reason::NotRegularFile:
        return msg(NotRegularFileMessage);
    case Reason::ReadOnly:
        return msg(ReadOnlyMessage);
    case Reason::DiskFull:
        return msg(DiskFullMessage);
    case Reason::Other:
        break;
    }
    return m_systemText.isEmpty() ? QStringLiteral("?") : m_systemText;
}

QString FileFault::text() const
{
    return QStringLiteral("%1 (%2)").arg(QDir::toNativeSeparators(m_path), reasonText());
}
