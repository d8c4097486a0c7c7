#include "core/score/Song.h"
#include <QHash>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>

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

// ---- Marks ----

const QString KeyMark = QStringLiteral("key=");
const QString MeterMark = QStringLiteral("meter=");
const QString AlterMark = QStringLiteral("alter=");

struct KeySpelling {
    Key key;
    const char* code;   // as stored
};
// C, then the sharp keys and the flat keys by the circle of fifths.
constexpr KeySpelling Keys[] = {
    {{0, 0}, "C"},   {{4, 0}, "G"},   {{1, 0}, "D"},   {{5, 0}, "A"},   {{2, 0}, "E"},
    {{6, 0}, "B"},   {{3, 1}, "#F"},  {{0, 1}, "#C"},  {{3, 0}, "F"},   {{6, -1}, "bB"},
    {{2, -1}, "bE"}, {{5, -1}, "bA"}, {{1, -1}, "bD"}, {{4, -1}, "bG"}, {{0, -1}, "bC"},
};
const std::array<Key, std::size(Keys)> AllKeys = [] {
    std::array<Key, std::size(Keys)> all{};
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = Keys[i].key;
    return all;
}();

constexpr Meter CommonMeters[] = {{2, 4}, {3, 4}, {4, 4}, {2, 2}, {3, 8}, {6, 8}, {9, 8}, {12, 8}};

QString KeyCode(const Key& key)
{
    for (const KeySpelling& k : Keys)
        if (k.key == key)
            return QLatin1String(k.code);
    return {};
}

std::optional<Key> KeyFromCode(QStringView code)
{
    for (const KeySpelling& k : Keys)
        if (code == QLatin1String(k.code))
            return k.key;
    return std::nullopt;
}

// What a mark says, when it is one this program knows.
struct Fact {
    enum Kind { KeyFact, MeterFact, AlterFact } kind = KeyFact;
    Key key;
    Meter meter;
    int alter = 0;
};

std::optional<Fact> ReadMark(const QString& mark)
{
    if (mark.size() > MarkTextLimit)
        return std::nullopt;
    Fact f;
    if (mark.startsWith(KeyMark)) {
        const std::optional<Key> key = KeyFromCode(QStringView(mark).mid(KeyMark.size()));
        if (!key)
            return std::nullopt;
        f.kind = Fact::KeyFact;
        f.key = *key;
        return f;
    }
    if (mark.startsWith(MeterMark)) {
        const std::optional<Meter> meter = Meter::FromCaption(QStringView(mark).mid(MeterMark.size()));
        if (!meter)
            return std::nullopt;
        f.kind = Fact::MeterFact;
        f.meter = *meter;
        return f;
    }
    const QStringView alter = QStringView(mark).mid(AlterMark.size());
    if (mark.startsWith(AlterMark) && (alter == u"1" || alter == u"-1")) {
        f.kind = Fact::AlterFact;
        f.alter = alter == u"1" ? 1 : -1;
        return f;
    }
    return std::nullopt;
}

// An alteration belongs to a note row that holds a digit; key and meter to a header row.
bool FactFits(const Fact& f, const SongRecord& row)
{
    if (f.kind != Fact::AlterFact)
        return IsHeaderRow(row);
    const std::optional<Cell> cell = CellFromRow(row);
    return cell && cell->IsNote() && cell->degree >= 1 && cell->degree <= 7;
}

using RecordKey = std::pair<int, int>;   // SongID, SeqID
using MarksByRecord = std::map<RecordKey, std::vector<Fact>>;

MarksByRecord FactsOf(std::span<const SongMark> marks)
{
    MarksByRecord facts;
    for (const SongMark& m : marks)
        if (const std::optional<Fact> f = ReadMark(m.Mark))
            facts[{m.SongID, m.SeqID}].push_back(*f);
    return facts;
}

void ApplyToHeader(SongHeader& h, const std::vector<Fact>& facts)
{
    for (const Fact& f : facts) {
        if (f.kind == Fact::KeyFact)
            h.key = f.key;
        else if (f.kind == Fact::MeterFact)
            h.meter = f.meter;
    }
}

void ApplyToCell(Cell& c, const std::vector<Fact>& facts)
{
    if (!c.IsNote() || c.degree < 1 || c.degree > 7)
        return;
    for (const Fact& f : facts)
        if (f.kind == Fact::AlterFact)
            c.alter = f.alter;
}

// Adds the cell of row to song; false when it is the blank that ends the song.
bool TakeRow(Song& song, const SongRecord& row, int index, const MarksByRecord& facts)
{
    const auto marked = facts.find({row.SongID, row.SeqID});
    if (IsHeaderRow(row)) {
        song.header = HeaderFromRow(row);
        if (marked != facts.end())
            ApplyToHeader(*song.header, marked->second);
        return true;
    }
    std::optional<Cell> cell = CellFromRow(row);
    if (!cell)
        return true;
    if (cell->kind == CellKind::Blank)
        return false;
    if (marked != facts.end())
        ApplyToCell(*cell, marked->second);
    song.cells.push_back(std::move(*cell));
    if (index >= 0)
        song.rows.push_back(index);
    return true;
}

} // namespace

Cell Cell::MakeNote(int degree, int underlines, int octave, int slur, int alter)
{
    Cell c;
    c.alter = alter;
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

QString Meter::Caption() const { return QStringLiteral("%1/%2").arg(beats).arg(unit); }

int Meter::NearestCode() const
{
    const double q = BarQuarters();
    const double toTwo = std::abs(q - 2);
    const double toFour = std::abs(q - 4);
    if (toTwo != toFour)
        return toTwo < toFour ? TwoFour : FourFour;
    return Pulses() == 2 ? TwoFour : FourFour;
}

Meter Meter::FromCode(int timeCode) { return timeCode == TwoFour ? Meter{2, 4} : Meter{4, 4}; }

std::optional<Meter> Meter::FromCaption(QStringView caption)
{
    const qsizetype slash = caption.indexOf(u'/');
    if (slash < 1 || slash > 2 || caption.size() - slash - 1 < 1 || caption.size() - slash - 1 > 2)
        return std::nullopt;
    auto number = [](QStringView digits) {
        int n = 0;
        for (const QChar c : digits) {
            if (c < u'0' || c > u'9')
                return -1;
            n = n * 10 + (c.unicode() - u'0');
        }
        return digits.startsWith(u'0') ? -1 : n;
    };
    const int beats = number(caption.left(slash));
    const int unit = number(caption.mid(slash + 1));
    if (beats < 1 || beats > 16 || (unit != 2 && unit != 4 && unit != 8 && unit != 16))
        return std::nullopt;
    return Meter{beats, unit};
}

std::span<const Meter> Meter::Common() { return CommonMeters; }

int Key::Tonic() const
{
    static constexpr int steps[] = {0, 2, 4, 5, 7, 9, 11};
    return ((steps[std::clamp(letter, 0, 6)] + alter) % 12 + 12) % 12;
}

QString Key::Name() const
{
    const QString sign = alter > 0 ? QStringLiteral("♯") : alter < 0 ? QStringLiteral("♭") : QString();
    return QStringLiteral("1=") + sign + QLatin1Char("CDEFGAB"[std::clamp(letter, 0, 6)]);
}

std::optional<Key> Key::FromName(QStringView name)
{
    name = name.trimmed();
    if (name.startsWith(u"1="))
        name = name.mid(2);
    if (name.isEmpty() || name.size() > 2)
        return std::nullopt;
    auto signOf = [](QChar c) { return c == u'#' || c == u'♯' ? 1 : c == u'b' || c == u'♭' ? -1 : 0; };
    // The letter is the one upper-case character; the sign may stand before or after it.
    QString code;
    if (name.size() == 1) {
        code = name.toString();
    } else {
        const bool letterFirst = name[0].isUpper() && name[0] != u'♯';
        const QChar letter = letterFirst ? name[0] : name[1];
        const int sign = signOf(letterFirst ? name[1] : name[0]);
        if (sign == 0)
            return std::nullopt;
        code = QString(sign > 0 ? u'#' : u'b') + letter;
    }
    return KeyFromCode(code);
}

std::span<const Key> Key::All() { return AllKeys; }

int Key::Fifths() const
{
    static constexpr int naturals[] = {0, 2, 4, -1, 1, 3, 5};   // C D E F G A B
    return naturals[std::clamp(letter, 0, 6)] + 7 * alter;
}

Key Key::FromFifths(int fifths)
{
    fifths = std::clamp(fifths, -7, 7);
    // Each fifth up is four letters on; F♯ and C♯ are sharp, B♭ and below flat.
    return {((4 * fifths) % 7 + 7) % 7, fifths >= 6 ? 1 : fifths <= -2 ? -1 : 0};
}

QString SongHeader::MeterText() const { return meter ? meter->Caption() : MeterCaption(timeCode); }

void SongHeader::SetMeter(const Meter& m)
{
    timeCode = m.NearestCode();
    meter = m == Meter::FromCode(timeCode) ? std::nullopt : std::optional<Meter>(m);
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

SongMarkTable FittingMarks(std::span<const SongRecord> rows, std::span<const SongMark> marks, QStringList& refused)
{
    QHash<RecordKey, size_t> records;
    for (size_t i = 0; i < rows.size(); ++i)
        records.insert({rows[i].SongID, rows[i].SeqID}, i);   // the last row of a key, as the reader meets it
    std::map<std::pair<RecordKey, int>, bool> taken;          // record and kind of fact
    SongMarkTable kept;
    for (const SongMark& m : marks) {
        QString why;
        const std::optional<Fact> fact = ReadMark(m.Mark);
        const auto record = records.constFind({m.SongID, m.SeqID});
        if (!fact)
            why = QStringLiteral("不是本程序认识的记号");
        else if (record == records.cend())
            why = QStringLiteral("歌曲中没有这一行");
        else if (rows[*record].SongName != m.SongName)
            why = QStringLiteral("歌曲名称与这一行不符（可能是已删除歌曲留下的）");
        else if (!FactFits(*fact, rows[*record]))
            why = QStringLiteral("与这一行的种类不符");
        else if (!taken.insert({{{m.SongID, m.SeqID}, int(fact->kind)}, true}).second)
            why = QStringLiteral("同一行已有这类记号");
        if (why.isEmpty()) {
            kept.push_back(m);
            continue;
        }
        refused << QStringLiteral("SongID %1 中 SeqID 为 %2 的附加记号“%3”：%4")
                       .arg(m.SongID)
                       .arg(m.SeqID)
                       .arg(Excerpt(m.Mark), why);
    }
    return kept;
}

Song SongFromRows(std::span<const SongRecord> rows, std::span<const SongMark> marks)
{
    const MarksByRecord facts = FactsOf(marks);
    Song song;
    for (const SongRecord& row : rows)
        if (!TakeRow(song, row, -1, facts))
            break;
    return song;
}

Song SongFromTable(const SongTableType& table, int songID, std::span<const SongMark> marks)
{
    MarksByRecord facts;
    for (const SongMark& m : marks)
        if (m.SongID == songID)
            if (const std::optional<Fact> f = ReadMark(m.Mark))
                facts[{m.SongID, m.SeqID}].push_back(*f);
    Song song;
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].SongID == songID && !TakeRow(song, table[i], int(i), facts))
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

SongMarkTable SongToMarks(const Song& song, int songID)
{
    SongMarkTable marks;
    const QString title = song.Title();
    auto add = [&](int seq, const QString& mark) { marks.push_back({songID, seq, title, mark}); };
    if (song.header) {
        if (!song.header->key.IsC())
            add(0, KeyMark + KeyCode(song.header->key));
        if (song.header->meter)
            add(0, MeterMark + song.header->meter->Caption());
    }
    // The same numbering as SongToRows: cell i is record i + 1.
    for (size_t i = 0; i < song.cells.size(); ++i) {
        const Cell& c = song.cells[i];
        if (c.kind == CellKind::Blank)
            break;
        if (c.IsNote() && c.degree >= 1 && c.degree <= 7 && c.alter != 0)
            add(int(i) + 1, AlterMark + (c.alter > 0 ? QStringLiteral("1") : QStringLiteral("-1")));
    }
    return marks;
}

QString AccidentalSign(Accidental a)
{
    switch (a) {
    case Accidental::Sharp: return QStringLiteral("♯");
    case Accidental::Flat: return QStringLiteral("♭");
    case Accidental::Natural: return QStringLiteral("♮");
    case Accidental::None: break;
    }
    return {};
}

namespace {
// Walks the notes of a song bar by bar, handing each note its index and what the bar so far
// gives its degree in its octave (the key's own note until a sign).
template <class SongType, class Visit>
void WalkBarNotes(SongType& song, Visit visit)
{
    std::map<std::pair<int, int>, int> bar;
    for (size_t i = 0; i < song.cells.size(); ++i) {
        auto& c = song.cells[i];
        if (c.kind == CellKind::Bar)
            bar.clear();
        else if (c.IsNote() && c.degree >= 1 && c.degree <= 7)
            visit(i, c, bar[{c.degree, c.octave}]);
    }
}
}   // namespace

std::vector<Accidental> ShownAccidentals(const Song& song)
{
    std::vector<Accidental> shown(song.cells.size(), Accidental::None);
    WalkBarNotes(song, [&](size_t i, const Cell& c, int& now) {
        if (c.alter == now)
            return;
        shown[i] = c.alter > 0 ? Accidental::Sharp : c.alter < 0 ? Accidental::Flat : Accidental::Natural;
        now = c.alter;
    });
    return shown;
}

void ApplyWrittenAccidentals(Song& song, std::span<const Accidental> written)
{
    WalkBarNotes(song, [&](size_t i, Cell& c, int& now) {
        switch (i < written.size() ? written[i] : Accidental::None) {
        case Accidental::Sharp: now = 1; break;
        case Accidental::Flat: now = -1; break;
        case Accidental::Natural: now = 0; break;
        case Accidental::None: break;
        }
        c.alter = now;
    });
}

int SoundingPitch(const Key& key, int degree, int octave, int alter)
{
    static constexpr int steps[] = {0, 2, 4, 5, 7, 9, 11};
    if (degree < 1 || degree > 7 || octave < 0 || octave > 2)
        return -1;
    return 48 + 12 * octave + key.Tonic() + steps[degree - 1] + alter;
}

int CellPitch(const Song& song, const Cell& cell, Sounding where)
{
    if (!cell.IsNote())
        return -1;
    const Key key = where == Sounding::InSongKey && song.header ? song.header->key : Key{};
    return SoundingPitch(key, cell.degree, cell.octave, cell.alter);
}

QString CellGlyph(const Cell& cell)
{
    return ViewGlyphName(cell.stored ? *cell.stored : Encoded(cell));
}

QString CellEntryGlyph(const Cell& cell)
{
    return EntryGlyphName(cell.stored ? *cell.stored : Encoded(cell));
}

void DropMarks(SongMarkTable& marks, int first, int last, bool meterOnly)
{
    std::erase_if(marks, [&](const SongMark& m) {
        return m.SeqID >= first && m.SeqID <= last && (!meterOnly || m.Mark.startsWith(MeterMark));
    });
}
