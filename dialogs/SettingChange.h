#pragma once

struct SessionState;

// The last step of every accepted change in the entry and selection dialogs.
namespace SettingChange
{
// Online: posts the write of item code to the job timer (SessionState::postWrite) and returns
// true, so that the caller makes sure JobTimer runs. Offline: marks the display's data as changed
// (unsavedOnlineChanges) and returns false.
bool finish(SessionState &shared, int code);
} // namespace SettingChange
