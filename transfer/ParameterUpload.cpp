#include "ParameterUpload.h"

#include "base/MainView.h"
#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/ZN8P_INC.h"
#include "comm/ControllerCodes.h"
#include "comm/DataWord.h"
#include "comm/ReplyCheck.h"
#include "comm/RequestLayer.h"
#include "polling/VendorFrameReads.h"
#include "transfer/WaitTick.h"

namespace
{

// Codes 58 to 61 are read back by Read_SV, 62 and 63 by Read_data.
constexpr int UploadMessage = 502;
constexpr int KeyOperationMessage = 291;

} // namespace

ParameterUpload::ParameterUpload(ZN8P_INC &inc, RequestLayer &request, OperatorInterface &op,
                                 MainView &view, ReplyReporter &reporter,
                                 VendorFrameReads &vendorReads)
    : m_inc(inc), m_request(request), m_op(op), m_view(view), m_vendorReads(vendorReads),
      m_reporter(reporter), m_report(inc, op)
{
}

bool ParameterUpload::ReadPara_setflg()
{
    m_report.begin();
    if (!writeSettingFlag())
        return false;
    m_view.setProgressVisible(true, UploadMessage);
    m_op.setStatusPanel(1, msg(UploadMessage));
    m_op.setStatusPanel(4, QString());
    WaitTick();
    m_view.setProgressValue(0);

    const int done = readItems(false, true);
    // The progress stays where the upload stopped while the operator reads why.
    if (done < ItemCount)
        m_report.stopped(TransferReport::Kind::Upload, done - TransferReport::LineLostAfter,
                         ItemCount, TransferReport::StopReason::LineLost);

    m_view.setProgressVisible(false, UploadMessage);
    m_op.setStatusPanel(1, QString());
    m_op.setStatusPanel(4, QString());
    m_inc.rereadFlag = false;
    m_inc.uploadRequested = false;
    if (done == ItemCount) {
        m_inc.settingDataValid = true;
        m_report.completed(TransferReport::Kind::Upload, {});
    }
    return true;
}

bool ParameterUpload::ReadPara_setflg2()
{
    if (!writeSettingFlag())
        return false;
    const bool whole = readItems(true, false) == ItemCount;
    m_op.setStatusPanel(1, QString());
    m_op.setStatusPanel(4, QString());
    m_inc.rereadFlag = false;
    return whole;
}

bool ParameterUpload::writeSettingFlag()
{
    const QString reply = m_request.write(m_inc.registerTable.at(Code::SettingFlag),
                                          DataWord::dataField(1, m_inc.protocolIndex));
    m_reporter.write(reply);
    if (!ReplyCheck::isKeysOperated(reply, m_inc.protocolIndex))
        return true;
    if (m_inc.uploadRequested) {
        m_op.showMessage({KeyOperationMessage});
        m_inc.uploadRequested = false;
    }
    return false;
}

int ParameterUpload::readItems(bool readManualOutput, bool showProgress)
{
    int unanswered = 0;
    for (int code = FirstCode; code <= LastCode; ++code) {
        const bool skipped =
            code == Code::AutoManual || (code == Code::ManualOutput && !readManualOutput);
        if (!skipped) {
            m_inc.commErrorFlag = false;
            readItem(code);
            unanswered = m_inc.commErrorFlag ? unanswered + 1 : 0;
        }
        m_op.setStatusPanel(1, QString());
        const int done = code - FirstCode + 1;
        // Skipped items count in the progress too.
        if (showProgress)
            m_view.setProgressValue(done);
        if (unanswered == TransferReport::LineLostAfter)
            return done;
    }
    m_inc.settingsFromFile = false;
    m_inc.settingsFileName.clear();
    return ItemCount;
}

void ParameterUpload::readItem(int code)
{
    if (code < Code::FirstVendor) {
        m_reporter.read(m_request.read(m_inc.registerTable.at(code)), code);
        return;
    }
    // The vendor-frame items report their own replies; while auto-tuning is on (as just read)
    // they are left alone.
    if (m_inc.setting(Code::AutoTuning) != 0)
        return;
    m_inc.itemCode = qint16(code);
    if (code <= Code::ContactInputFunction)
        m_vendorReads.Read_SV();
    else
        m_vendorReads.Read_data();
}
