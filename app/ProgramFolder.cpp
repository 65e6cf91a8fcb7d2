#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString ProgramFolder::s_path;

QString ProgramFolder::resolve(const QString &override)
{
    QString folder = override;
    if (folder.isEmpty()) {
        const QString exeDir = QCoreApplication::applicationDirPath();
        const QFileInfo info(exeDir);
        folder = (info.isDir() && info.isWritable())
                     ? exeDir
                     : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
    QDir().mkpath(folder);
    s_path = QDir(folder).absolutePath();
    return s_path;
}

QString ProgramFolder::path()
{
    if (s_path.isEmpty())
        resolve();
    return s_path;
}
