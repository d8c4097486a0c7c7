// TODO(sound): open through SDL, hand the samples to the mixer.
#include "sound/MediaPlayer.h"

TMediaPlayer::TMediaPlayer(int number) : m_number(number) {}
TMediaPlayer::~TMediaPlayer() = default;
void TMediaPlayer::Open() { m_open = true; }
void TMediaPlayer::Play() { ++m_playCount; }
void TMediaPlayer::Close() { m_open = false; }
