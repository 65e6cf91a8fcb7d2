#pragma once

#include "dialogs/TenKeyEntry.h"

#include <QString>

// The chart scale entry without its window: the ten-key working value (TenKeyEntry, no decimal
// places) of one of the four chart settings (Y high, Y low, recording cycle, Y divisions) and its
// checks. Integers only: there is no decimal point to type.
class ScaleEntry
{
public:
    enum Mode { YHigh = 0, YLow = 1, Cycle = 2, Divisions = 3 };

    // high and low are the chart's Y scale when the dialog opens (Y high must stay above Y low).
    ScaleEntry(Mode mode, qint16 high, qint16 low);

    // rangeValue: "1 to 10000" for Y high above a low of 0, "-2000 to 399" for Y low under 400,
    // "1 to 60", "2 to 10" ("1～60" in Japanese).
    QString limitText() const;

    // The working value, which the entry box shows as it is.
    QString working() const { return m_keys.working(); }

    // Digit, Minus and Clear as TenKeyEntry takes them; Point is ignored.
    void edit(const TenKey &key);
    // "+/-": negated, then checked against the wide range of the mode (-2000 to 10000, or 1 to 60
    // for the cycle). Returns 0, or message 229 with the value cleared.
    int plusMinus();

    // "OK": 0 when the value is accepted (see value()), else the message to show: 559 for an
    // empty entry (kept empty), 229 out of the mode's range, 554 when Y high would not be above
    // Y low or Y low not below Y high (both clear the entry).
    int accept();
    int value() const { return m_keys.value(0).value_or(0); }

private:
    bool inRange(int v, int min, int max) const { return v >= min && v <= max; }

    Mode m_mode;
    qint16 m_high;
    qint16 m_low;
    TenKeyEntry m_keys;
};
