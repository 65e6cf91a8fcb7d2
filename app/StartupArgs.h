#pragma once

#include <QString>
#include <QStringList>

// The optional settings data file named on the command line. The rule works on the command line
// as one text, as Windows hands it over (arguments without the program name): a quoted path whose
// three characters before the closing quotation mark are exactly "znm".
namespace StartupArgs
{

// The command line as that text. On Windows the process's own command line without the program
// name; elsewhere the first argument (after the program name) stands for the quoted path and is
// wrapped in quotation marks; no argument gives an empty text.
QString rawCommandLine(const QStringList &arguments);

// The file a raw command line names, or an empty text when it names none: it must be longer than
// six characters and its three characters ending one before the last must be "znm" (case
// matters); the name is then the line without its first and last character. So an unquoted path
// or a capital "ZNM" names no file.
QString settingsFilePath(const QString &rawCommandLine);

} // namespace StartupArgs
