#include "core/score/ScorePage.h"

std::optional<std::vector<MenuEntry>> MenuPageEntries(const SongTableType& table, int page, int perPage)
{
    const int start = page == 0 ? 0 : IndexOfHeader(table, page * perPage);
    if (page < 0 || start < 0 || (start >= int(table.size()) && page > 0))
        return std::nullopt;
    std::vector<MenuEntry> out;
    for (size_t i = size_t(start); i < table.size() && int(out.size()) < perPage; ++i)
        if (IsHeaderRow(table[i]))
            out.push_back({table[i].SongName, table[i].SongID});
    return out;
}

ScorePage BuildScorePage(const SongTableType& table, int song, int startCell)
{
    ScorePage page;
    int cell = 1;   // cell number in the song
    int pos = 1;    // position on the page
    for (size_t r = 0; r < table.size(); ++r) {
        const SongRecord& row = table[r];
        if (row.SongID != song)
            continue;
        if (IsHeaderRow(row)) {
            page.header = SongHeader{row.SongName, row.SongNote, row.OpernLong, row.OpernHigh, row.Conn};
            continue;
        }
        if (!IsCellRow(row))
            continue;
        if (IsBlankCell(row))
            break;   // a blank cell ends the song
        if (cell >= startCell) {
            page.glyphs[size_t(pos - 1)] = ViewGlyphName(row);
            if (IsNoteRow(row) && row.Conn > 0 && page.arcs.size() < size_t(Score::ArcsPerGrid))
                page.arcs.push_back({pos, row.Conn, int(r)});
            ++pos;
        }
        if (pos > Score::CellsPerPage)
            break;
        ++cell;
    }
    return page;
}

QString CadenceCaption(int conn)
{
    if (conn == 0)
        return QStringLiteral("2/4");
    if (conn == 1)
        return QStringLiteral("4/4");
    return {};
}
