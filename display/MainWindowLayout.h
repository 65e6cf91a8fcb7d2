#pragma once

class QWidget;

// Lays out the page "Main display" so that it reflows with the window: the monitor panel, the
// communication information and the online button in a column on the left, the setting pages on
// the right, each setting page scrolling on its own when the window is too low for it. Extra
// width goes to the value columns, extra height to the setting pages. The transfer progress
// frame sits below the online button, where it covers nothing the operator watches. Run once,
// after SettingRowsForm::build, with the window's form set up.
namespace MainWindowLayout
{
void arrange(QWidget *window);
} // namespace MainWindowLayout
