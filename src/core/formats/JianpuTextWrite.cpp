// Numbered notation text out: the header lines, then the cells about four bars to a line.
#include "core/formats/JianpuText.h"

using namespace Jianpu;

namespace {

// One line each: a line break inside a field would end it early.
QString OneLine(QString s) { return s.replace(u'\n', u' ').replace(u'\r', u' ').trimmed(); }

void WriteHeader(QStringList& out, const SongHeader& h)
{
    const QString title = OneLine(h.title);
    if (!title.isEmpty())
        out << QStringLiteral("歌名：") + title;
    const QString credits[] = {h.performer, h.lyricist, h.composer};
    const QString keys[] = {QStringLiteral("演唱："), QStringLiteral("作词："), QStringLiteral("作曲：")};
    for (int i = 0; i < 3; ++i)
        if (!OneLine(credits[i]).isEmpty())
            out << keys[i] + OneLine(credits[i]);
    if (const QString meter = h.MeterText(); !meter.isEmpty())
        out << QStringLiteral("节拍：") + meter;
    if (!h.key.IsC())
        out << h.key.Name();
}

// Slurs that nest are written with parentheses; one that crosses another or runs past
// the last cell is written as ^n after its note.
struct SlurMarks {
    std::vector<int> closes;   // ")" after each cell
    std::vector<char> paren;   // "(" before each cell
};

SlurMarks PlaceSlurs(const std::vector<Cell>& cells)
{
    const int n = int(cells.size());
    SlurMarks marks{std::vector<int>(size_t(n), 0), std::vector<char>(size_t(n), 0)};
    std::vector<int> ends;
    for (int i = 0; i < n; ++i) {
        while (!ends.empty() && ends.back() < i)
            ends.pop_back();
        const Cell& c = cells[size_t(i)];
        if (!c.IsSounding() || c.slur < 1 || c.slur > MaxSlur)
            continue;
        const int e = i + c.slur;
        if (e < n && (ends.empty() || e <= ends.back())) {
            marks.paren[size_t(i)] = 1;
            ++marks.closes[size_t(e)];
            ends.push_back(e);
        }
    }
    return marks;
}

// A cell kept in its stored form has no notation.
bool WritableNote(const Cell& c) { return c.IsSounding() && !c.stored; }
bool WritableSymbol(const Cell& c) { return !c.IsSounding() && !c.stored; }

// Writes the cells in order, a line at four bars or 48 tokens.
class CellWriter {
public:
    CellWriter(const Song& song, QStringList& out)
        : m_cells(song.cells), m_signs(ShownAccidentals(song)), m_slurs(PlaceSlurs(song.cells)), m_out(out)
    {}
    // Returns how many cells could not be written.
    int Write()
    {
        for (size_t i = 0; i < m_cells.size(); ++i)
            WriteCell(i);
        Flush();
        return m_lost;
    }

private:
    QString NoteToken(size_t i, const Cell& c)
    {
        const int lines = c.underlines;
        QString token = (m_slurs.paren[i] ? QStringLiteral("(") : QString()) + SignText(i) +
                        QString::number(c.IsRest() ? 0 : c.degree);
        if (c.IsNote())
            token += c.octave == 2 ? QStringLiteral("'") : c.octave == 0 ? QStringLiteral(",") : QString();
        token += QString(lines, u'_');
        if (c.slur >= 1 && c.slur <= MaxSlur && !m_slurs.paren[i])
            token += QStringLiteral("^") + QString::number(c.slur);
        m_lastLines = lines;
        m_attachable = true;
        return token;
    }

    // A dot written right after its note takes the note's underlines.
    QString SymbolToken(const Cell& c, bool& glue)
    {
        switch (c.kind) {
        case CellKind::Dot: {
            const int lines = c.underlines;
            glue = m_attachable && lines == m_lastLines;
            m_attachable = glue;
            return glue ? QStringLiteral(".") : QStringLiteral(".") + QString(lines, u'_');
        }
        case CellKind::Bar: m_attachable = false; return QStringLiteral("|");
        case CellKind::Dash: m_attachable = false; return QStringLiteral("-");
        case CellKind::Space: m_attachable = false; return QStringLiteral("~");
        default: return {};
        }
    }

    QString SignText(size_t i) const
    {
        const Accidental a = i < m_signs.size() ? m_signs[i] : Accidental::None;
        return a == Accidental::Sharp     ? QStringLiteral("#")
               : a == Accidental::Flat    ? QStringLiteral("b")
               : a == Accidental::Natural ? QStringLiteral("=")
                                          : QString();
    }

    bool DotNext(size_t i) const
    {
        return i + 1 < m_cells.size() && m_cells[i + 1].kind == CellKind::Dot;
    }

    void WriteCell(size_t i)
    {
        const Cell& c = m_cells[i];
        bool glue = false;
        QString token = WritableNote(c) ? NoteToken(i, c) : WritableSymbol(c) ? SymbolToken(c, glue) : QString();
        if (token.isEmpty()) {
            ++m_lost;
            m_attachable = false;
            return;
        }
        token += QString(m_slurs.closes[i], u')');
        if (!glue && !m_line.isEmpty())
            m_line += u' ';
        m_line += token;
        ++m_tokens;
        if (token.startsWith(u'|') && ++m_bars == 4)
            Flush();
        else if (m_tokens >= 48 && !glue && !DotNext(i))
            Flush();
    }

    void Flush()
    {
        if (!m_line.isEmpty())
            m_out << m_line;
        m_line.clear();
        m_bars = m_tokens = 0;
    }

    const std::vector<Cell>& m_cells;
    const std::vector<Accidental> m_signs;
    const SlurMarks m_slurs;
    QStringList& m_out;
    QString m_line;
    int m_bars = 0, m_tokens = 0, m_lost = 0;
    bool m_attachable = false;   // a dot written now would stand right after its note
    int m_lastLines = 0;
};

}

QString WriteJianpu(const Song& song)
{
    QStringList out;
    if (song.header)
        WriteHeader(out, *song.header);
    if (const int lost = CellWriter(song, out).Write(); lost > 0)
        out.insert(0, QStringLiteral("# 有 %1 格无法写成简谱文本，已略去").arg(lost));
    return out.join(u'\n') + u'\n';
}
