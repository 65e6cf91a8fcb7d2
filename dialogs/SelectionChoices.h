#pragma once

#include "display/MainDisplayModel.h"

#include <QList>
#include <QString>

#include <optional>

struct SessionState;

// The choice items of the selection dialog: one frame per item kind, its caption and the texts
// of its options (option index = the item's value). Items that share a kind share a frame
// (alarm 1 and 2 type, alarm 1 and 2 energized).
struct ChoiceFrame {
    const char *frameName;  // autoTuningGroup, inputTypeGroup, ...
    const char *optionName; // autoTuningChoice, inputTypeChoice, ... (control array)
    int captionId;
    QList<DisplayText> options;
};

namespace SelectionChoices
{
// Every frame in the dialog's order, with the captions it has when the dialog is loaded.
QList<ChoiceFrame> allFrames(const SessionState &shared);

// The frame of a choice item, nullopt for numeric items. The auto-tuning frame (code 12) reads
// "AT" while codes 13, 15 and 16 are all non-zero and "Auto-reset" otherwise.
std::optional<ChoiceFrame> frameOf(const SessionState &shared, int code);

bool isChoiceItem(int code);
} // namespace SelectionChoices

// What the main window does after OK in the selection dialog, beyond rebuilding its page.
struct SelectionOutcome {
    bool writePosted = false;               // online: job 2 posted, JobTimer to run
    std::optional<QString> valueText;       // the item's value label takes this text
    std::optional<bool> manualButtonsShown; // the six manual output buttons
};

namespace SelectionChange
{
// OK with option index chosen for item code (whose previous value is in downloadValues);
// optionText is the chosen option's caption. Stores the value and applies the item's effects:
// the AT-seen flag, alarm values cleared by a new alarm type offline, the input type's scaling
// and cleared set values offline (applyInputTypeLimits), the OUT/OFF key function's rows, the
// manual buttons, and the re-read after an alarm or input type written online.
SelectionOutcome apply(SessionState &shared, int code, int index, const QString &optionText);

// After an input type change offline: scaling high and low limits (codes 25, 26) := the new
// type's range; when the type differs from its value before the edit (downloadValues), the set
// values (11, 58, 59, 60) and alarm values (19, 20) := 0.
void applyInputTypeLimits(SessionState &shared);
} // namespace SelectionChange
