#include "JobDispatcher.h"

#include "base/SessionState.h"

JobDispatcher::JobDispatcher(SessionState &shared) : m_shared(shared) {}

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
    const qint16 job = m_shared.timerJob;
    switch (job) {
    case Monitor:
        m_shared.unsavedOnlineChanges = false;
        if (!run(Monitor))
            m_shared.timerJob = Monitor;
        break;
    case WriteItem:
        m_shared.timerJob = run(WriteItem) && m_shared.rereadFlag ? Upload : Monitor;
        break;
    case SendDisplayData:
    case Upload:
    case Compare:
        run(Job(job));
        m_shared.timerJob = Monitor;
        break;
    case Download:
        run(Download);
        m_shared.unsavedOnlineChanges = false;
        m_shared.timerJob = Monitor;
        break;
    default:
        break;
    }
}
