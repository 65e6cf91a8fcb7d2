#pragma once

#include <QString>

// The standard open and save dialogs for settings data files, filter "*.znm(data file)" and
// default extension "znm". The desktop program shows file dialogs; tests script the answers.
class SettingsFileDialogs
{
public:
    virtual ~SettingsFileDialogs() = default;

    // The file chosen to save into, opened in folder; "znm" is added to a name typed without an
    // extension. The dialog does not ask about an existing file itself. Empty when cancelled.
    virtual QString saveFileName(const QString &folder) = 0;
    // The existing file chosen to load, opened in folder. Empty when cancelled.
    virtual QString openFileName(const QString &folder) = 0;
};
