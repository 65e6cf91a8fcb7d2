#include "WindowPlacement.h"

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
