#pragma once
// Sharing songs: deleting one from the library, writing one to an exchange file on
// the desktop and bringing one in from a friend's exchange file.
//
// Every operation works on the song library connection it is given and never
// re-points it: exchange files get a connection of their own, so a save or a delete
// that follows always reaches the library, whatever way the operation ended.
// Questions and messages go through the dialogs; database and file faults are
// thrown as TavoError. After a Done delete or import the caller reloads the song
// table and the menu.
#include "core/Dialogs.h"
#include "core/library/Database.h"
#include "core/library/SongImport.h"
#include "core/score/SongRecord.h"
#include <QDate>
#include <QString>
#include <optional>

inline constexpr char ExchangePassword[] = "QuVeOrganMira274";
inline constexpr char ExchangeTable[] = "data";
inline constexpr char ExchangeTableSchema[] =
    "create table data (A TEXT, B TEXT, C TEXT, D TEXT, E TEXT, F TEXT, G TEXT, H TEXT, I TEXT)";
// Beside data, what its rows cannot say (the key, the meter, the alteration of a note): A
// SongID, B SeqID, C SongName, D the mark, all as text. Written only when a song has marks;
// a reader that knows only data reads the diatonic song.
inline constexpr char ExchangeMarkTable[] = "mark";
inline constexpr char ExchangeMarkTableSchema[] = "create table if not exists mark (A TEXT, B TEXT, C TEXT, D TEXT)";
// An import refuses a file with more rows than this in either table (a song has at most 500).
inline constexpr int ExchangeRowLimit = 1000;

// Points conn at an exchange file, keyed with ExchangePassword and standard settings.
void ConnectExchangeFile(TADOConnection& conn, const QString& file);

struct ExchangeContent {
    SongTableType rows;         // in the file's own order, texts cut to their capacities
    QString title;              // the header row's title
    SongMarkTable marks;        // the marks that fit rows
    QStringList refusedMarks;   // the others, named for the user
};

// Reads and checks a whole exchange file under the bounds of a stranger's file; nothing
// when it breaks any rule (the import then says it is illegal data). A mark table that is no
// ordinary table or holds too many rows breaks the file; a mark row that cannot be read or
// does not fit is only left out.
std::optional<ExchangeContent> ReadExchangeFile(const QString& file);

// Makes an empty exchange file (the template every export starts from). An existing
// file is an error.
void CreateExchangeFile(const QString& file);

// Deletes every row of song songId, and its marks, after asking; title is the one on view. A song
// number of 0 or less means none is chosen: nothing happens.
ShareResult DeleteSong(TADOConnection& library, int songId, const QString& title, IDialogs& dialogs);

// Writes every row of song songId, and its marks, to desktopFolder/<title>.opr, starting from a fresh
// copy of templateFile; an older file of that name is replaced. The name is made
// safe for a file name and always lands in desktopFolder, created when missing.
ShareResult ExportSong(TADOConnection& library, int songId, const QString& title, const QString& templateFile,
                       const QString& desktopFolder, IDialogs& dialogs);

// Asks for an exchange file (a numbered-notation text, MIDI or MusicXML file), checks all of it, asks the
// user, then adds its rows to the library under the lowest free song number in one
// transaction. A file that breaks any rule leaves the library untouched. today dates the
// notice refresh.
ShareResult ImportSongFile(TADOConnection& library, IDialogs& dialogs, const QDate& today);

// The base of an export's file name: characters a file name cannot hold become "_".
QString ExchangeFileBaseName(const QString& title);
