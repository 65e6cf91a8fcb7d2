#pragma once

// The exit status of znctl; --help and the README list the same values.
enum ExitCode : int {
    Success = 0,
    FileError = 1,    // a file (the CSV log) could not be written
    UsageError = 2,   // unknown subcommand or option, bad option value or argument
    NoController = 3, // no controller answered (the port did not open, or no reply)
    Refused = 4,      // the controller refused a request or gave an unrecognised reply
    LinkLost = 5,     // monitor went offline after repeated communication errors
    Cancelled = 6,    // Ctrl-C ended a search or a read before it finished
};
