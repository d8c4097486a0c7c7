#pragma once
#include <QString>
#include <QStringList>
#include <vector>

// One row of the song table TableCfg and of the in-memory tables.
struct SongRecord {
    int SongID = 0;
    int SeqID = 0;
    QString SongName;   // at most 200 GBK bytes
    QString SongNote;   // at most 10
    QString OpernLong;  // at most 10
    QString OpernHigh;  // at most 10
    int Conn = 0;
    QString InfoType;   // at most 1
    QString SongDate;   // at most 10, "YYYYMMDD"

    friend bool operator==(const SongRecord&, const SongRecord&) = default;
};

using SongTableType = std::vector<SongRecord>;

// Cuts text to at most maxBytes bytes of its GBK form, keeping the leading bytes and
// never splitting a character.
QString GbkCut(const QString& text, int maxBytes);
// Longest leading part of text whose form in `encoding` fits in maxBytes, whole characters only.
QString CutEncoded(const QString& text, int maxBytes, const char* encoding);
// Number of bytes the text takes in GBK.
int GbkLength(const QString& text);
// A title or credit from a stranger's file as the library can store it: control and format
// characters (bidi overrides among them) dropped, a character GBK lacks written "?", trimmed
// and cut to maxBytes.
QString StorableText(const QString& text, int maxBytes);
// A stranger's value as a message quotes it: at most `chars` characters, then "…".
QString Excerpt(QStringView text, int chars = 24);

// ---- Kinds of row, glyphs and page arithmetic ----

namespace Score {
inline constexpr int CellsPerLine = 35;
inline constexpr int LinesPerPage = 3;
inline constexpr int CellsPerPage = CellsPerLine * LinesPerPage;   // 105
inline constexpr int CellWidth = 16;
inline constexpr int CellHeight = 31;
inline constexpr int ArcsPerGrid = 6;
inline constexpr int ViewPageLimit = 5;        // the view reads cells 1..525
inline constexpr int EntryRecordCount = 500;
inline constexpr int TitleBytes = 200;
inline constexpr int FieldBytes = 10;
}

inline bool IsHeaderRow(const SongRecord& r) { return r.InfoType == QLatin1String("0"); }
inline bool IsNoteRow(const SongRecord& r) { return r.InfoType == QLatin1String("1"); }
inline bool IsSymbolRow(const SongRecord& r) { return r.InfoType == QLatin1String("2"); }
// Only note/rest and symbol rows take a place on a page.
inline bool IsCellRow(const SongRecord& r) { return IsNoteRow(r) || IsSymbolRow(r); }

// SongNote + OpernLong + OpernHigh + decimal Conn; a blank cell is "9000".
QString CellCode(const SongRecord& r);
inline bool IsBlankCell(const SongRecord& r) { return CellCode(r) == QLatin1String("9000"); }

// "NOTE_" + SongNote + OpernLong + OpernHigh, with the decimal Conn appended for a symbol.
QString GlyphName(const SongRecord& r, bool symbol);
// Every glyph of the score: rests, the 63 notes, the symbols, and the slur arc last.
QStringList GlyphNames();
// The view reads the kind of row; the entry editor reads the "9" of a symbol's SongNote.
inline QString ViewGlyphName(const SongRecord& r) { return GlyphName(r, IsSymbolRow(r)); }
inline QString EntryGlyphName(const SongRecord& r) { return GlyphName(r, r.SongNote == QLatin1String("9")); }

// Blank record: draws as NOTE_9000; InfoType and SongDate are left as they are.
void ResetToBlank(SongRecord& r);

// Cuts every text field to its capacity, keeping the leading bytes.
void CutToCapacity(SongRecord& r);

// Index in the table of the header row with that ordinal (0 for the first song), -1 if none.
int IndexOfHeader(const SongTableType& table, int ordinal);

// Page arithmetic: cells n count from 1, pages p from 1, positions k on a page 1..105.
inline int PageOfCell(int n) { return (n - 1) / Score::CellsPerPage + 1; }
inline int PositionOfCell(int n) { return (n - 1) % Score::CellsPerPage + 1; }
inline int FirstCellOfPage(int p) { return (p - 1) * Score::CellsPerPage + 1; }
inline int LineOfPosition(int k) { return (k - 1) / Score::CellsPerLine; }
inline int ColumnOfPosition(int k) { return (k - 1) % Score::CellsPerLine; }
// Top-left corner of position k on a score panel.
int CellX(int k);
int CellY(int k);
// Caption of a page label: "- n -".
QString PageCaption(int n);
