#include "AboutDialog.h"

#include "ui_AboutDialog.h"

#include "base/MessageTable.h"
#include "display/WindowPlacement.h"

#include <QDir>
#include <QPushButton>

AboutDialog::AboutDialog(const QString &dataFolder, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::AboutDialog>())
{
    m_ui->setupUi(this);
    setWindowTitle(msg(256));
    keepTitleWhole(*this);
    m_ui->titleLabel->setText(QStringLiteral("ZN Monitor"));
    m_ui->versionLabel->setText(QStringLiteral(ZN_VERSION));
    m_ui->dataFolderCaption->setText(msg(940));
    m_ui->dataFolderLabel->setText(QDir::toNativeSeparators(dataFolder));
    connect(m_ui->okButton, &QDialogButtonBox::accepted, this, &QDialog::accept);
    setFixedSize(sizeHint());
}

AboutDialog::~AboutDialog() = default;

QString AboutDialog::versionText() const
{
    return m_ui->versionLabel->text();
}

QString AboutDialog::folderText() const
{
    return m_ui->dataFolderLabel->text();
}
