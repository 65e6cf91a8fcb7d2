#pragma once

#include "base/ZN8P_INC.h"

#include <QString>

// Sets settingValues from "code=value" words ("49=31 27=2 11=-50"), as the tests of the setting
// items write their starting state.
inline void applySettings(ZN8P_INC &inc, const QString &words)
{
    for (const QString &word : words.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        inc.setting(word.section(QLatin1Char('='), 0, 0).toInt()) =
            qint16(word.section(QLatin1Char('='), 1).toInt());
}
