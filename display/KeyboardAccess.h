#pragma once

#include <QList>

class QWidget;

// The keyboard set-up of a window, in one place so that every window gets the same: the buttons
// an operator uses take Tab focus (Space and Enter press them), Tab and Shift+Tab follow the
// layouts (top to bottom, left to right within a grid, each page of a tab widget after its tab
// bar), a control that takes the focus in a part that scrolls is scrolled into view, and a window
// of its own closes with Esc.
namespace KeyboardAccess
{
// Gives Tab focus to every push button under root that takes none, and lets Tab follow the layouts
// (once watchWindows runs). A dialog with a ten-key pad, whose keys carry the property
// padKeyProperty, is left as it is: every key typed there is the pad's.
void setUp(QWidget *root);
constexpr char padKeyProperty[] = "tenKeyPadKey";
// The widgets in root's layouts that take Tab focus, in the order the layouts show them.
QList<QWidget *> tabChain(QWidget *root);
// Where Tab (forward) or Shift+Tab moves the focus from `from` among the visible, enabled widgets
// of tabChain(root), round at the ends; nullptr when `from` is none of them (a panel placed by
// hand over the page), which Qt's own chain then serves.
QWidget *nextInChain(QWidget *root, QWidget *from, bool forward);
// Esc closes window (a widget shown as a window of its own; a dialog has it already).
void closeOnEscape(QWidget *window);
// From now on every window of the program gets setUp and AccessibleNames::nameFromLabels when it
// is first shown, and a window of its own that is neither a dialog nor the main window
// closeOnEscape as well; Tab and Shift+Tab move
// by nextInChain. Qt's own dialogs (message
// boxes, file and print dialogs) keep the keyboard Qt gives them. Once per application.
void watchWindows();
} // namespace KeyboardAccess
