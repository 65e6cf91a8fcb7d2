#include "LinkCheckPanel.h"

#include "base/MessageTable.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace
{
constexpr int CheckingMessage = 1080;
constexpr int GoingOnlineMessage = 1204;
constexpr int SearchingMessage = 1081;
constexpr int ProbeMessage = 1082;
constexpr int LeftMessage = 1083;
constexpr int CancelMessage = 30;
constexpr int PanelWidth = 460;

QLabel *line(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}
} // namespace

LinkCheckPanel::LinkCheckPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("linkCheckPanel"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);
    resize(PanelWidth, height());

    m_title = line(QStringLiteral("linkCheckTitle"), this);
    QFont bold = m_title->font();
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    bold.setBold(true);
    m_title->setFont(bold);
    m_probe = line(QStringLiteral("linkCheckProbe"), this);
    m_left = line(QStringLiteral("linkCheckLeft"), this);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("linkCheckCancel"));
    m_cancel->setMinimumWidth(100);

    // Esc cancels the search as the button does, wherever the focus is in the window.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (m_cancel->isVisible())
            m_cancel->click();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_probe);
    layout->addWidget(m_left);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    hide();
}

void LinkCheckPanel::setState(LinkCheckState state)
{
    const bool searching = state == LinkCheckState::Searching;
    if (searching != m_waitCursor) {
        if (searching)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
        m_waitCursor = searching;
    }
    if (state == LinkCheckState::Idle) {
        hide();
        return;
    }
    m_title->setText(msg(searching                              ? SearchingMessage
                         : state == LinkCheckState::GoingOnline ? GoingOnlineMessage
                                                                : CheckingMessage));
    m_probe->clear();
    m_left->clear();
    m_probe->setVisible(searching);
    m_left->setVisible(searching);
    m_cancel->setText(msg(CancelMessage));
    m_cancel->setVisible(searching);
    show();
    raise();
    // The check that follows blocks the event loop: the panel must be on the screen before it.
    if (!searching)
        repaint();
    else
        focusCancel();
}

void LinkCheckPanel::focusCancel()
{
    // Space cancels at once; the rest of the window waits for the search anyway. The style draws
    // the focus frame only once the keyboard has moved the focus in the window: the operator who
    // answered the question with a key must see where Space goes.
    window()->setAttribute(Qt::WA_KeyboardFocusChange);
    m_cancel->setFocus(Qt::OtherFocusReason);
}

void LinkCheckPanel::showProgress(const SearchProgress &progress)
{
    m_probe->setText(
        msg(ProbeMessage).arg(progress.port, progress.speed, progress.protocol, progress.station));
    m_left->setText(msg(LeftMessage)
                        .arg(progress.probesLeft)
                        .arg(progress.secondsLeft / 60)
                        .arg(progress.secondsLeft % 60, 2, 10, QLatin1Char('0')));
}
