#pragma once

#include "dialogs/TenKey.h"

#include <QString>

#include <optional>

// The working value typed on a ten-key pad, without a window. Digits alone build the raw integer
// (at most six characters, the sign counts; leading zeros vanish because the text is re-evaluated,
// "0" then "5" gives "5") and the decimal places come from the caller, so 1, 2, 3 at two places
// reads 1.23. A typed point switches to literal entry: the text is then the value as written
// ("2.5" at one place is the raw 25), because an operator who types a point means it.
class TenKeyEntry
{
public:
    // Digit, Point, Minus and Clear change the working value; places are the value's decimal
    // places, nullopt when they cannot be told (the point is then refused). "." first reads "0.",
    // a second point is ignored, "-" on an empty entry gives "0". Other keys change nothing.
    void edit(const TenKey &key, std::optional<int> places);
    // The value negated, as "-" and "+/-" do.
    void negate();
    void clear();
    // Digit entry holding raw.
    void setRaw(int raw);

    // The raw integer's digits, or in literal entry the text as typed.
    QString working() const { return m_working; }
    bool isEmpty() const { return m_working.isEmpty(); }
    // The raw integer at places decimal places (0 while empty); nullopt for a literal entry with
    // more decimals than that (trailing zeros do not count: 2.50 is 2.5).
    std::optional<int> value(int places) const;
    // What the entry box shows at places decimal places: empty for an empty entry, the text as
    // typed in literal entry, else the raw integer scaled; nullopt when places are unknown.
    std::optional<QString> displayText(std::optional<int> places) const;

private:
    void typeDigit(int digit);
    void typePoint();

    QString m_working;
    bool m_literal = false;
};
