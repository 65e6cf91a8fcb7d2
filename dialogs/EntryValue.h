#pragma once

#include <QString>

#include <optional>

struct ZN8P_INC;

// The working value of the parameter entry dialog and its rules, without a window: what the ten
// keys, "-", "+/-" and the clearing keys do, what the entry box shows, and the accept step.
// The value is kept as the operator builds it, a string of at most six characters (the sign
// counts) holding the raw integer; the decimal places come only from the display rule.
class EntryValue
{
public:
    enum class Outcome {
        EmptyEntry, // message 559: nothing typed
        OutOfRange, // message 229: entry cleared
        Accepted,
    };

    explicit EntryValue(const ZN8P_INC &inc);

    // Digit 0 to 9 appended while the working value has fewer than six characters; leading
    // zeros vanish because the text is re-evaluated ("0" then "5" gives "5").
    void typeDigit(int digit);
    // The "-" key: the value negated; "-" on an empty entry gives "0".
    void negate();
    // "+/-": negated, then range checked; false (and the entry cleared) when out of range.
    bool toggleSign();
    // Backspace, "." and "CE": working value and entry box cleared.
    void clear();

    QString working() const { return m_working; }
    // The raw integer the working value stands for (0 while empty).
    int value() const;
    bool inRange() const;

    // What the entry box shows after a change (see displayText()); it keeps its previous text
    // when the item's decimal point place is not 0 to 3.
    QString entryText() const { return m_entryText; }

    // The accept step: 559 when the entry box is empty, 229 (entry cleared) out of range, else
    // the item's settingValues entry takes the value.
    Outcome accept(ZN8P_INC &inc);

private:
    void setWorking(long long value);
    void refresh();
    // Entry box text for the working value; nullopt keeps the previous text.
    std::optional<QString> displayText() const;

    const ZN8P_INC &m_inc;
    QString m_working;
    QString m_entryText;
};
