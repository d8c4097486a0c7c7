// Numbered notation text out: the header lines, then the cells about four bars to a line.
#include "core/formats/JianpuText.h"

using namespace Jianpu;

namespace {

bool InRange(const QString& s, char16_t lo, char16_t hi)
{
    return s.size() == 1 && s[0] >= QChar(lo) && s[0] <= QChar(hi);
}

// One line each: a line break inside a field would end it early.
QString OneLine(QString s) { return s.replace(u'\n', u' ').replace(u'\r', u' ').trimmed(); }

void WriteHeader(QStringList& out, const SongRecord& r)
{
    const QString title = OneLine(r.SongName);
    if (!title.isEmpty())
        out << QStringLiteral("歌名：") + title;
    const QString credits[] = {r.SongNote, r.OpernLong, r.OpernHigh};
    const QString keys[] = {QStringLiteral("演唱："), QStringLiteral("作词："), QStringLiteral("作曲：")};
    for (int i = 0; i < 3; ++i)
        if (!OneLine(credits[i]).isEmpty())
            out << keys[i] + OneLine(credits[i]);
    if (r.Conn == 0 || r.Conn == 1)
        out << QStringLiteral("节拍：") + (r.Conn == 0 ? QStringLiteral("2/4") : QStringLiteral("4/4"));
}

// Slurs that nest are written with parentheses; one that crosses another or runs past
// the last cell is written as ^n after its note.
struct SlurMarks {
    std::vector<int> closes;   // ")" after each cell
    std::vector<char> paren;   // "(" before each cell
};

SlurMarks PlaceSlurs(const std::vector<const SongRecord*>& cells)
{
    const int n = int(cells.size());
    SlurMarks marks{std::vector<int>(size_t(n), 0), std::vector<char>(size_t(n), 0)};
    std::vector<int> ends;
    for (int i = 0; i < n; ++i) {
        while (!ends.empty() && ends.back() < i)
            ends.pop_back();
        const SongRecord& c = *cells[size_t(i)];
        if (!IsNoteRow(c) || c.Conn < 1 || c.Conn > MaxSlur)
            continue;
        const int e = i + c.Conn;
        if (e < n && (ends.empty() || e <= ends.back())) {
            marks.paren[size_t(i)] = 1;
            ++marks.closes[size_t(e)];
            ends.push_back(e);
        }
    }
    return marks;
}

bool WritableNote(const SongRecord& c)
{
    return IsNoteRow(c) && InRange(c.SongNote, u'0', u'7') && InRange(c.OpernLong, u'0', u'2') &&
           InRange(c.OpernHigh, u'0', u'2') && (c.SongNote != QLatin1String("0") || c.OpernHigh == QLatin1String("0"));
}

bool WritableSymbol(const SongRecord& c)
{
    return IsSymbolRow(c) && c.SongNote == QLatin1String("9") && c.OpernHigh == QLatin1String("0") &&
           (c.Conn == 1 ? InRange(c.OpernLong, u'0', u'2') : c.OpernLong == QLatin1String("0"));
}

// Writes the cells in order, a line at four bars or 48 tokens.
class CellWriter {
public:
    CellWriter(const std::vector<const SongRecord*>& cells, QStringList& out)
        : m_cells(cells), m_slurs(PlaceSlurs(cells)), m_out(out)
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
    QString NoteToken(size_t i, const SongRecord& c)
    {
        const int lines = c.OpernLong.toInt();
        QString token = (m_slurs.paren[i] ? QStringLiteral("(") : QString()) + c.SongNote;
        if (c.SongNote != QLatin1String("0"))
            token += c.OpernHigh == QLatin1String("2")   ? QStringLiteral("'")
                     : c.OpernHigh == QLatin1String("0") ? QStringLiteral(",")
                                                         : QString();
        token += QString(lines, u'_');
        if (c.Conn >= 1 && c.Conn <= MaxSlur && !m_slurs.paren[i])
            token += QStringLiteral("^") + QString::number(c.Conn);
        m_lastLines = lines;
        m_attachable = true;
        return token;
    }

    // A dot written right after its note takes the note's underlines.
    QString SymbolToken(const SongRecord& c, bool& glue)
    {
        switch (c.Conn) {
        case 1: {
            const int lines = c.OpernLong.toInt();
            glue = m_attachable && lines == m_lastLines;
            m_attachable = glue;
            return glue ? QStringLiteral(".") : QStringLiteral(".") + QString(lines, u'_');
        }
        case 2: m_attachable = false; return QStringLiteral("|");
        case 3: m_attachable = false; return QStringLiteral("-");
        case 5: m_attachable = false; return QStringLiteral("~");
        default: return {};
        }
    }

    bool DotNext(size_t i) const
    {
        return i + 1 < m_cells.size() && IsSymbolRow(*m_cells[i + 1]) && m_cells[i + 1]->Conn == 1;
    }

    void WriteCell(size_t i)
    {
        const SongRecord& c = *m_cells[i];
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

    const std::vector<const SongRecord*>& m_cells;
    const SlurMarks m_slurs;
    QStringList& m_out;
    QString m_line;
    int m_bars = 0, m_tokens = 0, m_lost = 0;
    bool m_attachable = false;   // a dot written now would stand right after its note
    int m_lastLines = 0;
};

}

QString WriteJianpu(const SongTableType& rows)
{
    QStringList out;
    std::vector<const SongRecord*> cells;
    bool header = false;
    for (const SongRecord& r : rows) {
        if (IsHeaderRow(r) && !header) {
            header = true;
            WriteHeader(out, r);
        } else if (IsCellRow(r)) {
            cells.push_back(&r);
        }
    }
    if (const int lost = CellWriter(cells, out).Write(); lost > 0)
        out.insert(0, QStringLiteral("# 有 %1 格无法写成简谱文本，已略去").arg(lost));
    return out.join(u'\n') + u'\n';
}
