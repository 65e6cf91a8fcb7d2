#include "ServiceNotifier.h"

#ifdef ZN_HAVE_SYSTEMD
#include <systemd/sd-daemon.h>

#include <QElapsedTimer>

namespace
{

void notify(const QString &state)
{
    sd_notify(0, state.toUtf8().constData());
}

} // namespace

namespace ServiceNotifier
{

void ready(const QString &status)
{
    notify(QStringLiteral("READY=1\nSTATUS=") + status);
}

void status(const QString &status)
{
    notify(QStringLiteral("STATUS=") + status);
}

void alive()
{
    // The period the unit asked for (WatchdogSec=), in microseconds; 0 when none.
    static const quint64 periodUs = [] {
        uint64_t usec = 0;
        return sd_watchdog_enabled(0, &usec) > 0 ? quint64(usec) : quint64(0);
    }();
    if (periodUs == 0)
        return;
    static QElapsedTimer sinceLast;
    // A quarter of the period: a late tick or two still keeps the run alive.
    if (sinceLast.isValid() && quint64(sinceLast.elapsed()) * 1000 < periodUs / 4)
        return;
    sinceLast.start();
    notify(QStringLiteral("WATCHDOG=1"));
}

void stopping()
{
    notify(QStringLiteral("STOPPING=1"));
}

} // namespace ServiceNotifier

#else

namespace ServiceNotifier
{
void ready(const QString &) {}
void status(const QString &) {}
void alive() {}
void stopping() {}
} // namespace ServiceNotifier

#endif
