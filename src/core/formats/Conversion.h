#pragma once
// A melody read from another program's file, written as numbered notation: the rows
// of one song as the library stores them, and a plain account of what had to change.
#include "core/formats/Melody.h"
#include "core/score/Song.h"
#include <QString>
#include <QStringList>

struct ConvertedSong {
    Song song;
    QString date;         // the day every row of it carries
    QString summary;      // "原调 1=G；3 个音已移入音域；..."
    int noteCount = 0;    // notes written (ties counted once)
    int Cells() const { return int(song.cells.size()); }
    // The song's rows as the library stores them, under SongID 1.
    SongTableType Rows() const { return SongToRows(song, 1, date); }
};

// The cells a stored song may hold after its header.
inline constexpr int ConvertedCellLimit = Score::EntryRecordCount - 1;

// Converts part `part` of the melody. An empty title in the file takes fallbackTitle;
// every row carries songDate. A part with no notes raises a TavoError.
ConvertedSong ConvertMelody(const Melody& melody, int part, const QString& fallbackTitle, const QString& songDate);

// Keeps whole bars from the start while the cells stay within maxCells (a first bar
// longer than that is cut inside). Arcs that would reach past the end are dropped.
void KeepFirstBars(ConvertedSong& song, int maxCells = ConvertedCellLimit);

// The parts as the chooser lists them: "name（N 个音）".
QStringList MelodyPartLabels(const Melody& melody);

// "1=G", "1=♭B": the key note of a signature of that many fifths.
QString KeyName(int fifths);
