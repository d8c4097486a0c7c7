#include "core/sound/NotePlayer.h"
#include "core/sound/MediaPlayer.h"
#include "core/sound/SdlLibrary.h"
#include <algorithm>

NotePlayer::NotePlayer()
{
    for (int i = 0; i < 3; ++i)
        m_players[size_t(i)] = std::make_unique<TMediaPlayer>(i + 1, m_audio, m_samples);
}

NotePlayer::~NotePlayer()
{
    if (m_preparing.joinable())
        m_preparing.join();
}

void NotePlayer::SetSounds(const QString& tempDir, const VoiceTable& voice)
{
    m_tempDir = tempDir;
    m_voice = voice;
}

TMediaPlayer* NotePlayer::Player(int turn) const
{
    return turn >= 1 && turn <= 3 ? m_players[size_t(turn - 1)].get() : nullptr;
}

TMediaPlayer* NotePlayer::NextPlayer(int slot, const VoiceTable& voice)
{
    // The turn moves first: a name outside the table still uses up a player.
    m_turn = m_turn == 3 ? 1 : m_turn + 1;
    if (slot < 0 || slot >= int(voice.size()))
        return nullptr;
    TMediaPlayer* player = Player(m_turn);
    player->SetFileName(m_tempDir + voice[size_t(slot)] + QStringLiteral(".dat"));
    return player;
}

void NotePlayer::PlayNote(const QString& name, const VoiceTable& voice)
{
    if (TMediaPlayer* player = NextPlayer(NoteSlot(name), voice)) {
        player->Open();   // cuts off whatever this player was still sounding
        player->Play();
    }
}

int NotePlayer::FoldSlot(int slot, int count)
{
    if (count < 12)
        return slot >= 0 && slot < count ? slot : -1;
    if (slot < 0)
        slot += (-slot + 11) / 12 * 12;
    if (slot >= count)
        slot -= (slot - count) / 12 * 12 + 12;
    return slot;
}

void NotePlayer::PlaySlot(int slot, int velocity)
{
    slot = FoldSlot(slot, int(m_voice.size()));
    if (slot < 0)
        return;
    if (TMediaPlayer* player = NextPlayer(slot, m_voice)) {
        player->Open();
        const float v = float(std::clamp(velocity, 1, 127)) / 96.0f;
        player->Play(v * v);
    }
}

void NotePlayer::ScheduleNote(const QString& note, std::uint64_t frame)
{
    if (TMediaPlayer* player = NextPlayer(NoteSlot(note), m_voice)) {
        player->Load();
        player->PlayAt(frame);
    }
}

void NotePlayer::EnsureClicks()
{
    if (!m_clicks[0])
        m_clicks = {SoundData::Click(false), SoundData::Click(true)};
}

void NotePlayer::Prepare()
{
    EnsureClicks();
    if (m_preparing.joinable())
        return;
    m_preparing = std::thread([] {
        Mixer::PrepareResampler();
        Sdl();
    });
}

void NotePlayer::ScheduleClick(std::uint64_t frame, bool accent)
{
    EnsureClicks();
    m_audio.GetMixer().StartAt(Mixer::ClickVoice, m_clicks[accent ? 1 : 0], frame);
}

void NotePlayer::CancelScheduled()
{
    m_audio.GetMixer().CancelScheduled();
}

int NotePlayer::OutputRate()
{
    m_audio.EnsureOpen();
    return m_audio.OutputRate();
}
