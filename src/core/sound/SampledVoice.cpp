#include "core/sound/SampledVoice.h"
#include "core/sound/TimedEvents.h"
#include "core/platform/FileSystem.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <fluidsynth.h>
#include <algorithm>

namespace {

constexpr int ScratchFrames = 1024;
constexpr qint64 MaxSoundFontBytes = qint64(2) << 30;   // FluidSynth holds the whole file in memory
constexpr double SynthGain = 2.0;   // FluidR3's grand then meets the built-in voice's level

enum Kind : std::uint8_t { On, Off, PedalCc };

// FluidSynth reports through its own log; our caller reports a failure once, in Chinese.
void QuietFluidLog()
{
    static const bool once = [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, nullptr, nullptr);
        return true;
    }();
    (void)once;
}

} // namespace

struct SampledVoice::Synth {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    int rate = 0;
    QString path;
    ~Synth()
    {
        if (synth)
            delete_fluid_synth(synth);
        if (settings)
            delete_fluid_settings(settings);
    }
};

namespace {

std::shared_ptr<SampledVoice::Synth> Build(const QString& path, int rate, QString* error)
{
    QuietFluidLog();
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > MaxSoundFontBytes) {
        *error = QStringLiteral("音色库“%1”不存在或太大，仍用标准音色。").arg(QDir::toNativeSeparators(path));
        return nullptr;
    }
    // Only RIFF "sfbk" files reach FluidSynth: its other loaders complain loudly about anything else.
    QFile file(path);
    qint64 size = 0;
    QString why;
    if (Platform::OpenRegularFile(path, file, &size, &why) != Platform::OpenFault::None ||
        file.read(12).mid(8) != "sfbk") {
        *error = QStringLiteral("音色库“%1”无法读取，仍用标准音色。").arg(QDir::toNativeSeparators(path));
        return nullptr;
    }
    file.close();
    auto s = std::make_shared<SampledVoice::Synth>();
    s->rate = rate;
    s->path = path;
    s->settings = new_fluid_settings();
    fluid_settings_setnum(s->settings, "synth.sample-rate", rate);
    fluid_settings_setint(s->settings, "synth.threadsafe-api", 0);   // only the render thread calls it
    fluid_settings_setint(s->settings, "synth.chorus.active", 0);
    fluid_settings_setint(s->settings, "synth.polyphony", 128);
    fluid_settings_setnum(s->settings, "synth.gain", SynthGain);
    s->synth = new_fluid_synth(s->settings);
    if (!s->synth) {
        *error = QStringLiteral("FluidSynth 无法启动，仍用标准音色。");
        return nullptr;
    }
    const int id = fluid_synth_sfload(s->synth, QFile::encodeName(path).constData(), 0);
    fluid_sfont_t* font = id == FLUID_FAILED ? nullptr : fluid_synth_get_sfont_by_id(s->synth, id);
    if (!font) {
        *error = QStringLiteral("音色库“%1”无法读取，仍用标准音色。").arg(QDir::toNativeSeparators(path));
        return nullptr;
    }
    if (!fluid_sfont_get_preset(font, 0, 0) || fluid_synth_program_select(s->synth, 0, id, 0, 0) != FLUID_OK) {
        *error = QStringLiteral("音色库“%1”里没有钢琴音色（0 号音色），仍用标准音色。").arg(QDir::toNativeSeparators(path));
        return nullptr;
    }
    return s;
}

} // namespace

SampledVoice::SampledVoice(Mixer& mixer)
    : m_mixer(mixer), m_left(std::make_unique<float[]>(ScratchFrames)), m_right(std::make_unique<float[]>(ScratchFrames))
{
}

SampledVoice::~SampledVoice()
{
    if (m_worker.joinable())
        m_worker.join();
    m_mixer.SetSource(nullptr);
}

QStringList SampledVoice::SystemFolders()
{
    return {QStringLiteral("/usr/share/sounds/sf2"), QStringLiteral("/usr/share/sounds/sf3")};
}

QString SampledVoice::FindSoundFont(const QString& userPick, const QStringList& folders)
{
    if (!userPick.isEmpty() && QFileInfo(userPick).isFile())
        return userPick;
    for (const QString& folder : folders)
        if (const QString first = QDir(folder).filePath(QStringLiteral("FluidR3_GM.sf2")); QFileInfo(first).isFile())
            return first;
    for (const QString& folder : folders) {
        const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*.sf2"), QStringLiteral("*.sf3")},
                                                               QDir::Files | QDir::Readable, QDir::Name);
        if (!files.isEmpty())
            return files.first().filePath();
    }
    return {};
}

void SampledVoice::Load(const QString& path, int rate)
{
    if (m_worker.joinable())
        m_worker.join();
    m_loading = true;
    m_worker = std::thread([this, path, rate] {
        QString error;
        std::shared_ptr<Synth> synth = Build(path, rate, &error);
        QMetaObject::invokeMethod(
            this, [this, synth, error] { Install(synth, error); }, Qt::QueuedConnection);
    });
}

void SampledVoice::Install(std::shared_ptr<Synth> synth, const QString& message)
{
    if (m_worker.joinable())
        m_worker.join();
    m_loading = false;
    if (!synth) {
        Q_EMIT loaded(false, message);
        return;
    }
    m_mixer.SetSource(nullptr);
    m_synth = std::move(synth);
    m_mixer.SetSource(this);
    Q_EMIT loaded(true, m_synth->path);
}

QString SampledVoice::Path() const { return m_synth ? m_synth->path : QString(); }
int SampledVoice::Rate() const { return m_synth ? m_synth->rate : 0; }

void SampledVoice::Push(std::uint8_t kind, int key, int value, std::uint64_t frame)
{
    if (key < 0 || key > 127)
        return;
    const std::uint32_t tail = m_tail.load(std::memory_order_relaxed);
    if (tail - m_head.load(std::memory_order_acquire) >= QueueSize)
        return;   // the renderer is not running: nothing would sound anyway
    m_queue[tail % QueueSize] = Event{frame, m_generation.load(std::memory_order_relaxed), kind, std::uint8_t(key),
                                      std::uint8_t(std::clamp(value, 0, 127))};
    m_tail.store(tail + 1, std::memory_order_release);
}

void SampledVoice::NoteOn(int key, int velocity, std::uint64_t frame) { Push(On, key, std::max(1, velocity), frame); }
void SampledVoice::NoteOff(int key) { Push(Off, key, 0, 0); }
void SampledVoice::Pedal(bool down) { Push(PedalCc, 64, down ? 127 : 0, 0); }
void SampledVoice::CancelScheduled() { m_generation.fetch_add(1, std::memory_order_acq_rel); }

void SampledVoice::Apply(const Event& e) noexcept
{
    fluid_synth_t* s = m_synth->synth;
    switch (e.kind) {
    case On: fluid_synth_noteon(s, 0, e.key, e.value); break;
    case Off: fluid_synth_noteoff(s, 0, e.key); break;
    default: fluid_synth_cc(s, 0, e.key, e.value); break;
    }
}

void SampledVoice::Write(float* out, int frames) noexcept
{
    while (frames > 0) {
        const int n = std::min(frames, ScratchFrames);
        fluid_synth_write_float(m_synth->synth, n, m_left.get(), 0, 1, m_right.get(), 0, 1);
        for (int i = 0; i < n; ++i)
            out[i] += 0.5f * (m_left[i] + m_right[i]);
        out += n;
        frames -= n;
    }
}

void SampledVoice::Render(float* out, int frames, std::uint64_t first, int rate) noexcept
{
    std::uint32_t head = m_head.load(std::memory_order_relaxed);
    const std::uint32_t tail = m_tail.load(std::memory_order_acquire);
    while (head != tail && m_pendingCount < int(QueueSize))
        m_pending[m_pendingCount++] = m_queue[head++ % QueueSize];
    m_head.store(head, std::memory_order_release);
    // Read after the queue: an event queued after a cancel already carries the new generation.
    const std::uint32_t generation = m_generation.load(std::memory_order_acquire);
    int kept = 0;
    for (int i = 0; i < m_pendingCount; ++i)
        if (m_pending[i].generation == generation || m_pending[i].frame == 0)
            m_pending[kept++] = m_pending[i];
    m_pendingCount = kept;
    if (!m_synth || rate != m_synth->rate) {
        m_pendingCount = 0;
        return;
    }

    // Render up to each event that falls in this period, apply it there, go on.
    RenderAtEvents(m_pending, m_pendingCount, first, frames, [&](int at, int n) { Write(out + at, n); },
                   [&](const Event& e) { Apply(e); });
}
