#include "StartupRoutine.h"

#include "app/OperatorInterface.h"
#include "app/ProgramFolder.h"
#include "app/SettingsDataFile.h"
#include "app/StartupArgs.h"
#include "app/ZN8P_INC.h"
#include "transfer/ParameterTable.h"

#include <QDir>
#include <QFileInfo>

StartupRoutine::StartupRoutine(ZN8P_INC &inc, OperatorInterface &op) : m_inc(inc), m_op(op) {}

StartupRoutine::~StartupRoutine() = default;

bool StartupRoutine::claimSingleInstance(const QString &lockDirectory)
{
    m_instance = std::make_unique<SingleInstance>(lockDirectory);
    if (m_instance->tryAcquire())
        return true;
    m_op.showMessage({56}, MessageIcon::Critical);
    m_op.beep();
    return false;
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
    m_inc.settingValues = ParameterTable::defaultSettingValues();
    m_inc.keepUnitFlag = false;
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
    } else if (SettingsDataFile::read(path, m_inc)) {
        m_inc.settingDataValid = true;
        m_inc.keepUnitFlag = true;
        m_inc.startFileFlag = true;
        outcome = FileOutcome::Loaded;
    } else {
        outcome = FileOutcome::Failed;
    }
    m_inc.commActive = false;
    return outcome;
}

bool StartupRoutine::run(const QString &rawCommandLine, const QString &lockDirectory)
{
    return claimSingleInstance(lockDirectory) && prepareFolders() &&
           takeSettingsFile(rawCommandLine) != FileOutcome::Failed;
}
