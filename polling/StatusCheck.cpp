#include "StatusCheck.h"

#include "base/ZN8P_INC.h"
#include "comm/ControllerCodes.h"

namespace
{
constexpr qint16 UploadJob = 4;
} // namespace

void statecomchk(ZN8P_INC &inc)
{
    const quint16 status = quint16(inc.statusWord());
    if (status & StatusBit::SettingsChanged)
        inc.timerJob = UploadJob;
    if (status & StatusBit::AutoTuning) {
        inc.atSeenFlag = true;
    } else if (inc.atSeenFlag) {
        inc.atSeenFlag = false;
        inc.timerJob = UploadJob;
    }
}
