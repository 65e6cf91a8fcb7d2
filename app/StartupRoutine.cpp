#include "StartupRoutine.h"

#include "app/StartupArgs.h"
#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/ProgramFolder.h"
#include "base/SessionState.h"
#include "comm/ParameterTable.h"
#include "transfer/SettingsDataFile.h"
#include "transfer/SettingsFileMessage.h"

#include <QDir>
#include <QFileInfo>

namespace
{
constexpr int DefaultsMessage = 959;
} // namespace

StartupRoutine::StartupRoutine(OperatorInterface &op) : m_op(op) {}

StartupRoutine::~StartupRoutine() = default;

StartupRoutine::Outcome StartupRoutine::claimSingleInstance(const QString &rawCommandLine,
                                                            const QString &lockDirectory)
{
    m_instance = std::make_unique<SingleInstance>(lockDirectory);
    if (m_instance->tryAcquire())
        return Outcome::Start;
    if (m_instance->handOver(StartupArgs::settingsFilePath(rawCommandLine), m_handOverTimeoutMs))
        return Outcome::HandedOver;
    m_op.showMessage({56}, MessageIcon::Critical);
    m_op.beep();
    return Outcome::Stop;
}

bool StartupRoutine::prepareFolders()
{
    const QString folder = ProgramFolder::path();
    if (!QDir::setCurrent(folder))
        return false;
    QDir dir(folder);
    for (const QString &name : {QStringLiteral("Logging"), QStringLiteral("Setdata")}) {
        if (!dir.exists(name) && !dir.mkdir(name))
            return false;
    }
    return true;
}

void StartupRoutine::loadDefaults()
{
    m_state.settingValues = ParameterTable::defaultSettingValues();
    m_state.keepUnitFlag = false;
}

StartupRoutine::FileOutcome StartupRoutine::takeSettingsFile(const QString &rawCommandLine)
{
    FileOutcome outcome = FileOutcome::Defaults;
    const QString path = StartupArgs::settingsFilePath(rawCommandLine);
    if (path.isEmpty()) {
        loadDefaults();
    } else if (!QFileInfo::exists(path)) {
        m_op.showMessage({39}, MessageIcon::Exclamation);
        loadDefaults();
        outcome = FileOutcome::Missing;
    } else if (const SettingsDataFile::ReadResult file =
                   SettingsDataFile::read(path, SettingsDataFile::Marker1::KeepsUnitConfig);
               file.ok()) {
        SettingsDataFile::take(file.contents, m_state, SettingsDataFile::Marker1::KeepsUnitConfig);
        m_state.settingsFileName = path;
        m_state.settingDataValid = true;
        m_state.keepUnitFlag = true;
        outcome = FileOutcome::Loaded;
    } else {
        // The window opens without the file rather than not at all, and says why.
        m_op.showText(SettingsFileMessage::messageId(file),
                      SettingsFileMessage::text(file) + QLatin1Char('\n') + msg(DefaultsMessage),
                      MessageIcon::Exclamation);
        loadDefaults();
        outcome = FileOutcome::Failed;
    }
    m_state.commActive = false;
    return outcome;
}

StartupRoutine::Outcome StartupRoutine::run(const QString &rawCommandLine,
                                            const QString &lockDirectory)
{
    if (const Outcome claim = claimSingleInstance(rawCommandLine, lockDirectory);
        claim != Outcome::Start)
        return claim;
    if (!prepareFolders())
        return Outcome::Stop;
    takeSettingsFile(rawCommandLine);
    return Outcome::Start;
}
