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

// A cell of the drawing benches' page (song 1): notes of every length and octave, a bar line
// every tenth cell, six or seven slurs a page.
inline SongRecord PageRow(int n)
{
    SongRecord r;
    r.SongID = 1;
    r.SeqID = n;
    if (n % 10 == 0) {
        r.SongNote = QStringLiteral("9");
        r.OpernLong = QStringLiteral("0");
        r.OpernHigh = QStringLiteral("0");
        r.Conn = 2;
        r.InfoType = QStringLiteral("2");
    } else {
        r.SongNote = QString::number((n - 1) % 7 + 1);
        r.OpernLong = QString::number(n % 3);
        r.OpernHigh = QString::number((n / 7) % 3);
        r.Conn = (n % 105) % 16 == 1 ? 2 : 0;
        r.InfoType = QStringLiteral("1");
    }
    return r;
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
