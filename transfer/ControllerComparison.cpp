#include "ControllerComparison.h"

#include "polling/ItemReadBack.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/ControllerCodes.h"
#include "polling/ValueFormat.h"
#include "transfer/ParameterDownload.h"
#include "transfer/SettingRanges.h"
#include "transfer/TransferReport.h"

namespace
{

constexpr int LineLostMessage = 892;
constexpr int NotReadText = 895;

QString unitText(const UnitConfig &unit)
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6")
        .arg(unit.alarm2)
        .arg(unit.heatCool)
        .arg(unit.heaterBreak)
        .arg(unit.contactInput)
        .arg(unit.outputType)
        .arg(unit.serialComm);
}

} // namespace

ControllerComparison::ControllerComparison(const SessionContext &context, ItemReadBack &itemRead)
    : m_shared(context.shared), m_op(context.op), m_itemRead(itemRead)
{
}

std::optional<QList<SettingDifference>> ControllerComparison::compare()
{
    const SessionState shown = m_shared;
    QList<SettingDifference> found;
    int unanswered = 0;
    for (const qint16 code : ParameterDownload::Chain) {
        if (!ParameterDownload::applies(code, m_shared, shown.settingValues))
            continue;
        // As in an upload, the vendor-frame items are left alone while auto-tuning is on.
        if (code >= Code::FirstVendor && shown.setting(Code::AutoTuning) != 0)
            continue;
        m_shared.commErrorFlag = false;
        const bool read = m_itemRead.read(code);
        unanswered = m_shared.commErrorFlag ? unanswered + 1 : 0;
        const qint16 held = m_shared.setting(code);
        // The display keeps its own values, and with them whether they were read.
        m_shared.setting(code) = shown.setting(code);
        m_shared.unreadCodes = shown.unreadCodes;
        m_op.setStatusPanel(1, QString());
        if (unanswered == TransferReport::LineLostAfter) {
            m_op.showMessage({LineLostMessage}, MessageIcon::Exclamation);
            return std::nullopt;
        }
        if (read && held == shown.setting(code))
            continue;
        found.append({code, SettingRanges::itemName(shown, code),
                      read ? itemValueText(shown, code, held) : msg(NotReadText),
                      itemValueText(shown, code, shown.setting(code))});
    }
    return found;
}

QList<SettingDifference> settingDifferences(const SessionState &controller,
                                            const SessionState &other)
{
    QList<SettingDifference> found;
    if (controller.unitConfig != other.unitConfig)
        found.append({0, QStringLiteral("unit configuration"), unitText(controller.unitConfig),
                      unitText(other.unitConfig)});
    for (const qint16 code : ParameterDownload::Chain) {
        if (!ParameterDownload::applies(code, controller, other.settingValues))
            continue;
        const bool read = !controller.unreadCodes.contains(code);
        if (read && controller.setting(code) == other.setting(code))
            continue;
        found.append({code, SettingRanges::itemName(controller, code),
                      read ? formatItemValue(controller, code) : msg(NotReadText),
                      formatItemValue(other, code)});
    }
    return found;
}
