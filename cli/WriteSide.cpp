#include "WriteSide.h"

#include "CliSession.h"
#include "app/MessageTable.h"
#include "polling/ValueFormat.h"
#include "transfer/ParameterTable.h"
#include "transfer/SettingRanges.h"

namespace
{

constexpr int AutoManualCode = 45;
constexpr int ManualOutputCode = 46;

QString unitText(const UnitConfig &unit)
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6")
        .arg(unit.alarm2)
        .arg(unit.heatCool)
        .arg(unit.heaterBreak)
        .arg(unit.contactInput)
        .arg(unit.outputType)
        .arg(unit.serialComm);
}

} // namespace

WriteSide::WriteSide(CliSession &session)
    : m_session(session), m_upload(session.inc, session.request, session.link, session.op,
                                   session.view, session.vendorReads),
      m_startRead(session.inc, session.request, session.link, session.op, session.view, m_upload),
      m_transfer(session.inc, session.request, session.link, session.op, session.view,
                 session.vendorReads, m_upload, m_startRead, session.journal)
{
}

WriteSide::Outcome WriteSide::connect()
{
    ZN8P_INC &inc = m_session.inc;
    if (!m_session.linkCheck().checkcommunicate1()) {
        m_session.console.errorLine(msg(451));
        return Outcome::NoController;
    }
    inc.online = true;
    // Only the option and status words: the settings are read by whoever needs them.
    const bool unsaved = inc.unsavedOnlineChanges;
    inc.unsavedOnlineChanges = true;
    m_startRead.Setdata_read();
    inc.unsavedOnlineChanges = unsaved;
    if (m_session.view.commErrorSeen())
        return Outcome::NoController;
    return inc.online ? Outcome::Done : Outcome::OtherModel;
}

WriteSide::Outcome WriteSide::uploadAll()
{
    ZN8P_INC &inc = m_session.inc;
    inc.uploadRequested = true;
    if (!m_upload.ReadPara_setflg())
        return Outcome::KeysOperated;
    // The upload leaves these two to the monitor panel; a file needs them too.
    ReplyReporter reporter(inc, m_session.link, m_session.op, m_session.view);
    for (const int code : {AutoManualCode, ManualOutputCode})
        reporter.read(m_session.request.read(inc.registerTable.at(code)), code);
    return m_session.view.commErrorSeen() ? Outcome::NoController : Outcome::Done;
}

QList<SettingDifference> WriteSide::differences(const ZN8P_INC &file) const
{
    const ZN8P_INC &controller = m_session.inc;
    QList<SettingDifference> found;
    if (controller.unitConfig != file.unitConfig)
        found.append({0, QStringLiteral("unit configuration"), unitText(controller.unitConfig),
                      unitText(file.unitConfig)});
    const bool rated50A = SettingRanges::isRated50A(controller);
    for (const qint16 code : ParameterDownload::Chain) {
        if (!ParameterDownload::applies(code, controller, file.settingValues) ||
            controller.setting(code) == file.setting(code))
            continue;
        found.append({code, msg(ParameterTable::captionMessage(code, rated50A)),
                      FormatItemValue(controller, code), FormatItemValue(file, code)});
    }
    return found;
}
