#include "SettingChange.h"

#include "base/JobDispatcher.h"
#include "base/ZN8P_INC.h"

bool SettingChange::finish(ZN8P_INC &inc)
{
    if (!inc.online) {
        inc.unsavedOnlineChanges = true;
        return false;
    }
    inc.writeRegister = inc.registerTable.at(inc.itemCode);
    inc.timerJob = JobDispatcher::WriteItem;
    return true;
}
