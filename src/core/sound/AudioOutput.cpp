#include "core/sound/AudioOutput.h"
#include "core/sound/Mixer.h"
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// Short periods keep a key press close to its sound: at most 256 frames at 48 kHz.
constexpr int MaxFramesAt48k = 256;

struct Output {
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
    bool hooked = false;
};

Output& Out()
{
    static Output o;
    return o;
}

// Runs on SDL's audio thread: no allocation, no file access, no locks shared with the UI.
void SDLCALL Callback(void* user, Uint8* stream, int len)
{
    auto* o = static_cast<Output*>(user);
    float* out = reinterpret_cast<float*>(stream);
    int left = len / int(sizeof(float) * o->channels);
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
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
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

void ShutdownAtExit()
{
    AudioOutput::Shutdown();
}

SDL_AudioDeviceID OpenAt(int rate, SDL_AudioSpec* got)
{
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = Uint16(PeriodFrames(rate));
    want.callback = Callback;
    want.userdata = &Out();
    return SDL_OpenAudioDevice(nullptr, 0, &want, got, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
}

} // namespace

Mixer& AudioOutput::SharedMixer()
{
    static Mixer mixer;
    // Registered after the mixer exists, so the device closes before the mixer goes.
    static const bool registered = (std::atexit(ShutdownAtExit), true);
    (void)registered;
    return mixer;
}

bool AudioOutput::EnsureOpen()
{
    return EnsureOpenAt(NowMs());
}

bool AudioOutput::EnsureOpenAt(qint64 nowMs)
{
    Output& o = Out();
    if (o.device && SDL_GetAudioDeviceStatus(o.device) == SDL_AUDIO_STOPPED) {
        // The device went away (unplugged, server restarted): start again from scratch.
        SDL_CloseAudioDevice(o.device);
        o.device = 0;
        Fail(o, "device lost", nowMs - RetryMs);
    }
    if (o.device)
        return true;
    if (!o.allowed || (o.failed && nowMs - o.failedAt < RetryMs))
        return false;
    o.mixer = &SharedMixer();
    if (!o.hooked && QCoreApplication::instance()) {
        qAddPostRoutine(ShutdownAtExit);
        o.hooked = true;
    }

    if (!o.sdlStarted) {
        SDL_SetMainReady();
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Tavo Piano");
        // SDL would otherwise take SIGINT/SIGTERM for its own quit event, which nobody
        // reads here: the program could then not be ended by the system.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            Fail(o, SDL_GetError(), nowMs);
            return false;
        }
        o.sdlStarted = true;
    }

    int rate = 48000;
#if SDL_VERSION_ATLEAST(2, 24, 0)
    SDL_AudioSpec info;
    if (SDL_GetDefaultAudioInfo(nullptr, &info, 0) == 0 && info.freq > 0)
        rate = info.freq;
#endif
    SDL_AudioSpec got;
    SDL_AudioDeviceID dev = OpenAt(rate, &got);
    if (dev && got.samples > PeriodFrames(got.freq)) {
        // The device chose a lower rate than asked: reopen with a period that fits it.
        SDL_CloseAudioDevice(dev);
        dev = OpenAt(got.freq, &got);
    }
    if (!dev) {
        Fail(o, SDL_GetError(), nowMs);
        return false;
    }
    o.failed = false;
    o.said = false;
    o.device = dev;
    o.rate = got.freq;
    o.channels = got.channels;
    o.frames = got.samples;
    o.scratch = std::make_unique<float[]>(size_t(o.frames));
    SDL_PauseAudioDevice(dev, 0);
    return true;
}

bool AudioOutput::IsOpen()
{
    return Out().device != 0;
}

int AudioOutput::DeviceRate()
{
    return Out().device ? Out().rate : 0;
}

int AudioOutput::DeviceFrames()
{
    return Out().device ? Out().frames : 0;
}

void AudioOutput::SetDeviceAllowed(bool allowed)
{
    Out().allowed = allowed;
    if (!allowed && Out().device) {
        SDL_CloseAudioDevice(Out().device);
        Out().device = 0;
    }
}

void AudioOutput::Shutdown()
{
    Output& o = Out();
    if (o.device) {
        SDL_CloseAudioDevice(o.device);   // returns once the callback has stopped
        o.device = 0;
    }
    if (o.sdlStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        o.sdlStarted = false;
        if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
            SDL_Quit();
    }
    if (o.mixer)
        o.mixer->Collect();
}
