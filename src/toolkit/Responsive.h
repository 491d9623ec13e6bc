// Slow work (a download) runs off the window thread while this thread goes on handling its
// window messages; the caller still sees one call that returns when the work is done.
#pragma once

#include <functional>

// Runs `work` on a new thread and `whileWaiting` on this one between messages (about every
// 50 ms). True when the work finished; false when the program was asked to quit meanwhile (the
// quit request stays queued): the work then ends on its own, so it must own what it touches.
// A failure inside `work` stays there.
bool RunWhileResponsive(std::function<void()> work, const std::function<void()>& whileWaiting);
