#include "core/formats/Conversion.h"
#include "core/Errors.h"
#include "core/formats/ConversionLine.h"
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <set>

namespace {

using namespace ConversionDetail;

constexpr int Lowest = 48;           // "c": the lower 1 once the key note is c
constexpr int Highest = 77;          // "f2": the highest named note
constexpr int MaxArc = 5;
constexpr int CreditBytes = 10;
// Rests between far-apart notes could ask for endless cells; past this the song is
// far over the limit anyway and the caller keeps its first bars.
constexpr int EmitLimit = 8 * ConvertedCellLimit;
// How much worse than the best key the signature may fit the notes before it is not believed.
constexpr double KeyMismatch = 0.25;

long long BarUnits(const MelodyTime& t)
{
    return std::max(2LL, (long long)std::clamp(t.beats, 1, 64) * UnitsPerWhole / std::clamp(t.beatType, 1, 64));
}

// Krumhansl–Schmuckler: the key whose profile best matches the time each pitch class sounds,
// among all keys or those of one signature (`onlyFifths`); `fit` is how well it matches.
constexpr int AnySignature = 99;
MelodyKey FindKey(const std::vector<Timed>& line, double& fit, int onlyFifths = AnySignature)
{
    static const std::array<double, 12> major{6.35, 2.23, 3.48, 2.33, 4.38, 4.09, 2.52, 5.19, 2.39, 3.66, 2.29, 2.88};
    static const std::array<double, 12> minor{6.33, 2.68, 3.52, 5.38, 2.60, 3.53, 2.54, 4.75, 3.98, 2.69, 3.34, 3.17};
    std::array<double, 12> hist{};
    for (const Timed& n : line)
        hist[size_t(n.pitch % 12)] += double(n.end - n.start);
    auto correlate = [&](const std::array<double, 12>& profile, int tonic) {
        double mx = 0, my = 0;
        for (int i = 0; i < 12; ++i) {
            mx += hist[size_t((tonic + i) % 12)];
            my += profile[size_t(i)];
        }
        mx /= 12;
        my /= 12;
        double sxy = 0, sxx = 0, syy = 0;
        for (int i = 0; i < 12; ++i) {
            const double x = hist[size_t((tonic + i) % 12)] - mx, y = profile[size_t(i)] - my;
            sxy += x * y;
            sxx += x * x;
            syy += y * y;
        }
        return sxx > 0 ? sxy / std::sqrt(sxx * syy) : 0.0;
    };
    double best = -2;
    MelodyKey key;
    key.known = true;
    for (int tonic = 0; tonic < 12; ++tonic)
        for (const bool isMinor : {false, true}) {
            // A minor key is written from its relative major, as numbered notation does.
            const int majorTonic = isMinor ? (tonic + 3) % 12 : tonic;
            int fifths = int(Mod(majorTonic * 7, 12));
            if (fifths > 6)
                fifths -= 12;
            if (onlyFifths != AnySignature && Mod(fifths - onlyFifths, 12) != 0)
                continue;
            const double r = correlate(isMinor ? minor : major, tonic);
            if (r > best + 1e-12) {
                best = r;
                key.fifths = onlyFifths != AnySignature ? onlyFifths : fifths;
                key.minor = isMinor;
            }
        }
    fit = best;
    return key;
}

bool InScale(int pitch)
{
    static constexpr bool scale[12] = {true, false, true, false, true, true, false, true, false, true, false, true};
    return scale[Mod(pitch, 12)];
}

// Moves the line into C with its key note as 1, shifted by octaves to fit the named notes.
// Notes outside the scale keep their pitch: they are written with a sharp or a flat.
void Transpose(std::vector<Timed>& line, int tonic, Counts& counts)
{
    // Most notes inside the named notes, and of those the most in the middle octave; but an
    // octave that leaves a few notes (at most a tenth) outside is taken when it brings a third
    // of the tune more into the middle octave: the high notes of a later section are folded
    // and counted rather than the whole tune written an octave low.
    struct Fit {
        int shift = 0, inside = 0, middle = 0;
    };
    std::vector<Fit> fits;
    Fit best{-tonic, -1, -1};
    for (int k = -6; k <= 6; ++k) {
        Fit f{-tonic + 12 * k, 0, 0};
        for (const Timed& n : line) {
            const int p = n.pitch + f.shift;
            f.inside += p >= Lowest && p <= Highest;
            f.middle += p >= 60 && p < 72;
        }
        fits.push_back(f);
        if (f.inside > best.inside || (f.inside == best.inside && f.middle > best.middle))
            best = f;
    }
    const int notes = int(line.size());
    Fit chosen = best;
    for (const Fit& f : fits)
        if (f.inside * 10 >= notes * 9 && (f.middle - best.middle) * 3 >= notes && f.middle > chosen.middle)
            chosen = f;
    const int bestShift = chosen.shift;
    for (Timed& n : line) {
        int p = n.pitch + bestShift;
        if (p < Lowest || p > Highest) {
            ++counts.folded;
            while (p < Lowest)
                p += 12;
            while (p > Highest)
                p -= 12;
        }
        n.pitch = p;
    }
}

// A pitch of the line (in C, 60 the middle 1) as a degree, its sign and its octave. Between two
// degrees, a note that leads a semitone up is the sharp below and one that leads down the flat
// above; else it is spelled as numbered notation mostly writes it: ♯1 ♭3 ♯4 ♯5 ♭7 (the raised
// sixth and seventh of a minor tune are ♯4 and ♯5). A file that names its notes (MusicXML) is
// followed instead: `written` is the degree its note name gives, 0 (1) .. 6 (7).
struct Spelled {
    int degree = 1;
    int alter = 0;
    int octave = 1;
};

int OctaveOf(int natural) { return natural < 60 ? 0 : natural < 72 ? 1 : 2; }

Spelled Spell(int pitch, int next = -1, int written = -1)
{
    static constexpr int scale[7] = {0, 2, 4, 5, 7, 9, 11};
    if (written >= 0 && written < 7) {
        const int alter = int(Mod(pitch - scale[written] + 6, 12)) - 6;
        if (alter >= -1 && alter <= 1)
            return {written + 1, alter, OctaveOf(pitch - alter)};
    }
    static constexpr int degree[12] = {1, 1, 2, 3, 3, 4, 4, 5, 5, 6, 7, 7};
    static constexpr int usual[12] = {0, 1, 0, -1, 0, 0, 1, 0, 1, 0, -1, 0};
    const size_t pc = size_t(Mod(pitch, 12));
    int alter = usual[pc];
    if (alter != 0 && next == pitch + 1)
        alter = 1;
    else if (alter != 0 && next == pitch - 1)
        alter = -1;
    const int natural = pitch - alter;
    return {degree[size_t(Mod(natural, 12))], alter, OctaveOf(natural)};
}

struct TimeSignatures {
    std::vector<MelodyTime> times;
    std::vector<long long> barUnits;   // the file's own bar lines

    // The time signature in force at a unit; 4/4 before the first.
    MelodyTime At(long long at) const
    {
        const auto it = std::upper_bound(times.begin(), times.end(), at,
                                         [](long long a, const MelodyTime& t) { return a < t.at; });
        return it == times.begin() ? MelodyTime{} : *(it - 1);
    }

    long long BarEnd(long long start) const
    {
        const auto file = std::upper_bound(barUnits.begin(), barUnits.end(), start);
        if (file != barUnits.end())
            return *file;
        long long end = start + BarUnits(At(start));
        // A new time signature starts a bar.
        const auto next = std::upper_bound(times.begin(), times.end(), start,
                                           [](long long a, const MelodyTime& mt) { return a < mt.at; });
        if (next != times.end() && next->at < end)
            end = next->at;
        return end;
    }
};

class Writer {
public:
    explicit Writer(Counts& counts) : m_counts(counts) {}

    // The header counts as one of the rows written.
    bool Full() const { return int(m_cells.size()) + 1 > EmitLimit; }

    void NotePiece(const Spelled& note, long long len, bool tiedToPrevious)
    {
        bool tied = tiedToPrevious;
        while (len > 0 && !Full()) {
            const long long v = NoteGroup(len);
            if (!tied || m_chains.empty())
                m_chains.emplace_back();
            m_chains.back().push_back(int(m_cells.size()));
            if (!tied)
                ++m_notes;
            WriteGroup(note, v);
            len -= std::min(len, v);
            tied = true;
        }
    }

    void RestPiece(long long len, long long posInBar)
    {
        while (len > 0 && !Full()) {
            const long long toBeat = Mod(-posInBar, UnitsPerQuarter);
            long long v;
            if (toBeat > 0 && toBeat < len)
                v = SmallGroup(toBeat == 1 ? std::min(len, toBeat + 2) : toBeat);   // no lone 32nd
            else if (len >= UnitsPerQuarter)
                v = UnitsPerQuarter;
            else
                v = SmallGroup(len);
            if (v == 1) {
                ++m_counts.rounded;   // a 32nd rest cannot be written: it is left out
                len -= 1;
                posInBar += 1;
                continue;
            }
            WriteGroup(Spelled{0, 0, 0}, v);
            len -= v;
            posInBar += v;
        }
    }

    void Bar() { m_cells.push_back(Cell::MakeSymbol(CellKind::Bar)); }

    std::vector<Cell> Finish(int& notes)
    {
        for (const std::vector<int>& chain : m_chains) {
            size_t i = 0;
            while (i + 1 < chain.size()) {
                size_t j = i;
                while (j + 1 < chain.size() && chain[j + 1] - chain[i] <= MaxArc)
                    ++j;
                if (j == i) {
                    ++m_counts.droppedArcs;   // the tied note sounds again
                    ++i;
                    ++m_notes;
                    continue;
                }
                m_cells[size_t(chain[i])].slur = chain[j] - chain[i];
                i = j;
            }
        }
        notes = m_notes;
        return std::move(m_cells);
    }

private:
    // The longest value one note cell with its dot or dashes writes, leaving no 32nd over.
    static long long NoteGroup(long long len)
    {
        const long long beats = len / UnitsPerQuarter * UnitsPerQuarter;   // a note and dashes
        for (const long long v : {beats >= 16 ? beats : 0LL, 12LL, 8LL, 6LL, 4LL, 3LL, 2LL})
            if (v >= 2 && v <= len && len - v != 1)
                return v;
        return len;   // a lone 32nd
    }

    static long long SmallGroup(long long len)
    {
        for (const long long v : {6LL, 4LL, 3LL, 2LL})
            if (v <= len && len - v != 1)
                return v;
        return len;
    }

    // A note (degree 1..7) or a rest (degree 0) with that many underlines.
    void Sound(const Spelled& n, int underlines)
    {
        m_cells.push_back(n.degree == 0 ? Cell::MakeRest(underlines)
                                        : Cell::MakeNote(n.degree, underlines, n.octave, 0, n.alter));
    }

    // One cell of a degree (0 a rest) for v units: underlines, a dot, or dashes.
    void WriteGroup(const Spelled& n, long long v)
    {
        if (v == 1) {
            ++m_counts.rounded;   // a lone 32nd is written as a sixteenth
            v = 2;
        }
        switch (v) {
        case 2: Sound(n, 2); return;
        case 3:
            Sound(n, 2);
            m_cells.push_back(Cell::MakeDot(2));
            return;
        case 4: Sound(n, 1); return;
        case 6:
            Sound(n, 1);
            m_cells.push_back(Cell::MakeDot(1));
            return;
        case 12:
            Sound(n, 0);
            m_cells.push_back(Cell::MakeDot(0));
            return;
        default:
            Sound(n, 0);
            for (long long k = UnitsPerQuarter; k < v && !Full(); k += UnitsPerQuarter)
                m_cells.push_back(Cell::MakeSymbol(CellKind::Dash));
        }
    }

    Counts& m_counts;
    std::vector<Cell> m_cells;
    std::vector<std::vector<int>> m_chains;   // cell indices of notes tied together
    int m_notes = 0;
};

// The pitch of the note after cells[at], past a rest; -1 at the end.
int NextPitch(const std::vector<Timed>& cells, size_t at)
{
    for (size_t k = at + 1; k < cells.size() && k <= at + 2; ++k)
        if (cells[k].pitch >= 0)
            return cells[k].pitch;
    return -1;
}

// The file's meter when the song can carry it; 2/4 and 4/4 are the header's own codes.
std::optional<Meter> KeptMeter(const MelodyTime& t)
{
    if (t.beatType == 4 && (t.beats == 2 || t.beats == 4))
        return std::nullopt;
    return Meter::FromCaption(QStringLiteral("%1/%2").arg(t.beats).arg(t.beatType));
}

int TimeCode(const MelodyTime& t)
{
    if (t.beats == 2 && t.beatType == 4)
        return 0;
    if (t.beats == 4 && t.beatType == 4)
        return 1;
    return t.beats * UnitsPerWhole / std::max(1, t.beatType) <= 2 * UnitsPerQuarter ? 0 : 1;
}

struct Changes {
    MelodyKey key;
    bool keyContradicted = false;
    std::vector<long long> keyChangeBars;   // bar numbers where the file changes key
    std::vector<QString> meterChanges;      // "第 9 小节起 3/4"
    int code = 1;
    bool played = false;
};

QString Summary(const Counts& c, const std::vector<MelodyTime>& times, const Changes& ch)
{
    QStringList parts;
    parts << QStringLiteral("原调 ") + KeyName(ch.key.fifths);
    if (ch.keyContradicted)
        parts << QStringLiteral("调号与音符不符，按 ") + KeyName(ch.key.fifths);
    for (const long long bar : ch.keyChangeBars)
        parts << QStringLiteral("第 %1 小节起转调，仍按 %2 记，变化的音加升降号").arg(bar).arg(KeyName(ch.key.fifths));
    if (c.folded)
        parts << QStringLiteral("%1 个音已移入音域").arg(c.folded);
    if (c.graces)
        parts << QStringLiteral("%1 个倚音已略去").arg(c.graces);
    if (c.swing)
        parts << QStringLiteral("摇摆节奏记作平均的八分音符");
    if (c.triplets)
        parts << QStringLiteral("%1 个三连音已近似").arg(c.triplets);
    if (c.rounded)
        parts << QStringLiteral("%1 个时值已近似").arg(c.rounded);
    if (c.merged)
        parts << QStringLiteral("%1 个过短的音并入相邻的音").arg(c.merged);
    if (c.droppedArcs)
        parts << QStringLiteral("%1 条连音线超过 5 格，已去掉").arg(c.droppedArcs);
    QStringList others;
    for (const MelodyTime& t : times) {
        const QString name = QStringLiteral("%1/%2").arg(t.beats).arg(t.beatType);
        if (!(t.beatType == 4 && (t.beats == 2 || t.beats == 4)) && !KeptMeter(t) && !others.contains(name))
            others << name;
    }
    if (!others.isEmpty())
        parts << QStringLiteral("%1 拍保留小节线，记作 %2")
                     .arg(others.join(u'、'), ch.code == 0 ? QStringLiteral("2/4") : QStringLiteral("4/4"));
    for (const QString& m : ch.meterChanges)
        parts << m;
    if (ch.played)
        parts << QStringLiteral("已按十六分音符对齐");
    return parts.join(QStringLiteral("；"));
}

// The share of the notes' time outside the scale of a signature.
double OutsideScale(const std::vector<Timed>& line, int fifths)
{
    const long long tonic = Mod(fifths * 7, 12);
    long long out = 0, all = 0;
    for (const Timed& n : line) {
        all += n.end - n.start;
        out += InScale(int(Mod(n.pitch - tonic, 12))) ? 0 : n.end - n.start;
    }
    return all ? double(out) / double(all) : 0.0;
}

// The pitch class of a key's key note (the relative minor's for a minor key).
int Tonic(const MelodyKey& k) { return int(Mod(k.fifths * 7 + (k.minor ? 9 : 0), 12)); }

// The key: the signature, unless the notes before any change fit another key far better.
void ChooseKey(const Melody& m, const std::vector<Timed>& line, Changes& ch)
{
    const long long until = m.keyChanges.empty() ? -1 : UnitsOf(m.keyChanges.front(), m);
    std::vector<Timed> before;
    for (const Timed& n : line)
        if (until < 0 || n.start < until)
            before.push_back(n);
    double best = 0, signature = 0;
    const MelodyKey found = FindKey(before.empty() ? line : before, best);
    if (!m.key.known) {
        ch.key = found;
        return;
    }
    ch.key = m.key;
    FindKey(before.empty() ? line : before, signature, m.key.fifths);
    const std::vector<Timed>& notes = before.empty() ? line : before;
    const double outside = OutsideScale(notes, m.key.fifths);
    const bool scaleFitsWorse = outside >= 0.1 && OutsideScale(notes, found.fifths) * 3 <= outside;
    // A notation program that guesses the signature of a MIDI file may take a neighbouring
    // major key whose scale holds the notes as well: the tune's last note, the key note of the
    // notes' major key and not of the signature's, says which it is (in a whole tune, not a
    // few notes).
    const int last = notes.back().pitch;
    const bool tonicSaysOther = notes.size() >= 12 && !found.minor && !m.key.minor &&
                                best - signature > KeyMismatch / 2 && OutsideScale(notes, found.fifths) <= outside &&
                                Mod(last - Tonic(found), 12) == 0 && Mod(last - Tonic(m.key), 12) != 0;
    if (found.fifths != m.key.fifths && ((best - signature > KeyMismatch && scaleFitsWorse) || tonicSaysOther)) {
        ch.key = found;
        ch.keyContradicted = true;
    }
}

// The bar lines: the file's own, unless they are only a meter counted from the start and the
// notes say the tune starts with a pickup.
TimeSignatures Bars(const Melody& m, const std::vector<Timed>& line)
{
    TimeSignatures bars;
    for (const MelodyTime& t : m.times)
        bars.times.push_back({UnitsOf(t.at, m), t.beats, t.beatType});
    for (const long long b : m.barStarts) {
        const long long u = UnitsOf(b, m);
        if (u > 0 && (bars.barUnits.empty() || u > bars.barUnits.back()))
            bars.barUnits.push_back(u);
    }
    const long long barLen = BarUnits(bars.At(0));
    if (!bars.barUnits.empty() && bars.barUnits.front() != barLen)
        return bars;   // the file writes its pickup bar
    long long until = std::numeric_limits<long long>::max();
    for (const MelodyTime& t : bars.times)
        if (t.at > 0) {
            until = t.at;
            break;
        }
    if (const long long pickup = Pickup(line, barLen, until); pickup > 0)
        bars.barUnits = {pickup};
    return bars;
}

// Bar numbers (from 1) of places, in order.
std::vector<long long> BarNumbers(const TimeSignatures& bars, std::vector<long long> at)
{
    std::sort(at.begin(), at.end());
    std::vector<long long> numbers;
    long long start = 0, number = 1;
    for (const long long u : at) {
        for (int guard = 0; guard < 100000; ++guard) {
            const long long end = std::max(start + 1, bars.BarEnd(start));
            if (u < end)
                break;
            start = end;
            ++number;
        }
        numbers.push_back(number);
    }
    return numbers;
}

void NoteChanges(const Melody& m, const TimeSignatures& bars, Changes& ch)
{
    std::vector<long long> keyAt;
    for (const long long k : m.keyChanges)
        keyAt.push_back(UnitsOf(k, m));
    ch.keyChangeBars = BarNumbers(bars, keyAt);
    ch.keyChangeBars.erase(std::unique(ch.keyChangeBars.begin(), ch.keyChangeBars.end()), ch.keyChangeBars.end());
    std::vector<long long> meterAt;
    std::vector<QString> names;
    for (size_t i = 1; i < bars.times.size(); ++i) {
        const MelodyTime& a = bars.times[i - 1];
        const MelodyTime& b = bars.times[i];
        if (a.beats * b.beatType != b.beats * a.beatType || a.beatType != b.beatType) {
            meterAt.push_back(b.at);
            names.push_back(QStringLiteral("%1/%2").arg(b.beats).arg(b.beatType));
        }
    }
    const std::vector<long long> at = BarNumbers(bars, meterAt);
    for (size_t i = 0; i < at.size() && i < 20; ++i)
        ch.meterChanges.push_back(QStringLiteral("第 %1 小节起 %2 拍，小节线照原曲").arg(at[i]).arg(names[i]));
}

} // namespace

QString KeyName(int fifths)
{
    static const char* const names[] = {"♭C", "♭G", "♭D", "♭A", "♭E", "♭B", "F", "C",
                                        "G",  "D",  "A",  "E",  "B",  "♯F", "♯C"};
    return QStringLiteral("1=") + QString::fromUtf8(names[std::clamp(fifths, -7, 7) + 7]);
}

QStringList MelodyPartLabels(const Melody& melody)
{
    QStringList labels;
    for (size_t i = 0; i < melody.parts.size(); ++i) {
        const MelodyPart& p = melody.parts[i];
        // A file's name for a part is quoted as a message quotes it.
        const QString name = p.name.trimmed().isEmpty() ? QStringLiteral("第 %1 声部").arg(i + 1) : Excerpt(p.name.trimmed(), 40);
        labels << QStringLiteral("%1（%2 个音）").arg(name).arg(p.NoteCount());
    }
    return labels;
}

ConvertedSong ConvertMelody(const Melody& melody, int part, const QString& fallbackTitle, const QString& songDate)
{
    if (part < 0 || part >= int(melody.parts.size()))
        Raise(QStringLiteral("文件中没有可导入的声部。"));
    Counts counts;
    std::vector<Timed> line = Quantise(OneLine(melody.parts[size_t(part)].notes, melody, counts), melody, counts);
    NoLone32nds(line, counts);
    if (line.empty())
        Raise(QStringLiteral("所选声部没有音符。"));

    Changes changes;
    changes.played = melody.played;
    ChooseKey(melody, line, changes);
    Transpose(line, int(Mod(changes.key.fifths * 7, 12)), counts);

    const TimeSignatures bars = Bars(melody, line);
    NoteChanges(melody, bars, changes);
    const MelodyTime first = bars.times.empty() ? MelodyTime{} : bars.times.front();
    const int code = TimeCode(first);
    changes.code = code;

    SongHeader header;
    QString title = StorableText(melody.title, Score::TitleBytes);
    if (title.isEmpty())
        title = StorableText(fallbackTitle, Score::TitleBytes);
    if (title.isEmpty())
        title = QStringLiteral("未命名");
    header.title = title;
    const QString unknown = QStringLiteral("佚名");
    const QString lyricist = StorableText(melody.lyricist, CreditBytes);
    const QString composer = StorableText(melody.composer, CreditBytes);
    header.performer = unknown;
    header.lyricist = lyricist.isEmpty() ? unknown : lyricist;
    header.composer = composer.isEmpty() ? unknown : composer;
    header.timeCode = code;
    header.key = Key::FromFifths(changes.key.fifths);
    if (const std::optional<Meter> meter = KeptMeter(first))
        header.SetMeter(*meter);

    // Rests fill the gaps; the last bar is filled up to its end.
    std::vector<Timed> cells;
    long long t = 0;
    for (const Timed& n : line) {
        if (n.start > t)
            cells.push_back({-1, t, n.start, false});
        cells.push_back(n);
        t = n.end;
    }
    const long long songEnd = t;

    // The file's note names give the degrees while the song is in the file's own key.
    const bool named = melody.key.known && changes.key.fifths == melody.key.fifths && !changes.keyContradicted;
    const long long keyLetter = Mod(4LL * changes.key.fifths, 7);   // 1's name: C, G (4), D (1), F (3) ...
    const auto writtenDegree = [&](const Timed& n) {
        return named && n.letter >= 0 ? int(Mod(n.letter - keyLetter, 7)) : -1;
    };

    Writer writer(counts);
    size_t i = 0;
    for (long long barStart = 0; barStart < songEnd && !writer.Full();) {
        const long long barEnd = std::max(barStart + 1, bars.BarEnd(barStart));
        while (i < cells.size() && cells[i].end <= barStart)
            ++i;
        for (size_t j = i; j < cells.size() && cells[j].start < barEnd && !writer.Full(); ++j) {
            const long long a = std::max(cells[j].start, barStart), b = std::min(cells[j].end, barEnd);
            if (cells[j].pitch < 0)
                writer.RestPiece(b - a, a - barStart);
            else
                writer.NotePiece(Spell(cells[j].pitch, NextPitch(cells, j), writtenDegree(cells[j])), b - a,
                                 a > cells[j].start);
        }
        if (barEnd > songEnd)
            writer.RestPiece(barEnd - songEnd, songEnd - barStart);
        writer.Bar();
        barStart = barEnd;
    }

    ConvertedSong song;
    song.date = songDate;
    song.song.header = header;
    song.song.cells = writer.Finish(song.noteCount);
    song.summary = Summary(counts, melody.times, changes);
    return song;
}

void KeepFirstBars(ConvertedSong& song, int maxCells)
{
    if (song.Cells() <= maxCells)
        return;
    std::vector<Cell>& cells = song.song.cells;
    size_t keep = size_t(maxCells);
    for (size_t c = keep; c > 0; --c)
        if (cells[c - 1].kind == CellKind::Bar) {
            keep = c;
            break;
        }
    cells.resize(keep);
    for (size_t c = 0; c < keep; ++c)
        if (cells[c].IsSounding() && c + size_t(cells[c].slur) >= keep)
            cells[c].slur = 0;
}
