#pragma once
// A song as the program works with it: a typed header and typed cells, decoded from the
// library's rows in one place (here) and encoded back to them in one place (here).
#include "core/score/SongRecord.h"
#include <QString>
#include <QStringList>
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
    int alter = 0;        // a note's sounding alteration of its degree in the key: -1, 0, +1
    // A row that does not decode exactly keeps its stored form, so that drawing and writing it
    // back change nothing.
    std::optional<SongRecord> stored;

    static Cell MakeNote(int degree, int underlines, int octave, int slur = 0, int alter = 0);
    static Cell MakeRest(int underlines = 0);
    static Cell MakeDot(int underlines = 0);
    static Cell MakeSymbol(CellKind kind);   // Bar, Dash, Space or Blank

    bool IsNote() const { return kind == CellKind::Note; }
    bool IsRest() const { return kind == CellKind::Rest; }
    bool IsSounding() const { return kind == CellKind::Note || kind == CellKind::Rest; }
    bool SamePitch(const Cell& o) const { return degree == o.degree && octave == o.octave && alter == o.alter; }
    // The beats a note or rest takes by itself: one, halved per underline.
    double BaseBeats() const;

    friend bool operator==(const Cell&, const Cell&) = default;
};

// A time signature. Jianpu's plain digit is a quarter note whatever the meter, so a bar's
// length is counted in quarters.
struct Meter {
    int beats = 4;   // the upper figure
    int unit = 4;    // the lower figure: 2, 4, 8 or 16

    // The header's time codes, all an old reader knows.
    static constexpr int TwoFour = 0;
    static constexpr int FourFour = 1;

    double BarQuarters() const { return beats * 4.0 / unit; }
    // 6/8, 9/8 and 12/8 are felt in dotted quarters: two, three or four of them.
    bool Compound() const { return unit == 8 && beats >= 6 && beats % 3 == 0; }
    int Pulses() const { return Compound() ? beats / 3 : beats; }
    double PulseQuarters() const { return BarQuarters() / Pulses(); }
    QString Caption() const;   // "3/4"
    // The header's code nearest by bar length; a tie goes to 2/4 for a meter felt in two, else 4/4.
    int NearestCode() const;

    // 2/4 for code 0, 4/4 for any other.
    static Meter FromCode(int timeCode);
    // "n/d" with n 1..16 and d 2, 4, 8 or 16; nothing for any other text.
    static std::optional<Meter> FromCaption(QStringView caption);
    // The meters offered for a new song, in the order a menu lists them.
    static std::span<const Meter> Common();

    friend bool operator==(const Meter&, const Meter&) = default;
};

// A major key by its tonic's spelling (1=C, 1=♭B, 1=♯F, ...).
struct Key {
    int letter = 0;   // 0..6: C D E F G A B
    int alter = 0;    // -1 flat, 0, +1 sharp

    bool IsC() const { return letter == 0 && alter == 0; }
    int Tonic() const;      // the tonic's pitch class, 0 (C) .. 11 (B)
    QString Name() const;   // "1=♭B"
    // The key signature's sharps (positive) or flats (negative): 1=D is 2, 1=♭B is -2.
    int Fifths() const;
    // The major key of a signature of -7..7 fifths (clamped).
    static Key FromFifths(int fifths);
    // "1=♭B", "♭B", "bB", "Bb", "#F", "F#" and the like, for the fifteen spelled major keys only.
    static std::optional<Key> FromName(QStringView name);
    // The fifteen spelled major keys, C first, then by the circle of fifths.
    static std::span<const Key> All();

    friend bool operator==(const Key&, const Key&) = default;
};

struct SongHeader {
    SongHeader() = default;
    SongHeader(QString title_, QString performer_, QString lyricist_, QString composer_,
               int timeCode_ = Meter::FourFour)
        : title(std::move(title_)), performer(std::move(performer_)), lyricist(std::move(lyricist_)),
          composer(std::move(composer_)), timeCode(timeCode_)
    {}

    QString title;
    QString performer;
    QString lyricist;
    QString composer;
    int timeCode = Meter::FourFour;   // 0 "2/4", 1 "4/4"; any other stored value is kept
    Key key;                          // C unless the song says otherwise
    std::optional<Meter> meter;       // the song's own meter when it is neither 2/4 nor 4/4

    // What the song is in: its own meter, else its code's.
    Meter TimeSignature() const { return meter ? *meter : Meter::FromCode(timeCode); }
    // The caption to print: empty for an unknown code without a meter of its own.
    QString MeterText() const;
    // Sets the meter, and the code an old reader sees to the nearest one.
    void SetMeter(const Meter& m);

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

// ---- What the song table has no column for ----

// One fact about one record (by SongID and SeqID) that the song table cannot hold: the key or
// the meter on a header row, the alteration of a note row. Stored beside the song table, so a
// reader that knows only that table still reads the diatonic song.
struct SongMark {
    int SongID = 0;
    int SeqID = 0;
    QString SongName;   // the record's own SongName when written: a mark left by a song that is
                        // gone does not fit the song that later takes its number
    QString Mark;       // "key=bB", "meter=6/8", "alter=1", "alter=-1"

    friend bool operator==(const SongMark&, const SongMark&) = default;
};
using SongMarkTable = std::vector<SongMark>;

// The longest mark text a reader takes.
inline constexpr int MarkTextLimit = 32;

// The marks that fit rows: a known mark, on a record of rows (same SongID, SeqID and SongName)
// of the kind it belongs to, one of each kind per record. Each other mark is left out and
// named in refused, for the user.
SongMarkTable FittingMarks(std::span<const SongRecord> rows, std::span<const SongMark> marks, QStringList& refused);

// The song in rows of one song (its header and cells in order; rows of other kinds are passed
// over), with the marks on its records. The first blank cell ends it.
Song SongFromRows(std::span<const SongRecord> rows, std::span<const SongMark> marks = {});
// The song numbered songID in a table holding many, remembering where each cell was read.
Song SongFromTable(const SongTableType& table, int songID, std::span<const SongMark> marks = {});
// The song's saved form: the header row (SeqID 0) and the cell rows (SeqID 1, 2, ...), each
// with songID and date.
std::vector<SongRecord> SongToRows(const Song& song, int songID, const QString& date);
// The marks of that saved form: what its rows cannot say (none for a diatonic song in C in
// 2/4 or 4/4).
SongMarkTable SongToMarks(const Song& song, int songID);
// Drops the marks of records first..last; with meterOnly, only the meter of the header.
void DropMarks(SongMarkTable& marks, int first, int last, bool meterOnly = false);

// ---- Accidentals and pitch ----

enum class Accidental { None, Sharp, Flat, Natural };
// "♯", "♭", "♮", or empty.
QString AccidentalSign(Accidental a);

// The sign each cell shows (None for every cell that is no note). An accidental lasts to the
// end of its bar for the same degree and octave, so a note shows a sign only where what it
// sounds differs from what the bar so far gives that degree and octave: ♯ or ♭, or ♮ to cancel.
std::vector<Accidental> ShownAccidentals(const Song& song);
// The other way, for what a reader or the editor writes: sets each note's alteration from the
// signs written on the cells (by index; missing ones are None) under the same rule.
void ApplyWrittenAccidentals(Song& song, std::span<const Accidental> written);

// The MIDI key a degree sounds in a key: the tonic, the major-scale step, the alteration and the
// octave (0 lower, 1 middle, 2 upper); 1 in C in the middle octave is 60. -1 for a degree other
// than 1..7 or an unknown octave.
int SoundingPitch(const Key& key, int degree, int octave, int alter);
// Where a song's degrees sound. The piano's keys are numbered from C, so practice plays 1 as C
// whatever the song's key, and a learner plays every song on the same keys; files written for
// other programs, and a learner who asks for it, hear the song's own key.
enum class Sounding { InC, InSongKey };
// The MIDI key of a note cell of the song, -1 for any other cell.
int CellPitch(const Song& song, const Cell& cell, Sounding where);

// The picture of a cell: "NOTE_" and its codes. The view and the entry grid name odd stored
// rows differently (by kind of row / by the "9" of a symbol); decoded cells name alike.
QString CellGlyph(const Cell& cell);
QString CellEntryGlyph(const Cell& cell);
