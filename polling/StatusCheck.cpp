#include "StatusCheck.h"

#include "base/ZN8P_INC.h"

namespace
{
constexpr quint16 SettingsChanged = 0x8000;
constexpr quint16 AutoTuning = 0x0800;
constexpr qint16 UploadJob = 4;
} // namespace

void statecomchk(ZN8P_INC &inc)
{
    const quint16 status = quint16(inc.statusWord());
    if (status & SettingsChanged)
        inc.timerJob = UploadJob;
    if (status & AutoTuning) {
        inc.atSeenFlag = true;
    } else if (inc.atSeenFlag) {
        inc.atSeenFlag = false;
        inc.timerJob = UploadJob;
    }
}
