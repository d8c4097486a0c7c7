#pragma once
// Shared set-up of the benchmarks.
#include "core/score/SongRecord.h"
#include "core/sound/NotePlayer.h"
#include "core/sound/SoundFiles.h"
#include "core/sound/Voices.h"
#include <algorithm>
#include <vector>

// The middle of the measured values; 0 when none.
inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Writes every sound file into tempDir and points the player at them, as start-up does.
inline void PrepareSounds(NotePlayer& player, const QString& tempDir)
{
    VoiceBank voices;
    voices.Fill();
    ExtractSounds(voices.SoundNames, tempDir);
    player.SetSounds(tempDir, voices.Current);
}

// A library of full-length songs (500 rows each).
inline SongTableType SyntheticSongs(int songs)
{
    SongTableType rows;
    for (int song = 1; song <= songs; ++song)
        for (int seq = 0; seq < 500; ++seq) {
            SongRecord r;
            r.SongID = song;
            r.SeqID = seq;
            r.SongName = QStringLiteral("第%1首歌 Song number %1").arg(song);
            r.SongNote = seq ? QString::number(seq % 8) : QStringLiteral("佚名");
            r.OpernLong = QString::number(seq % 3);
            r.OpernHigh = QString::number(seq % 3);
            r.Conn = seq % 4;
            r.InfoType = seq ? QStringLiteral("1") : QStringLiteral("0");
            r.SongDate = QStringLiteral("20260101");
            rows.push_back(r);
        }
    return rows;
}
