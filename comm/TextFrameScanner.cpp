#include "TextFrameScanner.h"

namespace TextFrameScanner
{

Front front(const QByteArray &input, char startMark, char endMark, int maxFrameLength)
{
    const int start = int(input.indexOf(startMark));
    if (start < 0)
        return {input.isEmpty() ? FrameVerdict::incomplete()
                                : FrameVerdict::discard(int(input.size())),
                0};
    if (start > 0)
        return {FrameVerdict::discard(start), 0};

    const int end = int(input.indexOf(endMark));
    const int restart = int(input.indexOf(startMark, 1));
    if (restart > 0 && (end < 0 || restart < end))
        return {FrameVerdict::discard(restart), 0};
    if (end < 0)
        return {input.size() < maxFrameLength ? FrameVerdict::incomplete()
                                              : FrameVerdict::discard(1),
                0};
    return {std::nullopt, end + 1};
}

} // namespace TextFrameScanner
