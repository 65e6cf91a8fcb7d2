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
    setWidgetResizable(true);
    setWidget(content);
    viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
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
    if (needed.height() > room.height())
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
    if (excess <= 0)
        return;
    for (ColumnScrollArea *column : columns) {
        if (column->heightRule() == ColumnScrollArea::Height::AsFirstShown)
            column->setHeightCap(column->minimumSizeHint().height() - excess);
    }
}

bool ScreenFitArea::event(QEvent *event)
{
    // Another screen, or the frame known now: the room changed.
    if (event->type() == QEvent::ScreenChangeInternal || event->type() == QEvent::Show) {
        fitColumns();
        updateGeometry();
    }
    return QScrollArea::event(event);
}
