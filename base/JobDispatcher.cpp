#include "JobDispatcher.h"

#include "base/ZN8P_INC.h"

JobDispatcher::JobDispatcher(ZN8P_INC &inc) : m_inc(inc) {}

void JobDispatcher::setHandler(Job job, Handler handler)
{
    if (job > Idle && job < JobCount)
        m_handlers[job] = std::move(handler);
}

bool JobDispatcher::run(Job job)
{
    const Handler &handler = m_handlers[job];
    if (!handler)
        return true;
    m_running = true;
    const bool ok = handler();
    m_running = false;
    return ok;
}

void JobDispatcher::tick()
{
    if (m_running)
        return;
    const qint16 job = m_inc.timerJob;
    switch (job) {
    case Monitor:
        m_inc.unsavedOnlineChanges = false;
        if (!run(Monitor))
            m_inc.timerJob = Monitor;
        break;
    case WriteItem:
        m_inc.timerJob = run(WriteItem) && m_inc.rereadFlag ? Upload : Monitor;
        break;
    case SendDisplayData:
    case Upload:
    case Compare:
        run(Job(job));
        m_inc.timerJob = Monitor;
        break;
    case Download:
        run(Download);
        m_inc.unsavedOnlineChanges = false;
        m_inc.timerJob = Monitor;
        break;
    default:
        break;
    }
}
