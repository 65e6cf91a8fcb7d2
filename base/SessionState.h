#pragma once

#include "base/ChartState.h"
#include "base/CommConditions.h"
#include "base/LinkState.h"
#include "base/MonitoredValues.h"
#include "base/SettingData.h"
#include "base/TransferFlags.h"
#include "base/WindowChoices.h"

// State shared by every part of a core session, cut by concern. One instance, owned by the core
// session (the window's or the headless tool's) and passed by reference; a part that needs one
// concern only takes that one.
struct SessionState : CommConditions,
                      LinkState,
                      MonitoredValues,
                      SettingData,
                      TransferFlags,
                      ChartState,
                      WindowChoices {
};
