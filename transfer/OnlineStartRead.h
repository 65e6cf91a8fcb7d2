#pragma once

#include "comm/SessionContext.h"

#include "base/SessionState.h"

class ComLink;
class ItemReadBack;
class MainView;
class OperatorInterface;
class ParameterUpload;

// What the program reads when monitoring starts: the option words and the status word, the
// setting items (or only the range items on later starts), and the unit configuration that the
// option words describe.
class OnlineStartRead
{
public:
    OnlineStartRead(const SessionContext &context, ItemReadBack &itemRead, ParameterUpload &upload);

    // Reads codes 8, 7 and 4 (each, like every read here, tried once more when unanswered). Unless
    // unsavedOnlineChanges is set: the first time (rangeOnlyFlag clear) the silent upload, after
    // which rangeOnlyFlag is set; later only the input type, the decimal point place (DC inputs)
    // and the scaling low limit. The setting items are all read again when the line was lost since
    // they were read, or when a range item read is not the one held: the controller may be another
    // one, and message 1090 names the items that now differ from those the pages showed
    // (settingDataValid). Then the unit configuration: with unitCheckFlag the controller's must
    // match the current one, else message 290 and online is cleared (unitCheckFlag stays set); a
    // match clears unitCheckFlag. Without the check, keepUnitFlag keeps the current configuration
    // once; otherwise the derived one is taken. The setting page is rebuilt unless the check
    // failed.
    void readAtOnlineStart();

    // The unit configuration that optionWord and optionWord2 describe.
    static UnitConfig deriveUnitConfig(qint16 optionWord, qint16 optionWord2);

private:
    void readCode(int code);
    using SettingValues = std::array<qint16, SessionState::SettingCount>;

    // Reads the range items; false when one of them differs from the value held before.
    bool rangeItemsAsHeld(const SettingValues &held);
    // The silent upload; returns the names of the items read that differ from those held.
    QStringList rereadSettings(const SettingValues &held);
    // Message 1090 with the names of the items that changed (the first few).
    void showChanged(QStringList changed);

    SessionState &m_shared;
    ComLink &m_link;
    OperatorInterface &m_op;
    MainView &m_view;
    ItemReadBack &m_itemRead;
    ParameterUpload &m_upload;
};
