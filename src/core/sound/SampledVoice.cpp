#include "core/sound/SampledVoice.h"
#include "core/sound/TimedEvents.h"
#include "core/platform/FileSystem.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include "core/sound/SynthModule.h"
#include <algorithm>
#include <chrono>

namespace {

constexpr int ScratchFrames = 1024;
constexpr qint64 MaxSoundFontBytes = qint64(2) << 30;   // FluidSynth holds the whole file in memory
constexpr double SynthGain = 2.0;   // FluidR3's grand then meets the built-in voice's level

enum Kind : std::uint8_t { On, Off, PedalCc };

// A render this many periods after the last one follows a stall (a lost device, a restarted
// sound server); a callback that is merely late comes sooner.
constexpr std::int64_t ResumeGapPeriods = 8;

std::int64_t SteadyNs()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

struct SampledVoice::Synth {
    const TavoSynthApi* api = nullptr;
    void* synth = nullptr;
    int rate = 0;
    QString path;
    ~Synth()
    {
        if (synth)
            api->destroy(synth);
    }
};

namespace {

std::shared_ptr<SampledVoice::Synth> Build(const QString& path, int rate, const QStringList& moduleFolders,
                                           QString* error)
{
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
    const TavoSynthApi* api = SynthModule::Open(moduleFolders, error);
    if (!api)
        return nullptr;
    auto s = std::make_shared<SampledVoice::Synth>();
    s->api = api;
    s->rate = rate;
    s->path = path;
    s->synth = api->create(rate, SynthGain);
    if (!s->synth) {
        *error = QStringLiteral("FluidSynth 无法启动，仍用标准音色。");
        return nullptr;
    }
    switch (api->loadPiano(s->synth, QFile::encodeName(path).constData())) {
    case 0: break;
    case 2:
        *error = QStringLiteral("音色库“%1”里没有钢琴音色（0 号音色），仍用标准音色。").arg(QDir::toNativeSeparators(path));
        return nullptr;
    default:
        *error = QStringLiteral("音色库“%1”无法读取，仍用标准音色。").arg(QDir::toNativeSeparators(path));
        return nullptr;
    }
    return s;
}

} // namespace

SampledVoice::SampledVoice(Mixer& mixer, QStringList moduleFolders)
    : m_mixer(mixer), m_moduleFolders(std::move(moduleFolders)), m_clock(SteadyNs),
      m_left(std::make_unique<float[]>(ScratchFrames)), m_right(std::make_unique<float[]>(ScratchFrames))
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
    m_outputRate = rate;
    m_worker = std::thread([this, path, rate, folders = m_moduleFolders] {
        QString error;
        std::shared_ptr<Synth> synth = Build(path, rate, folders, &error);
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
    if (m_outputRate > 0 && m_synth->rate != m_outputRate)
        Load(m_synth->path, m_outputRate);   // the output changed rate while this one loaded
}

void SampledVoice::FollowRate(int rate)
{
    if (rate <= 0 || rate == m_outputRate)
        return;
    m_outputRate = rate;
    // A synth renders at one rate only: until it is made again, Ready() is false and the built-in voice plays.
    if (m_synth && !m_loading && m_synth->rate != rate)
        Load(m_synth->path, rate);
}

QString SampledVoice::Path() const { return m_synth ? m_synth->path : QString(); }
int SampledVoice::Rate() const { return m_synth ? m_synth->rate : 0; }

void SampledVoice::Push(std::uint8_t kind, int key, int value, std::uint64_t frame)
{
    if (key < 0 || key > 127)
        return;
    // A full queue means the renderer is not running: the key is lost either way.
    m_queue.Push(
        Event{frame, frame ? 0 : m_clock(), 0, kind, std::uint8_t(key), std::uint8_t(std::clamp(value, 0, 127))});
}

void SampledVoice::NoteOn(int key, int velocity, std::uint64_t frame) { Push(On, key, std::max(1, velocity), frame); }
void SampledVoice::NoteOff(int key) { Push(Off, key, 0, 0); }
void SampledVoice::Pedal(bool down) { Push(PedalCc, 64, down ? 127 : 0, 0); }
void SampledVoice::CancelScheduled() { m_queue.Cancel(); }

void SampledVoice::Apply(const Event& e) noexcept
{
    const TavoSynthApi& api = *m_synth->api;
    switch (e.kind) {
    case On: api.noteOn(m_synth->synth, e.key, e.value); break;
    case Off: api.noteOff(m_synth->synth, e.key); break;
    default: api.control(m_synth->synth, e.key, e.value); break;
    }
}

void SampledVoice::Write(float* out, int frames) noexcept
{
    while (frames > 0) {
        const int n = std::min(frames, ScratchFrames);
        m_synth->api->write(m_synth->synth, n, m_left.get(), m_right.get());
        for (int i = 0; i < n; ++i)
            out[i] += 0.5f * (m_left[i] + m_right[i]);
        out += n;
        frames -= n;
    }
}

void SampledVoice::Render(float* out, int frames, std::uint64_t first, int rate) noexcept
{
    const std::int64_t now = m_clock();
    const std::int64_t periodNs = std::int64_t(frames) * 1000000000 / std::max(rate, 1);
    // Keys pressed while nothing rendered would all sound at once when it resumes: only those
    // of the last period still start. Releases and the pedal still apply, so nothing hangs.
    const bool resumed = !m_rendered || now - m_lastRenderNs > ResumeGapPeriods * periodNs;
    m_rendered = true;
    m_lastRenderNs = now;
    m_queue.Take(
        [&](const Event& e, bool current) {
            if (e.frame != 0)
                return current;   // a cancel drops the timed notes only
            return !(resumed && e.kind == On && now - e.pushedNs > periodNs);
        },
        [](const Event&) {});
    if (!m_synth || rate != m_synth->rate) {
        m_queue.Clear();
        return;
    }

    // Render up to each event that falls in this period, apply it there, go on.
    m_queue.RenderAt(
        first, frames, [&](int at, int n) { Write(out + at, n); }, [&](const Event& e) { Apply(e); });
}
