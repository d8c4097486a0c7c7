// A media player on top of the shared mixer: open takes a decoded WAVE file from the cache,
// play hands the decoded sound to this player's voice of the mixer.
#include "core/sound/MediaPlayer.h"
#include "core/sound/AudioOutput.h"
#include "core/sound/Mixer.h"
#include "core/sound/SampleCache.h"

TMediaPlayer::TMediaPlayer(int number, AudioOutput& output, SampleCache& samples)
    : m_number(number), m_output(output), m_samples(samples)
{
}

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
    m_sound = m_samples.Sound(m_fileName);
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
