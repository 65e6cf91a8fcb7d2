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

private:
    static QString s_path;
};
