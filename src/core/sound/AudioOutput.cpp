#include "core/sound/AudioOutput.h"
#include "core/sound/SdlLibrary.h"
#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// Short periods keep a key press close to its sound: at most 256 frames at 48 kHz.
constexpr int MaxFramesAt48k = 256;

} // namespace

struct AudioOutput::Device {
    SDL_AudioDeviceID device = 0;
    int rate = 0;
    int frames = 0;
    int channels = 0;
    Mixer* mixer = nullptr;
    std::unique_ptr<float[]> scratch;   // one period of mono mix, allocated before the device starts
    bool sdlStarted = false;
    bool failed = false;          // the last try failed; the next waits for RetryMs
    qint64 failedAt = 0;
    bool said = false;            // this failure streak has been reported
    bool allowed = true;
    // The last callback's first frame and its time, published to the UI as a seqlock.
    std::atomic<std::uint32_t> clockSeq{0};
    std::atomic<std::uint64_t> clockFrame{0};
    std::atomic<std::int64_t> clockNs{0};
    std::atomic<int> callbackFrames{0};
};

namespace {

using Output = AudioOutput::Device;

std::int64_t NowNs()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

void PublishClock(Output& o, int frames) noexcept
{
    const std::uint32_t seq = o.clockSeq.load(std::memory_order_relaxed);
    o.clockSeq.store(seq + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    o.clockFrame.store(o.mixer->RenderedFrames(), std::memory_order_relaxed);
    o.clockNs.store(NowNs(), std::memory_order_relaxed);
    o.callbackFrames.store(frames, std::memory_order_relaxed);
    o.clockSeq.store(seq + 2, std::memory_order_release);
}

// Runs on SDL's audio thread: no allocation, no file access, no locks shared with the UI.
void SDLCALL Callback(void* user, Uint8* stream, int len)
{
    auto* o = static_cast<Output*>(user);
    float* out = reinterpret_cast<float*>(stream);
    int left = len / int(sizeof(float) * o->channels);
    PublishClock(*o, left);
    while (left > 0) {
        const int n = std::min(left, o->frames);
        o->mixer->Render(o->scratch.get(), n, o->rate);
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < o->channels; ++c)
                *out++ = o->scratch[i];
        left -= n;
    }
}

int PeriodFrames(int rate)
{
    const int limit = std::max(16, MaxFramesAt48k * rate / 48000);
    int frames = 16;
    while (frames * 2 <= limit)
        frames *= 2;
    return frames;
}

constexpr qint64 RetryMs = 1000;

qint64 NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// One line per failure streak; the device is tried again at a later note.
void Fail(Output& o, const char* why, qint64 now)
{
    o.failed = true;
    o.failedAt = now;
    if (!o.said)
        std::fprintf(stderr, "tavopiano: no audio output (%s); notes are silent until a device answers\n",
                     why && *why ? why : "unknown");
    o.said = true;
}

SDL_AudioDeviceID OpenAt(Output& o, int rate, SDL_AudioSpec* got)
{
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = Uint16(PeriodFrames(rate));
    want.callback = Callback;
    want.userdata = &o;
    return Sdl()->OpenAudioDevice(nullptr, 0, &want, got, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
}

} // namespace

AudioOutput::AudioOutput() : m_device(std::make_unique<Device>())
{
    m_device->mixer = &m_mixer;
}

AudioOutput::~AudioOutput()
{
    Shutdown();
}

bool AudioOutput::EnsureOpen()
{
    return EnsureOpenAt(NowMs());
}

bool AudioOutput::EnsureOpenAt(qint64 nowMs)
{
    Output& o = *m_device;
    if (o.device && Sdl()->GetAudioDeviceStatus(o.device) == SDL_AUDIO_STOPPED) {
        // The device went away (unplugged, server restarted): start again from scratch.
        Sdl()->CloseAudioDevice(o.device);
        o.device = 0;
        Fail(o, "device lost", nowMs - RetryMs);
    }
    if (o.device)
        return true;
    if (!o.allowed || (o.failed && nowMs - o.failedAt < RetryMs))
        return false;

    Mixer::PrepareResampler();   // before any callback can run
    const char* missing = nullptr;
    const SdlApi* sdl = Sdl(&missing);
    if (!sdl) {
        Fail(o, missing, nowMs);
        return false;
    }
    if (!o.sdlStarted) {
        sdl->SetMainReady();
        sdl->SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Tavo Piano");
        // SDL would otherwise take SIGINT/SIGTERM for its own quit event, which nobody
        // reads here: the program could then not be ended by the system.
        sdl->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (sdl->InitSubSystem(SDL_INIT_AUDIO) != 0) {
            Fail(o, sdl->GetError(), nowMs);
            return false;
        }
        o.sdlStarted = true;
    }

    int rate = 48000;
#if SDL_VERSION_ATLEAST(2, 24, 0)
    SDL_AudioSpec info;
    if (sdl->GetDefaultAudioInfo && sdl->GetDefaultAudioInfo(nullptr, &info, 0) == 0 && info.freq > 0)
        rate = info.freq;
#endif
    SDL_AudioSpec got;
    SDL_AudioDeviceID dev = OpenAt(o, rate, &got);
    if (dev && got.samples > PeriodFrames(got.freq)) {
        // The device chose a lower rate than asked: reopen with a period that fits it.
        sdl->CloseAudioDevice(dev);
        dev = OpenAt(o, got.freq, &got);
    }
    if (!dev) {
        Fail(o, sdl->GetError(), nowMs);
        return false;
    }
    o.failed = false;
    o.said = false;
    o.device = dev;
    o.rate = got.freq;
    o.channels = got.channels;
    o.frames = got.samples;
    o.scratch = std::make_unique<float[]>(size_t(o.frames));
    o.clockNs.store(0, std::memory_order_relaxed);   // paused: no callback runs yet
    sdl->PauseAudioDevice(dev, 0);
    return true;
}

bool AudioOutput::IsOpen() const
{
    return m_device->device != 0;
}

int AudioOutput::DeviceRate() const
{
    return m_device->device ? m_device->rate : 0;
}

int AudioOutput::DeviceFrames() const
{
    return m_device->device ? m_device->frames : 0;
}

std::uint64_t AudioOutput::OutputFrame() const
{
    const Output& o = *m_device;
    const std::uint64_t rendered = m_mixer.RenderedFrames();
    if (!o.device)
        return rendered;
    std::uint64_t frame;
    std::int64_t ns;
    int period;
    for (;;) {
        const std::uint32_t s1 = o.clockSeq.load(std::memory_order_acquire);
        frame = o.clockFrame.load(std::memory_order_relaxed);
        ns = o.clockNs.load(std::memory_order_relaxed);
        period = o.callbackFrames.load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (!(s1 & 1) && s1 == o.clockSeq.load(std::memory_order_relaxed))
            break;
    }
    if (ns == 0)
        return rendered;   // no callback yet
    const double since = double(std::max<std::int64_t>(0, NowNs() - ns)) * 1e-9 * o.rate;
    const double heard = double(frame) - period + since;
    if (heard <= 0)
        return 0;
    return std::min(rendered, std::uint64_t(heard));
}

int AudioOutput::OutputRate() const
{
    return m_device->device ? m_device->rate : m_mixer.RenderRate();
}

void AudioOutput::SetDeviceAllowed(bool allowed)
{
    Output& o = *m_device;
    o.allowed = allowed;
    if (!allowed && o.device) {
        Sdl()->CloseAudioDevice(o.device);
        o.device = 0;
    }
}

void AudioOutput::Shutdown()
{
    Output& o = *m_device;
    if (o.device) {
        Sdl()->CloseAudioDevice(o.device);   // returns once the callback has stopped
        o.device = 0;
    }
    if (o.sdlStarted) {
        const SdlApi* sdl = Sdl();
        sdl->QuitSubSystem(SDL_INIT_AUDIO);
        o.sdlStarted = false;
        if (sdl->WasInit(SDL_INIT_EVERYTHING) == 0)
            sdl->Quit();
    }
    if (o.mixer)
        o.mixer->Collect();
}
