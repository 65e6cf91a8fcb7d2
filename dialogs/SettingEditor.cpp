#include "SettingEditor.h"

#include "base/MainView.h"
#include "base/SessionState.h"
#include "comm/ControllerCodes.h"
#include "dialogs/EntryDialog.h"
#include "dialogs/ModelChangeDialog.h"
#include "dialogs/SelectionDialog.h"
#include "display/MainDisplayView.h"
#include "polling/ValueFormat.h"

SettingEditor::SettingEditor(const SessionContext &context, MainDisplayView &display,
                             QWidget *window, std::function<void()> startJobTimer)
    : m_context(context), m_display(display), m_window(window),
      m_startJobTimer(std::move(startJobTimer))
{
}

void SettingEditor::edit(int code)
{
    // The value before the change: a failed write puts it back, a changed input or alarm type
    // is told by it.
    m_context.shared.downloadValues.at(code - 10) = m_context.shared.setting(code);
    if (SelectionChoices::isChoiceItem(code))
        editChoice(code);
    else
        editNumber(code);
}

void SettingEditor::editNumber(int code)
{
    const auto range = SettingRanges::entryRange(m_context.shared, code, m_display.valueText(code));
    if (!range)
        return;
    EntryDialog dialog(m_context, *range, m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.writePosted()) {
        m_startJobTimer();
        return;
    }
    showOffline(code, dialog.entryText());
}

void SettingEditor::editChoice(int code)
{
    SelectionDialog dialog(m_context, code, m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const SelectionOutcome &outcome = dialog.outcome();
    if (outcome.writePosted) {
        m_startJobTimer();
        m_context.view.refreshSettingPage();
        if (outcome.valueText)
            m_display.setValueText(code, *outcome.valueText);
    } else {
        showOffline(code, outcome.valueText.value_or(QString()));
    }
    if (outcome.manualButtonsShown)
        m_display.setManualButtonsVisible(*outcome.manualButtonsShown);
}

void SettingEditor::showOffline(int code, const QString &valueText)
{
    m_context.view.refreshSettingPage();
    // The main set value sits on the monitor panel, which nothing refreshes offline; an input
    // type change may have cleared it.
    if (m_context.shared.settingDataValid)
        m_display.setValueText(Code::MainSetValue,
                               formatItemValue(m_context.shared, Code::MainSetValue));
    m_display.setValueText(code, valueText);
}

void SettingEditor::changeModel()
{
    ModelChangeDialog dialog(m_context, m_window);
    if (dialog.exec() == QDialog::Accepted)
        m_context.view.refreshSettingPage();
}
