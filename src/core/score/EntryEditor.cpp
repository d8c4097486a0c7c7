#include "core/score/EntryEditor.h"
#include "core/score/ScorePage.h"
#include "core/score/Song.h"
#include <algorithm>

namespace {
constexpr int kLastRecord = Score::EntryRecordCount - 1;   // 499
constexpr int kLastAddIndex = 480;                          // "增加" appends up to index 481
constexpr int kSlurOff = 6;                                 // the sixth "连接线" click removes the slur
constexpr int kSpace = 5;
const QString kUnknownCredit = QStringLiteral("佚名");

// Leading and trailing spaces and control characters removed.
QString TrimField(const QString& text)
{
    auto blank = [](QChar c) { return c.unicode() <= 0x20 || c.unicode() == 0x7f || c.isSpace(); };
    qsizetype b = 0, e = text.size();
    while (b < e && blank(text.at(b)))
        ++b;
    while (e > b && blank(text.at(e - 1)))
        --e;
    return text.mid(b, e - b);
}

bool UsableTitle(const QString& title)
{
    const QString t = TrimField(title);
    return !t.isEmpty() && t != EntryEditor::TitlePrompt;
}
}

EntryEditor::EntryEditor(IEntryView& view) : m_view(view)
{
    ResetEntryRecords(1, kLastRecord);
}

void EntryEditor::Reset()
{
    m_table.fill(SongRecord{});
    SetPage(0);
    m_cell = 1;
    m_duration = 0;
    m_octave = 1;
    m_slurCounter = 0;
    m_retakeTitle = false;
    ResetEntryRecords(1, kLastRecord);
}

void EntryEditor::SetPage(int page)
{
    m_page = page;
    m_view.SetPageCaption(PageCaption(page + 1));
}

void EntryEditor::WriteCursorCell(const QString& note, int duration, int octave, int conn, int infoType)
{
    const int i = CursorIndex();
    if (!Started() || i < 1 || i > kLastRecord)
        return;
    SongRecord& r = m_table[size_t(i)];
    r.SeqID = i;
    m_placeholder = false;
    // A slurred note that is overwritten takes its arc along, or the arc would stay
    // on screen with nothing behind it.
    if (conn >= 0 && IsNoteRow(r) && r.Conn > 0 && FreeArcsOf(i))
        m_slurCounter = 0;
    if (note != KeepText)
        r.SongNote = GbkCut(note, Score::FieldBytes);
    if (duration != Keep)
        r.OpernLong = QString::number(duration);
    if (octave != Keep)
        r.OpernHigh = QString::number(octave);
    if (infoType != Keep)
        r.InfoType = GbkCut(QString::number(infoType), 1);
    if (conn >= 0)
        r.Conn = conn;
    // A new note, octave or kind of cell loses its sign; a new length keeps it.
    const bool renoted = note != KeepText || octave != Keep || infoType != Keep;
    if (renoted)
        DropMarks(m_marks, i, i);
    const std::vector<Accidental> signs = ShownSigns();   // a plain note after a sign in the bar shows ♮
    m_view.ShowCell(m_cell, EntryGlyphName(r), size_t(i - 1) < signs.size() ? signs[size_t(i - 1)] : Accidental::None);
}

bool EntryEditor::StartSong(const EntryFields& fields, int cadenceCode)
{
    const bool wasStarted = Started();
    auto credit = [](const QString& text) { return TrimField(text).isEmpty() ? kUnknownCredit : text; };
    const QString performer = credit(fields.performer);
    const QString lyricist = credit(fields.lyricist);
    const QString composer = credit(fields.composer);
    // The fields are read once: later edits do not reach a started song.
    if (wasStarted)
        return true;
    if (!UsableTitle(fields.title))
        return false;
    SongRecord& h = m_table[0];
    h.SeqID = 0;
    HeaderToRow(SongHeader{GbkCut(fields.title, Score::TitleBytes), GbkCut(performer, Score::FieldBytes),
                           GbkCut(lyricist, Score::FieldBytes), GbkCut(composer, Score::FieldBytes), cadenceCode},
                h);
    // A code other than the chosen meter's (a caller's own) stands without the meter.
    if (cadenceCode == m_cadence)
        HeaderChoicesToSong();
    return false;
}

void EntryEditor::SetSlurLength(int n)
{
    if (!Started())
        return;
    const int i = CursorIndex();
    SongRecord& r = m_table[size_t(i)];
    if (!IsNoteRow(r))
        return;
    r.Conn = n;
    bool matched = false;
    for (size_t a = 0; a < m_arcs.size(); ++a) {
        if (m_arcs[a].record != i)
            continue;
        matched = true;
        if (n == kSlurOff) {
            m_arcs[a] = EntryArc{};
            m_view.HideArc(int(a) + 1);
            m_slurCounter = 0;
            r.Conn = 0;
        } else {
            m_arcs[a].length = n;
            m_view.ShowArc(int(a) + 1, m_arcs[a].position, n);
        }
    }
    if (matched)
        return;
    if (n == kSlurOff) {
        // A slur whose arc never found room ends the same way: no slur at all.
        r.Conn = 0;
        m_slurCounter = 0;
        return;
    }
    PlaceArc(i, m_cell, n);   // with six arcs showing, Conn keeps n undrawn
}

bool EntryEditor::PlaceArc(int r, int k, int length)
{
    for (size_t a = 0; a < m_arcs.size(); ++a) {
        if (m_arcs[a].record != 0)
            continue;
        m_arcs[a] = EntryArc{k, length, r};
        m_view.ShowArc(int(a) + 1, k, length);
        return true;
    }
    return false;
}

bool EntryEditor::FreeArcsOf(int r)
{
    bool any = false;
    for (size_t a = 0; a < m_arcs.size(); ++a) {
        if (m_arcs[a].record != r)
            continue;
        m_arcs[a] = EntryArc{};
        m_view.HideArc(int(a) + 1);
        any = true;
    }
    return any;
}

void EntryEditor::RedrawEntryPage(int first, int last)
{
    first = std::max(first, 1);
    last = std::min(last, kLastRecord);
    const std::vector<Accidental> signs = ShownSigns();
    for (int r = first, k = 1; r <= last && k <= Score::CellsPerPage; ++r, ++k) {
        const SongRecord& rec = m_table[size_t(r)];
        m_view.ShowCell(k, EntryGlyphName(rec), size_t(r - 1) < signs.size() ? signs[size_t(r - 1)] : Accidental::None);
        if (rec.Conn > 0 && IsNoteRow(rec))
            PlaceArc(r, k, rec.Conn);
    }
}

void EntryEditor::ResetEntryRecords(int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, kLastRecord);
    for (int r = first; r <= last; ++r)
        ResetToBlank(m_table[size_t(r)]);
    DropMarks(m_marks, first, last);
}

// The signs the cells show, by record index - 1; empty when the song has no marks.
std::vector<Accidental> EntryEditor::ShownSigns() const
{
    if (m_marks.empty())
        return {};
    const SongTableType rows(m_table.begin(), m_table.begin() + EntrySongEnd(m_table));
    return ShownAccidentals(SongFromRows(rows, m_marks));
}

void EntryEditor::GridsCleared(int first, int last)
{
    first = std::max(first, 1);
    last = std::min(last, Score::CellsPerPage);
    for (int k = first; k <= last; ++k)
        m_view.ShowCell(k, QStringLiteral("NOTE_9000"), Accidental::None);
    for (size_t a = 0; a < m_arcs.size(); ++a) {
        m_arcs[a] = EntryArc{};
        m_view.HideArc(int(a) + 1);
    }
    m_slurCounter = 0;
}

void EntryEditor::ClearGrids()
{
    m_view.ClearViewGrid(1, Score::CellsPerPage);
    GridsCleared(1, Score::CellsPerPage);
}

// ---- Buttons ----

void EntryEditor::Digit(int degree)
{
    if (degree < 0 || degree > 7)
        return;
    WriteCursorCell(QString::number(degree), m_duration, degree == 0 ? 0 : m_octave, 0, 1);
}

void EntryEditor::Symbol(int button)
{
    switch (button) {
    case 1:
    case 2:
    case 3:
    case kSpace:
        WriteCursorCell(QStringLiteral("9"), 0, 0, button, 2);
        break;
    case 4:
        Slur();
        break;
    case 6:
        LineBreak();
        break;
    default:
        break;
    }
}

void EntryEditor::Slur()
{
    if (m_slurCounter == kSlurOff)
        m_slurCounter = 0;
    ++m_slurCounter;
    SetSlurLength(m_slurCounter);
}

void EntryEditor::LineBreak()
{
    if (!Started() || m_cell >= Score::CellsPerPage)
        return;
    for (int step = 0; step < 36; ++step) {
        // The table ends at index 499: the break stops on its last record.
        if (CursorIndex() >= kLastRecord)
            return;
        ++m_cell;
        if (m_cell == Score::CellsPerPage) {
            // The bottom line's last cell belongs to the song too; leaving it blank
            // would end the saved song there.
            WriteCursorCell(QStringLiteral("9"), 0, 0, kSpace, 2);
            m_slurCounter = 0;
            AddStep();
            return;
        }
        if (m_cell % Score::CellsPerLine == 1)
            return;
        WriteCursorCell(QStringLiteral("9"), 0, 0, kSpace, 2);
    }
}

void EntryEditor::Add(const EntryFields& fields)
{
    m_slurCounter = 0;
    if (!StartSong(fields, m_cadence)) {
        if (TrimField(fields.title).isEmpty())
            m_view.PromptForTitle(TitlePrompt);
        return;
    }
    AddStep();
}

void EntryEditor::AddStep()
{
    if (CursorIndex() > kLastAddIndex)
        return;
    if (m_cell == Score::CellsPerPage) {
        m_cell = 1;
        SetPage(m_page + 1);
        ClearGrids();
    } else {
        ++m_cell;
    }
    WriteCursorCell(QStringLiteral("9"), 0, 0, kSpace, 2);
    m_placeholder = true;
}

bool EntryEditor::TypingCell()
{
    if (!Started())
        return false;
    const SongRecord& r = CursorRecord();
    if (m_placeholder || IsBlankCell(r))
        return true;
    const int before = CursorIndex();
    AddStep();
    return CursorIndex() != before;
}

void EntryEditor::TypeDigit(int degree)
{
    if (degree >= 0 && degree <= 7 && TypingCell())
        Digit(degree);
}

void EntryEditor::TypeSymbol(int code)
{
    if ((code == 1 || code == 2 || code == 3) && TypingCell())
        Symbol(code);
}

bool EntryEditor::StartForDigit(const EntryFields& fields)
{
    if (!Started())
        Add(fields);   // only starts: the cursor stays on the open cell 1
    return Started();
}

int EntryEditor::NextCellPosition() const
{
    if (!Started() || m_placeholder || IsBlankCell(m_table[size_t(CursorIndex())]))
        return m_cell;
    if (CursorIndex() > kLastAddIndex || m_cell == Score::CellsPerPage)
        return 0;
    return m_cell + 1;
}

bool EntryEditor::HasUnsavedCells() const
{
    return Started() && std::any_of(m_table.begin() + 1, m_table.end(), [](const SongRecord& r) { return !IsBlankCell(r); });
}

void EntryEditor::Abandon()
{
    ResetEntryRecords(0, kLastRecord);
    ClearGrids();
    m_cell = 1;
    SetPage(0);
    m_placeholder = false;
    m_retakeTitle = false;
}

void EntryEditor::Fill(const SongTableType& rows, const SongMarkTable& marks)
{
    if (rows.empty() || rows.size() > size_t(Score::EntryRecordCount))
        return;
    ResetEntryRecords(1, kLastRecord);
    SongRecord h = rows[0];
    h.SongID = 0;
    h.SeqID = 0;
    h.InfoType = QStringLiteral("0");
    CutToCapacity(h);
    m_table[0] = h;
    for (size_t i = 1; i < rows.size(); ++i) {
        SongRecord r = rows[i];
        r.SongID = 0;
        r.SeqID = int(i);
        r.SongName.clear();
        CutToCapacity(r);
        m_table[i] = r;
    }
    m_marks.clear();
    for (SongMark m : marks)
        if (m.SeqID >= 0 && size_t(m.SeqID) < rows.size()) {
            m.SongID = 0;
            m_marks.push_back(std::move(m));
        }
    const Song song = SongFromRows(SongTableType{h}, m_marks);
    if (!song.header->MeterText().isEmpty()) {
        m_cadence = h.Conn;
        m_meter = song.header->TimeSignature();
        m_view.SetCadenceCaption(m_meter.Caption());
    }
    m_key = song.header->key;
    m_view.ShowKey(m_key);
    const int last = std::max(int(rows.size()) - 1, 1);
    m_cell = PositionOfCell(last);
    SetPage(PageOfCell(last) - 1);
    m_slurCounter = 0;
    m_retakeTitle = false;
    m_placeholder = false;
    ClearGrids();
    const int first = m_page * Score::CellsPerPage + 1;
    RedrawEntryPage(first, first + Score::CellsPerPage - 1);
}

void EntryEditor::Clear()
{
    const int i = CursorIndex();
    if (m_table[size_t(i)].Conn > 0) {
        FreeArcsOf(i);
        m_slurCounter = 0;
    }
    WriteCursorCell(QStringLiteral("9"), 0, 0, 0, 2);
    if (m_cell > 1) {
        --m_cell;
        return;
    }
    if (m_page == 0)
        return;
    m_cell = Score::CellsPerPage;
    SetPage(m_page - 1);
    ClearGrids();
    const int first = m_page * Score::CellsPerPage + 1;
    RedrawEntryPage(first, first + Score::CellsPerPage - 1);
}

void EntryEditor::CycleDuration()
{
    m_duration = (m_duration + 1) % 3;
    const SongRecord& r = CursorRecord();
    // Notes, rests and dots take the new duration; other symbols keep their glyph.
    if (r.SongNote != QLatin1String("9") || r.Conn == 1)
        WriteCursorCell(KeepText, m_duration, Keep, Keep, Keep);
}

void EntryEditor::CycleOctave()
{
    const SongRecord& r = CursorRecord();
    if (r.SongNote == QLatin1String("9") || r.SongNote == QLatin1String("0"))
        return;
    m_octave = (m_octave + 1) % 3;
    WriteCursorCell(KeepText, Keep, m_octave, Keep, Keep);
}

void EntryEditor::SwitchCadence()
{
    const std::span<const Meter> meters = Meter::Common();
    const auto at = std::find(meters.begin(), meters.end(), m_meter);
    // A pasted meter the list lacks steps on to the list's first.
    m_meter = at == meters.end() || at + 1 == meters.end() ? meters.front() : *(at + 1);
    m_cadence = m_meter.NearestCode();
    HeaderChoicesToSong();
    m_view.SetCadenceCaption(m_meter.Caption());
}

void EntryEditor::SetKey(const Key& key)
{
    m_key = key;
    HeaderChoicesToSong();
    m_view.ShowKey(m_key);
}

// Unlike the time code of old, the choices reach a song already started: what the panel
// shows is what is saved.
void EntryEditor::HeaderChoicesToSong()
{
    if (!Started())
        return;
    SongRecord& h = m_table[0];
    Song song;
    song.header = HeaderFromRow(h);
    song.header->key = m_key;
    song.header->SetMeter(m_meter);
    h.Conn = song.header->timeCode;
    DropMarks(m_marks, 0, 0);
    const SongMarkTable header = SongToMarks(song, 0);
    m_marks.insert(m_marks.end(), header.begin(), header.end());
}

void EntryEditor::CycleSign()
{
    const int i = CursorIndex();
    if (!Started() || !IsNoteRow(m_table[size_t(i)]))
        return;
    const SongTableType rows(m_table.begin(), m_table.begin() + EntrySongEnd(m_table));
    Song song = SongFromRows(rows, m_marks);
    if (size_t(i - 1) >= song.cells.size())
        return;
    Cell& c = song.cells[size_t(i - 1)];
    if (!c.IsNote() || c.degree < 1)
        return;
    c.alter = c.alter == 0 ? 1 : c.alter > 0 ? -1 : 0;
    m_marks = SongToMarks(song, 0);
    RedrawSigns();
}

void EntryEditor::RedrawSigns()
{
    const std::vector<Accidental> signs = ShownSigns();
    const int first = m_page * Score::CellsPerPage + 1;
    const int end = std::min(EntrySongEnd(m_table), first + Score::CellsPerPage);
    for (int r = first; r < end; ++r)
        m_view.ShowCell(r - first + 1, EntryGlyphName(m_table[size_t(r)]),
                        size_t(r - 1) < signs.size() ? signs[size_t(r - 1)] : Accidental::None);
}

const EntryTableType& EntryEditor::SongToSave(const QString& titleField)
{
    // The title is fixed once the song starts; only a refused title may be replaced.
    if (Started() && m_retakeTitle && UsableTitle(titleField))
        m_table[0].SongName = GbkCut(TrimField(titleField), Score::TitleBytes);
    return m_table;
}

void EntryEditor::SaveEnded(SaveEnd end)
{
    if (end == SaveEnd::Declined)
        return;
    m_retakeTitle = end == SaveEnd::TitleTaken;
    if (end == SaveEnd::Saved)
        Abandon();
}

int EntrySongEnd(const EntryTableType& entry)
{
    for (int r = 0; r < Score::EntryRecordCount; ++r)
        if (IsBlankCell(entry[size_t(r)]))
            return r;
    return Score::EntryRecordCount;
}
