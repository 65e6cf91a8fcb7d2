#pragma once

#include "transfer/SettingsDataFile.h"

#include <QString>

// The operator's words for a settings data file that was not taken: message 950 naming the first
// bad line and why, or 957 for a file that cannot be opened, in the active language.
namespace SettingsFileMessage
{

// The message id that text() is composed from.
int messageId(const SettingsDataFile::ReadResult &result);

// The text for a result that is not ok(), e.g. "The settings data file cannot be used. Line 51:
// Anti-reset windup setting: 150 is outside 0 to 100."
QString text(const SettingsDataFile::ReadResult &result);

} // namespace SettingsFileMessage
