#pragma once

// The transfers' short pause (100 ms by default): lets the event loop run until the time
// has passed, so that the window repaints its progress display. Bounded; returns at once when no
// application object exists. Timer ticks that arrive meanwhile run normally, so the job
// dispatcher must ignore its own ticks while a job runs (it does).
void pauseForEvents(int milliseconds = 100);
