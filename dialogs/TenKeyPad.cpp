#include "TenKeyPad.h"

#include "display/KeyboardAccess.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QPushButton>

namespace
{
constexpr int Columns = 3;
constexpr int ZeroRow = 3;
} // namespace

TenKeyPad::TenKeyPad(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // 1 to 9 in rows from the top, as on a calculator.
    for (int digit = 1; digit <= 9; ++digit) {
        addKey(QStringLiteral("digitKey_%1").arg(digit), QString::number(digit),
               TenKey{TenKey::Digit, digit}, 2 - (digit - 1) / Columns, (digit - 1) % Columns);
    }
    addKey(QStringLiteral("digitKey_0"), QStringLiteral("0"), TenKey{TenKey::Digit, 0}, ZeroRow, 0);
    addKey(QStringLiteral("pointKey"), QStringLiteral("."), TenKey{TenKey::Point}, ZeroRow, 1);
    addKey(QStringLiteral("signKey"), QStringLiteral("+/-"), TenKey{TenKey::PlusMinus}, ZeroRow, 2);
    addKey(QStringLiteral("clearKey"), QStringLiteral("CE"), TenKey{TenKey::Clear}, 4, 0, Columns);
}

void TenKeyPad::addKey(const QString &name, const QString &text, TenKey key, int row, int column,
                       int columnSpan)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
    button->setProperty(KeyboardAccess::padKeyProperty, true);
    button->setMinimumSize(56, 40);
    static_cast<QGridLayout *>(layout())->addWidget(button, row, column, 1, columnSpan);
    connect(button, &QPushButton::clicked, this, [this, key] { emit pressed(key); });
}

void TenKeyPad::takeKeysOf(QWidget *widget)
{
    widget->installEventFilter(this);
}

void TenKeyPad::withoutPointKey()
{
    m_pointOffered = false;
    auto *grid = static_cast<QGridLayout *>(layout());
    auto *point = findChild<QPushButton *>(QStringLiteral("pointKey"));
    grid->removeWidget(point);
    point->hide();
    // 0 takes the room of the point, as on a calculator with a wide 0 key.
    auto *zero = findChild<QPushButton *>(QStringLiteral("digitKey_0"));
    grid->removeWidget(zero);
    grid->addWidget(zero, ZeroRow, 0, 1, 2);
}

bool TenKeyPad::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const std::optional<TenKey> key = TenKey::fromKeyboard(static_cast<QKeyEvent *>(event)->key());
    if (!key)
        return false;
    if (key->action != TenKey::Point || m_pointOffered)
        emit pressed(*key);
    return true;
}
