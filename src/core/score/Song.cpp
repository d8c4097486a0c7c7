#include "core/score/Song.h"

namespace {

// Symbol codes of a symbol row.
constexpr int BlankCode = 0;
constexpr int DotCode = 1;
constexpr int BarCode = 2;
constexpr int DashCode = 3;
constexpr int SpaceCode = 5;

const QString NoteRow = QStringLiteral("1");
const QString SymbolRow = QStringLiteral("2");
const QString SymbolNote = QStringLiteral("9");

// "0".."max" exactly, else -1.
int Digit(const QString& text, int max)
{
    if (text.size() == 1 && text[0] >= u'0' && text[0].unicode() <= u'0' + max)
        return text[0].unicode() - u'0';
    return -1;
}

int Underlines(const QString& code)
{
    return std::max(0, Digit(code, 2));
}

Cell DecodeNoteRow(const SongRecord& row)
{
    Cell c;
    c.degree = Digit(row.SongNote, 7);
    c.kind = c.degree == 0 ? CellKind::Rest : CellKind::Note;
    c.underlines = Underlines(row.OpernLong);
    c.octave = c.degree == 0 ? 0 : Digit(row.OpernHigh, 2);
    c.slur = std::max(0, row.Conn);
    return c;
}

Cell DecodeSymbolRow(const SongRecord& row)
{
    Cell c;
    switch (row.Conn) {
    case DotCode: c.kind = CellKind::Dot; c.underlines = Underlines(row.OpernLong); break;
    case BarCode: c.kind = CellKind::Bar; break;
    case DashCode: c.kind = CellKind::Dash; break;
    case SpaceCode: c.kind = CellKind::Space; break;
    default: c.kind = CellKind::Other; c.symbol = row.Conn; break;
    }
    return c;
}

int SymbolCode(const Cell& c)
{
    switch (c.kind) {
    case CellKind::Dot: return DotCode;
    case CellKind::Bar: return BarCode;
    case CellKind::Dash: return DashCode;
    case CellKind::Space: return SpaceCode;
    case CellKind::Other: return c.symbol;
    default: return BlankCode;
    }
}

bool SameCodes(const SongRecord& a, const SongRecord& b)
{
    return a.SongNote == b.SongNote && a.OpernLong == b.OpernLong && a.OpernHigh == b.OpernHigh && a.Conn == b.Conn &&
           a.InfoType == b.InfoType;
}

SongRecord Encoded(const Cell& cell)
{
    SongRecord r;
    CellToRow(cell, r);
    return r;
}

// Adds the cell of row to song; false when it is the blank that ends the song.
bool TakeRow(Song& song, const SongRecord& row, int index)
{
    if (IsHeaderRow(row)) {
        song.header = HeaderFromRow(row);
        return true;
    }
    std::optional<Cell> cell = CellFromRow(row);
    if (!cell)
        return true;
    if (cell->kind == CellKind::Blank)
        return false;
    song.cells.push_back(std::move(*cell));
    if (index >= 0)
        song.rows.push_back(index);
    return true;
}

} // namespace

Cell Cell::MakeNote(int degree, int underlines, int octave, int slur)
{
    Cell c;
    c.kind = CellKind::Note;
    c.degree = degree;
    c.underlines = underlines;
    c.octave = octave;
    c.slur = slur;
    return c;
}

Cell Cell::MakeRest(int underlines)
{
    Cell c;
    c.kind = CellKind::Rest;
    c.underlines = underlines;
    c.octave = 0;
    return c;
}

Cell Cell::MakeDot(int underlines)
{
    Cell c;
    c.kind = CellKind::Dot;
    c.underlines = underlines;
    return c;
}

Cell Cell::MakeSymbol(CellKind kind)
{
    Cell c;
    c.kind = kind;
    return c;
}

double Cell::BaseBeats() const
{
    return underlines == 1 ? 0.5 : underlines == 2 ? 0.25 : 1.0;
}

QString MeterCaption(int timeCode)
{
    if (timeCode == Meter::TwoFour)
        return QStringLiteral("2/4");
    if (timeCode == Meter::FourFour)
        return QStringLiteral("4/4");
    return {};
}

int MeterBeats(int timeCode)
{
    return timeCode == Meter::TwoFour ? 2 : 4;
}

std::optional<Cell> CellFromRow(const SongRecord& row)
{
    if (!IsCellRow(row))
        return std::nullopt;
    if (IsBlankCell(row))
        return Cell::MakeSymbol(CellKind::Blank);
    Cell c = IsNoteRow(row) ? DecodeNoteRow(row) : DecodeSymbolRow(row);
    if (c.kind == CellKind::Other || !SameCodes(Encoded(c), row))
        c.stored = row;
    return c;
}

void CellToRow(const Cell& cell, SongRecord& row)
{
    if (cell.stored) {
        row.SongNote = cell.stored->SongNote;
        row.OpernLong = cell.stored->OpernLong;
        row.OpernHigh = cell.stored->OpernHigh;
        row.Conn = cell.stored->Conn;
        row.InfoType = cell.stored->InfoType;
        return;
    }
    if (cell.IsSounding()) {
        row.SongNote = QString::number(cell.IsRest() ? 0 : cell.degree);
        row.OpernLong = QString::number(cell.underlines);
        row.OpernHigh = QString::number(cell.IsRest() ? 0 : cell.octave);
        row.Conn = cell.slur;
        row.InfoType = NoteRow;
        return;
    }
    row.SongNote = SymbolNote;
    row.OpernLong = QString::number(cell.kind == CellKind::Dot ? cell.underlines : 0);
    row.OpernHigh = QStringLiteral("0");
    row.Conn = SymbolCode(cell);
    row.InfoType = SymbolRow;
}

void HeaderToRow(const SongHeader& header, SongRecord& r)
{
    r.SongName = header.title;
    r.SongNote = header.performer;
    r.OpernLong = header.lyricist;
    r.OpernHigh = header.composer;
    r.Conn = header.timeCode;
    r.InfoType = QStringLiteral("0");
}

SongHeader HeaderFromRow(const SongRecord& row)
{
    return {row.SongName, row.SongNote, row.OpernLong, row.OpernHigh, row.Conn};
}

Song SongFromRows(std::span<const SongRecord> rows)
{
    Song song;
    for (const SongRecord& row : rows)
        if (!TakeRow(song, row, -1))
            break;
    return song;
}

Song SongFromTable(const SongTableType& table, int songID)
{
    Song song;
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].SongID == songID && !TakeRow(song, table[i], int(i)))
            break;
    return song;
}

std::vector<SongRecord> SongToRows(const Song& song, int songID, const QString& date)
{
    const QString title = song.Title();
    std::vector<SongRecord> rows;
    if (song.header)
        HeaderToRow(*song.header, rows.emplace_back());
    for (const Cell& c : song.cells) {
        if (c.kind == CellKind::Blank)
            break;   // a blank ends the saved form
        SongRecord r;
        r.SongName = title;
        CellToRow(c, r);
        r.SeqID = int(rows.size()) + (song.header ? 0 : 1);
        rows.push_back(std::move(r));
    }
    for (SongRecord& r : rows) {
        r.SongID = songID;
        r.SongDate = date;
    }
    return rows;
}

QString CellGlyph(const Cell& cell)
{
    return ViewGlyphName(cell.stored ? *cell.stored : Encoded(cell));
}

QString CellEntryGlyph(const Cell& cell)
{
    return EntryGlyphName(cell.stored ? *cell.stored : Encoded(cell));
}
