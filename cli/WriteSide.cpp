#include "WriteSide.h"

#include "CliSession.h"
#include "base/MessageTable.h"
#include "comm/ControllerCodes.h"

WriteSide::WriteSide(CliSession &session) : m_session(session) {}

WriteSide::Outcome WriteSide::connect()
{
    SessionState &shared = m_session.shared;
    if (!m_session.checkLink()) {
        m_session.console.errorLine(m_session.op.named(m_session.noControllerText()), true);
        return Outcome::NoController;
    }
    shared.online = true;
    // Only the option and status words: the settings are read by whoever needs them.
    const bool unsaved = shared.unsavedOnlineChanges;
    shared.unsavedOnlineChanges = true;
    m_session.core.onlineStartRead.readAtOnlineStart();
    shared.unsavedOnlineChanges = unsaved;
    // Without the option and status words (each read tried twice) nothing can be judged.
    for (const int code : {Code::Option2, Code::Option, Code::Status}) {
        if (shared.unreadCodes.contains(code))
            return Outcome::NoController;
    }
    return shared.online ? Outcome::Done : Outcome::OtherModel;
}

WriteSide::Outcome WriteSide::uploadAll()
{
    SessionState &shared = m_session.shared;
    shared.uploadRequested = true;
    m_session.core.upload.uploadAll();
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

QList<SettingDifference> WriteSide::differences(const SessionState &file) const
{
    return settingDifferences(m_session.shared, file);
}
