#include "WindowPlacement.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>

void showOver(QWidget &window, const QWidget *owner)
{
    if (owner) {
        const QRect area = owner->window()->frameGeometry();
        window.resize(window.size().boundedTo(area.size()));
        window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
    }
    window.show();
    window.raise();
    window.activateWindow();
}

namespace
{
// Widens its window, when it is shown, to the width its title needs. The minimum width is left to
// the window's layout, which must stay free to follow the window's contents.
class TitleWidth : public QObject
{
public:
    explicit TitleWidth(QWidget &window) : QObject(&window), m_window(window)
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_window && event->type() == QEvent::Show && m_window.width() < needed())
            m_window.resize(needed(), m_window.height());
        return QObject::eventFilter(watched, event);
    }

private:
    int needed() const
    {
        QFont titleFont = m_window.font();
        titleFont.setBold(true);
        const QFontMetrics metrics(titleFont);
        // The icon and the minimise, maximise and close buttons, each about a title bar high.
        constexpr int TitleBarButtons = 4;
        return metrics.horizontalAdvance(m_window.windowTitle()) +
               TitleBarButtons * 2 * metrics.height();
    }

    QWidget &m_window;
};
} // namespace

void keepTitleWhole(QWidget &window)
{
    new TitleWidth(window);
}

void scrollWhenTooTall(QWidget &dialog)
{
    const QScreen *screen = dialog.screen();
    QLayout *layout = dialog.layout();
    if (screen == nullptr || layout == nullptr)
        return;
    // The window manager's frame comes on top of the dialog's own height: as much as it puts
    // around the owner's window, a title bar where that is not known yet.
    const QWidget *owner =
        dialog.parentWidget() != nullptr ? dialog.parentWidget()->window() : nullptr;
    int frame = owner != nullptr ? owner->frameGeometry().height() - owner->geometry().height() : 0;
    if (frame <= 0)
        frame = dialog.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const int room = screen->availableGeometry().height() - frame;
    const QSize needed = dialog.sizeHint();
    if (needed.height() <= room)
        return;
    auto *contents = new QWidget;
    contents->setLayout(layout);
    auto *scroll = new QScrollArea;
    scroll->setObjectName(dialog.objectName() + QStringLiteral("_scroll"));
    // Only a frame: the focus stays on the controls, which scroll into view as they take it.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(contents);
    const int bar = scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    scroll->setMinimumWidth(contents->minimumSizeHint().width() + bar);
    auto *around = new QVBoxLayout(&dialog);
    around->setContentsMargins(0, 0, 0, 0);
    around->addWidget(scroll);
    dialog.resize(needed.width() + bar, room);
}
