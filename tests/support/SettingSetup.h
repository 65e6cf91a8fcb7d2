#pragma once

#include "base/SessionState.h"

#include <QString>

// Sets settingValues from "code=value" words ("49=31 27=2 11=-50"), as the tests of the setting
// items write their starting state.
inline void applySettings(SessionState &shared, const QString &words)
{
    for (const QString &word : words.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        shared.setting(word.section(QLatin1Char('='), 0, 0).toInt()) =
            qint16(word.section(QLatin1Char('='), 1).toInt());
}
