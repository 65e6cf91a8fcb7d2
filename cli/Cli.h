#pragma once

#include <QStringList>

// One run of znctl with the arguments after the program name; returns the exit code. Needs a
// QCoreApplication.
int runCli(const QStringList &arguments);
