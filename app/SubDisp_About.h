#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class SubDisp_About;
}

// The version dialog: the program's picture, its name and the version as major.minor.revision.
class SubDisp_About : public QDialog
{
    Q_OBJECT

public:
    explicit SubDisp_About(QWidget *parent = nullptr);
    ~SubDisp_About() override;

    QString versionText() const;

private:
    std::unique_ptr<Ui::SubDisp_About> m_ui;
};
