#include "GuiSettingsFileDialogs.h"

#include <QHeaderView>
#include <QTreeView>

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
    // Qt's own dialog (where the desktop offers none) sizes its detail columns for English
    // headings; the size, type and date columns take the room their headings and entries need
    // in any language, the name column the rest.
    if (auto *details = dialog.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        QHeaderView *header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
