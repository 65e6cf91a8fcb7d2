#include "StatusCheck.h"

#include "base/SessionState.h"
#include "comm/ControllerCodes.h"

void checkStatusWord(SessionState &shared)
{
    const quint16 status = quint16(shared.statusWord());
    if (status & StatusBit::SettingsChanged)
        shared.timerJob = TimerJob::Upload;
    if (status & StatusBit::AutoTuning) {
        shared.atSeenFlag = true;
    } else if (shared.atSeenFlag) {
        shared.atSeenFlag = false;
        shared.timerJob = TimerJob::Upload;
    }
}
