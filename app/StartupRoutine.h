#pragma once

#include "app/SingleInstance.h"

#include <QString>

#include <memory>

struct ZN8P_INC;
class OperatorInterface;

// The start routine's steps before any window: one instance only, the program folder with
// "Logging" and "Setdata" as the current folder, the settings data file from the command line or
// the defaults of settingValues, commActive cleared. Each step returns false when the program is to
// end.
class StartupRoutine
{
public:
    enum class FileOutcome {
        Defaults, // no file named: the defaults
        Loaded,   // the named file was read
        Missing,  // the named file does not exist: message 39, the defaults
        Failed,   // the named file cannot be used: message 950 (957) with 959, the defaults
    };

    StartupRoutine(ZN8P_INC &inc, OperatorInterface &op);
    ~StartupRoutine();

    // Message 56 (critical icon), a beep and false when another copy holds the lock; the lock is
    // kept for the life of this object.
    bool claimSingleInstance(const QString &lockDirectory = QString());
    // Makes the program folder the current folder and creates "Logging" and "Setdata" in it.
    bool prepareFolders();
    // The command-line rule (StartupArgs::settingsFilePath). A good file (SettingsDataFile::read)
    // is taken and sets settingDataValid, keepUnitFlag and startFileFlag; otherwise the defaults
    // are loaded and keepUnitFlag cleared. commActive is cleared in every case.
    FileOutcome takeSettingsFile(const QString &rawCommandLine);

    // All steps in order; false when the program is to end (a second copy, a folder that cannot
    // be made). A named file that cannot be used leaves the defaults and the start goes on.
    bool run(const QString &rawCommandLine, const QString &lockDirectory = QString());

private:
    void loadDefaults();

    ZN8P_INC &m_inc;
    OperatorInterface &m_op;
    std::unique_ptr<SingleInstance> m_instance;
};
