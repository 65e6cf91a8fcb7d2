#include "SettingsFileMessage.h"

#include "base/MessageTable.h"
#include "comm/ParameterTable.h"

namespace
{
constexpr int CannotUseMessage = 950;
constexpr int CannotOpenMessage = 957;
constexpr int UnitConfigCaption = 956;

using SettingsDataFile::Fault;

QString reason(const SettingsDataFile::ReadResult &result)
{
    switch (result.fault) {
    case Fault::Missing:
        return msg(951);
    case Fault::NotNumber:
        return msg(952);
    case Fault::ModelName:
        return msg(953);
    case Fault::FormatMarker:
        return msg(954);
    case Fault::OutOfRange:
        break;
    case Fault::None:
    case Fault::Unreadable:
        return QString();
    }
    const int heaterBreak = result.contents.unitConfig.heaterBreak;
    const bool rated50A =
        result.contents.formatMarker == 0 && (heaterBreak == 2 || heaterBreak == 4);
    const int caption = result.code == 0 ? UnitConfigCaption
                                         : ParameterTable::captionMessage(result.code, rated50A);
    return msg(caption) + QStringLiteral(": ") +
           msg(955).arg(result.value).arg(result.min).arg(result.max);
}
} // namespace

namespace SettingsFileMessage
{

int messageId(const SettingsDataFile::ReadResult &result)
{
    return result.fault == Fault::Unreadable ? CannotOpenMessage : CannotUseMessage;
}

QString text(const SettingsDataFile::ReadResult &result)
{
    if (result.fault == Fault::Unreadable)
        return msg(CannotOpenMessage);
    return msg(CannotUseMessage).arg(result.line).arg(reason(result));
}

} // namespace SettingsFileMessage
