#pragma once

#include "base/SessionState.h"
#include "comm/ControllerCodes.h"

#include <QList>
#include <QString>

#include <array>

// What the main window's monitor panel and setting pages show, worked out from the shared state
// alone. The window (MainDisplayView) copies these structs onto its controls; nothing here knows
// a widget, so every rule can be checked without a window.

struct Rgb {
    int red = 255;
    int green = 255;
    int blue = 255;

    bool operator==(const Rgb &o) const
    {
        return red == o.red && green == o.green && blue == o.blue;
    }
    bool operator!=(const Rgb &o) const { return !(*this == o); }
};

namespace DisplayColor
{
constexpr Rgb White{255, 255, 255}; // every lamp whose bit is clear
constexpr Rgb Green{0, 192, 0};
constexpr Rgb Yellow{255, 255, 0};
constexpr Rgb Red{255, 0, 0};
constexpr Rgb LightGreen{192, 255, 192};
} // namespace DisplayColor

// A label text that is either a message of the message table or a fixed text. Both empty means
// an empty label.
struct DisplayText {
    int messageId = 0;
    QString literal;

    bool isEmpty() const { return messageId == 0 && literal.isEmpty(); }
    bool operator==(const DisplayText &o) const
    {
        return messageId == o.messageId && literal == o.literal;
    }
};

struct Lamp {
    Rgb colour = DisplayColor::White;
    bool visible = true;
};

// Indexes of MonitorPanelState::alarmLamps, the same as those of the alarmLamp control array.
enum AlarmLamp { Evt1Lamp = 0, Evt2Lamp = 1, UpLamp = 2, DownLamp = 3, HbLamp = 4 };

// The texts handed to the trend chart after each monitor read.
struct ChartCaptions {
    QString pv0;
    QString sv0;
    QString mv1;
    QString mv2;
    QString sv2;
    QString sv3;
    QString sv4;
};

struct MonitorPanelState {
    QString pvText; // pvValue
    QString svText; // svValue(0), the set value in use; the main set value is the pages' (code 11)
    std::array<QString, 2> mvText; // mvValue(0), mvValue(1)
    bool mv2Visible = false;       // mvValue(1), mvUnit(1) and the OUT 2 lamp
    std::array<QString, 2> hbText; // heaterCurrentValue(1), heaterCurrentValue(2)
    // HB1 and HB2 with their labels, units and current displays.
    std::array<bool, 2> hbVisible{};

    Lamp out1Lamp; // out1Lamp
    Lamp out2Lamp; // out2Lamp
    std::array<Lamp, 5> alarmLamps;
    Rgb autoTuningColour =
        DisplayColor::White; // autoTuningLamp; its text and visibility are the pages'

    // Operating state.
    int outOffCaptionId = 0; // outOffLamp: 327, 319 or 320
    Rgb outOffColour = DisplayColor::White;
    int outOffStateId = 0; // outOffStateLabel: 322 "OUT" or 321 "OFF"
    bool outOffStateVisible =
        false; // outOffStateLabel means something only with the OUT/OFF function
    bool manualButtonsVisible = false; // manualStepButton(0..5), only while online

    ChartCaptions chart;
};

// The option bits the monitor panel follows: optionWord while online, else those of the unit
// configuration, so that an offline panel shows what the configured controller has.
qint16 displayOptionWord(const SessionState &shared);

// The monitor panel for the current monitorValues (and, for the main set value, settingValues).
MonitorPanelState monitorPanelState(const SessionState &shared);

// PV as the display shows it: "----" while statusWord has the overscale (0x0100) or underscale
// (0x0200) bit, else formatItemValue of code 0. withMarker puts "U" (overscale) or "D"
// (underscale) after the "----", for a text that stands without the UP and DOWN lamps.
QString pvDisplayText(const SessionState &shared, bool withMarker = false);

// Follows the controller's switch between automatic and manual control: on a change, sets code 45
// to 0 (automatic) or 1 (manual) and lastManualState to match. Returns true when it changed them,
// so the caller refreshes the row of code 45 and the selection dialog's option. Does nothing while
// the OUT/OFF key is not the auto/manual switch.
bool trackAutoManualChange(SessionState &shared);

// The groups of setting rows, each a control array on the window.
enum class RowGroup {
    Alarm1,      // alarm1Caption / alarm1Value
    Alarm2,      // alarm2Caption / alarm2Value
    HeaterBreak, // heaterBurnoutCaption / heaterBurnoutValue
    Pid,         // pidCaption / pidValue
    Cool,        // coolingCaption / coolingValue
    Other,       // otherCaption / otherValue
};

// The message of the frame that holds a group's rows ("Alarm 1 information" ...).
int rowGroupTitle(RowGroup group);

// Where one setting row sits on the window.
struct RowPlace {
    int code;
    RowGroup group;
    int index;         // within the group's control arrays
    int unitLabel;     // unitLabel index, or -1
    int rateUnitLabel; // rateUnitLabel index, or -1
    int captionId;     // message of the caption label when the window is created
};

struct SettingRow {
    RowPlace place;
    int captionId = 0;         // message shown by the caption label
    QString valueText;         // empty while settingDataValid is clear
    bool visible = true;       // caption label and unit label
    bool valueVisible = true;  // value label
    bool buttonVisible = true; // changeButton(code - 10)
    bool buttonEnabled = true;
    // The controller is not known to hold what the last write of this item meant to give it
    // (unconfirmedWrites); unconfirmedTip says what was sent, or that nothing was.
    bool unconfirmed = false;
    QString unconfirmedTip;
    // The controller refused or did not answer the last read of this item (unreadCodes): the
    // value shows as "----", never as the value held before.
    bool unread = false;
};

// Title buttons groupLockButton(0..5), one per frame.
enum TitleButton {
    Alarm1Title = 0,
    Alarm2Title = 1,
    HeaterBreakTitle = 2,
    HeatTitle = 3,
    CoolTitle = 4,
    OtherTitle = 5,
};

struct SettingPageState {
    static constexpr int AllPages = -1;
    static constexpr int UnitLabelCount = 18;
    static constexpr int RateUnitLabelCount = 2;

    int page = AllPages;
    QList<SettingRow> rows;                                     // the rows of page, in window order
    std::array<DisplayText, UnitLabelCount> unitLabels;         // unitLabel(0..17)
    std::array<DisplayText, RateUnitLabelCount> rateUnitLabels; // rateUnitLabel(0..1)
    bool heaterBreakFrameVisible = true;                        // heaterBurnoutFrame
    std::array<bool, 6> titleButtonVisible{true, true, true, true, true, true};
    // The main set value (code 11) in svValue(1) on the monitor panel, empty while
    // settingDataValid is clear; fromFile while it was loaded from a file and not read since.
    QString mainSetValueText;
    bool mainSetValueFromFile = false;
    bool mainSetValueButtonEnabled =
        false;                   // changeButton(1) beside svValue(1) on the monitor panel
    int autoTuningCaptionId = 0; // autoTuningLamp: 102 "AT" or 100 "AR"
    bool autoTuningVisible = false;

    // The row of code, or nullptr when it is not on this page.
    const SettingRow *row(int code) const;
};

// Pages of settingTabs.
enum SettingPage { AlarmPage = 0, PidPage = 1, OtherPage = 2 };

// Every setting row of the window in window order (alarm, PID, other page), with the caption it
// has when the window is created.
const QList<RowPlace> &settingRowPlaces();

// Whether the controller's unit configuration has the setting item: false for the items of an
// option it lacks (alarm 2, heating/cooling, heater burnout alarm and its second phase, the set
// values chosen by contact input, the DC output's input abnormal output).
bool unitHasItem(const SessionState &shared, int code);

// The fixed unit beside a time-valued row: 374 "Sec." (integral and derivative time, the
// proportional cycles, the PV filter, the alarm delay timers), 401 "Min." (backlight time), else 0.
// The window names the label timeUnitLabel_<code - 10>.
int timeUnitCaption(int code);

// The unit the window shows beside code's value for the present input type: its unitLabel,
// rateUnitLabel or time unit (the main set value's is unitLabel(0) on the monitor panel). Empty for
// an item without a unit.
DisplayText settingUnit(const SessionState &shared, int code);
// The unit of code's value as machine output (znctl, the line traffic) names it, in any
// language: "°C", "%", "s"; empty for none.
QString machineUnit(const SessionState &shared, int code);

// The page's rows (page AlarmPage, PidPage or OtherPage; AllPages for all of them) with their
// captions, values and visibility, and the unit labels, frame and title buttons and the AT/AR
// label, which do not depend on the page.
SettingPageState settingPageState(const SessionState &shared, int page);
