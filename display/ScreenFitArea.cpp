#include "ScreenFitArea.h"

#include "display/ColumnScrollArea.h"

#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>

ScreenFitArea::ScreenFitArea(QWidget *content, QWidget *parent) : QScrollArea(parent)
{
    setObjectName(content->objectName() + QStringLiteral("_scroll"));
    setFrameShape(QFrame::NoFrame);
    // Only a frame for what it holds: with the focus it would swallow Tab without a mark to show
    // where the focus is.
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(true);
    setWidget(content);
    viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    content->installEventFilter(this);
}

QSize ScreenFitArea::room() const
{
    const QWidget *window = this->window();
    const QScreen *screen = window->screen();
    if (screen == nullptr)
        return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    // The frame is known once the window manager has framed the window; until then a title bar
    // is allowed for.
    QSize frame = window->frameGeometry().size() - window->geometry().size();
    if (frame.width() <= 0 && frame.height() <= 0)
        frame = QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    int around = 0;
    if (auto *main = qobject_cast<const QMainWindow *>(window)) {
        const QWidget *bars[] = {main->menuWidget(), main->findChild<QStatusBar *>()};
        for (const QWidget *bar : bars) {
            if (bar != nullptr && !bar->isHidden())
                around += bar->sizeHint().height();
        }
    }
    return screen->availableGeometry().size() - frame - QSize(0, around);
}

QSize ScreenFitArea::contentMinimum() const
{
    return widget()->minimumSizeHint().expandedTo(widget()->minimumSize());
}

QSize ScreenFitArea::minimumSizeHint() const
{
    const QSize room = this->room();
    QSize needed = contentMinimum();
    // Scrolling one way takes a scroll bar's room the other way.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
    if (needed.width() > room.width())
        needed.rheight() += bar;
    // A screen too low for the columns as first shown may be too low for a panel opened later: the
    // vertical bar's room is kept from the start, so that the window never widens itself.
    if (needed.height() > room.height() || m_columnsCapped)
        needed.rwidth() += bar;
    return needed.boundedTo(room);
}

QSize ScreenFitArea::sizeHint() const
{
    return widget()->sizeHint().boundedTo(room()).expandedTo(minimumSizeHint());
}

void ScreenFitArea::fitColumns()
{
    const QList<ColumnScrollArea *> columns = widget()->findChildren<ColumnScrollArea *>();
    for (ColumnScrollArea *column : columns)
        column->setHeightCap(QWIDGETSIZE_MAX);
    const int excess = contentMinimum().height() - room().height();
    m_columnsCapped = excess > 0;
    if (!m_columnsCapped)
        return;
    for (ColumnScrollArea *column : columns) {
        if (column->heightRule() == ColumnScrollArea::Height::AsFirstShown)
            column->setHeightCap(column->minimumSizeHint().height() - excess);
    }
}

bool ScreenFitArea::eventFilter(QObject *watched, QEvent *event)
{
    // The content's relayout does not reach the window's layout, which would keep the area's
    // first, smaller minimum: the window could then be shrunk into a scroll bar.
    if (watched == widget() && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}

bool ScreenFitArea::event(QEvent *event)
{
    // Another screen, or the window shown: its frame is known once the window manager has framed
    // it, after the events of the show.
    if (event->type() == QEvent::ScreenChangeInternal)
        refit();
    else if (event->type() == QEvent::Show)
        QMetaObject::invokeMethod(this, &ScreenFitArea::refit, Qt::QueuedConnection);
    return QScrollArea::event(event);
}

void ScreenFitArea::refit()
{
    if (room() == m_room)
        return;
    m_room = room();
    fitColumns();
    updateGeometry();
}
