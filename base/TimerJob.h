#pragma once

#include <QtGlobal>

// The job that the next tick of the job timer runs (SessionState::timerJob); JobDispatcher runs it
// and picks the next one.
enum class TimerJob : qint16 {
    Idle,            // nothing
    Monitor,         // one monitoring step
    WriteItem,       // one item write (the operator changed one value)
    SendDisplayData, // send the display's data when going online
    Upload,          // read the parameters
    Download,        // download and read back
    Compare,         // compare display and controller
};
