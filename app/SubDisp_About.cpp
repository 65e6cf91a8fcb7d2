#include "SubDisp_About.h"

#include "ui_SubDisp_About.h"

#include "base/MessageTable.h"
#include "display/WindowPlacement.h"

#include <QDir>
#include <QPushButton>

SubDisp_About::SubDisp_About(const QString &dataFolder, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::SubDisp_About>())
{
    m_ui->setupUi(this);
    setWindowTitle(msg(256));
    keepTitleWhole(*this);
    m_ui->lblTitle->setText(QStringLiteral("ZN Monitor"));
    m_ui->lblVersion->setText(QStringLiteral(ZN_VERSION));
    m_ui->lblFolderCaption->setText(msg(940));
    m_ui->lblFolder->setText(QDir::toNativeSeparators(dataFolder));
    connect(m_ui->cmdOK, &QDialogButtonBox::accepted, this, &QDialog::accept);
    setFixedSize(sizeHint());
}

SubDisp_About::~SubDisp_About() = default;

QString SubDisp_About::versionText() const
{
    return m_ui->lblVersion->text();
}

QString SubDisp_About::folderText() const
{
    return m_ui->lblFolder->text();
}
