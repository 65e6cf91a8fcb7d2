#pragma once

#include <QScrollArea>

// Holds the main window's central part. Where the screen has room, it asks for what its content
// needs and nothing changes; where it has not (a small screen, 150 % or 200 % scaling), it asks
// for no more than the screen's available area less the window's frame, menu and status bar, and
// the content scrolls instead of the window reaching off the screen with its status bar. Its
// columns that keep their first height (ColumnScrollArea::Height::AsFirstShown) give up what the
// screen lacks and scroll on their own first, so that the tab bars stay in view; the content
// keeps its own minimum width, so that no caption is cut off.
class ScreenFitArea : public QScrollArea
{
public:
    // Takes content over as the area's widget.
    explicit ScreenFitArea(QWidget *content, QWidget *parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The most room the area can have on the window's screen.
    QSize room() const;
    QSize contentMinimum() const;
    // Caps the columns' heights by what the screen lacks in height, or lifts the caps.
    void fitColumns();
    // The caps and the size asked for anew, where the room changed.
    void refit();

    QSize m_room; // as last fitted to
    bool m_columnsCapped = false;
};
