#include "JobDispatcher.h"

#include "base/SessionState.h"

JobDispatcher::JobDispatcher(SessionState &shared) : m_shared(shared) {}

void JobDispatcher::setHandler(TimerJob job, Handler handler)
{
    if (job != TimerJob::Idle)
        m_handlers[std::size_t(job)] = std::move(handler);
}

bool JobDispatcher::run(TimerJob job)
{
    const Handler &handler = m_handlers[std::size_t(job)];
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
    const TimerJob job = m_shared.timerJob;
    switch (job) {
    case TimerJob::Monitor:
        m_shared.unsavedOnlineChanges = false;
        if (!run(TimerJob::Monitor))
            m_shared.timerJob = TimerJob::Monitor;
        break;
    case TimerJob::WriteItem:
        m_shared.timerJob =
            run(TimerJob::WriteItem) && m_shared.rereadFlag ? TimerJob::Upload : TimerJob::Monitor;
        break;
    case TimerJob::SendDisplayData:
    case TimerJob::Upload:
    case TimerJob::Compare:
        run(job);
        m_shared.timerJob = TimerJob::Monitor;
        break;
    case TimerJob::Download:
        run(TimerJob::Download);
        m_shared.unsavedOnlineChanges = false;
        m_shared.timerJob = TimerJob::Monitor;
        break;
    default:
        break;
    }
}
