#pragma once

class QWidget;

// Lays out the page "Main display" so that it reflows with the window: the monitor panel, the
// communication information and the online button in a column on the left, the setting pages on
// the right. The left column and each setting page scroll on their own when the window is too low
// for them, so that a panel appearing (manual output, transfer progress, a frame of a new model)
// never resizes the window. Extra width goes to the value columns, extra height to the setting
// pages. The transfer progress frame sits below the online button, where it covers nothing the
// operator watches; the link check panel (object name "linkCheckPanel", a child of the page)
// floats over the middle of the page. The window's central part scrolls as a whole where the
// screen is too small for it (ScreenFitArea). Run once, after SettingRowsForm::build, with the
// window's form set up and the link check panel made.
namespace MainWindowLayout
{
void arrange(QWidget *window);
} // namespace MainWindowLayout
