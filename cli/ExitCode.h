#pragma once

// The exit status of znctl; --help and the README list the same values.
enum ExitCode : int {
    Success = 0,
    FileError = 1,    // a file (CSV log, event log, settings data file, report) could not be
                      // read or written, or a settings data file failed its check (short,
                      // damaged, a value out of limits)
    UsageError = 2,   // unknown subcommand or option, bad option value or argument (also a
                      // --settings-dir or a stored instrument number that cannot be used)
    NoController = 3, // no controller answered (the port did not open, or no reply)
    Refused = 4,      // the controller refused a request, gave an unrecognised reply or did not
                      // take a value written
    LinkLost = 5,     // monitor went offline after repeated communication errors
    Cancelled = 6,    // Ctrl-C ended a search or a read before it finished
    Busy = 7,         // keys operated, auto-tuning running, or another model than the file's
    Differs = 8,      // diff found items whose values differ
    MqttLost = 9,     // monitor --mqtt: messages were not delivered to the broker, and nothing
                      // else went wrong
};
