#pragma once
// The sampled piano: FluidSynth plays the acoustic grand (bank 0, program 0) of a General
// MIDI SoundFont inside the mixer's render, so there is still one audio stream. Notes reach
// the render thread through a fixed queue; the SoundFont loads on a worker thread.
#include "core/sound/Mixer.h"
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
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
};

class SampledVoice final : public QObject, public IKeyVoice, public IMixSource {
    Q_OBJECT
public:
    explicit SampledVoice(Mixer& mixer);
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

    bool Ready() const override { return m_synth != nullptr; }
    void NoteOn(int key, int velocity, std::uint64_t frame = 0) override;
    void NoteOff(int key) override;
    void Pedal(bool down) override;
    void CancelScheduled() override;
    void Render(float* out, int frames, std::uint64_t first, int rate) noexcept override;

    struct Synth;

Q_SIGNALS:
    // ok: the voice now plays `message` (the path); otherwise message says why not.
    void loaded(bool ok, const QString& message);

private:
    struct Event {
        std::uint64_t frame = 0;
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
    std::shared_ptr<Synth> m_synth;   // changed only while the mixer has let go of this source
    std::thread m_worker;
    bool m_loading = false;

    // UI thread → render thread.
    Event m_queue[QueueSize];
    std::atomic<std::uint32_t> m_head{0};   // written by the renderer
    std::atomic<std::uint32_t> m_tail{0};   // written by the UI thread
    std::atomic<std::uint32_t> m_generation{0};

    // Render thread only.
    Event m_pending[QueueSize];
    int m_pendingCount = 0;
    std::unique_ptr<float[]> m_left, m_right;
};
