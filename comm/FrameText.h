#pragma once

#include <QByteArray>

// Character-level helpers shared by the framings.
namespace FrameText
{
// True when text is non-empty and made only of hexadecimal digits (either case).
bool isHex(const QByteArray &text);
// The value of two hexadecimal digits at position pos of text; -1 when they are not.
int hexByte(const QByteArray &text, int pos);
// Frame bytes as readable text for the traffic log: control characters by name ("<STX>").
QByteArray printable(const QByteArray &bytes);
} // namespace FrameText
