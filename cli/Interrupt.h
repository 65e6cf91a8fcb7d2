#pragma once

// Ctrl-C for the headless tool, and SIGTERM, with which a service manager stops it. The first
// signal only sets a flag that the running subcommand polls between requests (a request is never
// cut in half, and a monitor run ends as after --seconds); a second one ends the program the usual
// way.
namespace Interrupt
{
void install();
bool requested();
// Ends the run as a signal would, from within (a file that can no longer be written).
void request();
} // namespace Interrupt
