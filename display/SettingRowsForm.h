#pragma once

class QAbstractButton;
class QString;
class QWidget;

// Creates the setting rows of the main window's three setting pages inside their frames
// (alarm1Frame, alarm2Frame, heaterBurnoutFrame, heatingFrame, coolingFrame, otherFrame), named as
// MainDisplayView finds them: caption label, value label, unit label (unitLabel / rateUnitLabel
// where the row has one) and change button changeButton_<code - 10>, and one title button
// groupLockButton_<n> per frame. Captions are those the rows have when the window is created.
namespace SettingRowsForm
{
void build(QWidget *window);
// The caption of a frame's title button says what a click does to the frame's Change buttons
// (lock or unlock them); its tool tip and accessible texts name the frame.
void showGroupLock(QAbstractButton *titleButton, const QString &frameTitle, bool locked);
} // namespace SettingRowsForm
