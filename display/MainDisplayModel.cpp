#include "MainDisplayModel.h"

#include "base/MessageTable.h"
#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"
#include "polling/ItemNames.h"
#include "polling/ValueFormat.h"
#include "transfer/OutcomeText.h"

namespace
{
const QString Dashes = QStringLiteral("----");

bool hasBit(qint16 word, quint16 bit)
{
    return (quint16(word) & bit) != 0;
}

Lamp lamp(bool lit, Rgb litColour, bool visible = true)
{
    return Lamp{lit ? litColour : DisplayColor::White, visible};
}
} // namespace

// unitLabel(0) belongs to the main set value svValue(1) and unitLabel(17) to the set value in use
// svValue(0) on the monitor panel; the others sit beside the rows below.
const QList<RowPlace> &settingRowPlaces()
{
    using G = RowGroup;
    // code, group, index in the group, unitLabel, rateUnitLabel, caption
    static const QList<RowPlace> rows = {
        {19, G::Alarm1, 0, 1, -1, 109},       {38, G::Alarm1, 1, 2, -1, 128},
        {40, G::Alarm1, 2, -1, -1, 130},      {47, G::Alarm1, 3, -1, -1, 137},
        {36, G::Alarm1, 4, -1, -1, 126},      {20, G::Alarm2, 0, 3, -1, 110},
        {39, G::Alarm2, 1, 4, -1, 129},       {41, G::Alarm2, 2, -1, -1, 131},
        {48, G::Alarm2, 3, -1, -1, 138},      {37, G::Alarm2, 4, -1, -1, 127},
        {21, G::HeaterBreak, 0, -1, -1, 111}, {53, G::HeaterBreak, 1, -1, -1, 143},
        {12, G::Pid, 0, -1, -1, 151},         {13, G::Pid, 1, 5, -1, 103},
        {15, G::Pid, 2, -1, -1, 105},         {16, G::Pid, 3, -1, -1, 106},
        {52, G::Pid, 4, -1, -1, 142},         {17, G::Pid, 5, -1, -1, 107},
        {29, G::Pid, 6, -1, -1, 119},         {30, G::Pid, 7, -1, -1, 120},
        {31, G::Pid, 8, 6, -1, 121},          {51, G::Pid, 9, 7, -1, 141},
        {32, G::Cool, 0, -1, -1, 122},        {14, G::Cool, 1, -1, -1, 104},
        {18, G::Cool, 2, -1, -1, 108},        {33, G::Cool, 3, -1, -1, 123},
        {34, G::Cool, 4, -1, -1, 124},        {24, G::Cool, 5, 8, -1, 114},
        {35, G::Cool, 6, 9, -1, 125},         {22, G::Other, 0, -1, -1, 112},
        {23, G::Other, 1, 10, -1, 113},       {49, G::Other, 2, -1, -1, 139},
        {25, G::Other, 3, 11, -1, 115},       {26, G::Other, 4, 12, -1, 116},
        {27, G::Other, 5, -1, -1, 117},       {28, G::Other, 6, -1, -1, 118},
        {42, G::Other, 7, -1, 0, 132},        {43, G::Other, 8, -1, 1, 133},
        {50, G::Other, 9, -1, -1, 140},       {44, G::Other, 10, -1, -1, 134},
        {54, G::Other, 11, -1, -1, 144},      {55, G::Other, 12, -1, -1, 145},
        {56, G::Other, 13, 13, -1, 146},      {57, G::Other, 14, -1, -1, 147},
        {45, G::Other, 15, -1, -1, 135},      {58, G::Other, 16, 14, -1, 148},
        {59, G::Other, 17, 15, -1, 149},      {60, G::Other, 18, 16, -1, 150},
        {61, G::Other, 19, -1, -1, 164},      {62, G::Other, 20, -1, -1, 165},
        {63, G::Other, 21, -1, -1, 166},
    };
    return rows;
}

int rowGroupTitle(RowGroup group)
{
    switch (group) {
    case RowGroup::Alarm1:
        return 323;
    case RowGroup::Alarm2:
        return 324;
    case RowGroup::HeaterBreak:
        return 325;
    case RowGroup::Pid:
        return 49;
    case RowGroup::Cool:
        return 50;
    case RowGroup::Other:
        break;
    }
    return 45;
}

bool unitHasItem(const SessionState &shared, int code)
{
    const UnitConfig &unit = shared.unitConfig;
    if (Code::isHeatCoolItem(code))
        return unit.heatCool != 0;
    switch (code) {
    case 20:
    case 37:
    case 39:
    case 41:
    case 48:
        return unit.alarm2 != 0;
    case 21:
        return unit.heaterBreak >= 1 && unit.heaterBreak <= 4;
    case 53:
        return unit.heaterBreak == 3 || unit.heaterBreak == 4;
    case 58:
    case 59:
    case 60:
    case 61:
        return unit.contactInput != 0 && unit.serialComm == 0;
    case 62:
        // Online the controller says whether it has the function; offline the unit's DC output
        // does.
        return (shared.online && hasBit(shared.optionWord2(), Option2Bit::DcCurrentOutput)) ||
               unit.outputType == 2;
    default:
        return true;
    }
}

int timeUnitCaption(int code)
{
    switch (code) {
    case 15:
    case 16:
    case 17:
    case 18:
    case 28:
    case 40:
    case 41:
        return 374;
    case 57:
        return 401;
    default:
        return 0;
    }
}

namespace
{
int pageOf(RowGroup group)
{
    switch (group) {
    case RowGroup::Alarm1:
    case RowGroup::Alarm2:
    case RowGroup::HeaterBreak:
        return AlarmPage;
    case RowGroup::Pid:
    case RowGroup::Cool:
        return PidPage;
    case RowGroup::Other:
        break;
    }
    return OtherPage;
}

// The rows of every page, so that the rules can be written without asking which page is shown.
class RowSet
{
public:
    explicit RowSet(const SessionState &shared)
    {
        for (const RowPlace &place : settingRowPlaces()) {
            SettingRow row;
            row.place = place;
            row.captionId = place.captionId;
            row.unread = shared.unreadCodes.contains(place.code);
            if (shared.settingDataValid)
                row.valueText = row.unread ? Dashes : formatItemValue(shared, place.code);
            const auto unconfirmed = shared.unconfirmedWrites.constFind(place.code);
            if (unconfirmed != shared.unconfirmedWrites.cend()) {
                row.unconfirmed = true;
                row.unconfirmedTip = OutcomeText::toolTip(shared, *unconfirmed);
            }
            m_rows.append(row);
        }
    }

    SettingRow &operator[](int code)
    {
        for (SettingRow &row : m_rows) {
            if (row.place.code == code)
                return row;
        }
        Q_UNREACHABLE();
    }

    // Shows or hides whole rows: caption, value, unit and change button.
    void show(std::initializer_list<int> codes, bool visible)
    {
        for (int code : codes) {
            SettingRow &row = (*this)[code];
            row.visible = visible;
            row.valueVisible = visible;
            row.buttonVisible = visible;
        }
    }

    void enableButtons(std::initializer_list<int> codes, bool enabled)
    {
        for (int code : codes)
            (*this)[code].buttonEnabled = enabled;
    }

    void disableAllButtons()
    {
        for (SettingRow &row : m_rows)
            row.buttonEnabled = false;
    }

    QList<SettingRow> page(int page) const
    {
        QList<SettingRow> rows;
        for (const SettingRow &row : m_rows) {
            if (page == SettingPageState::AllPages || pageOf(row.place.group) == page)
                rows.append(row);
        }
        return rows;
    }

private:
    QList<SettingRow> m_rows;
};

void applyUnitLabels(int inputType, SettingPageState &state)
{
    DisplayText unit;
    DisplayText rate;
    if (inputType >= 0 && inputType <= 14) {
        unit.messageId = 215; // "deg.C"
        rate.messageId = 335;
    } else if (inputType >= 15 && inputType <= 29) {
        unit.messageId = 216; // "deg.F"
        rate.messageId = 336;
    } else {
        rate.messageId = 337; // "/min"
    }
    state.unitLabels.fill(unit);
    state.rateUnitLabels.fill(rate);
    // The proportional band of a linear input is a percentage of the scaled span.
    if (inputType >= 30 && inputType <= 35)
        state.unitLabels[5].literal = QStringLiteral("%");
}

// An alarm's rows follow its type: type 0 leaves only the type row.
void applyAlarm(RowSet &rows, std::initializer_list<int> valueRows, int typeCode,
                const SessionState &shared)
{
    rows.show(valueRows, shared.setting(typeCode) != 0);
    rows.show({typeCode}, true);
}

void applyHeaterBreak(const SessionState &shared, RowSet &rows, SettingPageState &state)
{
    const bool installed = unitHasItem(shared, 21);
    state.heaterBreakFrameVisible = installed;
    state.titleButtonVisible[HeaterBreakTitle] = installed;
    rows.enableButtons({21, 53}, installed);
    rows.show({21}, installed);
    rows.show({53}, unitHasItem(shared, 53));
    const int option = shared.unitConfig.heaterBreak;
    const bool rated50A = option == 2 || option == 4;
    rows[21].captionId = rated50A ? 155 : 111;
    rows[53].captionId = rated50A ? 156 : 143;
}

void applyHeating(const SessionState &shared, RowSet &rows, SettingPageState &state)
{
    const qint16 band = shared.setting(Code::ProportionalBand);
    const qint16 integral = shared.setting(Code::IntegralTime);
    const qint16 derivative = shared.setting(Code::DerivativeTime);
    rows.show({13}, true);
    if (band == 0) {
        // ON/OFF action: nothing of PID control applies.
        state.autoTuningVisible = false;
        rows.show({12, 15, 16, 17, 29, 30, 51, 52}, false);
        rows.show({31}, true);
    } else {
        rows.show({31}, false);
        if (integral != 0 && derivative != 0) {
            state.autoTuningCaptionId = 102; // "AT"
            state.autoTuningVisible = true;
            rows[12].captionId = 151;
        } else if (integral == 0) {
            state.autoTuningCaptionId = 100; // "AR"
            state.autoTuningVisible = true;
            rows[12].captionId = 152;
        } else {
            state.autoTuningVisible = false;
            rows.show({12}, false);
        }
    }
    if (shared.unitConfig.outputType == 2)
        rows.show({17}, false);
    rows.show({Code::AtBias}, shared.setting(Code::InputType) < 30 && band != 0 && integral != 0 &&
                                  derivative != 0);
}

void applyCooling(const SessionState &shared, RowSet &rows, SettingPageState &state)
{
    const bool installed = shared.unitConfig.heatCool != 0;
    state.titleButtonVisible[CoolTitle] = installed;
    // Without the option every cooling row stays shown, its button disabled.
    rows.enableButtons({14, 18, 24, 32, 33, 34, 35}, installed);
    if (!installed)
        return;
    const bool heatingBand = shared.setting(Code::ProportionalBand) != 0;
    const bool coolingBand = shared.setting(Code::CoolingProportionalBand) != 0;
    if (heatingBand && coolingBand) {
        rows.show({32, 14, 18, 33, 34, 24}, true);
        rows.show({35}, false);
    } else if (heatingBand) {
        rows.show({32, 18, 33, 34}, false);
        rows.show({14, 24, 35}, true);
    } else {
        rows.show({32, 14, 18, 33, 34}, false);
        rows.show({24, 35}, true);
    }
}

void applyOther(const SessionState &shared, RowSet &rows)
{
    const int inputType = shared.setting(Code::InputType);
    const bool linearInput = inputType >= 30;
    rows.show({27}, linearInput);
    const bool autoManualKey = hasBit(shared.statusWord(), StatusBit::AutoManualKey);
    rows.show({44}, !autoManualKey);
    rows.show({45}, autoManualKey);

    const bool contactInput = unitHasItem(shared, 61);
    const qint16 contactFunction = shared.setting(Code::ContactInputFunction);
    rows.show({61}, contactInput);
    rows.show({58}, contactInput && (contactFunction == 0 || contactFunction == 1));
    rows.show({59, 60}, contactInput && contactFunction == 0);
    rows.show({62}, linearInput && unitHasItem(shared, 62));
}
} // namespace

qint16 displayOptionWord(const SessionState &shared)
{
    if (shared.online)
        return shared.optionWord();
    const UnitConfig &u = shared.unitConfig;
    quint16 word = 0;
    if (u.contactInput != 0)
        word |= OptionBit::ContactInput;
    if (u.serialComm != 0)
        word |= OptionBit::SerialComm;
    if (u.heaterBreak >= 1 && u.heaterBreak <= 4)
        word |= OptionBit::HeaterBurnout;
    if (u.alarm2 != 0)
        word |= OptionBit::Alarm2;
    if (u.heatCool != 0)
        word |= OptionBit::HeatCool;
    return qint16(word);
}

MonitorPanelState monitorPanelState(const SessionState &shared)
{
    MonitorPanelState state;
    const qint16 status = shared.statusWord();
    const qint16 options = displayOptionWord(shared);
    const bool over = hasBit(status, StatusBit::OverScale);
    const bool under = hasBit(status, StatusBit::UnderScale);

    state.pvText = pvDisplayText(shared);
    state.svText = formatItemValue(shared, 3);
    state.mvText[0] = formatItemValue(shared, 1);
    state.mvText[1] = formatItemValue(shared, 2);
    state.mv2Visible = hasBit(options, OptionBit::HeatCool);
    state.hbText[0] = formatItemValue(shared, 5);
    state.hbText[1] = formatItemValue(shared, 6);
    const int heaterBreak = shared.unitConfig.heaterBreak;
    state.hbVisible[0] = heaterBreak >= 1 && heaterBreak <= 4;
    state.hbVisible[1] = heaterBreak == 3 || heaterBreak == 4;

    using namespace DisplayColor;
    state.out1Lamp = lamp(hasBit(status, StatusBit::Out1), Green);
    state.out2Lamp = lamp(hasBit(status, StatusBit::Out2), Yellow, state.mv2Visible);
    state.alarmLamps[Evt1Lamp] = lamp(hasBit(status, StatusBit::Alarm1), Red);
    state.alarmLamps[Evt2Lamp] =
        lamp(hasBit(status, StatusBit::Alarm2), Red, hasBit(options, OptionBit::Alarm2));
    state.alarmLamps[UpLamp] = lamp(over, Red);
    state.alarmLamps[DownLamp] = lamp(under, Red);
    state.alarmLamps[HbLamp] = lamp(hasBit(status, StatusBit::HeaterBurnout), Red,
                                    hasBit(options, OptionBit::HeaterBurnout));
    state.autoTuningColour = hasBit(status, StatusBit::AutoTuning) ? Yellow : White;

    if (!hasBit(status, StatusBit::AutoManualKey)) {
        const bool off = hasBit(status, StatusBit::OutputOff);
        state.outOffCaptionId = 327; // "Control output"
        state.outOffColour = off ? White : LightGreen;
        state.outOffStateId = off ? 321 : 322; // "OFF" / "OUT"
        state.outOffStateVisible = true;
        state.manualButtonsVisible = false;
    } else {
        const bool manual = hasBit(status, StatusBit::Manual);
        state.outOffCaptionId = manual ? 320 : 319; // "Manual control" / "Automatic control"
        // Offline the buttons could only refuse.
        state.manualButtonsVisible = manual && shared.online;
    }

    ChartCaptions &chart = state.chart;
    // Out of scale the chart takes the marker to hold its pen at the top or the bottom.
    chart.pv0 = state.pvText == Dashes ? pvDisplayText(shared, true) + formatItemValue(shared, 0)
                                       : state.pvText;
    chart.sv0 = state.svText;
    chart.mv1 = formatItemValue(shared, 1);
    if (state.mv2Visible)
        chart.mv2 = formatItemValue(shared, 2);
    const bool contactSetValues =
        hasBit(options, OptionBit::ContactInput) && !hasBit(options, OptionBit::SerialComm);
    if (contactSetValues && shared.setting(Code::ContactInputFunction) == 0) {
        chart.sv2 = formatItemValue(shared, 58);
        chart.sv3 = formatItemValue(shared, 59);
        chart.sv4 = formatItemValue(shared, 60);
    } else if (contactSetValues && shared.setting(Code::ContactInputFunction) == 1) {
        chart.sv2 = formatItemValue(shared, 58);
    }
    return state;
}

QString pvDisplayText(const SessionState &shared, bool withMarker)
{
    const qint16 status = shared.statusWord();
    const bool over = hasBit(status, StatusBit::OverScale);
    if (!over && !hasBit(status, StatusBit::UnderScale))
        return formatItemValue(shared, 0);
    if (!withMarker)
        return Dashes;
    return Dashes + (over ? QLatin1Char('U') : QLatin1Char('D'));
}

bool trackAutoManualChange(SessionState &shared)
{
    const qint16 status = shared.statusWord();
    if (!hasBit(status, StatusBit::AutoManualKey))
        return false;
    const bool manual = hasBit(status, StatusBit::Manual);
    if (manual == shared.lastManualState)
        return false;
    shared.lastManualState = manual;
    shared.setting(Code::AutoManual) = manual ? 1 : 0;
    return true;
}

DisplayText settingUnit(const SessionState &shared, int code)
{
    SettingPageState state;
    applyUnitLabels(shared.setting(Code::InputType), state);
    if (code == Code::MainSetValue)
        return state.unitLabels[0];
    for (const RowPlace &place : settingRowPlaces()) {
        if (place.code != code)
            continue;
        if (place.unitLabel >= 0)
            return state.unitLabels[place.unitLabel];
        if (place.rateUnitLabel >= 0)
            return state.rateUnitLabels[place.rateUnitLabel];
        break;
    }
    return DisplayText{timeUnitCaption(code), {}};
}

QString machineUnit(const SessionState &shared, int code)
{
    if (!ParameterTable::isSettingCode(code))
        return ItemNames::monitorUnit(shared, code);
    const DisplayText unit = settingUnit(shared, code);
    QString text = unit.messageId ? msg(unit.messageId) : unit.literal;
    return text.replace(QLatin1String("deg."), QStringLiteral("°"));
}

const SettingRow *SettingPageState::row(int code) const
{
    for (const SettingRow &r : rows) {
        if (r.place.code == code)
            return &r;
    }
    return nullptr;
}

SettingPageState settingPageState(const SessionState &shared, int page)
{
    SettingPageState state;
    state.page = page;
    RowSet rows(shared);

    applyUnitLabels(shared.setting(Code::InputType), state);

    applyAlarm(rows, {19, 38, 40, 47}, 36, shared);
    const bool alarm2 = shared.unitConfig.alarm2 != 0;
    // Without the option the rows stay in place with their buttons disabled, so the page keeps
    // its shape whichever model is shown.
    if (alarm2)
        applyAlarm(rows, {20, 39, 41, 48}, 37, shared);
    rows[37].valueVisible = alarm2;
    state.titleButtonVisible[Alarm2Title] = alarm2;
    rows.enableButtons({20, 37, 39, 41}, alarm2);

    applyHeaterBreak(shared, rows, state);
    applyHeating(shared, rows, state);
    applyCooling(shared, rows, state);
    applyOther(shared, rows);
    if (!shared.parameterButtonsEnabled)
        rows.disableAllButtons();
    state.mainSetValueButtonEnabled = shared.parameterButtonsEnabled;
    if (shared.settingDataValid)
        state.mainSetValueText = formatItemValue(shared, 11);
    state.mainSetValueFromFile = shared.settingsFromFile;

    state.rows = rows.page(page);
    return state;
}
