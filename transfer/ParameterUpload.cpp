#include "ParameterUpload.h"

#include "base/MainView.h"
#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/ControllerCodes.h"
#include "comm/DataWord.h"
#include "comm/ReplyCheck.h"
#include "comm/RequestLayer.h"
#include "polling/ItemReadBack.h"
#include "polling/ReadValueStore.h"
#include "transfer/PauseForEvents.h"

namespace
{

constexpr int UploadMessage = 502;
constexpr int KeyOperationMessage = 291;

} // namespace

ParameterUpload::ParameterUpload(const SessionContext &context, ReplyReporter &reporter,
                                 ItemReadBack &itemRead)
    : m_shared(context.shared), m_request(context.request), m_op(context.op), m_view(context.view),
      m_itemRead(itemRead), m_reporter(reporter), m_report(context), m_values(context)
{
}

bool ParameterUpload::uploadAll()
{
    m_report.begin();
    if (!writeSettingFlag())
        return false;
    m_view.setProgressVisible(true, UploadMessage);
    m_op.setStatusPanel(1, msg(UploadMessage));
    m_op.setStatusPanel(4, QString());
    pauseForEvents();
    m_view.setProgressValue(0);

    const int done = readItems(true);
    // The progress stays where the upload stopped while the operator reads why.
    if (done < ItemCount)
        m_report.stopped(TransferReport::Kind::Upload, done - TransferReport::LineLostAfter,
                         ItemCount, TransferReport::StopReason::LineLost);

    m_view.setProgressVisible(false, UploadMessage);
    m_op.setStatusPanel(1, QString());
    m_op.setStatusPanel(4, QString());
    m_shared.rereadFlag = false;
    m_shared.uploadRequested = false;
    if (done == ItemCount) {
        m_shared.settingDataValid = true;
        m_report.completed(TransferReport::Kind::Upload, {});
    }
    return true;
}

bool ParameterUpload::uploadSilently()
{
    if (!writeSettingFlag())
        return false;
    const bool whole = readItems(false) == ItemCount;
    m_op.setStatusPanel(1, QString());
    m_op.setStatusPanel(4, QString());
    m_shared.rereadFlag = false;
    return whole;
}

bool ParameterUpload::writeSettingFlag()
{
    const Reply reply = m_request.write(m_shared.registerTable.at(Code::SettingFlag),
                                        DataWord::dataField(1, m_shared.protocolIndex));
    m_reporter.write(reply);
    m_result = Result::Completed;
    if (!ReplyCheck::isKeysOperated(reply.text, m_shared.protocolIndex))
        return true;
    m_result = Result::KeysOperated;
    if (m_shared.uploadRequested) {
        m_op.showMessage({KeyOperationMessage});
        m_shared.uploadRequested = false;
    }
    return false;
}

int ParameterUpload::readItems(bool showProgress)
{
    int unanswered = 0;
    for (int code = FirstCode; code <= LastCode; ++code) {
        m_shared.commErrorFlag = false;
        readItem(code);
        unanswered = m_shared.commErrorFlag ? unanswered + 1 : 0;
        m_op.setStatusPanel(1, QString());
        const int done = code - FirstCode + 1;
        if (showProgress)
            m_view.setProgressValue(done);
        if (unanswered == TransferReport::LineLostAfter) {
            m_result = Result::LineLost;
            return done;
        }
    }
    m_shared.settingsFromFile = false;
    m_shared.settingsFileName.clear();
    return ItemCount;
}

void ParameterUpload::readItem(int code)
{
    // While auto-tuning is on (as just read) the vendor-frame items are left alone.
    if (code >= Code::FirstVendor && m_shared.setting(Code::AutoTuning) != 0)
        return;
    // Read in a full upload, the item shows what the controller holds: whatever its last write
    // left, the page's mark goes.
    if (m_itemRead.read(code))
        m_values.settle(code);
}
