#pragma once

class QWidget;

// Shows a window of its own (help, journal, event log, trend viewer) centred over the window of
// owner and never larger than it, so that it opens on the same screen and covers no more than
// needed; then raises and activates it. Without an owner it is only shown.
void showOver(QWidget &window, const QWidget *owner);

// Shows window at least wide enough for the window manager to show its whole title: a narrow
// dialog otherwise gets "Setting ite...selection". The title bar's font is the window manager's;
// the application font in bold, with room for the title bar's buttons, is taken as its measure.
void keepTitleWhole(QWidget &window);

// A dialog taller than the screen's available area (a low screen, scaling, the taller Japanese
// font) would put its OK and Cancel below the screen's edge: its contents then scroll inside a
// dialog as high as the screen allows. Called once its texts are set, before it is shown.
void scrollWhenTooTall(QWidget &dialog);
