#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString ProgramFolder::s_path;

QString ProgramFolder::resolve(const QString &override)
{
    QString folder = override;
    if (folder.isEmpty())
        folder = choose(QCoreApplication::applicationDirPath(), userDataFolder());
    QDir().mkpath(folder);
    s_path = QDir(folder).absolutePath();
    return s_path;
}

QString ProgramFolder::userDataFolder()
{
    // The desktop program's organization and application names, as its stored conditions use
    // them; the running program's own names (znctl) would make a folder of their own.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Dorvatech RQA Control/ZN Monitor");
}

QString ProgramFolder::choose(const QString &exeDir, const QString &userDataDir)
{
    const QFileInfo info(exeDir);
    const bool installed = QFileInfo::exists(
        exeDir + QStringLiteral("/../share/applications/" ZN_DESKTOP_ID ".desktop"));
    return (info.isDir() && info.isWritable() && !installed) ? exeDir : userDataDir;
}

QString ProgramFolder::path()
{
    if (s_path.isEmpty())
        resolve();
    return s_path;
}
