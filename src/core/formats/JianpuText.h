#pragma once
// Numbered notation as plain text: the notation of the starter library (assets/songs.txt,
// whose head documents it), widened to what people paste from books, web pages and chats.
// Text becomes rows of the song table in their saved form, and rows become text again.
#include "core/score/Song.h"
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace Jianpu {
// A longer text is refused before it is read: a song of 499 cells with its lyrics fits many times.
inline constexpr qsizetype MaxTextChars = 2 * 1024 * 1024;
inline constexpr int MaxCells = Score::EntryRecordCount - 1;   // 499
inline constexpr int MaxSlur = 5;
inline constexpr int UnitsPerBeat = 8;                          // a sixteenth's dot is 1/8 beat
}

enum class JianpuMode {
    Library,   // the starter file: several songs, every header and bar exact, any fault an error
    Paste,     // one song as users write it: lyrics passed over, pickups, defaults from the editor
};

struct JianpuOptions {
    JianpuMode mode = JianpuMode::Paste;
    QString songDate;   // every row carries it
    int timeCode = 1;   // Paste: the time signature when the text names none (0 "2/4", 1 "4/4")
    // Paste: the meter when the text names none, in place of the code's (the editor's 3/4, 6/8 ...)
    std::optional<Meter> meter = std::nullopt;
};

struct JianpuSong {
    QString title;
    int firstLine = 0;          // line of its title (Library), counted from 1
    int bars = 0;               // bar lines closed
    int units = 0;              // length in eighths of a beat
    bool titleGiven = false;    // the text named the title
    std::array<bool, 3> creditGiven{};   // performer, lyricist, composer
    int songID = 0;             // Library: 1, 2, 3 ... in the order of the text
    QString songDate;           // every row carries it
    Song song;
    int cells() const { return int(song.cells.size()); }
    // The song's saved form: the header row, then one row per cell.
    SongTableType Rows() const { return SongToRows(song, songID, songDate); }
};

struct JianpuError {
    int line = 0;
    int column = 0;   // 0 when the fault is the line's as a whole
    QString message;
    QString text() const;   // "第 3 行第 5 列：……"
};

struct JianpuParse {
    std::vector<JianpuSong> songs;   // Paste: exactly one when there is no error
    QStringList warnings;            // what was passed over, each said once
    std::optional<JianpuError> error;
    bool ok() const { return !error.has_value(); }
    // "48 格，32 拍" and the warnings, or the error.
    QString summary() const;
};

// Never throws; takes time linear in the text's size.
JianpuParse ParseJianpu(const QString& text, const JianpuOptions& options);

// The starter file: songs numbered 1, 2, 3 ... dated songDate. A fault raises a TavoError
// whose text names the line.
std::vector<JianpuSong> ParseSongText(const QString& text, const QString& songDate);
// All rows of the songs, in order.
SongTableType SongTextRows(const std::vector<JianpuSong>& songs);

// One song as text: header lines, then the cells about four bars to a line.
QString WriteJianpu(const Song& song);
