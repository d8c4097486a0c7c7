#pragma once
// The sampled piano: FluidSynth plays the acoustic grand (bank 0, program 0) of a General
// MIDI SoundFont inside the mixer's render, so there is still one audio stream. FluidSynth is
// reached through the synth module (SynthModule.h), opened when a SoundFont first loads. Notes reach
// the render thread through a fixed queue; the SoundFont loads on a worker thread.
#include "core/sound/Mixer.h"
#include "core/sound/SynthModule.h"
#include "core/sound/TimedEvents.h"
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

// What plays MIDI keys: the sampled piano, or a stand-in in tests.
class IKeyVoice {
public:
    virtual ~IKeyVoice() = default;
    virtual bool Ready() const = 0;
    // key 0..127 (60 is c1), velocity 1..127; frame: the output frame to start at, 0 at once.
    virtual void NoteOn(int key, int velocity, std::uint64_t frame = 0) = 0;
    virtual void NoteOff(int key) = 0;
    virtual void Pedal(bool down) = 0;
    // Drops the notes queued for a later frame that have not sounded yet.
    virtual void CancelScheduled() = 0;
    // The output now runs at `rate` Hz (0: unknown): a voice made for another rate is made again.
    virtual void FollowRate(int rate) = 0;
};

class SampledVoice final : public QObject, public IKeyVoice, public IMixSource {
    Q_OBJECT
public:
    // moduleFolders: where the synth module is looked for.
    explicit SampledVoice(Mixer& mixer, QStringList moduleFolders = SynthModule::DefaultFolders());
    ~SampledVoice() override;

    // Where SoundFonts are looked for.
    static QStringList SystemFolders();
    // The SoundFont to use: the user's own pick when it is a file, else FluidR3_GM.sf2, else
    // the first other .sf2/.sf3 of the folders; empty when there is none.
    static QString FindSoundFont(const QString& userPick, const QStringList& folders = SystemFolders());

    // Reads `path` on a worker thread for output at `rate` Hz; loaded() follows on this
    // object's thread. The voice in use (if any) plays on until the new one is in.
    void Load(const QString& path, int rate);
    bool Loading() const { return m_loading; }
    QString Path() const;   // the SoundFont playing; empty while none
    int Rate() const;       // the rate it renders at; 0 while none

    // Loaded, for the rate the output runs at (while it is made again the built-in voice plays).
    bool Ready() const override { return m_synth != nullptr && (m_outputRate == 0 || Rate() == m_outputRate); }
    void NoteOn(int key, int velocity, std::uint64_t frame = 0) override;
    void NoteOff(int key) override;
    void Pedal(bool down) override;
    void CancelScheduled() override;
    void FollowRate(int rate) override;
    void Render(float* out, int frames, std::uint64_t first, int rate) noexcept override;

    struct Synth;
    // The clock that dates key presses, in nanoseconds (tests step their own). Set before any render.
    void SetClock(std::function<std::int64_t()> clock) { m_clock = std::move(clock); }

Q_SIGNALS:
    // ok: the voice now plays `message` (the path); otherwise message says why not.
    void loaded(bool ok, const QString& message);

private:
    struct Event {
        std::uint64_t frame = 0;     // 0: at once (a live key)
        std::int64_t pushedNs = 0;   // when a live key was pressed
        std::uint32_t generation = 0;
        std::uint8_t kind = 0;
        std::uint8_t key = 0;
        std::uint8_t value = 0;
    };
    static constexpr std::uint32_t QueueSize = 256;

    void Push(std::uint8_t kind, int key, int value, std::uint64_t frame);
    void Install(std::shared_ptr<Synth> synth, const QString& message);
    void Apply(const Event& e) noexcept;
    void Write(float* out, int frames) noexcept;

    Mixer& m_mixer;
    const QStringList m_moduleFolders;
    std::shared_ptr<Synth> m_synth;   // changed only while the mixer has let go of this source
    std::thread m_worker;
    bool m_loading = false;
    int m_outputRate = 0;   // the rate FollowRate last saw; 0 while none
    std::function<std::int64_t()> m_clock;

    TimedQueue<Event, QueueSize> m_queue;   // UI thread → render thread

    // Render thread only.
    bool m_rendered = false;
    std::int64_t m_lastRenderNs = 0;
    std::unique_ptr<float[]> m_left, m_right;
};
