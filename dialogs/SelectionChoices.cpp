#include "SelectionChoices.h"

#include "base/SessionState.h"
#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"
#include "dialogs/SettingChange.h"
#include "polling/ValueFormat.h"
#include "transfer/SettingRanges.h"

#include <initializer_list>

namespace
{
QList<DisplayText> messages(std::initializer_list<int> ids)
{
    QList<DisplayText> texts;
    for (int id : ids)
        texts.append(DisplayText{id, {}});
    return texts;
}

QList<DisplayText> messageRange(int first, int count)
{
    QList<DisplayText> texts;
    for (int i = 0; i < count; ++i)
        texts.append(DisplayText{first + i, {}});
    return texts;
}

bool autoTuningReadsAt(const SessionState &shared)
{
    return shared.setting(Code::ProportionalBand) != 0 && shared.setting(Code::IntegralTime) != 0 &&
           shared.setting(Code::DerivativeTime) != 0;
}

// Codes of the frames in allFrames() order; 36/37 and 47/48 share a frame.
constexpr int FrameCodes[] = {12, 22, 27, 32, 36, 44, 45, 47, 49, 50, 54, 55, 61, 62, 63};

int frameCode(int code)
{
    return code == Code::Alarm2Type        ? Code::Alarm1Type
           : code == Code::Alarm2Energized ? Code::Alarm1Energized
                                           : code;
}

void setStatusBit(SessionState &shared, quint16 bit, bool set)
{
    const quint16 word = quint16(shared.monitorValues[Code::Status]);
    shared.monitorValues[Code::Status] = qint16(set ? word | bit : word & ~bit);
}
} // namespace

QList<ChoiceFrame> SelectionChoices::allFrames(const SessionState &shared)
{
    QList<ChoiceFrame> frames;
    for (int code : FrameCodes)
        frames.append(*frameOf(shared, code));
    return frames;
}

std::optional<ChoiceFrame> SelectionChoices::frameOf(const SessionState &shared, int code)
{
    switch (frameCode(code)) {
    case 12: {
        const bool at = autoTuningReadsAt(shared);
        return ChoiceFrame{"autoTuningGroup", "autoTuningChoice", at ? 220 : 221,
                           at ? messages({222, 223}) : messages({224, 225})};
    }
    case 22:
        return ChoiceFrame{"setValueLockGroup", "setValueLockChoice", 112, messageRange(244, 4)};
    case 27:
        return ChoiceFrame{
            "decimalPlaceGroup",
            "decimalPlaceChoice",
            117,
            {DisplayText{0, QStringLiteral("XXXX")}, DisplayText{0, QStringLiteral("XXX. X")},
             DisplayText{0, QStringLiteral("XX. XX")}, DisplayText{0, QStringLiteral("X. XXX")}}};
    case 32:
        return ChoiceFrame{"coolingActionGroup", "coolingActionChoice", 122, messageRange(238, 3)};
    case 36:
        // The frame is shared: its caption says which alarm is being set.
        return ChoiceFrame{"alarmTypeGroup", "alarmTypeChoice",
                           code == Code::Alarm2Type ? 127 : 126,
                           messages({200, 201, 203, 205, 207, 209, 211, 202, 204, 206})};
    case 44:
        return ChoiceFrame{"outOffGroup", "outOffChoice", 134, messages({318, 317})};
    case 45:
        return ChoiceFrame{"autoManualGroup", "autoManualChoice", 135, messages({319, 320})};
    case 47:
        return ChoiceFrame{"alarmEnergizedGroup", "alarmEnergizedChoice",
                           code == Code::Alarm2Energized ? 138 : 137, messages({242, 243})};
    case 49:
        return ChoiceFrame{"inputTypeGroup", "inputTypeChoice", 139, messageRange(750, 36)};
    case 50:
        return ChoiceFrame{"controlActionGroup", "controlActionChoice", 140, messages({315, 316})};
    case 54:
        return ChoiceFrame{"backlightGroup", "backlightChoice", 144, messageRange(60, 7)};
    case 55:
        return ChoiceFrame{"pvColorGroup", "pvColorChoice", 145, messageRange(67, 7)};
    case 61:
        return ChoiceFrame{"contactInputFunctionGroup", "contactInputFunctionChoice", 164,
                           messageRange(170, 3)};
    case 62:
        return ChoiceFrame{"abnormalOutputGroup", "abnormalOutputChoice", 165,
                           messages({173, 174})};
    case 63:
        return ChoiceFrame{"outOffKeyGroup", "outOffKeyChoice", 166, messages({175, 176})};
    default:
        return std::nullopt;
    }
}

bool SelectionChoices::isChoiceItem(int code)
{
    for (int c : FrameCodes) {
        if (c == frameCode(code))
            return true;
    }
    return false;
}

SelectionOutcome SelectionChange::apply(SessionState &shared, int code, int index,
                                        const QString &optionText)
{
    SelectionOutcome outcome;
    const bool offline = !shared.online;
    shared.setting(code) = qint16(index);
    if (offline)
        outcome.valueText = optionText;

    switch (code) {
    case 12:
        if (index == 0)
            shared.atSeenFlag = false;
        break;
    case 36:
    case 37:
        if (offline && index != shared.downloadValues.at(code - 10))
            shared.setting(code == Code::Alarm1Type ? Code::Alarm1Value : Code::Alarm2Value) = 0;
        if (!offline)
            shared.rereadFlag = true;
        break;
    case 45:
        outcome.manualButtonsShown = index == 1;
        break;
    case Code::InputType:
        if (offline)
            applyInputTypeLimits(shared);
        else
            shared.rereadFlag = true;
        break;
    case 63:
        // The rows follow the key function at once; online the next status word read confirms
        // it from the controller.
        setStatusBit(shared, StatusBit::AutoManualKey, index == 1);
        if (!offline)
            outcome.valueText = formatItemValue(shared, code);
        break;
    default:
        break;
    }

    outcome.writePosted = SettingChange::finish(shared, code);
    return outcome;
}

void SelectionChange::applyInputTypeLimits(SessionState &shared)
{
    const int type = shared.setting(Code::InputType);
    const auto [high, low] = SettingRanges::inputTypeScaling(type);
    shared.setting(Code::ScaleHigh) = qint16(high);
    shared.setting(Code::ScaleLow) = qint16(low);
    if (type == shared.downloadValues.at(Code::InputType - 10))
        return;
    for (int code : {11, 58, 59, 60, 19, 20})
        shared.setting(code) = 0;
}
