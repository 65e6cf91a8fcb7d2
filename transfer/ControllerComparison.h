#pragma once

#include "comm/SessionContext.h"

#include <QList>
#include <QString>

#include <optional>

class ItemReadBack;
class OperatorInterface;
struct SessionState;

// One item whose value differs between two sets of setting values, as display texts.
struct SettingDifference {
    int code = 0; // 0 for the unit configuration
    QString name;
    QString controllerText;
    QString otherText; // the file's or the display's
};

// File > Compare with controller: reads every item a Download would write from the controller and
// lists those whose value differs from the display's, so that the operator sees what a Download
// would change before sending it. Nothing is written; the display keeps its values.
class ControllerComparison
{
public:
    ControllerComparison(const SessionContext &context, ItemReadBack &itemRead);

    // The items of the download chain that apply to the controller, whose value differs or could
    // not be read ("not read" as the controller's text). Nothing when the line was lost
    // (TransferReport::LineLostAfter reads in a row unanswered; message 892 shown).
    std::optional<QList<SettingDifference>> compare();

private:
    SessionState &m_shared;
    OperatorInterface &m_op;
    ItemReadBack &m_itemRead;
};

// The items of the download chain that apply to controller (its options and state, and other's
// values) whose values differ between the two, or which controller.unreadCodes lists ("not read"
// as the controller's text); first the unit configuration when it differs.
QList<SettingDifference> settingDifferences(const SessionState &controller,
                                            const SessionState &other);
