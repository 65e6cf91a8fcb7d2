#include "TenKey.h"

#include <Qt>

std::optional<TenKey> TenKey::fromKeyboard(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return TenKey{Digit, qtKey - Qt::Key_0};
    switch (qtKey) {
    case Qt::Key_Period:
        return TenKey{Point};
    case Qt::Key_Minus:
        return TenKey{Minus};
    case Qt::Key_Backspace:
        return TenKey{Clear};
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return TenKey{Enter};
    case Qt::Key_Escape:
        return std::nullopt;
    default:
        return TenKey{Refresh};
    }
}
