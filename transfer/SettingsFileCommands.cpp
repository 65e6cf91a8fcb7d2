#include "SettingsFileCommands.h"

#include "base/MainView.h"
#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/ProgramFolder.h"
#include "base/SessionState.h"
#include "comm/SessionContext.h"
#include "transfer/SettingsDataFile.h"
#include "transfer/SettingsFileDialogs.h"
#include "transfer/SettingsFileMessage.h"

#include <QDir>
#include <QFileInfo>

namespace
{
const QList<int> NothingToSaveMessage = {197};
const QList<int> OverwriteQuestion = {507};
const QList<int> NewNameMessage = {508};
const QList<int> ReplaceDisplayQuestion = {535};
const QList<int> LoadWhileOnlineMessage = {701};

constexpr int NothingChangedMessage = 958;
// The progress bars count the 53 values.
constexpr int ProgressFull = SettingsDataFile::ValueCount;
constexpr int ProgressCaptionNone = 0;
constexpr int ReasonPanel = 4;
constexpr int NotWrittenMessage = 1154;
} // namespace

SettingsFileCommands::SettingsFileCommands(const SessionContext &context,
                                           SettingsFileDialogs &dialogs)
    : m_shared(context.shared), m_op(context.op), m_view(context.view), m_dialogs(dialogs)
{
}

bool SettingsFileCommands::save()
{
    if (!m_shared.settingDataValid) {
        m_op.showMessage(NothingToSaveMessage, MessageIcon::Exclamation);
        return false;
    }
    m_op.beep();
    const QString path = m_dialogs.saveFileName(ProgramFolder::setdata());
    restoreCurrentFolder();
    if (path.isEmpty())
        return false;
    if (QFileInfo::exists(path) && !m_op.askYesNo(OverwriteQuestion, MessageIcon::Question)) {
        m_op.showMessage(NewNameMessage, MessageIcon::Exclamation);
        return false;
    }
    return writeFile(path);
}

bool SettingsFileCommands::writeFile(const QString &path)
{
    // The display's data stand as filed: with the marker of a file the program writes.
    m_shared.formatMarker = 0;
    m_view.setProgressVisible(true, ProgressCaptionNone);
    const FileFault fault = SettingsDataFile::write(path, m_shared);
    m_view.setProgressValue(ProgressFull);
    m_view.setProgressVisible(false, ProgressCaptionNone);
    if (!fault.isNone()) {
        m_op.setStatusPanel(ReasonPanel, fault.text());
        m_op.showText(NotWrittenMessage, msg(NotWrittenMessage).arg(fault.text()),
                      MessageIcon::Exclamation);
        return false;
    }
    // Filed under a new name or over an old one, the display's data are saved either way: the
    // question 362 at the next online start would only ask to save them again.
    m_shared.unsavedOnlineChanges = false;
    m_shared.settingsFileName = path;
    return true;
}

bool SettingsFileCommands::load()
{
    if (!mayReplaceDisplay())
        return false;
    const QString path = m_dialogs.openFileName(ProgramFolder::setdata());
    restoreCurrentFolder();
    return !path.isEmpty() && readFile(path);
}

bool SettingsFileCommands::loadFile(const QString &path)
{
    return mayReplaceDisplay() && readFile(path);
}

bool SettingsFileCommands::mayReplaceDisplay()
{
    if (m_shared.online) {
        m_op.showMessage(LoadWhileOnlineMessage, MessageIcon::Exclamation);
        return false;
    }
    return m_op.askYesNo(ReplaceDisplayQuestion, MessageIcon::Exclamation);
}

bool SettingsFileCommands::readFile(const QString &path)
{
    // Taken whole or not at all: a mix of old and loaded values would be sent by a Download.
    const SettingsDataFile::ReadResult file = SettingsDataFile::read(path);
    if (!file.ok()) {
        m_op.showText(SettingsFileMessage::messageId(file),
                      SettingsFileMessage::text(file) + QLatin1Char('\n') +
                          msg(NothingChangedMessage),
                      MessageIcon::Exclamation);
        return false;
    }
    SettingsDataFile::take(file.contents, m_shared);
    m_shared.settingsFileName = path;

    m_view.setProgressVisible(true, ProgressCaptionNone);
    m_view.setProgressValue(ProgressFull);
    m_view.showLoadedSettings();
    m_view.setProgressVisible(false, ProgressCaptionNone);
    m_shared.settingDataValid = true;
    m_shared.unitCheckFlag = true;
    m_shared.unsavedOnlineChanges = true;
    m_view.refreshSettingPage();
    return true;
}

void SettingsFileCommands::restoreCurrentFolder()
{
    QDir::setCurrent(ProgramFolder::path());
}
