#pragma once

#include "base/SessionState.h"

#include <QList>

#include <array>
#include <optional>
#include <utility>

// Whether a whole set of setting values (a settings data file) could be sent as it stands: every
// value of codes 11 to 63 within the limits a single write of it would have, worked out from the
// set's own values and unit configuration, not from the controller's.
namespace SettingValueCheck
{

struct Fault {
    int code = 0; // parameter code of the value
    int value = 0;
    int min = 0;
    int max = 0;
};

// The highest value of each unit configuration field, in file order (alarm 2, heating/cooling,
// heater burnout, contact input, output type, serial communication); the lowest is 0.
constexpr std::array<int, 6> UnitConfigMax = {1, 1, 4, 1, 2, 1};

// The field values of config in that order, for checking them against UnitConfigMax.
std::array<qint16, 6> unitConfigFields(const UnitConfig &config);

// The option words (optionWord, optionWord2) of a controller fitted as config says: the inverse
// of the online start's derivation of a unit configuration.
std::pair<qint16, qint16> optionWordsOf(const UnitConfig &config);

// Every value of codes 11 to 63 (in code order, which is file order) outside its limits, for
// settingValues laid out as SessionState's and a controller fitted as config. The limits are those
// of a write while online, so a pair of limits (scaling high and low, output high and low) must
// also be in order.
QList<Fault> faults(const std::array<qint16, SessionState::SettingCount> &settingValues,
                    const UnitConfig &config);
// The first of them whose code accepted does not list; nullopt when there is none.
std::optional<Fault> firstFault(const std::array<qint16, SessionState::SettingCount> &settingValues,
                                const UnitConfig &config, const QList<int> &accepted = {});

} // namespace SettingValueCheck
