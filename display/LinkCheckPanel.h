#pragma once

#include "base/MainView.h"

#include <QFrame>

class QLabel;
class QPushButton;

// The one panel of the link check: while the start-up check waits for the controller it says so;
// while the automatic search runs it names the port, speed, protocol and instrument number being
// tried, how many probes are left and the worst-case time left, above its one Cancel, which takes
// the focus (Space or Enter press it) and which Esc presses too. The hourglass pointer is up while
// the search runs. Hidden when idle.
class LinkCheckPanel : public QFrame
{
public:
    explicit LinkCheckPanel(QWidget *parent = nullptr);

    void setState(LinkCheckState state);
    void showProgress(const SearchProgress &progress);
    QPushButton *cancelButton() const { return m_cancel; }

private:
    void focusCancel();
    QLabel *m_title = nullptr;
    QLabel *m_probe = nullptr;
    QLabel *m_left = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_waitCursor = false;
};
