// MusicXML out: one part in the song's key and meter, measures cut where the song has bar lines.
#include "core/AppInfo.h"
#include "core/formats/MusicXml.h"
#include "core/score/ScorePage.h"
#include "core/score/Timeline.h"
#include <QXmlStreamWriter>
#include <algorithm>
#include <cmath>

namespace {

constexpr int Divisions = 8;   // per quarter: a dotted sixteenth is still whole

struct WrittenValue {
    int units;
    const char* type;
    bool dot;
};

// Longest first: a length is written as the fewest of these, tied.
constexpr WrittenValue kValues[] = {{48, "whole", true}, {32, "whole", false},  {24, "half", true},
                                    {16, "half", false}, {12, "quarter", true}, {8, "quarter", false},
                                    {6, "eighth", true}, {4, "eighth", false},  {3, "16th", true},
                                    {2, "16th", false},  {1, "32nd", false}};

long long Units(double beats) { return std::llround(beats * Divisions); }

void WriteTies(QXmlStreamWriter& w, const QString& element, bool tieIn, bool tieOut)
{
    for (const auto& [on, type] : {std::pair{tieIn, "stop"}, std::pair{tieOut, "start"}})
        if (on) {
            w.writeEmptyElement(element);
            w.writeAttribute(QStringLiteral("type"), QLatin1String(type));
        }
}

// What one note of the song is on the staff: its letter, alteration and octave in the song's
// key, and the sign printed before it (none where the numbered notation shows none).
struct StaffPitch {
    bool rest = true;
    int letter = 0;   // 0..6: C..B
    int alter = 0;
    int octave = 4;
    const char* accidental = nullptr;
};

StaffPitch Spell(const Song& song, const TimelineEvent& ev, Accidental shown)
{
    StaffPitch p;
    if (ev.degree < 1 || ev.degree > 7 || ev.pitch < 0)
        return p;
    static constexpr int naturals[] = {0, 2, 4, 5, 7, 9, 11};
    const Key key = song.header ? song.header->key : Key{};
    p.rest = false;
    p.letter = (key.letter + ev.degree - 1) % 7;
    // The letter's natural pitch class against what sounds: the signature's sharp or flat and
    // the cell's own sign together.
    int alter = ((ev.pitch - naturals[p.letter]) % 12 + 12) % 12;
    if (alter > 6)
        alter -= 12;
    p.alter = alter;
    p.octave = (ev.pitch - naturals[p.letter] - alter) / 12 - 1;
    if (shown != Accidental::None) {
        static const char* const names[] = {"flat-flat", "flat", "natural", "sharp", "double-sharp"};
        p.accidental = names[std::clamp(alter, -2, 2) + 2];
    }
    return p;
}

void WritePitchOrRest(QXmlStreamWriter& w, const StaffPitch& p)
{
    static const char* const steps[] = {"C", "D", "E", "F", "G", "A", "B"};
    if (p.rest) {
        w.writeEmptyElement(QStringLiteral("rest"));
        return;
    }
    w.writeStartElement(QStringLiteral("pitch"));
    w.writeTextElement(QStringLiteral("step"), QLatin1String(steps[p.letter]));
    if (p.alter != 0)
        w.writeTextElement(QStringLiteral("alter"), QString::number(p.alter));
    w.writeTextElement(QStringLiteral("octave"), QString::number(p.octave));
    w.writeEndElement();
}

void WriteNote(QXmlStreamWriter& w, const StaffPitch& p, const WrittenValue& v, bool tieIn, bool tieOut)
{
    w.writeStartElement(QStringLiteral("note"));
    WritePitchOrRest(w, p);
    w.writeTextElement(QStringLiteral("duration"), QString::number(v.units));
    WriteTies(w, QStringLiteral("tie"), tieIn, tieOut);
    w.writeTextElement(QStringLiteral("voice"), QStringLiteral("1"));
    w.writeTextElement(QStringLiteral("type"), QLatin1String(v.type));
    if (v.dot)
        w.writeEmptyElement(QStringLiteral("dot"));
    // A note tied on from the one before keeps that one's sign without printing it again.
    if (p.accidental && !tieIn)
        w.writeTextElement(QStringLiteral("accidental"), QLatin1String(p.accidental));
    if (tieIn || tieOut) {
        w.writeStartElement(QStringLiteral("notations"));
        WriteTies(w, QStringLiteral("tied"), tieIn, tieOut);
        w.writeEndElement();
    }
    w.writeEndElement();
}

void WriteCredit(QXmlStreamWriter& w, const QString& type, const QString& words, int x, int y, const char* justify,
                 int size)
{
    w.writeStartElement(QStringLiteral("credit"));
    w.writeAttribute(QStringLiteral("page"), QStringLiteral("1"));
    w.writeTextElement(QStringLiteral("credit-type"), type);
    w.writeStartElement(QStringLiteral("credit-words"));
    w.writeAttribute(QStringLiteral("default-x"), QString::number(x));
    w.writeAttribute(QStringLiteral("default-y"), QString::number(y));
    w.writeAttribute(QStringLiteral("font-size"), QString::number(size));
    w.writeAttribute(QStringLiteral("justify"), QLatin1String(justify));
    w.writeAttribute(QStringLiteral("valign"), QStringLiteral("top"));
    w.writeCharacters(words);
    w.writeEndElement();
    w.writeEndElement();
}

// Measures end where the song has bar lines; a song without any is cut by its time.
std::vector<long long> MeasureEnds(const Timeline& tl, long long barUnits)
{
    const long long total = Units(tl.beats);
    std::vector<long long> ends;
    for (double b : tl.bars)
        if (const long long u = Units(b); u > 0 && u < total && (ends.empty() || ends.back() < u))
            ends.push_back(u);
    if (ends.empty())
        for (long long u = barUnits; u < total; u += barUnits)
            ends.push_back(u);
    ends.push_back(std::max<long long>(total, 1));
    return ends;
}

void WriteIdentification(QXmlStreamWriter& w, const SongHeader& head)
{
    w.writeStartElement(QStringLiteral("identification"));
    for (const auto& [type, who] : {std::pair{"composer", head.composer}, std::pair{"lyricist", head.lyricist}})
        if (!who.isEmpty()) {
            w.writeStartElement(QStringLiteral("creator"));
            w.writeAttribute(QStringLiteral("type"), QLatin1String(type));
            w.writeCharacters(who);
            w.writeEndElement();
        }
    w.writeStartElement(QStringLiteral("encoding"));
    w.writeTextElement(QStringLiteral("software"), AppTitle + u' ' + AppVersion);
    w.writeEndElement();
    w.writeEndElement();
}

// Page in tenths: A4 at 7 mm per staff space of 40 tenths.
void WriteDefaults(QXmlStreamWriter& w)
{
    w.writeStartElement(QStringLiteral("defaults"));
    w.writeStartElement(QStringLiteral("scaling"));
    w.writeTextElement(QStringLiteral("millimeters"), QStringLiteral("7"));
    w.writeTextElement(QStringLiteral("tenths"), QStringLiteral("40"));
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("page-layout"));
    w.writeTextElement(QStringLiteral("page-height"), QStringLiteral("1697"));
    w.writeTextElement(QStringLiteral("page-width"), QStringLiteral("1200"));
    w.writeEndElement();
    w.writeEndElement();
}

void WriteScoreHeader(QXmlStreamWriter& w, const SongHeader& head)
{
    w.writeStartElement(QStringLiteral("work"));
    w.writeTextElement(QStringLiteral("work-title"), head.title);
    w.writeEndElement();
    WriteIdentification(w, head);
    WriteDefaults(w);
    WriteCredit(w, QStringLiteral("title"), head.title, 600, 1611, "center", 22);
    if (!head.composer.isEmpty())
        WriteCredit(w, QStringLiteral("composer"), QStringLiteral("作曲：") + head.composer, 1114, 1511, "right", 11);
    if (!head.lyricist.isEmpty())
        WriteCredit(w, QStringLiteral("lyricist"), QStringLiteral("作词：") + head.lyricist, 86, 1511, "left", 11);
}

void WritePartList(QXmlStreamWriter& w)
{
    w.writeStartElement(QStringLiteral("part-list"));
    w.writeStartElement(QStringLiteral("score-part"));
    w.writeAttribute(QStringLiteral("id"), QStringLiteral("P1"));
    w.writeTextElement(QStringLiteral("part-name"), QStringLiteral("旋律"));
    // Notation programs pick the sound from these; the piano's own.
    w.writeStartElement(QStringLiteral("score-instrument"));
    w.writeAttribute(QStringLiteral("id"), QStringLiteral("P1-I1"));
    w.writeTextElement(QStringLiteral("instrument-name"), QStringLiteral("Piano"));
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("midi-instrument"));
    w.writeAttribute(QStringLiteral("id"), QStringLiteral("P1-I1"));
    w.writeTextElement(QStringLiteral("midi-channel"), QStringLiteral("1"));
    w.writeTextElement(QStringLiteral("midi-program"), QStringLiteral("1"));
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();
}

void WriteAttributes(QXmlStreamWriter& w, const Key& key, const Meter& meter)
{
    w.writeStartElement(QStringLiteral("attributes"));
    w.writeTextElement(QStringLiteral("divisions"), QString::number(Divisions));
    w.writeStartElement(QStringLiteral("key"));
    w.writeTextElement(QStringLiteral("fifths"), QString::number(key.Fifths()));
    w.writeTextElement(QStringLiteral("mode"), QStringLiteral("major"));
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("time"));
    w.writeTextElement(QStringLiteral("beats"), QString::number(meter.beats));
    w.writeTextElement(QStringLiteral("beat-type"), QString::number(meter.unit));
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("clef"));
    w.writeTextElement(QStringLiteral("sign"), QStringLiteral("G"));
    w.writeTextElement(QStringLiteral("line"), QStringLiteral("2"));
    w.writeEndElement();
    w.writeEndElement();
}

void WriteFinalBarline(QXmlStreamWriter& w)
{
    w.writeStartElement(QStringLiteral("barline"));
    w.writeAttribute(QStringLiteral("location"), QStringLiteral("right"));
    w.writeTextElement(QStringLiteral("bar-style"), QStringLiteral("light-heavy"));
    w.writeEndElement();
}

// The share of one event within [from, to], as the fewest written values, tied.
void WriteEventShare(QXmlStreamWriter& w, const TimelineEvent& ev, const StaffPitch& pitch, long long from,
                     long long to)
{
    const long long start = std::max(Units(ev.start), from), end = std::min(Units(ev.End()), to);
    const bool sounded = ev.degree > 0;
    long long at = start;
    while (at < end) {
        const WrittenValue& v = *std::find_if(std::begin(kValues), std::end(kValues),
                                              [&](const WrittenValue& x) { return x.units <= end - at; });
        const bool tieIn = sounded && at > Units(ev.start);
        at += v.units;
        WriteNote(w, pitch, v, tieIn, sounded && at < Units(ev.End()));
    }
}

// Writes the events that sound in [from, to]; e is the first one not yet ended, and stays
// at one that goes on into the next measure.
struct Staff {
    const Song& song;
    const Timeline& tl;
    std::vector<Accidental> shown;   // by cell
};

void WriteMeasureNotes(QXmlStreamWriter& w, const Staff& staff, size_t& e, long long from, long long to)
{
    const Timeline& tl = staff.tl;
    if (tl.events.empty())
        WriteNote(w, StaffPitch{}, kValues[to >= 32 ? 1 : 5], false, false);   // an empty song: one rest
    for (; e < tl.events.size(); ++e) {
        const TimelineEvent& ev = tl.events[e];
        const size_t cell = size_t(ev.cell - 1);
        WriteEventShare(w, ev, Spell(staff.song, ev, cell < staff.shown.size() ? staff.shown[cell] : Accidental::None),
                        from, to);
        if (Units(ev.End()) > to)
            break;   // it goes on in the next measure
    }
}

void WriteMeasures(QXmlStreamWriter& w, const Staff& staff, const Key& key, const Meter& meter)
{
    const long long barUnits = std::max(1LL, Units(meter.BarQuarters()));
    const std::vector<long long> ends = MeasureEnds(staff.tl, barUnits);
    size_t e = 0;
    long long from = 0;
    for (size_t m = 0; m < ends.size(); ++m) {
        const long long to = ends[m];
        w.writeStartElement(QStringLiteral("measure"));
        w.writeAttribute(QStringLiteral("number"), QString::number(m + 1));
        if (m == 0 && to < barUnits && ends.size() > 1)
            w.writeAttribute(QStringLiteral("implicit"), QStringLiteral("yes"));   // a pickup
        if (m == 0)
            WriteAttributes(w, key, meter);
        WriteMeasureNotes(w, staff, e, from, to);
        if (m + 1 == ends.size())
            WriteFinalBarline(w);
        w.writeEndElement();
        from = to;
    }
}

}

QByteArray WriteMusicXml(const Song& song)
{
    const SongHeader head = song.header.value_or(SongHeader{});
    const Timeline tl = BuildTimeline(song, Sounding::InSongKey);
    const Staff staff{song, tl, ShownAccidentals(song)};

    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument(QStringLiteral("1.0"), false);
    w.writeDTD(QStringLiteral("<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 4.0 Partwise//EN\" "
                              "\"http://www.musicxml.org/dtds/partwise.dtd\">"));
    w.writeStartElement(QStringLiteral("score-partwise"));
    w.writeAttribute(QStringLiteral("version"), QStringLiteral("4.0"));
    WriteScoreHeader(w, head);
    WritePartList(w);
    w.writeStartElement(QStringLiteral("part"));
    w.writeAttribute(QStringLiteral("id"), QStringLiteral("P1"));
    WriteMeasures(w, staff, head.key, head.TimeSignature());
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}
