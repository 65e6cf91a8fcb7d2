#include "NoticeBox.h"

#include "base/MessageTable.h"

#include <QMessageBox>

NoticeBox::NoticeBox(QWidget *parent, QString objectName)
    : m_parent(parent), m_objectName(std::move(objectName))
{
}

void NoticeBox::show(const QString &text)
{
    if (m_box.isNull()) {
        m_box = new QMessageBox(QMessageBox::Warning, msg(1), text, QMessageBox::Ok, m_parent);
        m_box->setObjectName(m_objectName);
        m_box->setAttribute(Qt::WA_DeleteOnClose);
        m_box->setWindowModality(Qt::NonModal);
    }
    m_box->setText(text);
    m_box->show();
}
