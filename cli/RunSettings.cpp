#include "RunSettings.h"

#include <QFileInfo>
#include <QSettings>

RunSettings::RunSettings(const QString &settingsDir)
{
    if (!settingsDir.isEmpty())
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir);
    m_valid = m_scratchDir.isValid() && copyToScratch();
}

QString RunSettings::settingsDirProblem(const QString &settingsDir, bool mayBeNew)
{
    const QFileInfo folder(settingsDir);
    if (!folder.exists())
        return QStringLiteral("--settings-dir %1: no such folder").arg(settingsDir);
    if (!folder.isDir())
        return QStringLiteral("--settings-dir %1: not a folder").arg(settingsDir);
    if (mayBeNew)
        return QString();
    // Where the native format keeps each key's values under this folder.
    for (const QString &organization :
         {SettingsStore::FirstOrganization, SettingsStore::SecondOrganization}) {
        if (QFileInfo::exists(QStringLiteral("%1/%2/%3.conf")
                                  .arg(settingsDir, organization, SettingsStore::Application)))
            return QString();
    }
    return QStringLiteral("--settings-dir %1 holds no stored conditions (%2/%3.conf); store them "
                          "there with 'znctl search --settings-dir %1'")
        .arg(settingsDir, SettingsStore::FirstOrganization, SettingsStore::Application);
}

bool RunSettings::copyToScratch()
{
    // Without an explicit path of its own the native format would fall back on the INI path.
    const QString storedLocation =
        QFileInfo(QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("x"))
                      .fileName())
            .absolutePath();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, storedLocation);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_scratchDir.path());
    for (const QString &organization :
         {SettingsStore::FirstOrganization, SettingsStore::SecondOrganization}) {
        const QSettings stored(QSettings::NativeFormat, QSettings::UserScope, organization,
                               SettingsStore::Application);
        QSettings scratch(QSettings::IniFormat, QSettings::UserScope, organization,
                          SettingsStore::Application);
        for (const QString &key : stored.allKeys())
            scratch.setValue(key, stored.value(key));
        scratch.sync();
        if (scratch.status() != QSettings::NoError)
            return false;
    }
    return true;
}
