#pragma once
// Both the mixer and the sampled voice start things on an exact output frame: a render period
// is cut at each timed event that falls in it. Runs on the audio thread: no allocation.
#include <algorithm>
#include <atomic>
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

// Events from one producer thread to one render thread, each for an output frame. The
// producer pushes and cancels; the renderer takes what was pushed into its pending list and
// renders up to each event's frame. Event has `frame` and `generation` members; a cancel
// makes every event pushed before it stale. Nothing allocates, nothing waits.
template <class Event, std::uint32_t Size>
class TimedQueue {
public:
    // Producer. False, and nothing queued, when the queue is full (the renderer is not running).
    bool Push(Event e) noexcept
    {
        const std::uint32_t tail = m_tail.load(std::memory_order_relaxed);
        if (tail - m_head.load(std::memory_order_acquire) >= Size)
            return false;
        e.generation = m_generation.load(std::memory_order_relaxed);
        m_ring[tail % Size] = e;
        m_tail.store(tail + 1, std::memory_order_release);
        return true;
    }
    // Producer. What was pushed so far turns stale.
    void Cancel() noexcept { m_generation.fetch_add(1, std::memory_order_acq_rel); }

    // Renderer. Moves what was pushed into the pending list, then keeps what
    // keep(event, current) says (current: pushed after the last cancel); drop(event) sees the rest.
    template <class Keep, class Drop>
    void Take(Keep&& keep, Drop&& drop) noexcept
    {
        std::uint32_t head = m_head.load(std::memory_order_relaxed);
        const std::uint32_t tail = m_tail.load(std::memory_order_acquire);
        while (head != tail && m_count < int(Size))
            m_pending[m_count++] = m_ring[head++ % Size];
        m_head.store(head, std::memory_order_release);
        // Read after the queue: an event pushed after a cancel already carries the new generation.
        const std::uint32_t generation = m_generation.load(std::memory_order_acquire);
        int kept = 0;
        for (int i = 0; i < m_count; ++i) {
            if (keep(m_pending[i], m_pending[i].generation == generation))
                m_pending[kept++] = m_pending[i];   // order kept: the later of two equal events wins
            else
                drop(m_pending[i]);
        }
        m_count = kept;
    }
    // Renderer. RenderAtEvents over the pending list.
    template <class Render, class Apply>
    void RenderAt(std::uint64_t first, int frames, Render&& render, Apply&& apply) noexcept
    {
        RenderAtEvents(m_pending, m_count, first, frames, render, apply);
    }
    // Renderer. Forgets every pending event.
    void Clear() noexcept { m_count = 0; }

private:
    Event m_ring[Size];
    std::atomic<std::uint32_t> m_head{0};   // written by the renderer
    std::atomic<std::uint32_t> m_tail{0};   // written by the producer
    std::atomic<std::uint32_t> m_generation{0};

    // Renderer only: taken, waiting for their frame.
    Event m_pending[Size];
    int m_count = 0;
};
