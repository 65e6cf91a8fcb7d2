#pragma once

#include "base/TimerJob.h"

#include <array>
#include <functional>

struct SessionState;

// The job timer's dispatcher: each JobTimer tick runs the job that shared.timerJob selects and then
// picks the next one. The job bodies belong to the connection, polling and transfer code, which
// register them here.
//
// | job             | next                                          |
// | Idle            | Idle                                          |
// | Monitor         | as the step left it (normally Monitor)        |
// | WriteItem       | Upload when it set rereadFlag, else Monitor   |
// | SendDisplayData | Monitor                                       |
// | Upload          | Monitor                                       |
// | Download        | Monitor                                       |
// | Compare         | Monitor                                       |
//
// Monitor clears unsavedOnlineChanges before it runs, Download after it ran. A job that reports a
// failure goes back to Monitor.
class JobDispatcher
{
public:
    // Returns false on a run-time error inside the job.
    using Handler = std::function<bool()>;

    explicit JobDispatcher(SessionState &shared);

    // Handler of every job but Idle; a job without a handler only moves on to its next job.
    void setHandler(TimerJob job, Handler handler);

    // One tick. A tick that arrives while a job runs (a job lets the window process its events
    // during long transfers) does nothing.
    void tick();

    bool isRunning() const { return m_running; }

private:
    bool run(TimerJob job);

    SessionState &m_shared;
    std::array<Handler, std::size_t(TimerJob::Compare) + 1> m_handlers;
    bool m_running = false;
};
