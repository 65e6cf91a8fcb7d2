#pragma once

#include "comm/SettingsStore.h"

#include <QTemporaryDir>

// The stored communication conditions as the tool sees them. The core works on a private copy
// of both keys (scratchStore()), so that options given for one run, and whatever the core writes
// back on its way (the protocol when going offline, repaired defaults), never reach the stored
// conditions. Only what the tool means to keep goes to storedStore(): the conditions a search
// found.
class RunSettings
{
public:
    // settingsDir: the folder of the stored conditions instead of the user's usual one (empty:
    // the usual one, which honours XDG_CONFIG_HOME).
    explicit RunSettings(const QString &settingsDir);

    // False when the private copy could not be made.
    bool isValid() const { return m_valid; }

    // Why settingsDir cannot be the folder of the stored conditions, empty when it can: it must be
    // a folder that exists and, unless mayBeNew (search, which stores what it finds), holds stored
    // conditions. A typo must not run a write or a download under the default conditions, which
    // may reach a controller on another line.
    static QString settingsDirProblem(const QString &settingsDir, bool mayBeNew);

    SettingsStore &scratchStore() { return m_scratch; }
    SettingsStore &storedStore() { return m_stored; }

private:
    bool copyToScratch();

    QTemporaryDir m_scratchDir;
    // Native format for the stored conditions, INI for the copy: two formats have two QSettings
    // locations, so both stores work side by side.
    SettingsStore m_stored{QSettings::NativeFormat};
    SettingsStore m_scratch{QSettings::IniFormat};
    bool m_valid = false;
};
