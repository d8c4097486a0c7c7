// MusicXML in: a push reader over QXmlStreamReader. Each element's start and end go to a
// small handler chosen by the element's name; the children of note, pitch and
// time-modification have tables of their own, so a name means one thing in one place.
#include "core/files/FileOps.h"
#include "core/formats/MusicXml.h"
#include "core/formats/MusicXmlBounds.h"
#include "core/formats/MxlContainer.h"
#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <span>

using namespace MusicXmlLimits;
using MusicXmlDetail::Fail;

namespace {

struct RawNote {
    double start = 0, length = 0;   // in quarter notes
    int pitch = -1;
    bool tie = false;
};

struct PartState {
    int index = 0;   // in Melody::parts
    double divisions = 1;
    double measureStart = 0, pos = 0, measureMax = 0, lastStart = 0;
    int beats = 4, beatType = 4;
    int transpose = 0;
    std::vector<RawNote> notes;
};

struct NoteState {
    bool chord = false, grace = false, cue = false, rest = false, pitched = false, tie = false;
    QString step;
    double alter = 0;
    int octave = 4;
    double duration = -1;
    double typeQuarters = 0;
    int dots = 0;
    double actual = 0, normal = 0;
};

double TypeQuarters(QStringView type)
{
    static const char* const names[] = {"maxima", "long", "breve", "whole", "half",  "quarter", "eighth",
                                        "16th",   "32nd", "64th",  "128th", "256th", "512th",   "1024th"};
    double q = 32;
    for (const char* n : names) {
        if (type == QLatin1String(n))
            return q;
        q /= 2;
    }
    return 0;
}

int StepPitch(QStringView step)
{
    static const int base[] = {9, 11, 0, 2, 4, 5, 7};   // A..G
    if (step.size() != 1 || step[0] < u'A' || step[0] > u'G')
        return -1;
    return base[step[0].unicode() - u'A'];
}

// The note's length in quarter notes: its duration, or else its type, dots and tuplet.
double NoteQuarters(const NoteState& n, double divisions)
{
    double q = n.duration >= 0 ? n.duration / divisions : 0;
    if (n.duration < 0 && n.typeQuarters > 0) {
        q = n.typeQuarters * (2 - std::pow(0.5, std::min(n.dots, 8)));
        if (n.actual > 0 && n.normal > 0)
            q = q * n.normal / n.actual;
    }
    return q;
}

// Puts one part on one line: the highest voice. A note under one still sounding is left
// out; a higher one cuts the sounding note short. Gaps become rests.
std::vector<MelodyNote> OneLine(std::vector<MelodyNote> notes)
{
    std::stable_sort(notes.begin(), notes.end(), [](const MelodyNote& a, const MelodyNote& b) {
        return a.start != b.start ? a.start < b.start : a.pitch > b.pitch;
    });
    std::vector<MelodyNote> line;
    long long at = 0;   // end of the last note kept
    for (const MelodyNote& n : notes) {
        if (!line.empty() && n.start < at) {
            MelodyNote& prev = line.back();
            if (n.pitch <= prev.pitch || n.start == prev.start)
                continue;
            prev.length = n.start - prev.start;
            prev.tieToNext = false;
        } else if (n.start > at) {
            line.push_back({-1, at, n.start - at, false});
        }
        line.push_back(n);
        at = n.start + n.length;
    }
    return line;
}

// The tick grid for every part: the least common multiple of their divisions, at least 480.
long long TicksPerQuarter(long long lcm)
{
    long long tpq = lcm;
    if (tpq <= 0 || tpq > 100'000)
        tpq = 3840;
    if (tpq < 480)
        tpq *= (480 + tpq - 1) / tpq;
    return tpq;
}

class ScoreReader {
public:
    ScoreReader(const QByteArray& xml, const QString& file) : m_bytes(xml), m_xml(xml), m_file(file) {}
    Melody Read();

private:
    using Handler = void (ScoreReader::*)();
    struct Route {
        QLatin1String name;
        Handler handler;
    };
    static const Route kStarts[], kEnds[], kNoteEnds[], kPitchEnds[], kTimeModificationEnds[];

    [[noreturn]] void Bad(const QString& what) const { Fail(m_file, what); }
    bool Parent(const char* name) const
    {
        return m_stack.size() >= 2 && m_stack[m_stack.size() - 2] == QLatin1String(name);
    }
    // The element read is `below` levels under a score-part of the score's own part list.
    bool InPartList(size_t below) const
    {
        return m_stack.size() == 2 + below && m_stack[1] == QLatin1String("part-list") &&
               m_stack[2] == QLatin1String("score-part");
    }
    QStringView Attribute(const char* name) const { return m_xml.attributes().value(QLatin1String(name)); }
    // The element's text as a number within [lo, hi], or nothing.
    std::optional<double> Number(double lo = -1e9, double hi = 1e9) const
    {
        bool ok = false;
        const double v = m_text.trimmed().toDouble(&ok);
        return ok && std::isfinite(v) && v >= lo && v <= hi ? std::optional(v) : std::nullopt;
    }
    double Checked(double quarters) const
    {
        if (!std::isfinite(quarters) || std::abs(quarters) > Quarters)
            Bad(QStringLiteral("音符时值或位置超出范围"));
        return quarters;
    }
    PartState& Part(const QString& id);
    bool HavePart() const { return m_part >= 0; }
    // Looked up at each use: Part() may grow m_parts and move every part.
    PartState& Current() { return m_parts[size_t(m_part)]; }
    void StartMeasureOf(PartState& p) { p.pos = p.measureMax = p.measureStart; }

    bool Dispatch(std::span<const Route> routes);
    void ReadStartElement(int& elements, bool& rootSeen);
    void ReadEndElement();
    void Start();
    void End();
    Melody Finish();
    void FinishTimes(long long tpq);
    void FinishBars(long long tpq);
    void FinishParts(long long tpq);

    // Starts of elements.
    void StartScorePart();
    void StartPart();
    void StartMeasure();
    void StartNote() { m_note = NoteState{}; }
    void StartTie();
    void StartRest();
    void StartTime() { m_timeBeats = m_timeType = 0; }
    void StartCreator() { m_creatorType = Attribute("type").toString(); }
    void StartCredit() { m_creditType.clear(); }

    // Ends of a note's children, a pitch's and a time-modification's.
    void EndNote();
    void EndChord() { m_note.chord = true; }
    void EndGrace() { m_note.grace = true; }
    void EndCue() { m_note.cue = true; }
    void EndNoteDuration();
    void EndType() { m_note.typeQuarters = TypeQuarters(QStringView(m_text).trimmed()); }
    void EndDot() { ++m_note.dots; }
    void EndStep() { m_note.step = m_text.trimmed(), m_note.pitched = true; }
    void EndAlter();
    void EndOctave();
    void EndActualNotes();
    void EndNormalNotes();

    // Ends of every other element.
    void EndBackupOrForward();
    void EndDuration();
    void EndDivisions();
    void EndFifths();
    void EndMode();
    void EndKey();
    void EndBeats();
    void EndBeatType();
    void EndTime();
    void EndChromatic();
    void EndOctaveChange();
    void EndMeasure();
    void EndPart();
    void EndPartName();
    void EndWorkTitle() { m_workTitle = m_text.simplified(); }
    void EndMovementTitle() { m_movementTitle = m_text.simplified(); }
    void EndCreator();
    void EndCreditType() { m_creditType = m_text.trimmed(); }
    void EndCreditWords();
    void CloseMeasure();

    QByteArray m_bytes;
    QXmlStreamReader m_xml;
    QString m_file;
    std::vector<QString> m_stack;
    QString m_text;
    Melody m_melody;
    QHash<QString, int> m_partIndex;
    std::vector<PartState> m_parts;
    int m_part = -1;   // in m_parts: the part of the measure being read, -1 before one
    QString m_scorePartId;
    NoteState m_note;
    double m_moveBy = 0;   // backup / forward duration
    int m_timeBeats = 0, m_timeType = 0;
    int m_fifths = 0;
    bool m_minor = false, m_haveFifths = false;
    QString m_workTitle, m_movementTitle, m_creatorType, m_creditType;
    std::vector<double> m_barEnds;   // of the first part read
    std::vector<std::pair<double, std::pair<int, int>>> m_times;
    int m_notes = 0;
    long long m_tpq = 1;   // common multiple of every divisions value; 0 when there is none
};

const ScoreReader::Route ScoreReader::kStarts[] = {
    {QLatin1String("score-part"), &ScoreReader::StartScorePart},
    {QLatin1String("part"), &ScoreReader::StartPart},
    {QLatin1String("measure"), &ScoreReader::StartMeasure},
    {QLatin1String("note"), &ScoreReader::StartNote},
    {QLatin1String("tie"), &ScoreReader::StartTie},
    {QLatin1String("tied"), &ScoreReader::StartTie},
    {QLatin1String("rest"), &ScoreReader::StartRest},
    {QLatin1String("time"), &ScoreReader::StartTime},
    {QLatin1String("creator"), &ScoreReader::StartCreator},
    {QLatin1String("credit"), &ScoreReader::StartCredit},
};

const ScoreReader::Route ScoreReader::kNoteEnds[] = {
    {QLatin1String("chord"), &ScoreReader::EndChord}, {QLatin1String("grace"), &ScoreReader::EndGrace},
    {QLatin1String("cue"), &ScoreReader::EndCue},     {QLatin1String("duration"), &ScoreReader::EndNoteDuration},
    {QLatin1String("type"), &ScoreReader::EndType},   {QLatin1String("dot"), &ScoreReader::EndDot},
};

const ScoreReader::Route ScoreReader::kPitchEnds[] = {
    {QLatin1String("step"), &ScoreReader::EndStep},
    {QLatin1String("alter"), &ScoreReader::EndAlter},
    {QLatin1String("octave"), &ScoreReader::EndOctave},
};

const ScoreReader::Route ScoreReader::kTimeModificationEnds[] = {
    {QLatin1String("actual-notes"), &ScoreReader::EndActualNotes},
    {QLatin1String("normal-notes"), &ScoreReader::EndNormalNotes},
};

const ScoreReader::Route ScoreReader::kEnds[] = {
    {QLatin1String("backup"), &ScoreReader::EndBackupOrForward},
    {QLatin1String("forward"), &ScoreReader::EndBackupOrForward},
    {QLatin1String("duration"), &ScoreReader::EndDuration},
    {QLatin1String("divisions"), &ScoreReader::EndDivisions},
    {QLatin1String("fifths"), &ScoreReader::EndFifths},
    {QLatin1String("mode"), &ScoreReader::EndMode},
    {QLatin1String("key"), &ScoreReader::EndKey},
    {QLatin1String("beats"), &ScoreReader::EndBeats},
    {QLatin1String("beat-type"), &ScoreReader::EndBeatType},
    {QLatin1String("time"), &ScoreReader::EndTime},
    {QLatin1String("chromatic"), &ScoreReader::EndChromatic},
    {QLatin1String("octave-change"), &ScoreReader::EndOctaveChange},
    {QLatin1String("measure"), &ScoreReader::EndMeasure},
    {QLatin1String("part"), &ScoreReader::EndPart},
    {QLatin1String("part-name"), &ScoreReader::EndPartName},
    {QLatin1String("work-title"), &ScoreReader::EndWorkTitle},
    {QLatin1String("movement-title"), &ScoreReader::EndMovementTitle},
    {QLatin1String("creator"), &ScoreReader::EndCreator},
    {QLatin1String("credit-type"), &ScoreReader::EndCreditType},
    {QLatin1String("credit-words"), &ScoreReader::EndCreditWords},
};

// Calls the handler of the element just met, if the table has one.
bool ScoreReader::Dispatch(std::span<const Route> routes)
{
    const QString& name = m_stack.back();
    for (const Route& r : routes)
        if (name == r.name) {
            (this->*r.handler)();
            return true;
        }
    return false;
}

void ScoreReader::Start() { Dispatch(kStarts); }

PartState& ScoreReader::Part(const QString& id)
{
    auto it = m_partIndex.constFind(id);
    if (it == m_partIndex.constEnd()) {
        if (int(m_parts.size()) >= Parts)
            Bad(QStringLiteral("声部太多（超过 %1 个）").arg(Parts));
        PartState p;
        p.index = int(m_parts.size());
        m_parts.push_back(p);
        m_melody.parts.push_back({QStringLiteral("声部 %1").arg(m_parts.size()), {}});
        it = m_partIndex.insert(id, p.index);
    }
    return m_parts[size_t(*it)];
}

// ---- Starts ----

void ScoreReader::StartScorePart()
{
    // Only the score's part list names parts; one met anywhere else is passed over.
    if (InPartList(1)) {
        m_scorePartId = Attribute("id").toString();
        Part(m_scorePartId);
    }
}

void ScoreReader::StartPart()
{
    if (Parent("part-list"))
        return;
    // Partwise: part holds measures; timewise: measure holds parts.
    m_part = Part(Attribute("id").toString()).index;
    if (Parent("measure"))
        StartMeasureOf(Current());
}

void ScoreReader::StartMeasure()
{
    if (HavePart() && Parent("part"))
        StartMeasureOf(Current());
}

void ScoreReader::StartTie()
{
    if (Attribute("type") == QLatin1String("start"))
        m_note.tie = true;
}

void ScoreReader::StartRest()
{
    if (Parent("note"))
        m_note.rest = true;
}

// ---- Ends inside a note ----

// A child of note, pitch or time-modification is read by its parent's table alone.
void ScoreReader::End()
{
    if (m_stack.back() == QLatin1String("note"))
        EndNote();
    else if (Parent("note"))
        Dispatch(kNoteEnds);
    else if (Parent("pitch"))
        Dispatch(kPitchEnds);
    else if (Parent("time-modification"))
        Dispatch(kTimeModificationEnds);
    else
        Dispatch(kEnds);
}

void ScoreReader::EndNote()
{
    if (!HavePart() || m_note.grace)
        return;   // ornaments take no time of their own
    PartState& p = Current();
    const NoteState& n = m_note;
    const double q = Checked(NoteQuarters(n, p.divisions));
    const double start = n.chord ? p.lastStart : p.pos;
    if (!n.chord) {
        p.lastStart = p.pos;
        p.pos = Checked(p.pos + q);
    }
    p.measureMax = std::max(p.measureMax, start + q);
    if (n.rest || n.cue || !n.pitched || q <= 0)
        return;
    const int base = StepPitch(n.step);
    if (base < 0)
        return;
    const int pitch = (n.octave + 1) * 12 + base + int(std::lround(n.alter)) + p.transpose;
    if (pitch < 0 || pitch > 127)
        return;
    if (++m_notes > Notes)
        Bad(QStringLiteral("音符太多（超过 %1 个）").arg(Notes));
    p.notes.push_back({start, q, pitch, n.tie});
}

void ScoreReader::EndNoteDuration()
{
    if (const auto v = Number(); v && *v >= 0)
        m_note.duration = *v;
}

void ScoreReader::EndAlter()
{
    if (const auto v = Number(); v && std::abs(*v) <= 2)
        m_note.alter = *v;
}

void ScoreReader::EndOctave()
{
    if (const auto v = Number(); v && *v >= 0 && *v <= 9)
        m_note.octave = int(*v);
}

void ScoreReader::EndActualNotes()
{
    if (const auto v = Number(); v && *v > 0)
        m_note.actual = *v;
}

void ScoreReader::EndNormalNotes()
{
    if (const auto v = Number(); v && *v > 0)
        m_note.normal = *v;
}

// ---- Ends of the measure's other elements ----

void ScoreReader::EndBackupOrForward()
{
    if (!HavePart())
        return;
    PartState& p = Current();
    const double q = Checked(m_moveBy / p.divisions);
    p.pos = m_stack.back() == QLatin1String("forward") ? Checked(p.pos + q) : std::max(p.measureStart, p.pos - q);
    p.measureMax = std::max(p.measureMax, p.pos);
    m_moveBy = 0;
}

void ScoreReader::EndDuration()
{
    if (!Parent("backup") && !Parent("forward"))
        return;
    const auto v = Number();
    m_moveBy = v && *v >= 0 ? *v : 0;
}

void ScoreReader::EndDivisions()
{
    if (!HavePart())
        return;
    const auto v = Number();
    if (!v || *v <= 0 || *v > 1e6)
        Bad(QStringLiteral("divisions 的值无效"));
    const double num = *v;
    Current().divisions = num;
    const long long d = std::llround(num);
    m_tpq = std::abs(num - double(d)) > 1e-9 || m_tpq > 100'000 ? 0 : m_tpq ? std::lcm(m_tpq, d) : 0;
}

void ScoreReader::EndFifths()
{
    if (const auto v = Number(-7, 7); v && Parent("key") && !m_haveFifths)
        m_fifths = int(*v), m_haveFifths = true;
}

void ScoreReader::EndMode()
{
    if (Parent("key") && m_haveFifths && !m_melody.key.known)
        m_minor = m_text.trimmed() == QLatin1String("minor");
}

void ScoreReader::EndKey()
{
    if (m_haveFifths && !m_melody.key.known)
        m_melody.key = {true, m_fifths, m_minor};
}

void ScoreReader::EndBeats()
{
    if (!Parent("time"))
        return;
    int sum = 0;
    for (const QString& s : m_text.split(u'+')) {
        bool ok = false;
        const int v = s.trimmed().toInt(&ok);
        if (ok && v > 0 && v <= 64)
            sum += v;
    }
    m_timeBeats = sum <= 128 ? sum : 0;
}

void ScoreReader::EndBeatType()
{
    if (const auto v = Number(); v && Parent("time")) {
        const int t = int(*v);
        m_timeType = t >= 1 && t <= 64 && (t & (t - 1)) == 0 ? t : 0;
    }
}

void ScoreReader::EndTime()
{
    if (!HavePart() || m_timeBeats <= 0 || m_timeType <= 0)
        return;
    PartState& p = Current();
    p.beats = m_timeBeats;
    p.beatType = m_timeType;
    if (p.index == 0)
        m_times.push_back({p.measureStart, {m_timeBeats, m_timeType}});
}

void ScoreReader::EndChromatic()
{
    if (const auto v = Number(-24, 24); v && Parent("transpose") && HavePart())
        Current().transpose += int(*v);
}

void ScoreReader::EndOctaveChange()
{
    if (const auto v = Number(-2, 2); v && Parent("transpose") && HavePart())
        Current().transpose += 12 * int(*v);
}

void ScoreReader::EndMeasure()
{
    if (HavePart() && Parent("part"))
        CloseMeasure();
}

void ScoreReader::EndPart()
{
    if (Parent("measure") && HavePart())
        CloseMeasure();   // timewise: the part's share of the measure
}

void ScoreReader::CloseMeasure()
{
    PartState& p = Current();
    double length = p.measureMax - p.measureStart;
    if (length <= 0)
        length = 4.0 * p.beats / p.beatType;   // an empty measure lasts as its time says
    p.measureStart = Checked(p.measureStart + length);
    if (p.index == 0)
        m_barEnds.push_back(p.measureStart);
}

void ScoreReader::EndPartName()
{
    if (!InPartList(2))
        return;
    if (const QString t = m_text.simplified(); !t.isEmpty())
        m_melody.parts[size_t(Part(m_scorePartId).index)].name = t;
}

void ScoreReader::EndCreator()
{
    const QString who = m_text.simplified();
    if (m_creatorType == QLatin1String("composer") && m_melody.composer.isEmpty())
        m_melody.composer = who;
    else if ((m_creatorType == QLatin1String("lyricist") || m_creatorType == QLatin1String("poet")) &&
             m_melody.lyricist.isEmpty())
        m_melody.lyricist = who;
}

void ScoreReader::EndCreditWords()
{
    if (m_creditType == QLatin1String("title") && m_movementTitle.isEmpty() && m_workTitle.isEmpty())
        m_movementTitle = m_text.simplified();
}

// ---- The document ----

void ScoreReader::ReadStartElement(int& elements, bool& rootSeen)
{
    if (!rootSeen) {
        rootSeen = true;
        if (m_xml.name() != QLatin1String("score-partwise") && m_xml.name() != QLatin1String("score-timewise"))
            Bad(QStringLiteral("不是 MusicXML 乐谱"));
    }
    if (++elements > Elements)
        Bad(QStringLiteral("元素太多"));
    if (m_stack.size() >= size_t(Depth))
        Bad(QStringLiteral("元素嵌套太深"));
    m_stack.push_back(m_xml.name().toString());
    m_text.clear();
    Start();
}

void ScoreReader::ReadEndElement()
{
    End();
    m_stack.pop_back();
    m_text.clear();
}

Melody ScoreReader::Read()
{
    if (const QString problem = MusicXmlDetail::TagProblem(m_bytes); !problem.isEmpty())
        Bad(problem);
    int elements = 0;
    bool rootSeen = false;
    while (!m_xml.atEnd()) {
        const auto token = m_xml.readNext();
        // Entities could expand without end; MusicXML never needs its own.
        if (token == QXmlStreamReader::DTD && !m_xml.entityDeclarations().isEmpty())
            Bad(QStringLiteral("文件含有实体声明，为安全起见不予读取"));
        else if (token == QXmlStreamReader::StartElement)
            ReadStartElement(elements, rootSeen);
        else if (token == QXmlStreamReader::Characters && m_text.size() < 4096)
            m_text += m_xml.text().left(4096);
        else if (token == QXmlStreamReader::EndElement)
            ReadEndElement();
    }
    if (m_xml.hasError())
        Bad(QStringLiteral("XML 格式错误（第 %1 行第 %2 列）").arg(m_xml.lineNumber()).arg(m_xml.columnNumber()));
    if (!rootSeen)
        Bad(QStringLiteral("不是 MusicXML 乐谱"));
    return Finish();
}

// ---- The melody ----

void ScoreReader::FinishTimes(long long tpq)
{
    std::vector<MelodyTime>& times = m_melody.times;
    for (const auto& [at, t] : m_times) {
        const long long tick = std::llround(at * double(tpq));
        if (times.empty() || times.back().at != tick)
            times.push_back({tick, t.first, t.second});
        else
            times.back() = {tick, t.first, t.second};
    }
}

void ScoreReader::FinishBars(long long tpq)
{
    if (!m_barEnds.empty())
        m_barEnds.pop_back();   // the last one ends the song
    std::vector<long long>& bars = m_melody.barStarts;
    for (double at : m_barEnds)
        if (const long long tick = std::llround(at * double(tpq)); bars.empty() || bars.back() < tick)
            bars.push_back(tick);
}

void ScoreReader::FinishParts(long long tpq)
{
    const auto ticks = [&](double q) { return std::llround(q * double(tpq)); };
    for (const PartState& p : m_parts) {
        std::vector<MelodyNote> notes;
        notes.reserve(p.notes.size());
        for (const RawNote& n : p.notes) {
            const long long s = ticks(n.start), len = ticks(n.start + n.length) - s;
            if (len > 0)
                notes.push_back({n.pitch, s, len, n.tie});
        }
        m_melody.parts[size_t(p.index)].notes = OneLine(std::move(notes));
    }
}

Melody ScoreReader::Finish()
{
    if (m_notes == 0)
        Bad(QStringLiteral("乐谱中没有音符"));
    const long long tpq = TicksPerQuarter(m_tpq);
    m_melody.ticksPerQuarter = int(tpq);
    m_melody.title = m_workTitle.isEmpty() ? m_movementTitle : m_workTitle;
    FinishTimes(tpq);
    FinishBars(tpq);
    FinishParts(tpq);
    return m_melody;
}

}

Melody ParseMusicXml(const QByteArray& bytes, const QString& fileName)
{
    if (bytes.startsWith("PK\x03\x04"))
        return ScoreReader(MusicXmlDetail::UnpackMxl(bytes, fileName), fileName).Read();
    if (bytes.size() > ScoreBytes)
        Fail(fileName, QStringLiteral("文件太大"));
    return ScoreReader(bytes, fileName).Read();
}

Melody ReadMusicXml(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    // Opened without waiting: a pipe in the file's place would stop the window for good.
    const FileRead read = ReadFileBounded(path, FileBytes);
    if (read.fault == FileRead::Fault::TooLarge)
        Fail(name, QStringLiteral("文件太大（超过 %1 MB）").arg(FileBytes / (1024 * 1024)));
    if (!read.ok())
        Fail(name, QStringLiteral("文件无法打开（%1）").arg(read.reason));
    return ParseMusicXml(read.bytes, name);
}
