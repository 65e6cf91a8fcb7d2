#pragma once

#include <functional>

class QWidget;

// Start-up order: a window that runs a long blocking operation right after show() stays black
// until it returns, because the window system has not yet asked it to paint.
namespace FirstPaint
{
// Shows window and runs then() from the event loop once the window has painted for the first
// time (or after fallbackMs, for a window the system never exposes, e.g. minimised at start).
void showThenRun(QWidget *window, std::function<void()> then, int fallbackMs = 1000);
} // namespace FirstPaint
