#pragma once

#include "base/TimerJob.h"

#include <QtGlobal>

#include <limits>

// Where the link to the controller stands, and the job the job timer runs next.
struct LinkState {
    bool linkVerified = false;
    bool commActive = false;
    bool online = false;
    bool commErrorFlag = false;
    // The last monitor read was refused or went unanswered: the values shown are not of now.
    // Unlike commErrorFlag, which the 10-second refresh clears before its own requests whatever
    // the line does, only the next monitor read clears it.
    bool monitorReadFailed = false;
    // The line was lost since the setting items were last read: whatever answers next may be
    // another controller, or this one changed at its keys, so the next online start reads every
    // item again instead of the range items only.
    bool linkLostSinceRead = false;
    // Requests in a row that went unanswered; any answer sets it back to 0. The link supervision
    // goes offline when it reaches its limit.
    qint16 commErrorCount = 0;
    void noteUnanswered()
    {
        if (commErrorCount < std::numeric_limits<qint16>::max())
            ++commErrorCount;
    }

    TimerJob timerJob = TimerJob::Idle;
    // The item the posted single write (TimerJob::WriteItem) goes to; its value before the
    // change is in downloadValues.
    qint16 postedWriteCode = 0;
    void postWrite(int code)
    {
        postedWriteCode = qint16(code);
        timerJob = TimerJob::WriteItem;
    }
};
