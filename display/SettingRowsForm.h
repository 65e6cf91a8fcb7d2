#pragma once

class QWidget;

// Creates the setting rows of the main window's three setting pages inside their frames
// (Frame_Alarm1, Frame_Alarm2, Frame_HB, Frame_Heat, Frame_Cool, Frame_Other), named as
// MainDisplayView finds them: caption label, value label, unit label (Label_CF / Label_UD where the
// row has one) and change button Cmd_set_<code - 10>, and one title button Cmd_True_<n> per frame.
// Captions are those the rows have when the window is created.
namespace SettingRowsForm
{
void build(QWidget *window);
} // namespace SettingRowsForm
