#pragma once

#include "base/ItemOutcome.h"
#include "base/TimerJob.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QtGlobal>

#include <array>
#include <limits>
#include <optional>

// Protocol indexes as stored under "Protocol" and used by the request layer. VendorFrame is only
// in force during one vendor-frame exchange; the user's choice is then kept in savedProtocolIndex.
enum ProtocolIndex : qint16 {
    ModbusAscii = 0,
    ModbusRtu = 1,
    Ravtocol = 2,
    VendorFrame = 3,
};

// The controller's installed options, in file and dialog order.
struct UnitConfig {
    qint16 alarm2 = 0;   // 0 absent, 1 present
    qint16 heatCool = 0; // 0 absent, 1 heating/cooling control
    qint16 heaterBreak =
        0; // 0 absent, 1 1-phase 20 A, 2 1-phase 50 A, 3 3-phase 20 A, 4 3-phase 50 A
    qint16 contactInput = 0; // 0/1 set values 2 to 4 selected by contact input
    qint16 outputType = 0;   // 0 relay contact, 1 non-contact voltage, 2 DC current
    qint16 serialComm = 0;   // 0/1

    bool operator==(const UnitConfig &o) const
    {
        return alarm2 == o.alarm2 && heatCool == o.heatCool && heaterBreak == o.heaterBreak &&
               contactInput == o.contactInput && outputType == o.outputType &&
               serialComm == o.serialComm;
    }
    bool operator!=(const UnitConfig &o) const { return !(*this == o); }
};

// State shared by every part of the program. One instance, owned by the main window (or by the
// headless tool) and passed by reference.
struct SessionState {
    static constexpr int FirstSettingCode = 10;
    static constexpr int SettingCount = 56; // codes 10 to 65
    static constexpr int MonitorCount = 9;  // codes 0 to 8
    static constexpr int RegisterCount = 66;
    static constexpr int VendorItemCount = 20; // indexes 1 to 19 used

    // Parameter values, index = parameter code - 10.
    std::array<qint16, SettingCount> settingValues{};
    std::array<qint16, SettingCount> downloadValues{};
    // The setting values as last read from the controller (index = code - 10); empty for an item
    // not read since the last link check, which may have reached another controller.
    std::array<std::optional<qint16>, SettingCount> readValues{};
    // Monitor registers, index = parameter code 0 to 8.
    std::array<qint16, MonitorCount> monitorValues{};

    qint16 &setting(int code) { return settingValues.at(std::size_t(code - FirstSettingCode)); }
    qint16 setting(int code) const
    {
        return settingValues.at(std::size_t(code - FirstSettingCode));
    }
    qint16 statusWord() const { return monitorValues[4]; }
    qint16 optionWord() const { return monitorValues[7]; }
    qint16 optionWord2() const { return monitorValues[8]; }

    // Settings data file header.
    QString modelName;
    qint16 formatMarker = 0;
    UnitConfig unitConfig;
    // The heater burnout rating when the model change dialog last opened with an alarm fitted:
    // true for 50 A. A change between 20 A and 50 A clears the heater burnout values.
    bool heaterBreak50A = false;

    // Communication conditions (registry values).
    QString portName = QStringLiteral("COM1");
    QString speedText = QStringLiteral("9600");
    QString dataBitsText = QStringLiteral("7");
    QString stopBitsText = QStringLiteral("1");
    QString parityText = QStringLiteral("EVEN");
    QString stationAddress = QStringLiteral("01");
    qint16 protocolIndex = ModbusAscii;
    qint16 savedProtocolIndex = ModbusAscii;
    bool useSecondKey = false;
    // The pages last shown, kept under "SSTab1" (main tabs) and "SSTab2" (setting tabs).
    qint16 mainTabIndex = 0;
    qint16 settingTabIndex = 0;

    std::array<QString, RegisterCount> registerTable;
    std::array<QString, VendorItemCount> vendorItemTable;

    // Link and state flags.
    bool linkVerified = false;
    bool commActive = false;
    bool online = false;
    bool commErrorFlag = false;
    // The last monitor read was refused or went unanswered: the values shown are not of now.
    // Unlike commErrorFlag, which the 10-second refresh clears before its own requests whatever
    // the line does, only the next monitor read clears it.
    bool monitorReadFailed = false;
    bool unsavedOnlineChanges = false;
    bool settingDataValid = false;
    bool uploadRequested = false;
    bool downloadRequested = false;
    bool unitCheckFlag = false;
    bool keepUnitFlag = false;
    // settingValues came from a settings data file and have not been read from the controller
    // since: the display must not show them as the controller's.
    bool settingsFromFile = false;
    // The settings data file the display's values were last loaded from or saved to; empty when
    // they have none (defaults, or read from the controller since).
    QString settingsFileName;
    bool rereadFlag = false;
    bool rangeOnlyFlag = false;
    // The line was lost since the setting items were last read: whatever answers next may be
    // another controller, or this one changed at its keys, so the next online start reads every
    // item again instead of the range items only.
    bool linkLostSinceRead = false;
    bool atSeenFlag = false;
    bool lastManualState = false;
    // The setting rows' change buttons: disabled until a link check succeeds; the display's own
    // rules then enable them row by row.
    bool parameterButtonsEnabled = false;

    // The outcome of the last write of each setting item that the controller is not known to hold
    // as the pages show it (refused, unanswered, read back different, or never sent by a transfer
    // that stopped): code -> its record. A read of the item that shows the value meant for it, a
    // full upload that reads it and a new link check (which may reach another controller) close
    // the entry; the display marks the items listed.
    QMap<int, ItemOutcome> unconfirmedWrites;
    // The item whose write outcome status bar panel 2 names; 0 when the panel names none. A read
    // that confirms that item's value clears the panel.
    int writeNoteCode = 0;
    // Items whose last read was refused or went unanswered: their values here are not the
    // controller's. A good read of the item clears its entry; the display marks the items listed
    // and nothing files or reports them as read.
    QSet<int> unreadCodes;

    TimerJob timerJob = TimerJob::Idle;
    // The item the posted single write (TimerJob::WriteItem) goes to; its value before the
    // change is in downloadValues.
    qint16 postedWriteCode = 0;
    void postWrite(int code)
    {
        postedWriteCode = qint16(code);
        timerJob = TimerJob::WriteItem;
    }
    qint16 monitorStep = 0;
    // Requests in a row that went unanswered; any answer sets it back to 0. The link supervision
    // goes offline when it reaches its limit.
    qint16 commErrorCount = 0;
    void noteUnanswered()
    {
        if (commErrorCount < std::numeric_limits<qint16>::max())
            ++commErrorCount;
    }

    // Chart state, as kept in the chart settings files. Colours are 0x00BBGGRR, one per chart
    // channel (PV, SV, MV1, MV2, SV2, SV3, SV4).
    static constexpr int ChartChannelCount = 7;
    std::array<qint32, ChartChannelCount> traceColors{};
    qint32 chartLongScale = 1; // 1 long time base ("X 9000"), 0 short ("X 600")
    qint32 chartCycleSeconds = 5;
    qint32 chartScaleHigh = 400;
    qint32 chartScaleLow = 0;
    qint16 chartDivisions = 4;
    bool mv2Present = false; // the controller has a second output (option bit 0x40)

    qint16 selectedPrinterIndex = 0;
};
