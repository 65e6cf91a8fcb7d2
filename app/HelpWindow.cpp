#include "HelpWindow.h"

#include "ui_HelpWindow.h"

#include "base/MessageTable.h"
#include "display/WindowPlacement.h"

#include <QRegularExpression>

// The help pages live in the static widgets library; a program registers them only when some code
// names them, outside any namespace.
static void initHelpResource()
{
    Q_INIT_RESOURCE(help);
    Q_INIT_RESOURCE(help_pictures);
}

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::HelpWindow>())
{
    initHelpResource();
    m_ui->setupUi(this);
    // The menu caption without its access key: "Help(&P)" -> "Help".
    const QString help = msg(16).remove(QRegularExpression(QStringLiteral("\\(&.\\)|&")));
    setWindowTitle(help + QStringLiteral(" - ") + msg(1));
}

HelpWindow::~HelpWindow() = default;

QUrl HelpWindow::contentsUrl(const QString &helpFile)
{
    QUrl url;
    url.setScheme(QStringLiteral("qrc"));
    url.setPath(QStringLiteral("/help/") + helpFile + QStringLiteral(".html"));
    url.setFragment(QStringLiteral("contents"));
    return url;
}

void HelpWindow::openContents(const QString &helpFile)
{
    m_ui->browser->setSource(contentsUrl(helpFile));
    showOver(*this, parentWidget());
}

QUrl HelpWindow::source() const
{
    return m_ui->browser->source();
}
