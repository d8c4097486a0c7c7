#pragma once
// The MusicXML reader's state and its handlers, one per element: MusicXmlRead.cpp walks the
// document and picks the handler by the element's name; MusicXmlElements.cpp holds them.
#include "core/formats/Melody.h"
#include "core/formats/MusicXml.h"
#include "core/formats/MusicXmlBounds.h"
#include <QHash>
#include <QXmlStreamReader>
#include <cmath>
#include <optional>
#include <span>
#include <vector>

namespace MusicXmlDetail {

struct RawNote {
    double start = 0, length = 0;   // in quarter notes
    int pitch = -1;
    bool tie = false;
    int velocity = 0;
    int letter = -1;   // written C..B as 0..6
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
    int velocity = 0;   // from the note's dynamics: 0 unknown
};

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
        if (!std::isfinite(quarters) || std::abs(quarters) > MusicXmlLimits::Quarters)
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
    void StartNote();
    void StartTie();
    void StartRest();
    void StartTime() { m_timeBeats = m_timeType = 0; }
    void StartKey() { m_haveFifths = false, m_minor = false; }
    void StartCreator() { m_creatorType = Attribute("type").toString(); }
    void StartCredit() { m_creditType.clear(); }

    // Ends of a note's children, a pitch's and a time-modification's.
    void EndNote();
    void EndChord() { m_note.chord = true; }
    void EndGrace() { m_note.grace = true; }
    void EndCue() { m_note.cue = true; }
    void EndNoteDuration();
    void EndType();
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
    int m_firstPartFifths = 99;         // the signature in force in the first part
    std::vector<double> m_keyChanges;   // where the first part's signature changes, in quarters
    QString m_workTitle, m_movementTitle, m_creatorType, m_creditType;
    std::vector<double> m_barEnds;   // of the first part read
    std::vector<std::pair<double, std::pair<int, int>>> m_times;
    int m_notes = 0;
    long long m_tpq = 1;   // common multiple of every divisions value; 0 when there is none
};

}
