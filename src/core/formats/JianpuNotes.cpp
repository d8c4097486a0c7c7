// Numbered notation in, a line of marks at a time: each note, dot, dash, bar line and slur
// becomes a cell of the song.
#include "core/formats/JianpuParser.h"

using namespace Jianpu;

namespace JianpuDetail {

void Parser::takeNotes(QStringView l)
{
    if (m_song < 0)
        fail(QStringLiteral("音符写在了第一个“title:”之前"));
    if (m_timeCode < 0)
        fail(QStringLiteral("《%1》的音符之前要先写“time:”").arg(Excerpt(song().title)));
    m_started = true;
    m_attach = false;
    for (qsizetype i = 0; i < l.size(); ++i) {
        m_column = int(i) + 1;
        i = takeMark(l, i);
    }
}

// Reads the mark at i; returns the index of the last character used.
qsizetype Parser::takeMark(QStringView l, qsizetype i)
{
    const QChar c = l[i];
    const bool digitNext = i + 1 < l.size() && IsDigit(l[i + 1]);
    if (c.isSpace())
        m_attach = false;
    else if (c >= u'0' && c <= u'7')
        return takeNote(l, i, 0);
    else if ((c == u'q' || c == u's') && digitNext && l[i + 1] <= u'7')
        return takeNote(l, i + 1, c == u'q' ? 1 : 2);   // the jianpu-ly way: q1 s1
    else if (m_paste && (c == u'#' || c == u'b' || c == u'=') && digitNext)
        m_sign = c == u'#' ? Accidental::Sharp : c == u'b' ? Accidental::Flat : Accidental::Natural;
    else if (c == u'8' || c == u'9')
        fail(QStringLiteral("%1 不是音级（0 到 7）").arg(c));
    else if (c == u'|' || c == u'/')
        takeBar(c == u'|' && i > 0 && l[i - 1] == u'|');
    else if (m_paste && c == u':')
        m_repeats = 1;
    else if (c == u'.')
        return takeDot(l, i);
    else
        takeSymbol(c);
    return i;
}

// A double bar line is one bar line when pasted.
void Parser::takeBar(bool secondOfDouble)
{
    if (m_paste && secondOfDouble)
        return;
    if (m_paste) {
        m_bars.push_back({m_line, m_barUnits});
        m_barUnits = 0;
        ++song().bars;
    } else {
        closeBar(m_line);
    }
    addSymbol(CellKind::Bar);
    m_last = Cell::Bar;
    m_attach = false;
}

// Dashes, spaces and slurs, or a mark that cannot stand here.
void Parser::takeSymbol(QChar c)
{
    if (c == u'-') {
        if (!m_paste && m_lastNoteUnits == 0)
            fail(QStringLiteral("延长线前面要有音符"));
        addSymbol(CellKind::Dash);
        addUnits(UnitsPerBeat);
        m_last = Cell::Dash;
        m_attach = false;
    } else if (c == u'~') {
        addSymbol(CellKind::Space);
        m_last = Cell::Space;
        m_attach = false;
    } else if (c == u'(') {
        if (!m_paste && !m_open.empty())
            fail(QStringLiteral("上一条连音线还没有结束"));
        m_open.push_back({-1, m_line, m_column});
    } else if (c == u')') {
        closeSlur();
    } else if (c == u'\'' || c == u',' || c == u'_' || c == u'^' || c == u'q' || c == u's') {
        fail(QStringLiteral("“%1”要紧跟在音符后面").arg(c));
    } else {
        fail(QStringLiteral("不认识的字符“%1”").arg(c));
    }
}

// Underlines after a note or a dot: _ and q one, __ and s two. Returns the count and
// moves i to the last mark used.
int Parser::Lines(QStringView l, qsizetype& i)
{
    int lines = 0;
    while (i + 1 < l.size()) {
        const QChar m = l[i + 1];
        if (m == u'_' || m == u'q')
            lines += 1;
        else if (m == u's')
            lines += 2;
        else
            break;
        ++i;
    }
    return lines;
}

// The marks after the digit at i: octave dots, underlines and ^n; moves i to the last one.
Parser::NoteMarks Parser::Marks(QStringView l, qsizetype& i, int lines)
{
    NoteMarks k{0, 0, 0, lines};
    while (i + 1 < l.size()) {
        const QChar m = l[i + 1];
        if (m == u'\'') {
            ++k.up;
        } else if (m == u',') {
            ++k.down;
        } else if (m == u'_' || m == u'q' || m == u's') {
            k.lines += Lines(l, i);
            continue;
        } else if (m == u'^' && i + 2 < l.size() && l[i + 2].unicode() >= u'1' && l[i + 2].unicode() < u'1' + MaxSlur) {
            k.slur = l[i + 2].unicode() - u'0';
            ++i;
        } else {
            break;
        }
        ++i;
    }
    return k;
}

// Reads a digit and its marks; returns the index of the last character used.
qsizetype Parser::takeNote(QStringView l, qsizetype i, int lines)
{
    const QChar digit = l[i];
    const NoteMarks k = Marks(l, i, lines);
    const bool rest = digit == u'0';
    if (rest && (k.up || k.down))
        fail(QStringLiteral("休止符不标高低音点"));
    if (k.up + k.down > 1)
        fail(QStringLiteral("一个音符只能标一个高低音点（' 高音，, 低音）"));
    if (k.lines > 2)
        fail(QStringLiteral("最多两条下划线"));
    const int octave = rest ? 0 : k.down ? 0 : k.up ? 2 : 1;
    ::Cell cell = rest ? ::Cell::MakeRest(k.lines) : ::Cell::MakeNote(digit.unicode() - u'0', k.lines, octave);
    cell.slur = k.slur;
    const int row = addCell(cell);
    if (m_sign != Accidental::None && !rest) {
        m_written.resize(size_t(row) + 1, Accidental::None);
        m_written[size_t(row)] = m_sign;
    }
    m_sign = Accidental::None;
    startSlursAt(row, rest, k.slur);
    lines = k.lines;
    m_lastDuration = lines;
    m_lastNoteUnits = UnitsPerBeat >> lines;
    addUnits(m_lastNoteUnits);
    m_last = rest ? Cell::Rest : Cell::Note;
    m_attach = true;
    return i;
}

// Slurs opened before the note start on it.
void Parser::startSlursAt(int row, bool rest, int slur)
{
    int pending = 0;
    for (OpenSlur& s : m_open)
        if (s.start < 0) {
            if (!m_paste && rest)
                fail(QStringLiteral("连音线要从音符开始，不能从休止符开始"));
            s.start = row;
            ++pending;
        }
    if (pending > 1 || (pending && slur))
        fail(QStringLiteral("一个音符上只能开始一条连音线"));
}

// A dot right after its note takes the note's underlines; one standing apart has none,
// and marks after the dot give its own. The starter file's dots always stand over their note's.
qsizetype Parser::takeDot(QStringView l, qsizetype i)
{
    if (!m_paste && m_last != Cell::Note && m_last != Cell::Rest)
        fail(QStringLiteral("附点要跟在音符或休止符后面"));
    const bool attached = m_attach;
    const qsizetype at = i;
    const int own = Lines(l, i);
    const int lines = i > at ? own : (attached || !m_paste) ? m_lastDuration : 0;
    if (lines > 2)
        fail(QStringLiteral("最多两条下划线"));
    addSymbol(CellKind::Dot, lines);
    addUnits(m_lastNoteUnits / 2);
    m_last = Cell::Dot;
    m_attach = attached;
    return i;
}

void Parser::closeSlur()
{
    if (m_open.empty())
        fail(QStringLiteral("“)”前面没有“(”"));
    const OpenSlur s = m_open.back();
    if (s.start < 0)
        fail(QStringLiteral("连音线要从音符开始"));
    const int span = song().cells() - 1 - s.start;
    if (span < 1)
        fail(QStringLiteral("连音线至少要连两格"));
    if (span > MaxSlur)
        fail(QStringLiteral("连音线最多跨 %1 格，这条跨 %2 格").arg(MaxSlur).arg(span));
    song().song.cells[size_t(s.start)].slur = span;
    m_open.pop_back();
}

// Returns the cell's index in the song.
int Parser::addCell(::Cell cell)
{
    // Pasted text fills the entry table; the starter file writes the library, where the view
    // reads up to five pages.
    const int cap = m_paste ? MaxCells : 100000;
    if (song().cells() >= cap)
        fail(QStringLiteral("超过 %1 格，录入表放不下").arg(cap));
    song().song.cells.push_back(std::move(cell));
    m_lastCellLine = m_line;
    return song().cells() - 1;
}

void Parser::addSymbol(CellKind kind, int length)
{
    addCell(kind == CellKind::Dot ? ::Cell::MakeDot(length) : ::Cell::MakeSymbol(kind));
}

void Parser::addUnits(int units)
{
    m_barUnits += units;
    song().units += units;
}

}
