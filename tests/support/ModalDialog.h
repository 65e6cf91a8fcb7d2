#pragma once

#include <QApplication>
#include <QMetaObject>
#include <QTimer>
#include <QtTest>

#include <functional>

// Runs open(), which shows a modal dialog, and lets operate act on that dialog from inside its
// event loop, as the operator would. A dialog that operate leaves open is cancelled, so that a
// failing test never hangs in the dialog.
inline void operateModal(const std::function<void()> &open,
                         const std::function<void(QWidget *)> &operate)
{
    bool operated = false;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog != nullptr);
        operated = true;
        operate(dialog);
        if (dialog->isVisible())
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    open();
    QVERIFY(operated);
}
