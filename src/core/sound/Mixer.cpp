#include "core/sound/Mixer.h"
#include "core/sound/TimedEvents.h"
#include "core/sound/SdlLibrary.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

// ---- Decoded sounds ----

std::shared_ptr<SoundData> SoundData::Allocate(int frames, int rate)
{
    auto s = std::make_shared<SoundData>();
    s->memory = std::make_unique_for_overwrite<float[]>(size_t(frames) + 2 * Pad);
    s->frames = frames;
    s->rate = rate;
    std::fill_n(s->memory.get(), Pad, 0.0f);
    std::fill_n(s->memory.get() + Pad + frames, Pad, 0.0f);
    return s;
}

std::shared_ptr<SoundData> SoundData::FromWave(const char* data, qsizetype size, QString* error)
{
    auto fail = [&](const char* what) {
        if (error)
            *error = QString::fromUtf8(what);
        return std::shared_ptr<SoundData>();
    };
    if (size <= 0 || size > 0x7fffffff)
        return fail("文件是空的或太大。");
    const char* missing = nullptr;
    const SdlApi* sdl = Sdl(&missing);
    if (!sdl)
        return fail(missing);
    SDL_RWops* rw = sdl->RWFromConstMem(data, int(size));
    if (!rw)
        return fail(sdl->GetError());
    SDL_AudioSpec spec;
    Uint8* wave = nullptr;
    Uint32 length = 0;
    if (!sdl->LoadWAV_RW(rw, 1, &spec, &wave, &length))
        return fail(sdl->GetError());
    std::unique_ptr<Uint8, void (*)(Uint8*)> waveOwner(wave, sdl->FreeWAV);
    if (spec.freq <= 0 || spec.channels == 0)
        return fail("声音没有采样率或声道。");

    // Mono float at the sound's own rate; the mixer resamples while it plays.
    SDL_AudioCVT cvt;
    const int need = sdl->BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, AUDIO_F32SYS, 1, spec.freq);
    if (need < 0)
        return fail(sdl->GetError());
    const size_t room = (size_t(length) * size_t(std::max(cvt.len_mult, 1)) + 3) / 4;
    auto s = std::make_shared<SoundData>();
    s->memory = std::make_unique_for_overwrite<float[]>(room + 2 * Pad);
    float* samples = s->memory.get() + Pad;
    std::memcpy(samples, wave, length);
    size_t bytes = length;
    if (need == 1) {
        cvt.buf = reinterpret_cast<Uint8*>(samples);
        cvt.len = int(length);
        if (sdl->ConvertAudio(&cvt) < 0)
            return fail(sdl->GetError());
        bytes = size_t(cvt.len_cvt);
    }
    s->frames = int(bytes / sizeof(float));
    s->rate = spec.freq;
    std::fill_n(s->memory.get(), Pad, 0.0f);
    std::fill_n(samples + s->frames, Pad, 0.0f);
    // Float files can carry anything; keep the mix finite and in range.
    if (SDL_AUDIO_ISFLOAT(spec.format))
        for (int i = 0; i < s->frames; ++i)
            samples[i] = std::isfinite(samples[i]) ? std::clamp(samples[i], -1.0f, 1.0f) : 0.0f;
    return s;
}

std::shared_ptr<SoundData> SoundData::Click(bool accent)
{
    constexpr int Rate = 48000;
    constexpr int Frames = Rate * 30 / 1000;
    auto s = Allocate(Frames, Rate);
    const double hz = accent ? 1760.0 : 1320.0;
    float* out = s->memory.get() + Pad;
    for (int i = 0; i < Frames; ++i) {
        const double t = double(i) / Rate;
        const double attack = std::min(1.0, i / 48.0);   // 1 ms, no step at the start
        out[i] = float((accent ? 0.9 : 0.6) * attack * std::exp(-t / 0.006) * std::sin(2 * M_PI * hz * t));
    }
    return s;
}

// ---- Interpolation ----
// Windowed-sinc (Kaiser) polyphase kernel: 32 taps, 256 phases with linear blending
// between neighbouring phases. The pass band reaches 0.45 of the source rate, so the
// images of an 8 kHz sample above 4 kHz are suppressed rather than smeared in.

namespace {

constexpr int HalfTaps = 16;
constexpr int Taps = 2 * HalfTaps;
constexpr int PhaseBits = 8;
constexpr int Phases = 1 << PhaseBits;
constexpr double Cutoff = 0.45;   // cycles per source sample
constexpr double KaiserBeta = 8.0;
constexpr float LimitThreshold = 0.95f;
constexpr float Knee = 0.8f;
constexpr double LimiterReleaseSeconds = 0.08;

static_assert(SoundData::Pad >= 2 * HalfTaps, "the padding must cover the interpolator's reach");

double BesselI0(double x)
{
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 40; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
        if (term < sum * 1e-12)
            break;
    }
    return sum;
}

struct Kernel {
    float c[Phases + 1][Taps];
    Kernel()
    {
        const double norm = BesselI0(KaiserBeta);
        for (int p = 0; p <= Phases; ++p) {
            const double frac = double(p) / Phases;
            double sum = 0.0;
            double row[Taps];
            for (int j = 0; j < Taps; ++j) {
                const double d = (j - HalfTaps + 1) - frac;   // distance from the output point
                const double t = d / HalfTaps;
                double h = 0.0;
                if (std::abs(t) < 1.0) {
                    const double x = 2.0 * Cutoff * d;
                    const double sinc = std::abs(x) < 1e-12 ? 1.0 : std::sin(M_PI * x) / (M_PI * x);
                    h = 2.0 * Cutoff * sinc * BesselI0(KaiserBeta * std::sqrt(1.0 - t * t)) / norm;
                }
                row[j] = h;
                sum += h;
            }
            for (int j = 0; j < Taps; ++j)
                c[p][j] = float(row[j] / sum);   // unity gain at every phase
        }
    }
};

const Kernel& TheKernel()
{
    static const Kernel k;
    return k;
}

inline float Dot(const float* x, const float* c)
{
    float a0 = 0, a1 = 0, a2 = 0, a3 = 0;
    for (int j = 0; j < Taps; j += 4) {
        a0 += x[j] * c[j];
        a1 += x[j + 1] * c[j + 1];
        a2 += x[j + 2] * c[j + 2];
        a3 += x[j + 3] * c[j + 3];
    }
    return (a0 + a1) + (a2 + a3);
}

// The stop request travels the same road as a sound.
const SoundData StopRequest{};

} // namespace

// ---- Mixer ----

void Mixer::PrepareResampler() { TheKernel(); }

Mixer::Mixer()
{
    for (auto& n : m_next)
        n.store(nullptr, std::memory_order_relaxed);
    for (auto& g : m_nextGain)
        g.store(1.0f, std::memory_order_relaxed);
    std::fill(std::begin(m_ring), std::end(m_ring), nullptr);
}

Mixer::~Mixer() = default;

void Mixer::Start(int voice, std::shared_ptr<const SoundData> sound, float gain)
{
    if (voice < 0 || voice >= Voices)
        return;
    Collect();
    if (!sound) {
        Hand(voice, &StopRequest);
        return;
    }
    const SoundData* raw = sound.get();
    m_held.push_back(std::move(sound));
    m_nextGain[voice].store(gain, std::memory_order_relaxed);
    Hand(voice, raw);
}

void Mixer::Stop(int voice)
{
    if (voice < 0 || voice >= Voices)
        return;
    Collect();
    Hand(voice, &StopRequest);
}

void Mixer::Hand(int voice, const SoundData* p)
{
    const SoundData* old = m_next[voice].exchange(p, std::memory_order_acq_rel);
    // The renderer never took the one we replaced: it is ours to drop.
    if (old && old != &StopRequest)
        Release(old);
}

void Mixer::Release(const SoundData* p)
{
    for (size_t i = 0; i < m_held.size(); ++i) {
        if (m_held[i].get() == p) {
            m_held[i] = std::move(m_held.back());
            m_held.pop_back();
            return;
        }
    }
}

void Mixer::Collect()
{
    std::uint32_t tail = m_ringTail.load(std::memory_order_relaxed);
    const std::uint32_t head = m_ringHead.load(std::memory_order_acquire);
    while (tail != head) {
        Release(m_ring[tail % RingSize]);
        ++tail;
    }
    m_ringTail.store(tail, std::memory_order_release);
}

void Mixer::Retire(const SoundData* p) noexcept
{
    const std::uint32_t head = m_ringHead.load(std::memory_order_relaxed);
    const std::uint32_t tail = m_ringTail.load(std::memory_order_acquire);
    if (head - tail >= RingSize)
        return;   // cannot happen while the UI collects; the sound then stays held, not lost
    m_ring[head % RingSize] = p;
    m_ringHead.store(head + 1, std::memory_order_release);
}

void Mixer::BeginFade(Voice& v, int fadeFrames) noexcept
{
    Voice* slot = nullptr;
    for (Voice& f : m_fading)
        if (!f.sound) {
            slot = &f;
            break;
        }
    if (!slot) {
        // All tails busy: the quietest (nearest its end) goes at once.
        slot = &m_fading[0];
        for (Voice& f : m_fading)
            if (f.fadeLeft < slot->fadeLeft)
                slot = &f;
        Retire(slot->sound);
    }
    *slot = v;
    slot->fadeLeft = fadeFrames;
    slot->fadeTotal = fadeFrames;
    v = Voice{};
}

bool Mixer::Mix(Voice& v, float* out, int frames, std::uint64_t step) noexcept
{
    const Kernel& k = TheKernel();
    const float* base = v.sound->Samples() - (HalfTaps - 1);
    const std::uint64_t end = std::uint64_t(v.sound->frames + HalfTaps) << 32;
    for (int i = 0; i < frames; ++i) {
        if (v.pos >= end)
            return false;
        float gain = VoiceGain * v.gain;
        if (v.fadeTotal) {
            if (v.fadeLeft <= 0)
                return false;
            gain *= float(v.fadeLeft) / float(v.fadeTotal);
            --v.fadeLeft;
        }
        const std::uint32_t n = std::uint32_t(v.pos >> 32);
        const std::uint32_t frac = std::uint32_t(v.pos);
        const std::uint32_t phase = frac >> (32 - PhaseBits);
        const float blend = float(frac & ((1u << (32 - PhaseBits)) - 1)) * (1.0f / float(1u << (32 - PhaseBits)));
        const float* x = base + n;
        const float s0 = Dot(x, k.c[phase]);
        const float s1 = Dot(x, k.c[phase + 1]);
        out[i] += gain * (s0 + blend * (s1 - s0));
        v.pos += step;
    }
    return v.pos < end && !(v.fadeTotal && v.fadeLeft <= 0);
}

bool Mixer::StartAt(int voice, std::shared_ptr<const SoundData> sound, std::uint64_t frame)
{
    if (voice < 0 || voice > ClickVoice || !sound)
        return false;
    Collect();
    if (!m_timed.Push(Timed{sound.get(), frame, 0, voice}))
        return false;
    m_held.push_back(std::move(sound));   // before the renderer can retire it: Collect runs on this thread
    return true;
}

void Mixer::CancelScheduled()
{
    m_timed.Cancel();
    Collect();
}

void Mixer::SetSource(IMixSource* source)
{
    m_source.store(source);
    // The renderer may have taken the old one just before: wait out that one render.
    while (m_inSource.load())
        std::this_thread::yield();
}

void Mixer::Take(int voice, const SoundData* p, int fadeFrames, float gain) noexcept
{
    if (m_voice[voice].sound)
        BeginFade(m_voice[voice], fadeFrames);
    if (p != &StopRequest) {
        m_voice[voice] = Voice{};
        m_voice[voice].sound = p;
        m_voice[voice].gain = gain;
        m_started.fetch_add(1, std::memory_order_acq_rel);
    }
}

void Mixer::MixSegment(float* out, int frames, int rate) noexcept
{
    auto run = [&](Voice& v) {
        if (!v.sound)
            return;
        const std::uint64_t step = (std::uint64_t(v.sound->rate) << 32) / std::uint64_t(rate);
        if (!Mix(v, out, frames, step)) {
            Retire(v.sound);
            v = Voice{};
        }
    };
    for (Voice& v : m_voice)
        run(v);
    for (Voice& v : m_fading)
        run(v);
}

void Mixer::Render(float* out, int frames, int rate) noexcept
{
    if (frames <= 0 || rate <= 0)
        return;
    const int fadeFrames = std::max(1, int(float(rate) * CutFadeSeconds));

    for (int i = 0; i < Voices; ++i)
        if (const SoundData* p = m_next[i].exchange(nullptr, std::memory_order_acq_rel))
            Take(i, p, fadeFrames, m_nextGain[i].load(std::memory_order_relaxed));
    m_timed.Take([](const Timed&, bool current) { return current; }, [this](const Timed& t) { Retire(t.sound); });

    // Mix up to each timed start that falls in this render, start it there, go on.
    std::fill_n(out, frames, 0.0f);
    m_timed.RenderAt(
        m_frame, frames, [&](int at, int n) { MixSegment(out + at, n, rate); },
        [&](const Timed& t) {
            if (t.frame < m_frame)
                m_late.fetch_add(1, std::memory_order_acq_rel);
            Take(t.voice, t.sound, fadeFrames);
        });
    m_inSource.store(true);
    if (IMixSource* source = m_source.load())
        source->Render(out, frames, m_frame, rate);
    m_inSource.store(false);

    int active = 0;
    for (const Voice& v : m_voice)
        active += v.sound != nullptr;
    for (const Voice& v : m_fading)
        active += v.sound != nullptr;

    // Limiter: instant attack down to the threshold, smooth release, then a soft knee
    // so that even the attack of a sudden peak bends instead of clipping.
    const float release = float(1.0 - std::exp(-1.0 / (LimiterReleaseSeconds * rate)));
    float g = m_limiterGain;
    for (int i = 0; i < frames; ++i) {
        const float x = out[i];
        const float a = std::fabs(x);
        if (a * g > LimitThreshold)
            g = LimitThreshold / a;
        float y = x * g;
        g += (1.0f - g) * release;
        const float ay = std::fabs(y);
        if (ay > Knee)
            y = std::copysign(Knee + (1.0f - Knee) * std::tanh((ay - Knee) / (1.0f - Knee)), y);
        out[i] = y;
    }
    m_limiterGain = std::isfinite(g) ? g : 1.0f;
    m_active.store(active, std::memory_order_release);
    m_frame += std::uint64_t(frames);
    m_rate.store(rate, std::memory_order_release);
    m_rendered.store(m_frame, std::memory_order_release);
}
