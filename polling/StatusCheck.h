#pragma once

struct ZN8P_INC;

// Watches statusWord after each monitor read and schedules an upload (timerJob 4) when the
// controller's settings may have changed: on every read while bit 0x8000 is set, and once when
// auto-tuning (bit 0x800) ends, so that the values it changed are read back. inc.atSeenFlag
// remembers that auto-tuning was seen running.
void statecomchk(ZN8P_INC &inc);
