#pragma once

struct SessionState;

// Watches statusWord and schedules an upload (TimerJob::Upload) when the controller's settings may
// have changed: while bit 0x8000 is set (the upload's setting-flag write clears it), and once when
// auto-tuning (bit 0x800) ends, so that the values it changed are read back. shared.atSeenFlag
// remembers that auto-tuning was seen running. Call it only right after statusWord was read from
// the controller, so that one change gives one upload.
void checkStatusWord(SessionState &shared);
