#include "TransferCommands.h"

#include "base/JobDispatcher.h"
#include "base/MainView.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/ControllerCodes.h"

#include <algorithm>

namespace
{

// The auto-tuning row's change button (code 12).
constexpr int AutoTuningButton = Code::AutoTuning - 10;

const QList<int> UploadOfflineMessage = {98};
const QList<int> UploadQuestion = {511};
const QList<int> DownloadOfflineMessage = {40};
const QList<int> NoSettingDataMessage = {196};
const QList<int> AutoTuningMessage = {503, 504};
const QList<int> DownloadQuestion = {512};
const QList<int> UploadFirstMessage = {195};
const QList<int> LoadFileFirstMessage = {719};
const QList<int> CompareOfflineMessage = {975};
const QList<int> NothingToCompareMessage = {976};

} // namespace

TransferCommands::TransferCommands(const SessionContext &context)
    : m_shared(context.shared), m_op(context.op), m_view(context.view)
{
}

void TransferCommands::upload()
{
    if (!m_shared.online) {
        m_op.showMessage(UploadOfflineMessage, MessageIcon::Exclamation);
        m_op.beep();
        return;
    }
    const bool yes = m_op.askYesNo(UploadQuestion, MessageIcon::Question);
    m_op.beep();
    if (!yes)
        return;
    m_shared.timerJob = TimerJob::Upload;
    m_shared.uploadRequested = true;
}

void TransferCommands::compare()
{
    if (!m_shared.online) {
        m_op.showMessage(CompareOfflineMessage, MessageIcon::Exclamation);
        return;
    }
    if (!m_shared.settingDataValid) {
        m_op.showMessage(NothingToCompareMessage, MessageIcon::Exclamation);
        return;
    }
    m_shared.timerJob = TimerJob::Compare;
}

void TransferCommands::download()
{
    if (!m_shared.online) {
        m_op.showMessage(DownloadOfflineMessage, MessageIcon::Exclamation);
        return;
    }
    if (!m_shared.settingDataValid) {
        m_op.showMessage(NoSettingDataMessage, MessageIcon::Exclamation);
        m_op.beep();
        return;
    }
    if (quint16(m_shared.statusWord()) & StatusBit::AutoTuning) {
        m_op.showMessage(AutoTuningMessage, MessageIcon::Exclamation);
        return;
    }
    if (!m_op.askYesNo(DownloadQuestion, MessageIcon::Question))
        return;
    m_op.beep();
    m_shared.downloadRequested = true;
    // Codes 11 to 63: the items a download writes.
    std::copy(m_shared.settingValues.begin() + 1, m_shared.settingValues.begin() + 54,
              m_shared.downloadValues.begin() + 1);
    m_shared.timerJob = TimerJob::Download;
}

bool TransferCommands::changeButton(int index)
{
    const bool exempt = index != AutoTuningButton && m_shared.setting(Code::AutoTuning) == 1;
    if (!exempt && m_shared.online && !m_shared.settingDataValid) {
        m_op.beep();
        m_op.showMessage(UploadFirstMessage, MessageIcon::Exclamation);
        return false;
    }
    return true;
}

void TransferCommands::groupLockButton(int group)
{
    if (group < 0 || group >= GroupCount)
        return;
    if (!m_shared.settingDataValid) {
        m_op.showMessage(LoadFileFirstMessage, MessageIcon::Information);
        return;
    }
    m_view.toggleSettingGroup(group);
}
