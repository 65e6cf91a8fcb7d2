#pragma once

#include <QString>

// The program's folder, where "Logging", "Setdata", "Journal" and the chart settings files live:
// the executable's own folder when it is writable (a portable install), otherwise the per-user
// application data folder.
class ProgramFolder
{
public:
    // Decides the folder once; override (tests, the simulator demo) takes precedence when not
    // empty. Creates the folder when it does not exist.
    static QString resolve(const QString &override = QString());
    // The folder decided by the last resolve() (resolve() with no override when none was made).
    static QString path();
    static QString logging() { return path() + QStringLiteral("/Logging"); }
    static QString setdata() { return path() + QStringLiteral("/Setdata"); }
    // The write journal's monthly files.
    static QString journal() { return path() + QStringLiteral("/Journal"); }

    // The per-user folder of the desktop program (~/.local/share/Dorvatech RQA Control/ZN Monitor
    // on Linux), the same for znctl, whatever name the running program goes by: both keep one
    // write journal and one set of logs.
    static QString userDataFolder();
    // The rule of resolve() without an override: exeDir when it is a writable folder and not the
    // bin folder of an installed desktop program (one with share/applications/ZN_DESKTOP_ID.desktop
    // beside it), else userDataDir. An installed program never writes beside itself, also when
    // root runs it or the prefix is the user's own (~/.local).
    static QString choose(const QString &exeDir, const QString &userDataDir);

private:
    static QString s_path;
};
