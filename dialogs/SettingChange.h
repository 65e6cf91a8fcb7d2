#pragma once

struct SessionState;

// The last step of every accepted change in the entry and selection dialogs.
namespace SettingChange
{
// Online: asks the job timer to write the item (writeRegister := the registerTable address of
// itemCode, timerJob := TimerJob::WriteItem) and returns true, so that the caller makes sure Timer1
// runs. Offline: marks the display's data as changed (unsavedOnlineChanges) and returns false.
bool finish(SessionState &shared);
} // namespace SettingChange
