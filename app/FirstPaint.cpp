#include "FirstPaint.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace
{
// Waits for the window's first paint event, then runs the action once from the event loop: the
// paint of the children and the flush to the screen complete within the same repaint, before the
// zero-delay timer fires.
class PaintWatcher : public QObject
{
public:
    PaintWatcher(QWidget *window, std::function<void()> then, int fallbackMs)
        : QObject(window), m_then(std::move(then))
    {
        window->installEventFilter(this);
        QTimer::singleShot(fallbackMs, this, &PaintWatcher::fire);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, &PaintWatcher::fire);
        }
        return false;
    }

private:
    void fire()
    {
        if (m_fired)
            return;
        m_fired = true;
        const std::function<void()> then = std::move(m_then);
        deleteLater();
        then();
    }

    std::function<void()> m_then;
    bool m_painted = false;
    bool m_fired = false;
};
} // namespace

void FirstPaint::showThenRun(QWidget *window, std::function<void()> then, int fallbackMs)
{
    new PaintWatcher(window, std::move(then), fallbackMs);
    window->show();
}
