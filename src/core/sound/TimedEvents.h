#pragma once
// Both the mixer and the sampled voice start things on an exact output frame: a render period
// is cut at each timed event that falls in it. Runs on the audio thread: no allocation.
#include <algorithm>
#include <cstdint>

// render(offset, count) runs for each stretch of the period [first, first + frames), and
// apply(event) at its frame, in frame order (one already late applies at once). Applied
// events leave pending[0..count).
template <class Event, class Render, class Apply>
void RenderAtEvents(Event* pending, int& count, std::uint64_t first, int frames, Render&& render,
                    Apply&& apply) noexcept
{
    const std::uint64_t end = first + std::uint64_t(frames);
    int done = 0;
    for (;;) {
        int next = -1;
        for (int i = 0; i < count; ++i)
            if (pending[i].frame < end && (next < 0 || pending[i].frame < pending[next].frame))
                next = i;
        const int at =
            next < 0 ? frames : int(std::max<std::uint64_t>(pending[next].frame, first + std::uint64_t(done)) - first);
        if (at > done) {
            render(done, at - done);
            done = at;
        }
        if (next < 0)
            break;
        const Event e = pending[next];
        std::copy(pending + next + 1, pending + count, pending + next);
        --count;
        apply(e);
    }
}
