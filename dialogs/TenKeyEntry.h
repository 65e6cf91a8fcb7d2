#pragma once

#include "dialogs/TenKey.h"

#include <QString>

#include <optional>

// The working value typed on a ten-key pad, without a window. What is typed is the value in the
// item's units, as on a calculator: "150" at one decimal place is 150.0 (the raw 1500) and "2.5"
// is 2.5 (the raw 25); the caller gives the decimal places that turn it into the raw integer. At
// most six characters (the sign counts, the point does not); a lone leading zero gives way to the
// next digit ("0" then "5" gives "5").
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
    // The entry holding raw as the item shows it at places decimal places.
    void setRaw(int raw, int places);

    // The text as typed.
    QString working() const { return m_working; }
    bool isEmpty() const { return m_working.isEmpty(); }
    // The raw integer at places decimal places (0 while empty); nullopt for an entry with more
    // decimals than that (trailing zeros do not count: 2.50 is 2.5).
    std::optional<int> value(int places) const;
    // What the entry box shows: the text as typed; nullopt when places are unknown and the entry
    // is not empty, so that the box keeps what it showed.
    std::optional<QString> displayText(std::optional<int> places) const;

private:
    void typeDigit(int digit);
    void typePoint();

    QString m_working;
};
