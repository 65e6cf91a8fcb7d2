#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class SubDisp_About;
}

// The version dialog: the program's picture, its name, the version as major.minor.revision and
// the data folder (the program's folder, which holds "Logging", "Setdata", "Journal" and the
// chart settings), so that an operator of an installed program can find the files.
class SubDisp_About : public QDialog
{
    Q_OBJECT

public:
    explicit SubDisp_About(const QString &dataFolder, QWidget *parent = nullptr);
    ~SubDisp_About() override;

    QString versionText() const;
    QString folderText() const;

private:
    std::unique_ptr<Ui::SubDisp_About> m_ui;
};
