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

ScorePage BuildScorePage(const Song& song, int startCell)
{
    ScorePage page;
    page.header = song.header;
    const std::vector<Accidental> signs = ShownAccidentals(song);
    int pos = 1;   // position on the page
    for (size_t i = size_t(std::max(startCell, 1) - 1); i < song.cells.size() && pos <= Score::CellsPerPage; ++i) {
        const Cell& c = song.cells[i];
        page.glyphs[size_t(pos - 1)] = CellGlyph(c);
        page.signs[size_t(pos - 1)] = i < signs.size() ? signs[i] : Accidental::None;
        if (c.IsSounding() && c.slur > 0 && page.arcs.size() < size_t(Score::ArcsPerGrid))
            page.arcs.push_back({pos, c.slur, i < song.rows.size() ? song.rows[i] : 0});
        ++pos;
    }
    return page;
}

QString HeaderMeterCaption(const SongHeader& header)
{
    const QString meter = header.MeterText();
    if (header.key.IsC() || meter.isEmpty())
        return meter;
    return header.key.Name() + u' ' + meter;
}
