#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class AboutDialog;
}

// The version dialog: the program's picture, its name, the version as major.minor.revision and
// the data folder (the program's folder, which holds "Logging", "Setdata", "Journal" and the
// chart settings), so that an operator of an installed program can find the files.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(const QString &dataFolder, QWidget *parent = nullptr);
    ~AboutDialog() override;

    QString versionText() const;
    QString folderText() const;

private:
    std::unique_ptr<Ui::AboutDialog> m_ui;
};
