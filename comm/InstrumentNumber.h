#pragma once

#include <QString>

#include <optional>

// The instrument number of a controller on the line, 1 to 95: the one reading of it from what an
// operator typed or the stored conditions hold, and the one form in which it is kept and sent
// ("07": Ravtocol frames carry it as two decimal digits, Modbus frames as one byte).
namespace InstrumentNumber
{

constexpr int First = 1;
constexpr int Last = 95;

enum class Fault {
    None,
    NotANumber, // anything but decimal digits (blanks around them aside): "1x", "", "+7", "7.0"
    OutOfRange, // digits, but not 1 to 95
};

// What is wrong with text as an instrument number.
Fault check(const QString &text);
// The number text holds, nullopt unless check(text) is None.
std::optional<int> parse(const QString &text);
// The kept and sent form of number: two decimal digits.
QString text(int number);
// text(parse(typed)), or an empty string when typed is no instrument number.
QString normalized(const QString &typed);
// "'1x' is not an instrument number from 1 to 95", for the operator.
QString problem(const QString &typed);

} // namespace InstrumentNumber
