#pragma once

#include <optional>

// One key of the entry dialogs' ten-key pad, whether clicked on the pad or typed.
struct TenKey {
    enum Action {
        Digit,     // digit holds 0 to 9
        Point,     // "."
        Minus,     // the keyboard's "-": the value negated
        PlusMinus, // "+/-": negated, then range checked by the dialog
        Clear,     // "CE" and Backspace: the whole entry cleared, not one character
        Enter,     // "OK"
        Refresh,   // any other key: nothing changes, the entry box is shown again
    };

    Action action = Refresh;
    int digit = 0;

    // The keyboard's keys as the pad's: digits, '.', '-', Backspace, Return and Enter; every other
    // key is Refresh, except Escape (nullopt), which is left to the dialog so that it closes.
    static std::optional<TenKey> fromKeyboard(int qtKey);
};
