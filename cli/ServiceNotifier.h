#pragma once

#include <QString>

// What systemd learns about a run it started as a service of Type=notify (sd_notify): that it is
// ready, what it is doing, that it is still alive (the watchdog restarts a run that stops saying
// so, such as one hung on a dead adapter) and that it is stopping. Outside systemd, and in a
// build without libsystemd, every call does nothing.
namespace ServiceNotifier
{
void ready(const QString &status);
void status(const QString &status);
// Called wherever the run makes progress; tells the watchdog at most a few times per its period.
void alive();
void stopping();
} // namespace ServiceNotifier
