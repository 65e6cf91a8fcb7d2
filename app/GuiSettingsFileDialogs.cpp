#include "GuiSettingsFileDialogs.h"

GuiSettingsFileDialogs::GuiSettingsFileDialogs(QWidget *parent) : m_parent(parent) {}

QString GuiSettingsFileDialogs::saveFileName(const QString &folder)
{
    return run(QFileDialog::AcceptSave, folder);
}

QString GuiSettingsFileDialogs::openFileName(const QString &folder)
{
    return run(QFileDialog::AcceptOpen, folder);
}

QString GuiSettingsFileDialogs::run(QFileDialog::AcceptMode mode, const QString &folder)
{
    QFileDialog dialog(m_parent, QString(), folder, QStringLiteral("*.znm(data file) (*.znm)"));
    dialog.setAcceptMode(mode);
    dialog.setDefaultSuffix(QStringLiteral("znm"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (mode == QFileDialog::AcceptOpen)
        dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
