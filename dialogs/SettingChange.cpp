#include "SettingChange.h"

#include "base/JobDispatcher.h"
#include "base/SessionState.h"

bool SettingChange::finish(SessionState &shared, int code)
{
    if (!shared.online) {
        shared.unsavedOnlineChanges = true;
        return false;
    }
    shared.postWrite(code);
    return true;
}
