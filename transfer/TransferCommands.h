#pragma once

#include "comm/SessionContext.h"

class MainView;
class OperatorInterface;
struct SessionState;

// The main window's commands that lead to a transfer or a setting change: they check the
// preconditions, ask the operator and post a job for the dispatcher; they never send anything
// themselves.
class TransferCommands
{
public:
    // Groups of setting rows with a title button (groupLockButton 0 to 5).
    enum Group { Alarm1, Alarm2, HeaterBurnout, Heating, Cooling, Other, GroupCount };

    TransferCommands(const SessionContext &context);

    // File > Upload: offline message 98; else question 511, and a Yes posts job 4 with
    // uploadRequested set.
    void upload();
    // File > Download: offline message 40; without valid setting data 196; while auto-tuning
    // runs 503/504; else question 512, and a Yes copies settingValues into downloadValues, sets
    // downloadRequested and posts job 5.
    void download();
    // File > Compare with controller: offline message 975; without setting values to compare
    // 976; else posts job 6, which reads the controller and lists the differences.
    void compare();
    // A change button (changeButton, index = code - 10). While online before the first upload or
    // download message 195 and false; exempt are all buttons but the auto-tuning one while
    // auto-tuning (code 12) is switched on. Otherwise true: the entry or selection dialog for
    // the code may open.
    bool changeButton(int index);
    // A group's title button: with valid setting data the group's change buttons are switched
    // between enabled and disabled; without, message 719.
    void groupLockButton(int group);

private:
    SessionState &m_shared;
    OperatorInterface &m_op;
    MainView &m_view;
};
