#pragma once
// The song table's one door: its column list, reading a row, binding a row, and adding a
// whole song. Every other piece of code goes through here to name the table's columns.
#include "core/library/Database.h"
#include "core/score/Song.h"
#include "core/score/SongRecord.h"
#include <QDate>
#include <QString>
#include <QVariantList>
#include <optional>

// A notice row is recent while today minus its date, both read as YYYYMMDD, is under this.
inline constexpr qint64 RecentNoticeSpan = 600;

// The song table's columns in row order, joined by commas (for select and insert).
QString SongColumns();
// The statement that creates the song table.
QString SongTableSchema();

// The row the query stands on, its texts cut to their capacities; nothing when SongID,
// SeqID or Conn is not a whole number. The query must select SongColumns().
std::optional<SongRecord> ReadSongRow(const TADOQuery& q);
// For the user: the row the query stands on and why ReadSongRow gave nothing.
QString UnreadableSongRow(const TADOQuery& q);
// Inserts r as one row of the song table, under songId.
void InsertSongRow(TADOConnection& conn, TADOQuery& q, const SongRecord& r, int songId);
// Values of r in column order, for a table of the same columns under other names.
QVariantList SongRowValues(const SongRecord& r);

// Every row of song songId, in the table's own order. A row ReadSongRow cannot read raises,
// naming it.
SongTableType ReadSong(TADOConnection& conn, int songId);

// Creates a song database holding the song table with the given rows, in the given order.
void CreateSongDatabase(const QString& file, const QString& password, const SongTableType& rows);

// ---- Rules of the song table shared by saving and importing ----

// Song numbers a saved or imported song can take.
inline constexpr int LibrarySongLimit = 21;
// The lowest number 1..LibrarySongLimit no row uses, 0 when every one is taken.
int LowestFreeSongId(TADOConnection& conn);
// True when a row of the song table already carries that title.
bool SongTitleTaken(TADOConnection& conn, const QString& title);
// A title the menu can show and the user can pick: not empty, and not only spaces, dots
// or control characters. Every import refuses the others with InvalidTitleMessage.
bool SongTitleUsable(const QString& title);
inline constexpr QStringView InvalidTitleMessage = u"歌曲名称无效，请修改后再导入！";

struct AddedSong {
    enum class Outcome { Saved, TitleTaken, LibraryFull };
    Outcome outcome = Outcome::Saved;
    int songId = 0;   // the new song's number when Saved
};

// Saving and importing alike, in one transaction: a title some row carries and a full
// library are refused; else the rows go in, in order, under the lowest free number (their
// own SongID is not kept), and the marks beside them (by the rows' SeqID) in the extra table.
// A notice among them that is recent on date gives its text and date to every older notice.
// A refused statement rolls all of it back and goes on up.
AddedSong AddSong(TADOConnection& conn, const SongTableType& rows, const QString& title, const QDate& date,
                  const SongMarkTable& marks = {});
