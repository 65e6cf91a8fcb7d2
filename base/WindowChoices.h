#pragma once

#include <QtGlobal>

// What the operator last chose on the window that outlives a page or a dialog.
struct WindowChoices {
    // The pages last shown, kept under "SSTab1" (main tabs) and "SSTab2" (setting tabs).
    qint16 mainTabIndex = 0;
    qint16 settingTabIndex = 0;
    // The setting rows' change buttons: disabled until a link check succeeds; the display's own
    // rules then enable them row by row.
    bool parameterButtonsEnabled = false;
    qint16 selectedPrinterIndex = 0;
};
