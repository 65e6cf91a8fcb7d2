#include "ItemValueEntry.h"

#include "base/SessionState.h"
#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"
#include "polling/ValueFormat.h"
#include "transfer/SettingRanges.h"

#include <QLocale>

#include <cmath>

namespace
{

// The display text code would show with raw as its value.
QString textFor(SessionState &shared, int code, qint16 raw)
{
    const qint16 kept = shared.setting(code);
    shared.setting(code) = raw;
    const QString text = formatItemValue(shared, code);
    shared.setting(code) = kept;
    return text;
}

ItemValueEntry::Result parseChoice(SessionState &shared, int code, const QString &text)
{
    const int count = SettingRanges::choiceCount(code);
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (isNumber && number >= 0 && number < count)
        return {qint16(number), {}};
    QStringList choices;
    for (int value = 0; value < count; ++value) {
        const QString name = textFor(shared, code, qint16(value));
        if (!isNumber && name.compare(text.trimmed(), Qt::CaseInsensitive) == 0)
            return {qint16(value), {}};
        choices << QStringLiteral("%1 %2").arg(value).arg(name);
    }
    return {std::nullopt, QStringLiteral("'%1' is not one of the choices: %2")
                              .arg(text, choices.join(QLatin1String(", ")))};
}

// Decimals of the item's display text, from its present value.
int displayDecimals(const SessionState &shared, int code)
{
    const QString shown = ItemValueEntry::displayText(shared, code);
    const int point = shown.indexOf(QLocale().decimalPoint());
    return point < 0 ? 0 : int(shown.size() - point - 1);
}

QString shownWith(int raw, int decimals)
{
    return NumberFormat::scaled(raw, decimals);
}

} // namespace

namespace ItemValueEntry
{

QString displayText(const SessionState &shared, int code)
{
    if (code == Code::ManualOutput)
        return NumberFormat::scaled(shared.setting(code), 1);
    return formatItemValue(shared, code);
}

bool isWritable(int code)
{
    return code >= Code::MainSetValue && code <= Code::LastVendor;
}

QList<int> inputsFor(int code)
{
    QList<int> codes = {Code::InputType,
                        Code::DecimalPlace,
                        Code::ScaleHigh,
                        Code::ScaleLow,
                        13,
                        15,
                        16,
                        29,
                        30,
                        33,
                        34,
                        36,
                        37};
    // Set values 3 and 4 exist only while the contact input function is 0.
    if (code == Code::SetValue3 || code == Code::SetValue4)
        codes << 61;
    if (!codes.contains(code))
        codes << code;
    return codes;
}

Result parse(SessionState &shared, int code, const QString &text)
{
    if (SettingRanges::choiceCount(code) > 0)
        return parseChoice(shared, code, text);
    const int decimals = displayDecimals(shared, code);
    const auto [min, max] = SettingRanges::valueLimits(shared, code);
    bool isNumber = false;
    double typed = QLocale().toDouble(text, &isNumber);
    if (!isNumber) // a decimal point is understood in any language
        typed = QLocale::c().toDouble(text, &isNumber);
    const double scaled = typed * std::pow(10.0, decimals);
    const QString limits =
        shownWith(min, decimals) + QStringLiteral(" to ") + shownWith(max, decimals);
    if (!isNumber)
        return {std::nullopt, QStringLiteral("'%1' is no number (%2)").arg(text, limits)};
    if (std::abs(scaled - std::round(scaled)) > 1e-6) {
        const QString places = decimals == 0 ? QStringLiteral("no decimals")
                               : decimals == 1
                                   ? QStringLiteral("one decimal at most")
                                   : QStringLiteral("%1 decimals at most").arg(decimals);
        return {std::nullopt, QStringLiteral("%1 takes %2 (%3)").arg(text, places, limits)};
    }
    const long raw = std::lround(scaled);
    if (raw < min || raw > max)
        return {std::nullopt, QStringLiteral("%1 is outside %2").arg(text, limits)};
    return {qint16(raw), {}};
}

} // namespace ItemValueEntry
