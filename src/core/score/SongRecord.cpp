#include "core/score/SongRecord.h"

QString CellCode(const SongRecord& r)
{
    return r.SongNote + r.OpernLong + r.OpernHigh + QString::number(r.Conn);
}

QString GlyphName(const SongRecord& r, bool symbol)
{
    QString name = QStringLiteral("NOTE_") + r.SongNote + r.OpernLong + r.OpernHigh;
    if (symbol)
        name += QString::number(r.Conn);
    return name;
}

void ResetToBlank(SongRecord& r)
{
    r.SongID = 0;
    r.SeqID = 0;
    r.SongName.clear();
    r.SongNote = QStringLiteral("9");
    r.OpernLong = QStringLiteral("0");
    r.OpernHigh = QStringLiteral("0");
    r.Conn = 0;
}

void CutToCapacity(SongRecord& r)
{
    r.SongName = GbkCut(r.SongName, Score::TitleBytes);
    r.SongNote = GbkCut(r.SongNote, Score::FieldBytes);
    r.OpernLong = GbkCut(r.OpernLong, Score::FieldBytes);
    r.OpernHigh = GbkCut(r.OpernHigh, Score::FieldBytes);
    r.InfoType = GbkCut(r.InfoType, 1);
    r.SongDate = GbkCut(r.SongDate, Score::FieldBytes);
}

int IndexOfHeader(const SongTableType& table, int ordinal)
{
    if (ordinal < 0)
        return -1;
    for (size_t i = 0; i < table.size(); ++i)
        if (IsHeaderRow(table[i]) && ordinal-- == 0)
            return int(i);
    return -1;
}

int CellX(int k)
{
    // 35 columns spread from x 28 to x 566: gaps of 15 or 16 pixels.
    constexpr int first = 28, last = 566, gaps = Score::CellsPerLine - 1;
    const int c = ColumnOfPosition(k);
    return first + (c * (last - first) + gaps / 2) / gaps;
}

int CellY(int k)
{
    static constexpr int lines[Score::LinesPerPage] = {80, 140, 199};
    return lines[LineOfPosition(k)];
}

QString PageCaption(int n)
{
    return QStringLiteral("- ") + QString::number(n) + QStringLiteral(" -");
}

QStringList GlyphNames()
{
    return {
#include "glyph_names.inc"
    };
}
