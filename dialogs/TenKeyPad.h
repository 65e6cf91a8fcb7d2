#pragma once

#include "dialogs/TenKey.h"

#include <QWidget>

// The entry dialogs' ten-key pad: 7 8 9 / 4 5 6 / 1 2 3 / 0 . +/- / CE, keys that never take the
// focus (digitKey_0 ... digitKey_9, pointKey, signKey "+/-", clearKey "CE"). A click, or a key
// typed into a widget handed to takeKeysOf(), arrives as pressed().
class TenKeyPad : public QWidget
{
    Q_OBJECT

public:
    explicit TenKeyPad(QWidget *parent = nullptr);

    // The key presses of widget go through the pad's key map first. Needed for a read-only entry
    // box too, which would otherwise keep Backspace for itself. Escape passes on.
    void takeKeysOf(QWidget *widget);
    // Without the point key ("." gone from the pad, 0 widened into its place, and ignored from
    // the keyboard), for values that are whole numbers only.
    void withoutPointKey();

signals:
    void pressed(const TenKey &key);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_pointOffered = true;

    void addKey(const QString &name, const QString &text, TenKey key, int row, int column,
                int columnSpan = 1);
};
