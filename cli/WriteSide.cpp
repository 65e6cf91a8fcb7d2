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
    // Without the option and status words (each read tried twice) nothing can be judged.
    for (const int code : {Code::Option2, Code::Option, Code::Status}) {
        if (inc.unreadCodes.contains(code))
            return Outcome::NoController;
    }
    return inc.online ? Outcome::Done : Outcome::OtherModel;
}

WriteSide::Outcome WriteSide::uploadAll()
{
    ZN8P_INC &inc = m_session.inc;
    inc.uploadRequested = true;
    m_session.core.upload.ReadPara_setflg();
    switch (m_session.core.upload.lastResult()) {
    case ParameterUpload::Result::KeysOperated:
        return Outcome::KeysOperated;
    case ParameterUpload::Result::LineLost:
        return Outcome::NoController;
    case ParameterUpload::Result::Completed:
        break;
    }
    return Outcome::Done;
}

QList<SettingDifference> WriteSide::differences(const ZN8P_INC &file) const
{
    return settingDifferences(m_session.inc, file);
}
