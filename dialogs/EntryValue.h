#pragma once

#include "dialogs/TenKeyEntry.h"
#include "transfer/SettingRanges.h"

#include <QString>

#include <optional>

struct SessionState;
struct SettingData;

// The working value of the parameter entry dialog and its rules, without a window: the ten-key
// entry (TenKeyEntry) at the item's decimal places, what the entry box shows, the "+/-" range
// check and the accept step.
class EntryValue
{
public:
    enum class Outcome {
        EmptyEntry,      // message 559: nothing typed
        OutOfRange,      // message 229: entry cleared
        TooManyDecimals, // message 920: more decimals than the item has, entry cleared
        Accepted,
    };

    EntryValue(const SettingData &settings, const SettingRanges::EntryRange &range);

    // Digit, Point, Minus and Clear as TenKeyEntry takes them; the entry box text follows.
    void edit(const TenKey &key);
    // "+/-": negated, then range checked; false (and the entry cleared) when out of range.
    bool toggleSign();

    QString working() const { return m_keys.working(); }
    // Decimal places of the item as its value is shown; nullopt when they cannot be told (a
    // decimal point place outside 0 to 3), and a typed point is then ignored.
    std::optional<int> decimals() const;

    // What the entry box shows after a change; it keeps its previous text when the item's
    // decimal places cannot be told.
    QString entryText() const { return m_entryText; }

    // The accept step: 559 when the entry box is empty, 920 (entry cleared) when a literal entry
    // has more decimals than the item, 229 (entry cleared) out of range, else the item's
    // settingValues entry takes the value and the entry box shows it at the item's decimal places.
    Outcome accept(SessionState &shared);

private:
    // The raw integer the working value stands for; nullopt when finer than the item.
    std::optional<int> value() const { return m_keys.value(decimals().value_or(0)); }
    bool inRange() const;
    void refresh();

    const SettingData &m_settings;
    SettingRanges::EntryRange m_range;
    TenKeyEntry m_keys;
    QString m_entryText;
};
