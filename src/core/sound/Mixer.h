#pragma once
// The three-voice mixer behind the media players.
//
// One UI thread hands sounds in (Start/Stop, or StartAt for a given output frame) and
// one render thread (the audio callback, or a test) pulls mixed output (Render). They
// share nothing but atomics: a sound is passed to the renderer through a per-voice
// pointer slot or a fixed queue of timed starts, and comes back through a fixed ring
// once the renderer is done with it, so the renderer never allocates, frees, or waits.
// The UI thread frees what comes back (Collect).
#include "core/sound/TimedEvents.h"
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

// A decoded sound: mono float samples at their own rate, with silent padding on both
// sides so the interpolator can read past either end without checks.
struct SoundData {
    static constexpr int Pad = 32;
    std::unique_ptr<float[]> memory;   // Pad + frames + Pad floats
    int frames = 0;
    int rate = 0;
    const float* Samples() const { return memory.get() + Pad; }

    // A sound of `frames` frames at `rate`, samples uninitialised, padding zeroed.
    static std::shared_ptr<SoundData> Allocate(int frames, int rate);
    // Decodes a complete WAVE file held in memory (through SDL). On failure returns
    // null and puts the reason in *error.
    static std::shared_ptr<SoundData> FromWave(const char* data, qsizetype size, QString* error);
    // A metronome click, made here rather than read: a short decaying tone, higher when accented.
    static std::shared_ptr<SoundData> Click(bool accent);
};

// Another source summed into the output ahead of the limiter (the sampled piano). Called
// on the render thread with the same rules: no allocation, no locks.
class IMixSource {
public:
    virtual ~IMixSource() = default;
    // Adds `frames` mono samples at `rate` Hz into out; out[0] is output frame `first`.
    virtual void Render(float* out, int frames, std::uint64_t first, int rate) noexcept = 0;
};

class Mixer {
public:
    static constexpr int Voices = 3;
    static constexpr int ClickVoice = Voices;       // a fourth voice for StartAt, for clicks only
    static constexpr float VoiceGain = 0.7f;       // headroom; overlaps beyond it meet the limiter
    static constexpr float CutFadeSeconds = 0.004f; // a cut-off voice fades this long

    // Builds the resampling kernel (some milliseconds of arithmetic) so the render thread
    // never does: before a device opens, and once the window is up. A render without it
    // builds it on first use.
    static void PrepareResampler();

    Mixer();
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // UI thread. Starts `sound` from its beginning on voice 0..2, cutting off what that
    // voice was playing (with a short fade); gain scales it (a MIDI key's velocity).
    void Start(int voice, std::shared_ptr<const SoundData> sound, float gain = 1.0f);
    // UI thread. Cuts off the voice (with a short fade).
    void Stop(int voice);
    // UI thread. Starts `sound` on `voice` at output frame `frame` (frames count every
    // frame rendered so far, from 0), cutting off what the voice plays then. A frame that
    // is rendered already starts at the next render's first frame (a late start). False,
    // and nothing queued, when the queue is full.
    bool StartAt(int voice, std::shared_ptr<const SoundData> sound, std::uint64_t frame);
    // UI thread. Drops every start queued by StartAt that has not sounded yet.
    void CancelScheduled();
    // UI thread. Frees the sounds the renderer has finished with.
    void Collect();
    // UI thread. Sounds still referenced by the mixer (handed in, not yet collected).
    int HeldSounds() const { return int(m_held.size()); }

    // UI thread. The source mixed in (null: none). Once it returns, the renderer no longer
    // touches the source it replaced.
    void SetSource(IMixSource* source);

    // Render thread. Writes `frames` mono samples at `rate` Hz into out, each in [-1, 1].
    void Render(float* out, int frames, int rate) noexcept;

    // Either thread: notes the renderer has picked up so far, and voices sounding at
    // the end of the last render (fading tails included).
    std::uint64_t StartedCount() const { return m_started.load(std::memory_order_acquire); }
    int ActiveVoices() const { return m_active.load(std::memory_order_acquire); }
    // Either thread: the output clock. Frames rendered so far, the rate of the last render
    // (0 before the first), and timed starts that came late.
    std::uint64_t RenderedFrames() const { return m_rendered.load(std::memory_order_acquire); }
    int RenderRate() const { return m_rate.load(std::memory_order_acquire); }
    std::uint64_t LateStarts() const { return m_late.load(std::memory_order_acquire); }

private:
    struct Voice {
        const SoundData* sound = nullptr;
        std::uint64_t pos = 0;     // source position, 32.32 fixed point
        int fadeLeft = 0;          // frames left of a cut-off fade; 0 = not fading
        int fadeTotal = 0;
        float gain = 1.0f;
    };
    struct Timed {
        const SoundData* sound = nullptr;
        std::uint64_t frame = 0;
        std::uint32_t generation = 0;   // CancelScheduled drops what is older
        int voice = 0;
    };
    static constexpr int FadeSlots = 6;
    static constexpr std::uint32_t RingSize = 128;
    static constexpr std::uint32_t QueueSize = 64;

    void Hand(int voice, const SoundData* p);
    void Release(const SoundData* p);
    void Retire(const SoundData* p) noexcept;
    void BeginFade(Voice& v, int fadeFrames) noexcept;
    bool Mix(Voice& v, float* out, int frames, std::uint64_t step) noexcept;
    void Take(int voice, const SoundData* p, int fadeFrames, float gain = 1.0f) noexcept;
    void MixSegment(float* out, int frames, int rate) noexcept;

    // Shared between the threads.
    std::atomic<const SoundData*> m_next[Voices];
    std::atomic<float> m_nextGain[Voices];      // stored before the sound it goes with
    const SoundData* m_ring[RingSize];
    std::atomic<std::uint32_t> m_ringHead{0};   // written by the renderer
    std::atomic<std::uint32_t> m_ringTail{0};   // written by the UI thread
    TimedQueue<Timed, QueueSize> m_timed;       // StartAt's starts, waiting for their frame
    std::atomic<std::uint64_t> m_started{0};
    std::atomic<int> m_active{0};
    std::atomic<std::uint64_t> m_rendered{0};
    std::atomic<int> m_rate{0};
    std::atomic<std::uint64_t> m_late{0};
    std::atomic<IMixSource*> m_source{nullptr};
    std::atomic<bool> m_inSource{false};   // the renderer is inside the source

    // UI thread only: owners of everything handed in and not yet collected.
    std::vector<std::shared_ptr<const SoundData>> m_held;

    // Render thread only.
    Voice m_voice[Voices + 1];   // the notes' voices and the click
    Voice m_fading[FadeSlots];
    std::uint64_t m_frame = 0;    // first frame of the current render
    float m_limiterGain = 1.0f;
};
