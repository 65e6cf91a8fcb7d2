#pragma once

#include "base/SessionState.h"

#include <QList>

#include <array>

// The model change rules without a window: which option combinations of the unit configuration
// cannot coexist, which sub-frames that locks, and what "Change" and "Cancel" do to the shared
// state. The rules edit shared.unitConfig directly, as the dialog's option clicks do.
class UnitOptionRules
{
public:
    // The six sub-frames, in dialog order (index of currentOptionGroup_N / newOptionGroup_N).
    enum Field { Alarm2 = 0, HeatCool, HeaterBreak, ContactInput, OutputType, SerialComm };
    static constexpr int FieldCount = 6;
    static constexpr int DcCurrent = 2; // outputType option locked by a heater burnout alarm

    // Opening the dialog: the configuration at opening is kept for Cancel and its 50 A rating
    // for Change. With a verified link or valid setting data every field's value is applied as
    // if clicked (the locks follow, a refusal is silent); otherwise every field is clicked to 0
    // " Not added". A stored value that cannot coexist with the fields before it is dropped to
    // " Not added" (for the output type: kept) and its refusal kept in droppedAtOpen().
    explicit UnitOptionRules(SessionState &shared);

    // The message that names a field (its sub-frame's caption), and the one that names a value of
    // it (its option's text, which begins with a blank).
    static int fieldCaption(Field field);
    static int valueCaption(Field field, int value);
    // field's value in unit.
    static int valueIn(const UnitConfig &unit, Field field);

    // The refusal messages of the stored options dropped on opening, in field order.
    const QList<int> &droppedAtOpen() const { return m_droppedAtOpen; }
    // A field's value when the dialog opened, before any option was dropped.
    int valueAtOpen(Field field) const;

    // Whether the dialog shows the configuration (true) or " Not added" everywhere.
    bool showsConfiguration() const { return m_showsConfiguration; }

    // An option clicked. Returns 0 when taken, else the refusal message (284 to 289, 293); a
    // refused click selects option 0 of its field instead (the output type keeps its value).
    int click(Field field, int value);

    int value(Field field) const;
    bool isLocked(Field field) const { return m_locked[field]; }
    bool isDcCurrentLocked() const { return m_dcCurrentLocked; }

    // "Change" after Yes to 192: valid setting data; the heater burnout values (21, 53) cleared
    // when the alarm is removed or its rating moves between 20 A and 50 A; data marked changed
    // and the unit configuration to be checked at the next online start.
    void change();
    // "Cancel": the configuration at opening comes back.
    void cancel();

private:
    // The rule of a click that is known to be allowed.
    void take(Field field, int value);
    int refusal(Field field, int value) const;
    qint16 &field(Field f);

    SessionState &m_shared;
    UnitConfig m_atOpen;
    QList<int> m_droppedAtOpen;
    bool m_showsConfiguration = false;
    std::array<bool, FieldCount> m_locked{};
    bool m_dcCurrentLocked = false;
};
