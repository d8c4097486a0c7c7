// MusicXML in: a push reader over QXmlStreamReader. Each element's start and end go to a
// small handler chosen by the element's name; the children of note, pitch and
// time-modification have tables of their own, so a name means one thing in one place.
#include "core/files/FileOps.h"
#include "core/formats/MusicXml.h"
#include "core/formats/MusicXmlReader.h"
#include "core/formats/MxlContainer.h"
#include <QFileInfo>
#include <algorithm>

using namespace MusicXmlLimits;
using MusicXmlDetail::Fail;

namespace {

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

}

namespace MusicXmlDetail {

const ScoreReader::Route ScoreReader::kStarts[] = {
    {QLatin1String("score-part"), &ScoreReader::StartScorePart},
    {QLatin1String("part"), &ScoreReader::StartPart},
    {QLatin1String("measure"), &ScoreReader::StartMeasure},
    {QLatin1String("note"), &ScoreReader::StartNote},
    {QLatin1String("tie"), &ScoreReader::StartTie},
    {QLatin1String("tied"), &ScoreReader::StartTie},
    {QLatin1String("rest"), &ScoreReader::StartRest},
    {QLatin1String("time"), &ScoreReader::StartTime},
    {QLatin1String("key"), &ScoreReader::StartKey},
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
                notes.push_back({n.pitch, s, len, n.tie, n.velocity, n.letter});
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
    for (const double at : m_keyChanges)
        m_melody.keyChanges.push_back(std::llround(at * double(tpq)));
    FinishBars(tpq);
    FinishParts(tpq);
    return m_melody;
}

}

using MusicXmlDetail::ScoreReader;

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
