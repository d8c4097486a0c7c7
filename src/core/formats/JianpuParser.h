#pragma once
// The numbered-notation parser, shared by its two halves: JianpuTextRead.cpp takes the text
// line by line (headers, titles, the time, songs and bars); JianpuNotes.cpp takes a line of
// notation mark by mark (notes, dots, dashes, bar lines, slurs) into cells.
#include "core/formats/JianpuText.h"

namespace JianpuDetail {

enum class Field { None, Title, Performer, Lyricist, Composer, Time, Signature };

enum class Cell { None, Note, Rest, Dot, Dash, Bar, Space };

struct Fault {
    JianpuError error;
};

struct OpenSlur {
    int start = -1;   // index of its first cell; -1 until a note comes
    int line = 0;
    int column = 0;
};

struct BarLength {
    int line = 0;
    int units = 0;
};

inline bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Walks the text once; any fault throws a Fault, which run() turns into the result's error.
class Parser {
public:
    explicit Parser(const JianpuOptions& o) : m_opt(o), m_paste(o.mode == JianpuMode::Paste) {}

    // Never throws: a fault becomes the result's error.
    JianpuParse run(const QString& text);

private:
    JianpuSong& song() { return m_songs[size_t(m_song)]; }

    [[noreturn]] void fail(const QString& what, int column = -1, int line = 0) const
    {
        throw Fault{JianpuError{line ? line : m_line, column < 0 ? m_column : column, what}};
    }

    // JianpuTextRead.cpp: the text, line by line.
    void takeLines(const QString& text);
    QStringList warnings() const;
    void takeLine(QStringView raw);
    bool takeHeaderLine(QStringView raw, QStringView line, qsizetype start, qsizetype end);
    void takeText(QStringView text);
    QString storable(const QString& value);
    void setTitle(const QString& given);
    void takeHeader(Field key, const QString& name, const QString& given);
    void setCredit(int n, const QString& given);
    void setTime(QStringView value);
    void setKey(QStringView value);
    void warnOnce(bool& said, const QString& text);
    void startSong(const QString& title);
    SongHeader headerOf(const QString& title) const;
    void resetCells();
    void finishSong();

    // JianpuTextRead.cpp: bars.
    int barUnits() const { return int(m_meter.BarQuarters() * Jianpu::UnitsPerBeat + 0.5); }
    QString timeText() const { return m_meter.Caption(); }
    void closeBar(int line);
    void checkBars();

    // JianpuNotes.cpp: the cells.
    int addCell(::Cell cell);
    void addSymbol(CellKind kind, int length = 0);
    void addUnits(int units);

    // JianpuNotes.cpp: a line of notation, mark by mark.
    void takeNotes(QStringView l);
    qsizetype takeMark(QStringView l, qsizetype i);
    void takeBar(bool secondOfDouble);
    void takeSymbol(QChar c);
    static int Lines(QStringView l, qsizetype& i);
    struct NoteMarks {
        int up = 0, down = 0, slur = 0, lines = 0;
    };
    static NoteMarks Marks(QStringView l, qsizetype& i, int lines);
    qsizetype takeNote(QStringView l, qsizetype i, int lines);
    void startSlursAt(int row, bool rest, int slur);
    qsizetype takeDot(QStringView l, qsizetype i);
    void closeSlur();

    const JianpuOptions& m_opt;
    const bool m_paste;
    std::vector<JianpuSong> m_songs;
    int m_song = -1;   // in m_songs, -1 between songs
    int m_line = 0;
    int m_column = 0;
    int m_lastCellLine = 0;
    int m_timeCode = -1;   // -1 until the song's time is known
    Meter m_meter;
    Accidental m_sign = Accidental::None;   // written before the next note
    std::vector<Accidental> m_written;      // the sign written on each cell
    bool m_started = false;
    int m_barUnits = 0;
    std::vector<BarLength> m_bars;
    Cell m_last = Cell::None;
    bool m_attach = false;   // the last cell was a note, or a dot written right after one
    int m_lastNoteUnits = 0;
    int m_lastDuration = 0;
    std::vector<OpenSlur> m_open;
    int m_skipped = 0;
    int m_firstSkipped = 0;
    int m_repeats = 0;
    bool m_keyChangeSaid = false;
    bool m_meterChangeSaid = false;
    bool m_unstorableSaid = false;
    QStringList m_warnings;
};

}
