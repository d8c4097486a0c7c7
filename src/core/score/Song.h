#pragma once
// A song as the program works with it: a typed header and typed cells, decoded from the
// library's rows in one place (here) and encoded back to them in one place (here).
#include "core/score/SongRecord.h"
#include <QString>
#include <optional>
#include <span>
#include <vector>

enum class CellKind {
    Note,    // a degree 1..7
    Rest,
    Dot,     // adds half of what the note before last gained
    Bar,
    Dash,    // holds the note before one beat more
    Space,   // an empty printed position
    Blank,   // ends the song; never saved
    Other,   // a symbol code the program does not know: printed as stored, takes no time
};

struct Cell {
    CellKind kind = CellKind::Blank;
    int degree = 0;       // 1..7 for a note; -1 for a note row that holds no digit
    int underlines = 0;   // 0..2 for a note, rest or dot
    int octave = 1;       // 0 lower, 1 middle, 2 upper; -1 for an unknown code
    int slur = 0;         // cells a slur from this note or rest spans (0 none)
    int symbol = 0;       // the stored symbol code of an Other cell
    // A row that does not decode exactly keeps its stored form, so that drawing and writing it
    // back change nothing.
    std::optional<SongRecord> stored;

    static Cell MakeNote(int degree, int underlines, int octave, int slur = 0);
    static Cell MakeRest(int underlines = 0);
    static Cell MakeDot(int underlines = 0);
    static Cell MakeSymbol(CellKind kind);   // Bar, Dash, Space or Blank

    bool IsNote() const { return kind == CellKind::Note; }
    bool IsRest() const { return kind == CellKind::Rest; }
    bool IsSounding() const { return kind == CellKind::Note || kind == CellKind::Rest; }
    bool SamePitch(const Cell& o) const { return degree == o.degree && octave == o.octave; }
    // The beats a note or rest takes by itself: one, halved per underline.
    double BaseBeats() const;

    friend bool operator==(const Cell&, const Cell&) = default;
};

namespace Meter {
inline constexpr int TwoFour = 0;    // the header's time codes
inline constexpr int FourFour = 1;
}

struct SongHeader {
    QString title;
    QString performer;
    QString lyricist;
    QString composer;
    int timeCode = Meter::FourFour;   // 0 "2/4", 1 "4/4"; any other stored value is kept

    friend bool operator==(const SongHeader&, const SongHeader&) = default;
};

// Time-signature caption of a header's code; empty for a code that has none.
QString MeterCaption(int timeCode);
// Beats per bar of a header's code (4 for a code that has none).
int MeterBeats(int timeCode);

struct Song {
    std::optional<SongHeader> header;
    std::vector<Cell> cells;   // in order, up to (not including) the first blank cell
    // Index in the table each cell was read from (empty for a song that was not read from one):
    // the slur arcs of the view carry it as their hint.
    std::vector<int> rows;

    QString Title() const { return header ? header->title : QString(); }
    friend bool operator==(const Song& a, const Song& b) { return a.header == b.header && a.cells == b.cells; }
};

// The cell one row holds (a note/rest row or a symbol row); nullopt for a row of another kind.
std::optional<Cell> CellFromRow(const SongRecord& row);
// A cell as the fields of a row: SongNote, OpernLong, OpernHigh, Conn and InfoType.
void CellToRow(const Cell& cell, SongRecord& row);
// The header's fields into a header row; the row's SongID, SeqID and SongDate stay.
void HeaderToRow(const SongHeader& header, SongRecord& row);
SongHeader HeaderFromRow(const SongRecord& row);

// The song in rows of one song (its header and cells in order; rows of other kinds are passed
// over). The first blank cell ends it.
Song SongFromRows(std::span<const SongRecord> rows);
// The song numbered songID in a table holding many, remembering where each cell was read.
Song SongFromTable(const SongTableType& table, int songID);
// The song's saved form: the header row (SeqID 0) and the cell rows (SeqID 1, 2, ...), each
// with songID and date.
std::vector<SongRecord> SongToRows(const Song& song, int songID, const QString& date);

// The picture of a cell: "NOTE_" and its codes. The view and the entry grid name odd stored
// rows differently (by kind of row / by the "9" of a symbol); decoded cells name alike.
QString CellGlyph(const Cell& cell);
QString CellEntryGlyph(const Cell& cell);
