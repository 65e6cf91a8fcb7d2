#pragma once

#include <QString>

// How a value box shows a reading that is no longer live: grey on a dark ground with a dotted
// border, still readable and plainly not a live reading. Its border (border pixels wide) and its
// padding are those of the live box, so that muting a box moves nothing.
namespace ValueBoxStyle
{
inline QString muted(int border)
{
    return QStringLiteral("QLabel { background-color: #3a3f44; color: #9aa0a6; "
                          "border: %1px dotted #7a7a7a; padding-right: 6px; }")
        .arg(border);
}

// A live box on a white ground with a 1-pixel border; the text keeps the colour of the box's
// palette.
inline QString liveOnWhite()
{
    return QStringLiteral(
        "QLabel { background-color: white; border: 1px solid #a0a0a0; padding-right: 6px; }");
}
} // namespace ValueBoxStyle
