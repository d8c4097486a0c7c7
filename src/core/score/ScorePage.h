#pragma once
// What the score view shows: the menu of titles and one page of a song, worked out from
// the song table without any control.
#include "core/score/Song.h"
#include <QString>
#include <array>
#include <optional>
#include <vector>

struct MenuEntry {
    QString title;
    int songID = 0;
};

// Titles of menu page `page` (0 first), eight at the most; nullopt when that page does not exist.
std::optional<std::vector<MenuEntry>> MenuPageEntries(const SongTableType& table, int page, int perPage = 8);

struct PageArc {
    int position = 0;   // cell position 1..105 the arc starts over
    int length = 0;     // in cells
    int record = 0;     // index of its row in the song table
};

// One page of a song from cell startCell on: the glyph of each position ("" where the page
// stops), the header when the song has one, and up to six slur arcs in drawing order.
struct ScorePage {
    std::optional<SongHeader> header;
    std::array<QString, Score::CellsPerPage> glyphs;
    std::array<Accidental, Score::CellsPerPage> signs{};   // shown before a note's digit
    std::vector<PageArc> arcs;
};

ScorePage BuildScorePage(const Song& song, int startCell);
// The time signature as the header shows it, after the key when the song is not in C: "1=D 3/4".
QString HeaderMeterCaption(const SongHeader& header);
