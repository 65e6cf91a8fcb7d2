#include "OnlineStartRead.h"

#include "base/MainView.h"
#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "comm/ComLink.h"
#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"
#include "polling/ItemReadBack.h"
#include "transfer/ParameterUpload.h"
#include "transfer/SettingRanges.h"

namespace
{

constexpr int TypeMismatchMessage = 290;
constexpr int SettingsDifferMessage = 1090;
constexpr int PagesUpdatedMessage = 1091;
constexpr int NamesListed = 5;

// A controller with serial communication has no contact input selection of set values 2 to 4,
// whatever its contact input bit says: its contact input counts as absent. The configuration it
// is checked against is taken as it stands, so one that claims contact input with serial
// communication matches no controller.
UnitConfig asChecked(UnitConfig config)
{
    if (config.serialComm)
        config.contactInput = 0;
    return config;
}

} // namespace

OnlineStartRead::OnlineStartRead(const SessionContext &context, ItemReadBack &itemRead,
                                 ParameterUpload &upload)
    : m_shared(context.shared), m_link(context.link), m_op(context.op), m_view(context.view),
      m_itemRead(itemRead), m_upload(upload)
{
}

UnitConfig OnlineStartRead::deriveUnitConfig(qint16 optionWord, qint16 optionWord2)
{
    const auto bit = [](qint16 word, int mask) { return qint16((word & mask) ? 1 : 0); };
    UnitConfig config;
    config.alarm2 = bit(optionWord, OptionBit::Alarm2);
    config.heatCool = bit(optionWord, OptionBit::HeatCool);
    if (optionWord & OptionBit::HeaterBurnout) {
        const qint16 rated50A = bit(optionWord, OptionBit::HeaterBurnout50A);
        config.heaterBreak = qint16(((optionWord & OptionBit::ThreePhase) ? 3 : 1) + rated50A);
    }
    config.contactInput = bit(optionWord, OptionBit::ContactInput);
    config.outputType = (optionWord2 & Option2Bit::VoltageOutput)     ? 1
                        : (optionWord2 & Option2Bit::DcCurrentOutput) ? 2
                                                                      : 0;
    config.serialComm = bit(optionWord, OptionBit::SerialComm);
    return config;
}

void OnlineStartRead::readAtOnlineStart()
{
    readCode(Code::Option2);
    readCode(Code::Option);
    readCode(Code::Status);

    QStringList changed;
    if (!m_shared.unsavedOnlineChanges) {
        if (!m_shared.rangeOnlyFlag) {
            if (m_upload.uploadSilently())
                m_shared.linkLostSinceRead = false;
            m_shared.rangeOnlyFlag = true;
        } else {
            const SettingValues held = m_shared.settingValues;
            if (m_shared.linkLostSinceRead || !rangeItemsAsHeld(held))
                changed = rereadSettings(held);
        }
    }

    const UnitConfig derived = deriveUnitConfig(m_shared.optionWord(), m_shared.optionWord2());
    if (m_shared.unitCheckFlag) {
        if (asChecked(derived) != m_shared.unitConfig) {
            m_op.showMessage({TypeMismatchMessage});
            m_shared.online = false;
            changed.clear(); // message 290 says all there is to say
        } else {
            m_shared.unitCheckFlag = false;
            m_view.refreshSettingPage();
        }
    } else if (m_shared.keepUnitFlag) {
        m_shared.keepUnitFlag = false;
        m_view.refreshSettingPage();
    } else {
        m_shared.unitConfig = derived;
        m_view.refreshSettingPage();
    }
    m_op.setStatusPanel(1, QString());
    m_op.setStatusPanel(4, QString());
    // Said over the pages that show the new values; pages that showed no values yet (nothing
    // uploaded, downloaded or loaded) showed nothing to be mistaken for this controller's.
    if (!changed.isEmpty() && m_shared.settingDataValid)
        showChanged(changed);
}

bool OnlineStartRead::rangeItemsAsHeld(const SettingValues &held)
{
    if (CommComponent *com = m_link.com())
        com->setReplyTimeout(CommComponent::DefaultReplyTimeoutMs);
    readCode(Code::InputType);
    if (m_shared.setting(Code::InputType) >= 30)
        readCode(Code::DecimalPlace);
    readCode(Code::ScaleLow);
    return held == m_shared.settingValues;
}

QStringList OnlineStartRead::rereadSettings(const SettingValues &held)
{
    QStringList changed;
    if (!m_upload.uploadSilently())
        return changed;
    m_shared.linkLostSinceRead = false;
    for (int code = ParameterUpload::FirstCode; code <= ParameterUpload::LastCode; ++code) {
        // The manual output and the auto/manual switch follow the operator at the controller
        // from moment to moment: no sign of another controller.
        if (code != Code::ManualOutput && code != Code::AutoManual &&
            !m_shared.unreadCodes.contains(code) &&
            m_shared.setting(code) != held.at(std::size_t(code - SessionState::FirstSettingCode)))
            changed.append(SettingRanges::itemName(m_shared, code));
    }
    return changed;
}

void OnlineStartRead::showChanged(QStringList changed)
{
    const int count = int(changed.size());
    if (count > NamesListed)
        changed = changed.mid(0, NamesListed) << QStringLiteral("...");
    const QString text = msg(SettingsDifferMessage).arg(count) + QLatin1Char('\n') +
                         changed.join(QLatin1Char('\n')) + QStringLiteral("\n\n") +
                         msg(PagesUpdatedMessage);
    m_op.showText(SettingsDifferMessage, text, MessageIcon::Information);
}

void OnlineStartRead::readCode(int code)
{
    m_itemRead.read(code);
    m_op.setStatusPanel(1, QString());
}
