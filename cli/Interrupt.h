#pragma once

// Ctrl-C for the headless tool. The first SIGINT only sets a flag that the running subcommand
// polls between requests (a request is never cut in half); a second one ends the program the
// usual way.
namespace Interrupt
{
void install();
bool requested();
} // namespace Interrupt
