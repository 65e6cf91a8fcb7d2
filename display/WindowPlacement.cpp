#include "WindowPlacement.h"

#include <QEvent>
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
