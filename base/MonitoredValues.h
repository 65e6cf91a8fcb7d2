#pragma once

#include <QtGlobal>

#include <array>

// What the polling reads from the controller's monitor registers, and where in its rotation it is.
struct MonitoredValues {
    static constexpr int MonitorCount = 9; // codes 0 to 8

    // Monitor registers, index = parameter code 0 to 8.
    std::array<qint16, MonitorCount> monitorValues{};
    qint16 statusWord() const { return monitorValues[4]; }
    qint16 optionWord() const { return monitorValues[7]; }
    qint16 optionWord2() const { return monitorValues[8]; }

    qint16 monitorStep = 0;
    bool mv2Present = false; // the controller has a second output (option bit 0x40)
    // Auto-tuning was seen running: its end starts a read of the values it changed.
    bool atSeenFlag = false;
    bool lastManualState = false;
};
