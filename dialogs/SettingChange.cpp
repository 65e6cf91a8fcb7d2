#include "SettingChange.h"

#include "base/JobDispatcher.h"
#include "base/SessionState.h"

bool SettingChange::finish(SessionState &shared)
{
    if (!shared.online) {
        shared.unsavedOnlineChanges = true;
        return false;
    }
    shared.writeRegister = shared.registerTable.at(shared.itemCode);
    shared.timerJob = TimerJob::WriteItem;
    return true;
}
