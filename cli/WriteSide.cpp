#include "WriteSide.h"

#include "CliSession.h"
#include "base/MessageTable.h"
#include "comm/ControllerCodes.h"

WriteSide::WriteSide(CliSession &session) : m_session(session) {}

WriteSide::Outcome WriteSide::connect()
{
    ZN8P_INC &inc = m_session.inc;
    if (!m_session.checkLink()) {
        m_session.console.errorLine(m_session.op.named(msg(451)), true);
        return Outcome::NoController;
    }
    inc.online = true;
    // Only the option and status words: the settings are read by whoever needs them.
    const bool unsaved = inc.unsavedOnlineChanges;
    inc.unsavedOnlineChanges = true;
    m_session.core.onlineStartRead.Setdata_read();
    inc.unsavedOnlineChanges = unsaved;
    if (m_session.view.commErrorSeen())
        return Outcome::NoController;
    return inc.online ? Outcome::Done : Outcome::OtherModel;
}

WriteSide::Outcome WriteSide::uploadAll()
{
    ZN8P_INC &inc = m_session.inc;
    inc.uploadRequested = true;
    if (!m_session.core.upload.ReadPara_setflg())
        return Outcome::KeysOperated;
    // The upload leaves these two to the monitor panel; a file needs them too.
    ReplyReporter reporter(inc, m_session.core.link, m_session.op, m_session.view);
    for (const int code : {Code::AutoManual, Code::ManualOutput})
        reporter.read(m_session.core.request.read(inc.registerTable.at(code)), code);
    return m_session.view.commErrorSeen() ? Outcome::NoController : Outcome::Done;
}

QList<SettingDifference> WriteSide::differences(const ZN8P_INC &file) const
{
    return settingDifferences(m_session.inc, file);
}
