#pragma once

#include <QString>

class SimulatedController;

// The simulator's control commands, one per line (from stdin or --fault), e.g. "drop 3",
// "keys 5", "unplug". Returns the answer to print: "ok", a value, or "error: ..." for a command
// that was not understood.
namespace SimCommands
{
QString execute(SimulatedController &sim, const QString &line);
// The command list for --help.
QString help();
} // namespace SimCommands
