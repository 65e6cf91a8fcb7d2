#pragma once

#include <QPointer>
#include <QString>

class QMessageBox;
class QWidget;

// A notice that does not wait for the operator: a non-modal warning box over parent (title message
// 1), so that the timer tick or the run that reports it goes on behind it. A second notice while
// the first is still open replaces its text instead of stacking another box.
class NoticeBox
{
public:
    // objectName names the box for tests and accessibility.
    NoticeBox(QWidget *parent, QString objectName);

    void show(const QString &text);

private:
    QWidget *m_parent;
    QString m_objectName;
    QPointer<QMessageBox> m_box;
};
