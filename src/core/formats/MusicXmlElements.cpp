// The handlers of the elements the reader takes in: each reads its element's text or
// attributes into the note, the part or the song.
#include "core/formats/MusicXmlReader.h"
#include <algorithm>
#include <numeric>

using namespace MusicXmlLimits;

namespace {

using MusicXmlDetail::NoteState;

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

}

namespace MusicXmlDetail {

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

void ScoreReader::StartNote()
{
    m_note = NoteState{};
    // Played loudness as a share of forte (velocity 90): the accents a pickup is found by.
    bool ok = false;
    const double dynamics = Attribute("dynamics").toDouble(&ok);
    if (ok && std::isfinite(dynamics) && dynamics > 0)
        m_note.velocity = int(std::lround(std::clamp(dynamics * 0.9, 1.0, 127.0)));
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
    // A transposing part's written names are not what sounds: only its pitch is kept.
    const int letter = p.transpose == 0 ? int((n.step[0].unicode() - u'A' + 5) % 7) : -1;
    p.notes.push_back({start, q, pitch, n.tie, n.velocity, letter});
}

void ScoreReader::EndNoteDuration()
{
    if (const auto v = Number(); v && *v >= 0)
        m_note.duration = *v;
}

void ScoreReader::EndType() { m_note.typeQuarters = TypeQuarters(QStringView(m_text).trimmed()); }

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
    if (Parent("key") && m_haveFifths)
        m_minor = m_text.trimmed() == QLatin1String("minor");
}

void ScoreReader::EndKey()
{
    if (!m_haveFifths)
        return;
    if (!m_melody.key.known)
        m_melody.key = {true, m_fifths, m_minor};
    // Later signatures of the first part: the song keeps the first and says where it changes.
    if (HavePart() && Current().index == 0) {
        if (m_firstPartFifths != 99 && m_firstPartFifths != m_fifths && m_keyChanges.size() < KeyChanges)
            m_keyChanges.push_back(Current().pos);
        m_firstPartFifths = m_fifths;
    }
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

}
