#pragma once

#include "comm/FrameCodec.h"

#include <optional>

// The front of received bytes in a text framing whose frames run from a start mark to an end
// mark (Modbus ASCII ':' ... LF, Ravtocol '@' ... CR): bytes before a start mark are noise, a
// start mark before the end mark restarts the frame, and a frame that grows past the longest one
// gives up its start mark.
namespace TextFrameScanner
{
struct Front {
    // Set when the front is no frame yet: Incomplete (wait for more) or Discard (noise).
    std::optional<FrameVerdict> verdict;
    // Otherwise the length of the frame at the front, its end mark included.
    int length = 0;
};

Front front(const QByteArray &input, char startMark, char endMark, int maxFrameLength);
} // namespace TextFrameScanner
