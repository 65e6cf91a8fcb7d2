#include "WaitTick.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

void WaitTick(int milliseconds)
{
    if (!QCoreApplication::instance())
        return;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
