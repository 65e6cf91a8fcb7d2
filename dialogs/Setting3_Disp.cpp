#include "Setting3_Disp.h"

#include "ui_Setting3_Disp.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"

#include <QKeyEvent>

namespace
{
constexpr int KeyColumns = 3;
} // namespace

Setting3_Disp::Setting3_Disp(OperatorInterface &op, ScaleEntry::Mode mode, const QString &now,
                             qint16 high, qint16 low, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::Setting3_Disp>()), m_op(op),
      m_entry(mode, high, low)
{
    m_ui->setupUi(this);
    setWindowTitle(msg(230));
    m_ui->Label1->setText(msg(231));
    m_ui->Label2->setText(msg(232));
    m_ui->Command4->setText(msg(30));
    m_ui->Now_data->setText(now);
    m_ui->Limit_data->setText(m_entry.limitText());

    // Ten_key 1 to 9 in rows from the top, as on a calculator, then 0, "+/-" and "CE".
    for (int digit = 0; digit < 10; ++digit) {
        auto *key = new QPushButton(QString::number(digit), this);
        key->setObjectName(QStringLiteral("Ten_key_%1").arg(digit));
        key->setAutoDefault(false);
        key->setFocusPolicy(Qt::NoFocus);
        const int row = digit == 0 ? 3 : 2 - (digit - 1) / KeyColumns;
        const int column = digit == 0 ? 0 : (digit - 1) % KeyColumns;
        m_ui->layoutKeys->addWidget(key, row, column);
        connect(key, &QPushButton::clicked, this, [this, digit] { digitClicked(digit); });
    }
    auto *plusMinus = new QPushButton(QStringLiteral("+/-"), this);
    plusMinus->setObjectName(QStringLiteral("Command1"));
    auto *clear = new QPushButton(QStringLiteral("CE"), this);
    clear->setObjectName(QStringLiteral("Command2"));
    for (QPushButton *key : {plusMinus, clear}) {
        key->setAutoDefault(false);
        key->setFocusPolicy(Qt::NoFocus);
    }
    m_ui->layoutKeys->addWidget(plusMinus, 3, 1);
    m_ui->layoutKeys->addWidget(clear, 3, 2);
    connect(plusMinus, &QPushButton::clicked, this, &Setting3_Disp::plusMinusClicked);
    connect(clear, &QPushButton::clicked, this, &Setting3_Disp::clearEntry);
    connect(m_ui->Command3, &QPushButton::clicked, this, &Setting3_Disp::accept);
    connect(m_ui->Command4, &QPushButton::clicked, this, &Setting3_Disp::reject);
    m_ui->Disp_setdata3->installEventFilter(this);
}

Setting3_Disp::~Setting3_Disp() = default;

void Setting3_Disp::refresh()
{
    m_ui->Disp_setdata3->setText(m_entry.working());
}

void Setting3_Disp::digitClicked(int digit)
{
    m_entry.digit(digit);
    refresh();
}

void Setting3_Disp::plusMinusClicked()
{
    refuse(m_entry.plusMinus());
    refresh();
}

void Setting3_Disp::clearEntry()
{
    m_entry.clear();
    refresh();
    m_ui->Disp_setdata3->setFocus();
}

void Setting3_Disp::refuse(int id)
{
    if (id == 0)
        return;
    m_op.showMessage({id}, MessageIcon::Exclamation);
    refresh();
    m_ui->Disp_setdata3->setFocus();
}

void Setting3_Disp::accept()
{
    const int message = m_entry.accept();
    if (message != 0) {
        refuse(message);
        return;
    }
    m_op.beep();
    QDialog::accept();
}

bool Setting3_Disp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->Disp_setdata3 && event->type() == QEvent::KeyPress)
        return handleKey(static_cast<QKeyEvent *>(event));
    return QDialog::eventFilter(watched, event);
}

void Setting3_Disp::keyPressEvent(QKeyEvent *event)
{
    if (!handleKey(event))
        QDialog::keyPressEvent(event);
}

bool Setting3_Disp::handleKey(const QKeyEvent *event)
{
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        digitClicked(key - Qt::Key_0);
    } else if (key == Qt::Key_Minus) {
        m_entry.negate();
        refresh();
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        accept();
    } else if (key == Qt::Key_Backspace || key == Qt::Key_Period) {
        m_entry.clear();
        refresh();
    } else if (key == Qt::Key_Escape) {
        return false;
    } else {
        refresh();
    }
    return true;
}
