#include "SettingsReport.h"

#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "dialogs/UnitOptionRules.h"
#include "display/MainDisplayModel.h"
#include "polling/ValueFormat.h"
#include "transfer/SettingRanges.h"

#include <QDir>

namespace
{
constexpr int TitleText = 1061;
constexpr int DateText = 1062;
constexpr int PortText = 1037;
constexpr int InstrumentText = 1063;
constexpr int OptionsText = 1064;
constexpr int FileText = 1065;
constexpr int PanelGroupText = 1069;

// The monitor panel's setting items, which no setting page shows: the main set value and the
// manual output.
constexpr int PanelCodes[] = {11, 46};

QString textOf(const DisplayText &text)
{
    return text.messageId != 0 ? msg(text.messageId) : text.literal;
}

// The item has no value to report: its last read failed, or the pages show the controller's
// set (not a file's) and this item was never read from the controller since the link check, so
// that its value here is a default or another controller's.
bool notRead(const SessionState &shared, int code)
{
    return shared.unreadCodes.contains(code) ||
           (shared.settingDataValid && !shared.settingsFromFile &&
            !shared.readValues.at(std::size_t(code - SessionState::FirstSettingCode)));
}

SettingsReport::Row rowOf(const SessionState &shared, int code)
{
    const QString value = notRead(shared, code) ? QStringLiteral("----")
                                                : itemValueText(shared, code, shared.setting(code));
    return {SettingRanges::itemName(shared, code), value, textOf(settingUnit(shared, code))};
}
} // namespace

SettingsReport SettingsReport::of(const SessionState &shared, const QDateTime &when)
{
    SettingsReport report;
    report.title = msg(TitleText);
    report.header = {{msg(DateText), when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))},
                     {msg(PortText), shared.portName},
                     {msg(InstrumentText), shared.stationAddress}};
    if (!shared.settingsFileName.isEmpty())
        report.header.append({msg(FileText), QDir::toNativeSeparators(shared.settingsFileName)});

    report.optionsTitle = msg(OptionsText);
    for (int f = 0; f < UnitOptionRules::FieldCount; ++f) {
        const auto field = UnitOptionRules::Field(f);
        const int value = UnitOptionRules::valueIn(shared.unitConfig, field);
        report.options.append({msg(UnitOptionRules::fieldCaption(field)),
                               msg(UnitOptionRules::valueCaption(field, value)).trimmed()});
    }

    Group panel{msg(PanelGroupText), {}};
    for (const int code : PanelCodes)
        panel.rows.append(rowOf(shared, code));
    report.groups.append(panel);
    for (const RowPlace &place : settingRowPlaces()) {
        if (!unitHasItem(shared, place.code))
            continue;
        const QString title = msg(rowGroupTitle(place.group));
        if (report.groups.constLast().title != title)
            report.groups.append({title, {}});
        report.groups.last().rows.append(rowOf(shared, place.code));
    }
    return report;
}
