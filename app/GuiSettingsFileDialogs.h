#pragma once

#include "transfer/SettingsFileDialogs.h"

#include <QFileDialog>
#include <QPointer>

// The settings data file dialogs of the desktop program: QFileDialog with the filter
// "*.znm(data file)" and the default extension "znm". The overwrite question is the program's own
// (507), so the dialog does not ask one.
class GuiSettingsFileDialogs : public SettingsFileDialogs
{
public:
    explicit GuiSettingsFileDialogs(QWidget *parent);

    QString saveFileName(const QString &folder) override;
    QString openFileName(const QString &folder) override;

private:
    QString run(QFileDialog::AcceptMode mode, const QString &folder);

    QPointer<QWidget> m_parent;
};
