#pragma once
// Saving the song of the entry editor into the library as a new song.
#include "core/score/EntryEditor.h"
#include "core/score/Song.h"
#include <QDate>
#include <QString>

class IDialogs;
class TADOConnection;

struct SaveResult {
    enum class Outcome {
        Saved,         // the rows are in the library under SongID
        NotStarted,    // the header has no title: nothing asked, nothing written
        Declined,      // the user answered No
        TitleTaken,    // a song of that title exists (the user was told)
        LibraryFull,   // all numbers 1..21 are in use (the user was told)
    };
    Outcome outcome = Outcome::NotStarted;
    int songId = 0;   // the new song's number when Saved
    int rows = 0;     // rows written when Saved (0 when the header itself reads as the end)
    QString title;    // the title saved under, when Saved
    bool saved() const { return outcome == Outcome::Saved; }
};

// Asks before saving, then adds the header and the cells up to the end through AddSong,
// dated today, under the header's title, with the marks of those records (by SeqID, the
// entry's index). A refused statement rolls everything back and is
// thrown as TavoError with the database's text. The caller reloads its song table
// afterwards; the entry table is not touched.
SaveResult SaveNewSong(TADOConnection& conn, const EntryTableType& entry, IDialogs& dialogs, const QDate& today,
                       const SongMarkTable& marks = {});

// 提交: the editor's song saved through SaveNewSong, and the editor told how it ended (a
// saved song empties it). Nothing happens while no song is started.
SaveResult SubmitEntry(TADOConnection& conn, EntryEditor& editor, IDialogs& dialogs, const QDate& today,
                       const QString& titleField);
