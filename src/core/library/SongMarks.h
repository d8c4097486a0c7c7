#pragma once
// The extra table beside the song table: what its rows cannot say (the key, the meter, the
// alteration of a note), one mark per fact, by song and record. The song table stays exactly
// as it always was, so a reader that knows only that table still reads the diatonic song.
// This is the one place that names the extra table's columns. The table is made when the
// first song that needs it is saved or imported; a library without it reads as before.
#include "core/library/Database.h"
#include "core/library/SongRows.h"
#include "core/score/Song.h"
#include <QStringList>

inline constexpr char SongMarkTableName[] = "TableCfgMark";
// The most marks a library can need: every record of every song, and the header's two.
inline constexpr int LibraryMarkLimit = LibrarySongLimit * (Score::EntryRecordCount + 2);

// The statement that makes the extra table when it is missing.
QString SongMarkTableSchema();

enum class MarkTableState {
    Missing,
    Ordinary,
    Foreign,   // something else of that name, or a table that runs triggers: never read or written
};
MarkTableState SongMarkTableState(TADOConnection& conn);

// Every mark of the library that fits a row of table. The others, and an extra table that is
// foreign or holds more than LibraryMarkLimit rows (then none is read), are named in refused.
SongMarkTable ReadLibraryMarks(TADOConnection& conn, const SongTableType& table, QStringList& refused);
// The marks of song songId that fit its rows (as ReadSong gave them); others are left out.
SongMarkTable ReadSongMarks(TADOConnection& conn, const SongTableType& rows, int songId);

// Inside the caller's transaction: the marks an older song of number songId left go, then
// marks go in under songId (their own SongID is not kept), the table made when first needed.
// A foreign extra table refuses marks with a message.
void WriteSongMarks(TADOConnection& conn, int songId, const SongMarkTable& marks);
// Inside the caller's transaction: every mark of song songId goes.
void DeleteSongMarks(TADOConnection& conn, int songId);
