#pragma once

#include <QList>
#include <QString>

class OperatorInterface;
struct SessionState;

// Items whose change makes the controller set other items anew: a new input type resets the
// scaling limits to its range and with them the set values and alarm values, a new alarm type
// that alarm's value. Such a change is asked for before it is made, naming what it resets.
namespace SettingResets
{
// The codes that a new value of code resets, those of options the unit lacks left out (set
// values 2 to 4, alarm 2); empty for an item that resets nothing.
QList<int> resetBy(const SessionState &shared, int code);

// Message 921 with code's caption, then the captions of resetBy one a line, then message 922.
QString question(const SessionState &shared, int code);

// Before code takes newValue: when that is another value than it holds and resets other items,
// asks question() (message 921) and returns the answer; true without a question otherwise.
bool confirm(const SessionState &shared, OperatorInterface &op, int code, int newValue);
} // namespace SettingResets
