#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

struct SessionState;

// A value typed for a setting item in the units the main window shows it in ("250.5" for a set
// value on a 0.1-degree input, "30" for an integral time, the text or the number of a choice),
// turned into the raw value the controller holds and checked against the item's limits, as the
// entry and selection dialogs check what is typed there.
namespace ItemValueEntry
{

// The setting items a single write may change: codes 11 to 63.
bool isWritable(int code);

// The codes whose values decide how code is converted and limited (input type, decimal point
// place, scaling, alarm types, output limits, PID values), code itself included. Read them before
// parse().
QList<int> inputsFor(int code);

struct Result {
    std::optional<qint16> raw;
    // When raw is empty: why, with the limits in display units ("250.5 is outside 0.0 to 200.0").
    QString error;
};

// The display text of code's value in shared, in the units parse() takes: as the main window shows
// it, except the manual output, which is in percent with one decimal as its buttons step it.
QString displayText(const SessionState &shared, int code);

// Converts text for code with the values in shared (settingValues and the option words).
Result parse(SessionState &shared, int code, const QString &text);

} // namespace ItemValueEntry
