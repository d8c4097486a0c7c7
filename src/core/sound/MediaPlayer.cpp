// A media player on top of the shared mixer: open reads and decodes a WAVE file,
// play hands the decoded sound to this player's voice of the mixer.
#include "core/sound/MediaPlayer.h"
#include "core/Errors.h"
#include "core/sound/AudioOutput.h"
#include "core/sound/Mixer.h"
#include <QFile>

TMediaPlayer::TMediaPlayer(int number, AudioOutput& output) : m_number(number), m_output(output) {}

TMediaPlayer::~TMediaPlayer() = default;

void TMediaPlayer::Open()
{
    Close();
    Load();
}

void TMediaPlayer::Load()
{
    m_sound.reset();
    m_open = false;
    QFile f(m_fileName);
    if (!f.open(QIODevice::ReadOnly))
        Raise(QStringLiteral("无法打开声音文件“%1”。%2").arg(m_fileName, f.errorString()));
    const qint64 size = f.size();
    if (size > 64 * 1024 * 1024)
        Raise(QStringLiteral("无法打开声音文件“%1”。文件太大。").arg(m_fileName));
    if (m_fileBytes.size() < size)
        m_fileBytes.resize(size);
    const qint64 got = f.read(m_fileBytes.data(), size);
    if (got != size)
        Raise(QStringLiteral("无法打开声音文件“%1”。%2").arg(m_fileName, f.errorString()));
    QString why;
    auto sound = SoundData::FromWave(m_fileBytes.constData(), got, &why);
    if (!sound)
        Raise(QStringLiteral("无法打开声音文件“%1”。%2").arg(m_fileName, why));
    m_sound = std::move(sound);
    m_open = true;
}

void TMediaPlayer::Play(float gain)
{
    // Playing with nothing open does nothing, as the media control did.
    if (!m_open || !m_sound)
        return;
    m_output.EnsureOpen();
    m_output.GetMixer().Start(m_number - 1, m_sound, gain);
    ++m_playCount;
}

bool TMediaPlayer::PlayAt(std::uint64_t frame)
{
    if (!m_open || !m_sound)
        return false;
    m_output.EnsureOpen();
    if (!m_output.GetMixer().StartAt(m_number - 1, m_sound, frame))
        return false;
    ++m_playCount;
    return true;
}

void TMediaPlayer::Close()
{
    if (m_open)
        m_output.GetMixer().Stop(m_number - 1);
    m_sound.reset();
    m_open = false;
}
