#include "PauseForEvents.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

void pauseForEvents(int milliseconds)
{
    if (!QCoreApplication::instance())
        return;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
