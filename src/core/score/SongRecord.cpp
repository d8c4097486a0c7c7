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
    QStringList names{QStringLiteral("NOTE_000"), QStringLiteral("NOTE_010"), QStringLiteral("NOTE_020")};
    for (int d = 1; d <= 7; ++d)
        for (int l = 0; l <= 2; ++l)
            for (int h = 0; h <= 2; ++h)
                names << QStringLiteral("NOTE_%1%2%3").arg(d).arg(l).arg(h);
    for (const char* s : {"9000", "9001", "9002", "9003", "9005", "9101", "9201", "9004"})
        names << QStringLiteral("NOTE_") + QLatin1String(s);
    return names;
}
