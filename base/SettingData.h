#pragma once

#include "base/ItemOutcome.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

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

// The setting items as the pages show them, where they came from, and what is known of the
// controller's own values.
struct SettingData {
    static constexpr int FirstSettingCode = 10;
    static constexpr int SettingCount = 56; // codes 10 to 65

    // Parameter values, index = parameter code - 10.
    std::array<qint16, SettingCount> settingValues{};
    std::array<qint16, SettingCount> downloadValues{};
    // The setting values as last read from the controller (index = code - 10); empty for an item
    // not read since the last link check, which may have reached another controller.
    std::array<std::optional<qint16>, SettingCount> readValues{};

    qint16 &setting(int code) { return settingValues.at(std::size_t(code - FirstSettingCode)); }
    qint16 setting(int code) const
    {
        return settingValues.at(std::size_t(code - FirstSettingCode));
    }

    // Settings data file header.
    QString modelName;
    qint16 formatMarker = 0;
    UnitConfig unitConfig;
    // The heater burnout rating when the model change dialog last opened with an alarm fitted:
    // true for 50 A. A change between 20 A and 50 A clears the heater burnout values.
    bool heaterBreak50A = false;

    bool settingDataValid = false;
    bool unsavedOnlineChanges = false;
    // settingValues came from a settings data file and have not been read from the controller
    // since: the display must not show them as the controller's.
    bool settingsFromFile = false;
    // The settings data file the display's values were last loaded from or saved to; empty when
    // they have none (defaults, or read from the controller since).
    QString settingsFileName;

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
};
