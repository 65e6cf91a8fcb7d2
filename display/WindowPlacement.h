#pragma once

class QWidget;

// Shows a window of its own (help, journal, event log, trend viewer) centred over the window of
// owner and never larger than it, so that it opens on the same screen and covers no more than
// needed; then raises and activates it. Without an owner it is only shown.
void showOver(QWidget &window, const QWidget *owner);
