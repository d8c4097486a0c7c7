#pragma once
// The plain-text numbered notation of the starter library (assets/songs.txt, whose
// head documents it) turned into rows of the song table in their saved form.
#include "core/score/SongRecord.h"
#include <QString>
#include <vector>

struct SongTextSong {
    QString title;
    int firstLine = 0;        // line of its "title:" header, counted from 1
    int bars = 0;             // bars checked (a closing bar line is not needed)
    SongTableType rows;       // header row, then one row per cell
};

// Parses the whole text; songs are numbered 1, 2, 3 ... in the order they appear and
// every row carries songDate ("YYYYMMDD"). A fault raises a TavoError whose text
// starts with "line N: ".
std::vector<SongTextSong> ParseSongText(const QString& text, const QString& songDate);

// All rows of the songs, in order.
SongTableType SongTextRows(const std::vector<SongTextSong>& songs);
