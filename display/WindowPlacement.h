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
