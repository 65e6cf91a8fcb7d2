#pragma once

#include <QString>

#include <optional>

struct ZN8P_INC;

// The working value of the parameter entry dialog and its rules, without a window: what the ten
// keys, ".", "-", "+/-" and the clearing keys do, what the entry box shows, and the accept step.
// Digits alone build the raw integer (at most six characters, the sign counts) and the decimal
// places come from the item's display rule, so 1, 2, 3 on a two-decimal item reads 1.23. A typed
// decimal point switches to literal entry: the text is then the value as written ("2.5" on a
// one-decimal item is the raw 25), because an operator who types a point means it.
class EntryValue
{
public:
    enum class Outcome {
        EmptyEntry,      // message 559: nothing typed
        OutOfRange,      // message 229: entry cleared
        TooManyDecimals, // message 920: more decimals than the item has, entry cleared
        Accepted,
    };

    explicit EntryValue(const ZN8P_INC &inc);

    // Digit 0 to 9 appended while the working value has fewer than six characters (the point
    // does not count); leading zeros vanish because the text is re-evaluated ("0" then "5" gives
    // "5").
    void typeDigit(int digit);
    // The "." key: literal entry from here on, the digits typed so far being the whole part ("."
    // first reads "0."). A second point, or an item whose decimal places are unknown (a decimal
    // point place outside 0 to 3), leaves the entry as it is.
    void typePoint();
    // The "-" key: the value negated; "-" on an empty entry gives "0".
    void negate();
    // "+/-": negated, then range checked; false (and the entry cleared) when out of range.
    bool toggleSign();
    // Backspace and "CE": working value and entry box cleared, back to digit entry.
    void clear();

    // The working value: the raw integer's digits, or in literal entry the text as typed.
    QString working() const { return m_working; }
    // The raw integer the working value stands for (0 while empty); nullopt for a literal entry
    // with more decimals than the item has.
    std::optional<int> value() const;
    bool inRange() const;
    // Decimal places of the item as its value is shown; nullopt when they cannot be told.
    std::optional<int> decimals() const;

    // What the entry box shows after a change (see displayText()); it keeps its previous text
    // when the item's decimal point place is not 0 to 3.
    QString entryText() const { return m_entryText; }

    // The accept step: 559 when the entry box is empty, 920 (entry cleared) when a literal entry
    // has more decimals than the item, 229 (entry cleared) out of range, else the item's
    // settingValues entry takes the value and the entry box shows it as digits alone would.
    Outcome accept(ZN8P_INC &inc);

private:
    void setWorking(long long value);
    void refresh();
    // Entry box text for the working value; nullopt keeps the previous text.
    std::optional<QString> displayText() const;
    int typedDigits() const;

    const ZN8P_INC &m_inc;
    QString m_working;
    QString m_entryText;
    bool m_literal = false;
};
