#pragma once

#include "transfer/ControllerComparison.h"

#include <QList>
#include <QString>

class CliSession;

// The core's transfer engines wired for one run of the tool, as the main window wires them: the
// online start read, the upload, single writes and the download. Every request goes through the
// session's request layer; messages go to the terminal operator, progress to the terminal view.
class WriteSide
{
public:
    enum class Outcome {
        Done,
        NoController, // the link check failed, the option and status words went unanswered
                      // (message 451), or the line was lost during the upload
        KeysOperated, // the controller's keys are being operated (message 291 or 292)
        OtherModel,   // its options differ from the unit configuration checked (message 290)
    };

    explicit WriteSide(CliSession &session);

    // The link check with the conditions in force, then the option and status words and the unit
    // configuration they describe, as going online reads them (without the settings). With
    // shared.unitCheckFlag set the controller must match shared.unitConfig.
    Outcome connect();
    // Every setting item into settingValues, as File > Upload reads them (setting flag, progress
    // line, message 291 when the keys are operated). Done also when some items could not be read
    // (unreadCodes names them); NoController only when the line was lost.
    Outcome uploadAll();
    // The items a download of file would change on the controller whose settings were read by
    // uploadAll(): those of the download chain that the controller's options and state let
    // through, with a different value; first the unit configuration when it differs.
    QList<SettingDifference> differences(const SessionState &file) const;

private:
    CliSession &m_session;
};
