#pragma once
// The score entry editor: a typewriter with a backspace over the entry table. The
// cursor always stands on the last cell written so far; digits and symbols overwrite
// it, "增加" appends a space cell and "清除" blanks it and steps back.
#include "core/score/Song.h"
#include <QString>
#include <array>

using EntryTableType = std::array<SongRecord, Score::EntryRecordCount>;

// Record index where the entered song ends: the first record whose cell code is "9000",
// the header included; Score::EntryRecordCount when none is.
int EntrySongEnd(const EntryTableType& entry);

// What the editor tells the panel that draws it. Positions are 1..105 on the entry
// grid, arcs 1..6.
class IEntryView {
public:
    virtual ~IEntryView() = default;
    virtual void ShowCell(int position, const QString& glyph, Accidental sign) = 0;
    // Shows the arc over the cell at position, `length` cells wide (it may run past
    // the right edge of its line).
    virtual void ShowArc(int arc, int position, int length) = 0;
    virtual void HideArc(int arc) = 0;
    virtual void SetPageCaption(const QString& caption) = 0;
    // The meter chosen (its caption, "6/8") and the key, for the panel's LabCadence2 and key box.
    virtual void SetCadenceCaption(const QString& caption) = 0;
    virtual void ShowKey(const Key& key) = 0;
    // Puts the prompt into the title field and gives the field the input focus.
    virtual void PromptForTitle(const QString& prompt) = 0;
    // Clear grids blanks both grids; the editor does the entry side itself
    // (GridsCleared) and asks here for the score view's side.
    virtual void ClearViewGrid(int first, int last) = 0;
};

// Texts of the title and credit fields, read when a song starts.
struct EntryFields {
    QString title;
    QString performer;
    QString lyricist;
    QString composer;
};

struct EntryArc {
    int position = 0;   // cell position 1..105 on the entry page
    int length = 0;     // width in cells
    int record = 0;     // entry-table index it stands for; 0 while free (hidden)
};

class EntryEditor {
public:
    static inline const QString TitlePrompt = QStringLiteral("请输入歌曲名称");
    static constexpr int Keep = -1;   // "keep" for the number arguments of WriteCursorCell
    static inline const QString KeepText = QStringLiteral("-1");

    explicit EntryEditor(IEntryView& view);

    // Start-up reset: cursor page 0 cell 1, caption "- 1 -", duration 0, octave 1, slur
    // counter 0, the whole table empty; then records 1..499 to blank.
    void Reset();

    // ---- Shared operations ----
    void WriteCursorCell(const QString& note, int duration, int octave, int conn, int infoType);
    // Returns whether the song had already started before the call.
    bool StartSong(const EntryFields& fields, int cadenceCode);
    void SetSlurLength(int n);
    void RedrawEntryPage(int first, int last);
    void ResetEntryRecords(int first, int last);
    std::vector<Accidental> ShownSigns() const;
    // The entry side of clear grids: blank cells first..last, free every arc, slur
    // counter to 0. The table keeps the song.
    void GridsCleared(int first, int last);

    // ---- The panel's buttons ----
    void Digit(int degree);          // "1".."7", "0" for a rest
    void Symbol(int button);         // ImgSymbol_1..6: dot, bar line, dash, slur, space, line break
    void Slur();                     // 连接线
    void LineBreak();                // 换行
    void Add(const EntryFields& fields);   // 增加
    void Clear();                    // 清除
    void CycleDuration();            // 音长
    void CycleOctave();              // 音高
    // LabCadence2: the next meter of Meter::Common() (2/4, 3/4, 4/4, 2/2, 3/8, 6/8, 9/8, 12/8);
    // the header keeps the nearest code an old reader knows, and the meter beside it.
    void SwitchCadence();
    void SetKey(const Key& key);   // the key box
    // 升降号: the note under the cursor sounds ♯, then ♭, then as the key has it.
    void CycleSign();
    // Replaces the song with rows (header, then at most 499 cells in order), as a text
    // written in the 文本 window gives them: the cursor stands on the last cell, on its page.
    void Fill(const SongTableType& rows, const SongMarkTable& marks = {});
    // A key typed while the panel is open: a note (0..7), or a symbol code (1 dot, 2 bar
    // line, 3 dash). It is written into a new cell after the last one, or into the cell
    // under the cursor while that is still empty or the space "增加" placed.
    void TypeDigit(int degree);
    void TypeSymbol(int code);
    // A digit before the song is started starts it first, as "增加" does (asking for the
    // title when the field is empty); true when the song is started now.
    bool StartForDigit(const EntryFields& fields);
    // Where the next cell goes on the page on view (1..105): the cursor cell while it is
    // still open, else the one after it; 0 when the next cell is on the next page or none can be added.
    int NextCellPosition() const;
    // Cells written and not saved yet.
    bool HasUnsavedCells() const;
    // The song is given up: the table blank, the grids clear, the cursor on cell 1 of page 0.
    void Abandon();

    // 提交 asks for the song to save. A title refused last time is first taken again from the
    // title field, so the song can still be saved under another name.
    const EntryTableType& SongToSave(const QString& titleField);
    // How that save ended: after a taken title the next 提交 takes the title field again;
    // a saved song empties the editor.
    enum class SaveEnd { Declined, TitleTaken, Refused, Saved };
    void SaveEnded(SaveEnd end);

    // ---- State ----
    bool Started() const { return !m_table[0].SongName.isEmpty(); }
    const EntryTableType& Table() const { return m_table; }
    // What the records cannot say (key, meter, accidentals), by record index.
    const SongMarkTable& Marks() const { return m_marks; }
    int CursorPage() const { return m_page; }
    int CursorCell() const { return m_cell; }
    int CursorIndex() const { return m_page * Score::CellsPerPage + m_cell; }
    int Duration() const { return m_duration; }
    int Octave() const { return m_octave; }
    int SlurCounter() const { return m_slurCounter; }
    int CadenceCode() const { return m_cadence; }
    const Meter& ChosenMeter() const { return m_meter; }
    const Key& ChosenKey() const { return m_key; }
    const std::array<EntryArc, Score::ArcsPerGrid>& Arcs() const { return m_arcs; }

private:
    SongRecord& CursorRecord() { return m_table[size_t(CursorIndex())]; }
    void SetPage(int page);
    void ClearGrids();
    void AddStep();
    // The meter and key chosen go into a started song's header row and marks.
    void HeaderChoicesToSong();
    // The cells of the page on view again, with the signs as they now fall.
    void RedrawSigns();
    // Frees every arc standing for record r; true when one was.
    bool FreeArcsOf(int r);
    // Gives record r's slur the first free arc over position k; false when none is free.
    bool PlaceArc(int r, int k, int length);

    IEntryView& m_view;
    EntryTableType m_table{};
    SongMarkTable m_marks;
    std::array<EntryArc, Score::ArcsPerGrid> m_arcs{};
    int m_page = 0;
    int m_cell = 1;
    int m_duration = 0;
    int m_octave = 1;
    int m_slurCounter = 0;
    int m_cadence = 1;
    Meter m_meter;                // 4/4 until another is chosen
    Key m_key;                    // 1=C until another is chosen
    bool m_retakeTitle = false;   // the last save found the title taken
    bool m_placeholder = false;   // the cursor cell is the space "增加" put there, not yet used

    // Moves the cursor to a cell a typed key may write; false when there is none.
    bool TypingCell();
};
