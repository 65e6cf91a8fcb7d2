#include "WindowPlacement.h"

#include <QFontMetrics>
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

void keepTitleWhole(QWidget &window)
{
    QFont titleFont = window.font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    // The icon and the minimise, maximise and close buttons, each about a title bar high.
    constexpr int TitleBarButtons = 4;
    const int needed =
        metrics.horizontalAdvance(window.windowTitle()) + TitleBarButtons * 2 * metrics.height();
    window.setMinimumWidth(qMax(window.minimumWidth(), needed));
}
