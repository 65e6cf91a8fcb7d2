#pragma once

#include "app/SingleInstance.h"
#include "base/SessionState.h"

#include <QString>

#include <memory>

class OperatorInterface;

// The start routine's steps before any window: one instance only (a later start hands its file to
// the running copy), the program folder with "Logging" and "Setdata" as the current folder, the
// settings data file from the command line or the defaults of settingValues, commActive cleared.
class StartupRoutine
{
public:
    enum class Outcome {
        Start,      // this copy runs
        HandedOver, // the running copy took this start's file and comes to the front: end
        Stop,       // end with an error: no running copy answered, or a folder cannot be made
    };
    enum class FileOutcome {
        Defaults, // no file named: the defaults
        Loaded,   // the named file was read
        Missing,  // the named file does not exist: message 39, the defaults
        Failed,   // the named file cannot be used: message 950 (957) with 959, the defaults
    };

    explicit StartupRoutine(OperatorInterface &op);
    ~StartupRoutine();

    // Start when this copy now holds the lock, kept for the life of this object. While another
    // copy holds it, the file the command line names (StartupArgs::settingsFilePath) is handed to
    // that copy (SingleInstance::handOver): HandedOver when it took it, otherwise message 56
    // (critical icon), a beep and Stop.
    Outcome claimSingleInstance(const QString &rawCommandLine,
                                const QString &lockDirectory = QString());
    // The lock and the channel of later starts, once claimed.
    SingleInstance *instance() const { return m_instance.get(); }
    // How long a later start waits for the running copy (tests).
    void setHandOverTimeout(int ms) { m_handOverTimeoutMs = ms; }
    // Makes the program folder the current folder and creates "Logging" and "Setdata" in it.
    bool prepareFolders();
    // The command-line rule (StartupArgs::settingsFilePath). A good file (SettingsDataFile::read)
    // is taken and sets settingDataValid and keepUnitFlag; otherwise the defaults
    // are loaded and keepUnitFlag cleared. commActive is cleared in every case.
    FileOutcome takeSettingsFile(const QString &rawCommandLine);

    // All steps in order. A named file that cannot be used leaves the defaults and the start goes
    // on.
    // The state the session starts from: the defaults, or the settings file given at start-up.
    SessionState &state() { return m_state; }

    Outcome run(const QString &rawCommandLine, const QString &lockDirectory = QString());

private:
    void loadDefaults();

    SessionState m_state;
    OperatorInterface &m_op;
    std::unique_ptr<SingleInstance> m_instance;
    int m_handOverTimeoutMs = SingleInstance::HandOverTimeoutMs;
};
