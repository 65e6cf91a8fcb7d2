#pragma once

#include <QtGlobal>

#include <array>
#include <functional>

struct SessionState;

// The job timer's dispatcher: each Timer1 tick runs the job that shared.timerJob selects and then
// picks the next one. The job bodies belong to the connection, polling and transfer code, which
// register them here.
//
// | job | runs                          | next                                  |
// | 0   | nothing                       | 0                                     |
// | 1   | one monitoring step           | as the step left it (normally 1)      |
// | 2   | one item write                | 4 when it set rereadFlag, else 1      |
// | 3   | send the display's data       | 1                                     |
// | 4   | read the parameters (upload)  | 1                                     |
// | 5   | download and read back        | 1                                     |
// | 6   | compare display and controller| 1                                     |
//
// Job 1 clears unsavedOnlineChanges before it runs, job 5 after it ran. A job that reports a
// failure goes back to job 1.
class JobDispatcher
{
public:
    enum Job : qint16 {
        Idle = 0,
        Monitor = 1,
        WriteItem = 2,
        SendDisplayData = 3,
        Upload = 4,
        Download = 5,
        Compare = 6,
    };
    static constexpr int JobCount = 7;

    // Returns false on a run-time error inside the job.
    using Handler = std::function<bool()>;

    explicit JobDispatcher(SessionState &shared);

    // Handler of job 1 to 6; a job without a handler only moves on to its next job.
    void setHandler(Job job, Handler handler);

    // One tick. A tick that arrives while a job runs (a job lets the window process its events
    // during long transfers) does nothing.
    void tick();

    bool isRunning() const { return m_running; }

private:
    bool run(Job job);

    SessionState &m_shared;
    std::array<Handler, JobCount> m_handlers;
    bool m_running = false;
};
