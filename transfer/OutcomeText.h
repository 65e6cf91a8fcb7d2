#pragma once

#include "base/ItemOutcome.h"

#include <QString>

struct SessionState;

// The operator's words for an item's outcome (ItemOutcome), in the message table's language. The
// status bar, the message boxes, the page's tool tip and znctl all take their text from here.
namespace OutcomeText
{
// Status bar panel 2's note after a single write: "Not taken: ... (sent 5, the controller holds
// 3)", "Not confirmed: ...", "Not written, the controller keys are being operated: ..."; empty for
// a write taken or an item never sent.
QString note(const SessionState &shared, const ItemOutcome &outcome);
// One line of a transfer's list: "28 PV filter time constant setting: sent 3000.0, the controller
// holds 1.0" ("not read" when no read showed it), or for an item never sent "28 PV filter time
// constant setting: not sent (1.0 was meant for it)".
QString listLine(const SessionState &shared, const ItemOutcome &outcome);
// The tool tip of an item marked on its page.
QString toolTip(const SessionState &shared, const ItemOutcome &outcome);
// znctl's word for an item of a download: "landed", "not landed" (refused or read back
// different), "not confirmed" (answered, read-back failed), "no reply", "not reached".
QString landedWord(const ItemOutcome &outcome);
} // namespace OutcomeText
