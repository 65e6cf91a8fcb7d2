#pragma once

#include <QString>

class MainView;
class OperatorInterface;
class SettingsFileDialogs;
struct SessionContext;
struct SessionState;

// File save (saveAction) and File load (loadAction) of the settings data file in "Setdata". The
// online button's question 362 runs the same save.
class SettingsFileCommands
{
public:
    SettingsFileCommands(const SessionContext &context, SettingsFileDialogs &dialogs);

    // Without valid setting data message 197. Otherwise the save dialog; an existing file is
    // overwritten only after Yes to 507 (No: message 508). Returns true when the file was
    // written; then unsavedOnlineChanges is clear and settingsFileName names the file. A write that
    // fails leaves the old file as it was, keeps unsavedOnlineChanges and names the reason in
    // status panel 4.
    bool save();
    // While online message 701. Otherwise question 535 and the open dialog, then the file's
    // model name, unit configuration (all 0 for format marker 1) and 53 values replace the
    // display's, every setting label shows them and settingsFileName names the file. A file that is
    // short, damaged or holds a value outside its limits changes nothing: message 950 names its
    // first bad line (957: it cannot be opened). Returns true when the file was loaded.
    bool load();
    // File load of a named file (a later start of the program hands it over): the same check,
    // question and reading as loadAction, without the open dialog.
    bool loadFile(const QString &path);

private:
    // While online message 701 and false; otherwise question 535.
    bool mayReplaceDisplay();
    bool readFile(const QString &path);
    bool writeFile(const QString &path);
    void restoreCurrentFolder();

    SessionState &m_shared;
    OperatorInterface &m_op;
    MainView &m_view;
    SettingsFileDialogs &m_dialogs;
};
