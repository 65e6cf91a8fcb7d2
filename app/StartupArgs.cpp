#include "StartupArgs.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace
{
#ifdef Q_OS_WIN
// GetCommandLineW without the program name (quoted or up to the first blank) and the blanks
// after it.
QString windowsArguments()
{
    const QString line = QString::fromWCharArray(GetCommandLineW());
    int pos = 0;
    if (line.startsWith(QLatin1Char('"'))) {
        const int close = line.indexOf(QLatin1Char('"'), 1);
        pos = close < 0 ? line.size() : close + 1;
    } else {
        while (pos < line.size() && !line.at(pos).isSpace())
            ++pos;
    }
    while (pos < line.size() && line.at(pos).isSpace())
        ++pos;
    return line.mid(pos);
}
#endif
} // namespace

namespace StartupArgs
{

QString rawCommandLine(const QStringList &arguments)
{
#ifdef Q_OS_WIN
    Q_UNUSED(arguments);
    return windowsArguments();
#else
    if (arguments.size() < 2)
        return QString();
    return QLatin1Char('"') + arguments.at(1) + QLatin1Char('"');
#endif
}

QString settingsFilePath(const QString &rawCommandLine)
{
    const int length = rawCommandLine.size();
    if (length <= 6)
        return QString();
    if (rawCommandLine.mid(length - 4, 3) != QLatin1String("znm"))
        return QString();
    return rawCommandLine.mid(1, length - 2);
}

} // namespace StartupArgs
