#include "FrameText.h"

namespace FrameText
{

static bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool isHex(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (!isHexDigit(c))
            return false;
    }
    return true;
}

int hexByte(const QByteArray &text, int pos)
{
    if (pos < 0 || pos + 2 > text.size())
        return -1;
    const QByteArray digits = text.mid(pos, 2);
    return isHex(digits) ? digits.toInt(nullptr, 16) : -1;
}

QByteArray printable(const QByteArray &bytes)
{
    QByteArray text;
    for (char c : bytes) {
        switch (c) {
        case 0x02:
            text += "<STX>";
            break;
        case 0x03:
            text += "<ETX>";
            break;
        case 0x06:
            text += "<ACK>";
            break;
        case 0x0A:
            text += "<LF>";
            break;
        case 0x0D:
            text += "<CR>";
            break;
        case 0x15:
            text += "<NAK>";
            break;
        case 0x1B:
            text += "<ESC>";
            break;
        default:
            if (quint8(c) < 0x20 || quint8(c) >= 0x7F)
                text +=
                    '<' + QByteArray::number(quint8(c), 16).rightJustified(2, '0').toUpper() + '>';
            else
                text += c;
        }
    }
    return text;
}

} // namespace FrameText
