#include "core/formats/MidiFile.h"
#include "core/Errors.h"
#include "core/files/FileOps.h"
#include "core/score/Timeline.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <map>

namespace {

// Bounds on what a file may ask for, checked before anything grows.
constexpr int TrackLimit = 256;
constexpr int EventLimit = 1000000;
constexpr long long TickLimit = 1LL << 36;
constexpr int NameBytes = 256;
constexpr size_t TimeLimit = 10000;   // time signatures kept
constexpr int WriteTicksPerQuarter = 480;
constexpr int Drums = 9;   // channel 10 carries no melody

quint32 Be(const QByteArray& b, qsizetype at, int bytes)
{
    quint32 v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}

// Names are stored in no fixed code: UTF-8 when it is, else the code page Chinese files use.
QString DecodeName(QByteArrayView bytes)
{
    bytes = bytes.first(std::min<qsizetype>(bytes.size(), NameBytes));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString s = utf8.decode(bytes);
    if (utf8.hasError()) {
        QStringDecoder gbk("GBK");
        s = gbk.isValid() ? QString(gbk.decode(bytes)) : QString::fromLatin1(bytes);
    }
    return s.trimmed();
}

class TrackReader {
public:
    TrackReader(const QByteArray& b, qsizetype start, qsizetype end, int number)
        : m_b(b), m_pos(start), m_end(end), m_number(number)
    {
    }

    [[noreturn]] void Fail(const QString& what) const
    {
        Raise(QStringLiteral("第 %1 个轨道%2。").arg(m_number).arg(what));
    }

    quint8 Byte()
    {
        if (m_pos >= m_end)
            Fail(QStringLiteral("在事件中途结束"));
        return quint8(m_b[m_pos++]);
    }

    // A variable-length number: at most four bytes.
    quint32 Number()
    {
        quint32 v = 0;
        for (int i = 0; i < 4; ++i) {
            const quint8 c = Byte();
            v = (v << 7) | (c & 0x7f);
            if (!(c & 0x80))
                return v;
        }
        Fail(QStringLiteral("中有超过四个字节的数值"));
    }

    QByteArrayView Take(quint32 length)
    {
        if (qint64(length) > m_end - m_pos)
            Fail(QStringLiteral("中的数据长度超出轨道"));
        const QByteArrayView v(m_b.constData() + m_pos, qsizetype(length));
        m_pos += qsizetype(length);
        return v;
    }

    bool AtEnd() const { return m_pos >= m_end; }

private:
    const QByteArray& m_b;
    qsizetype m_pos;
    qsizetype m_end;
    int m_number;
};

struct ParseState {
    Melody melody;
    bool tempoSeen = false;
    int events = 0;
    int notesOnGrid = 0;
    int noteStarts = 0;
};

void ReadTrack(TrackReader& r, ParseState& st, int number)
{
    Melody& m = st.melody;
    std::vector<std::deque<std::pair<long long, int>>> open(16 * 128);   // start, velocity
    std::map<int, std::vector<MelodyNote>> channels;
    QString name, instrument;
    long long tick = 0;
    int status = 0;
    auto closeNote = [&](int ch, int pitch) {
        auto& starts = open[size_t(ch * 128 + pitch)];
        if (starts.empty())
            return;   // a note off with no note on
        const auto [start, velocity] = starts.front();
        starts.pop_front();
        channels[ch].push_back({pitch, start, tick - start, false, velocity});
    };

    while (!r.AtEnd()) {
        tick += r.Number();
        if (tick > TickLimit)
            r.Fail(QStringLiteral("的时间过长"));
        if (++st.events > EventLimit)
            Raise(QStringLiteral("事件超过 %1 个。").arg(EventLimit));
        const quint8 c = r.Byte();
        if (c == 0xff) {
            const quint8 type = r.Byte();
            const QByteArrayView data = r.Take(r.Number());
            status = 0;
            if (type == 0x2f)
                break;
            if (type == 0x03 && name.isEmpty())
                name = DecodeName(data);
            else if (type == 0x04 && instrument.isEmpty())
                instrument = DecodeName(data);
            else if (type == 0x58 && data.size() >= 2 && data[0] > 0 && quint8(data[1]) <= 6 && m.times.size() < TimeLimit)
                m.times.push_back({tick, quint8(data[0]), 1 << quint8(data[1])});
            else if (type == 0x51 && data.size() >= 3 && !st.tempoSeen) {
                st.tempoSeen = true;
                m.quarterMicros = std::max(1, int(Be(data.toByteArray(), 0, 3)));
            } else if (type == 0x59 && data.size() >= 2) {
                const int fifths = qint8(data[0]);
                if (fifths < -7 || fifths > 7)
                    continue;
                if (!m.key.known)
                    m.key = {true, fifths, data[1] == 1};
                else if (fifths != m.key.fifths && m.keyChanges.size() < TimeLimit)
                    m.keyChanges.push_back(tick);
            }
            continue;
        }
        if (c == 0xf0 || c == 0xf7) {
            r.Take(r.Number());
            status = 0;
            continue;
        }
        quint8 first;
        if (c & 0x80) {
            status = c;
            first = r.Byte();
        } else {
            if (status == 0)
                r.Fail(QStringLiteral("中有数据字节却没有状态字节"));
            first = c;
        }
        if (status >= 0xf0)
            r.Fail(QStringLiteral("中有文件里不该出现的系统消息"));
        const int kind = status & 0xf0, ch = status & 0x0f;
        const quint8 second = (kind == 0xc0 || kind == 0xd0) ? 0 : r.Byte();
        if ((first | second) & 0x80)
            r.Fail(QStringLiteral("中的数据字节无效"));
        if (ch == Drums)
            continue;
        if (kind == 0x90 && second > 0) {
            open[size_t(ch * 128 + first)].push_back({tick, second});
            ++st.noteStarts;
            // A tick or two off the grid is how some programs write every note.
            const long long off = (tick * 24) % m.ticksPerQuarter;
            st.notesOnGrid += std::min(off, m.ticksPerQuarter - off) <= 24 * GridSlack(m.ticksPerQuarter);
        } else if (kind == 0x80 || kind == 0x90) {
            closeNote(ch, first);
        }
    }
    for (int ch = 0; ch < 16; ++ch)
        for (int p = 0; p < 128; ++p)
            while (!open[size_t(ch * 128 + p)].empty())
                closeNote(ch, p);   // held to the end of the track

    // The first track's name is the name of the whole sequence.
    if (number == 1)
        m.title = name;
    const QString partName = name.isEmpty() ? instrument : name;
    for (auto& [ch, notes] : channels) {
        std::stable_sort(notes.begin(), notes.end(), [](const MelodyNote& a, const MelodyNote& b) {
            return a.start != b.start ? a.start < b.start : a.pitch > b.pitch;
        });
        MelodyPart part;
        part.name = channels.size() > 1 ? QStringLiteral("%1 通道 %2").arg(partName).arg(ch + 1).trimmed() : partName;
        if (part.name.isEmpty())
            part.name = QStringLiteral("轨道 %1").arg(number);
        for (const MelodyNote& n : notes)
            if (n.length > 0)
                part.notes.push_back(n);
        if (!part.notes.empty())
            m.parts.push_back(std::move(part));
    }
}

} // namespace

Melody ParseMidi(const QByteArray& b)
{
    if (b.size() > MidiFileLimit)
        Raise(QStringLiteral("文件超过 %1 MB。").arg(MidiFileLimit >> 20));
    if (b.size() < 14 || !b.startsWith("MThd"))
        Raise(QStringLiteral("这不是 MIDI 文件。"));
    const quint32 headerLength = Be(b, 4, 4);
    if (headerLength < 6 || headerLength > quint32(b.size() - 8))
        Raise(QStringLiteral("文件头已损坏。"));
    const int format = int(Be(b, 8, 2)), tracks = int(Be(b, 10, 2)), division = int(Be(b, 12, 2));
    if (format > 2)
        Raise(QStringLiteral("不认识的格式 %1。").arg(format));
    if (tracks == 0 || tracks > TrackLimit)
        Raise(QStringLiteral("轨道数 %1 不在 1 到 %2 之间。").arg(tracks).arg(TrackLimit));

    ParseState st;
    Melody& m = st.melody;
    if (division & 0x8000) {
        // Time in frames: read as quarters at 120 a minute, and quantise as played.
        const int fps = 256 - (division >> 8), perFrame = division & 0xff;
        if (perFrame == 0 || (fps != 24 && fps != 25 && fps != 29 && fps != 30))
            Raise(QStringLiteral("时间单位无效。"));
        m.ticksPerQuarter = std::max(1, fps * perFrame / 2);
        m.played = true;
    } else {
        if (division == 0)
            Raise(QStringLiteral("每拍的时间单位为 0。"));
        m.ticksPerQuarter = division;
    }

    qsizetype pos = 8 + qsizetype(headerLength);
    int read = 0;
    while (read < tracks && pos + 8 <= b.size()) {
        const QByteArray id = b.mid(pos, 4);
        const quint32 length = Be(b, pos + 4, 4);
        if (qint64(length) > b.size() - pos - 8)
            Raise(QStringLiteral("第 %1 个轨道的长度超出文件。").arg(read + 1));
        if (id == "MTrk") {
            ++read;
            TrackReader r(b, pos + 8, pos + 8 + qsizetype(length), read);
            ReadTrack(r, st, read);
        }
        pos += 8 + qsizetype(length);
    }
    if (read < tracks)
        Raise(QStringLiteral("文件不完整：应有 %1 个轨道，只找到 %2 个。").arg(tracks).arg(read));
    if (m.parts.empty())
        Raise(QStringLiteral("文件中没有音符。"));

    std::stable_sort(m.times.begin(), m.times.end(), [](const MelodyTime& a, const MelodyTime& b) { return a.at < b.at; });
    std::vector<MelodyTime> times;
    for (const MelodyTime& t : m.times) {
        if (!times.empty() && times.back().at == t.at)
            times.back() = t;
        else
            times.push_back(t);
    }
    m.times = std::move(times);
    // Notes off the grid of triplets and 32nds were played in, not written.
    if (st.noteStarts >= 8 && st.notesOnGrid * 5 < st.noteStarts * 4)
        m.played = true;
    std::sort(m.keyChanges.begin(), m.keyChanges.end());
    // A chord strummed or played by hand starts its notes a little apart.
    const long long window =
        m.played ? std::min<long long>(m.ticksPerQuarter / 8, MidiTicks(m, 30)) : m.ticksPerQuarter / 8;
    for (MelodyPart& p : m.parts)
        p.chordNotes = KeepChordTops(p.notes, window);
    return m;
}

Melody ReadMidiFile(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    const FileRead read = ReadFileBounded(path, MidiFileLimit);
    if (read.fault == FileRead::Fault::TooLarge)
        Raise(QStringLiteral("无法导入 %1：文件超过 %2 MB。").arg(shown).arg(MidiFileLimit >> 20));
    if (!read.ok())
        Raise(QStringLiteral("无法打开 %1：%2。").arg(shown, read.reason));
    const QByteArray& bytes = read.bytes;
    try {
        return ParseMidi(bytes);
    } catch (const TavoError& e) {
        Raise(QStringLiteral("无法导入 %1：%2").arg(shown, e.text()));
    }
}

namespace {

struct MidiEvent {
    long long tick;
    QByteArray bytes;
};

void PutNumber(QByteArray& out, quint32 v)
{
    char buf[5];
    int n = 0;
    buf[n++] = char(v & 0x7f);
    while (v >>= 7)
        buf[n++] = char((v & 0x7f) | 0x80);
    while (n)
        out.append(buf[--n]);
}

void PutBe(QByteArray& out, quint32 v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((v >> (8 * i)) & 0xff));
}

QByteArray Meta(quint8 type, const QByteArray& data)
{
    QByteArray e;
    e.append(char(0xff));
    e.append(char(type));
    PutNumber(e, quint32(data.size()));
    return e + data;
}

// Numerator, the denominator's power of two, MIDI clocks a beat (a dotted quarter in a
// compound meter), and 32nds a quarter.
QByteArray TimeSignature(const Meter& meter)
{
    int power = 0;
    while ((1 << power) < meter.unit && power < 6)
        ++power;
    const int clocks = meter.Compound() ? 36 : 24 * 4 / std::max(1, meter.unit);
    QByteArray data;
    data.append(char(meter.beats));
    data.append(char(power));
    data.append(char(std::clamp(clocks, 1, 96)));
    data.append(char(8));
    return data;
}

} // namespace

QByteArray MidiBytes(const Song& song, int tempo, const QString& title)
{
    const SongHeader head = song.header.value_or(SongHeader{});
    const Timeline timeline = BuildTimeline(song, Sounding::InSongKey);

    std::vector<MidiEvent> events;
    events.push_back({0, Meta(0x03, title.toUtf8())});
    if (head.meter || head.timeCode == Meter::TwoFour || head.timeCode == Meter::FourFour)
        events.push_back({0, Meta(0x58, TimeSignature(head.TimeSignature()))});
    QByteArray key;
    key.append(char(qint8(head.key.Fifths())));
    key.append(char(0));   // major: numbered notation counts from the major key note
    events.push_back({0, Meta(0x59, key)});
    QByteArray t;
    PutBe(t, quint32(60000000 / std::max(1, tempo)), 3);
    events.push_back({0, Meta(0x51, t)});
    events.push_back({0, QByteArray::fromHex("c000")});
    long long last = 0;
    // Offs sort before ons at the same tick, so a repeated note sounds again.
    std::vector<MidiEvent> notes;
    for (const TimelineEvent& e : timeline.events) {
        if (e.degree < 1 || e.degree > 7 || e.pitch < 0 || e.pitch > 127)
            continue;
        const int pitch = e.pitch;
        const long long on = std::llround(e.start * WriteTicksPerQuarter);
        const long long off = std::llround(e.End() * WriteTicksPerQuarter);
        notes.push_back({on * 2 + 1, QByteArray("\x90", 1) + char(pitch) + char(80)});
        notes.push_back({off * 2, QByteArray("\x80", 1) + char(pitch) + char(0)});
        last = std::max(last, off);
    }
    last = std::max(last, std::llround(timeline.beats * WriteTicksPerQuarter));
    std::stable_sort(notes.begin(), notes.end(), [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
    for (MidiEvent& n : notes) {
        n.tick /= 2;
        events.push_back(std::move(n));
    }
    events.push_back({last, Meta(0x2f, {})});

    QByteArray track;
    long long at = 0;
    for (const MidiEvent& e : events) {
        PutNumber(track, quint32(e.tick - at));
        at = e.tick;
        track += e.bytes;
    }
    QByteArray out("MThd");
    PutBe(out, 6, 4);
    PutBe(out, 0, 2);
    PutBe(out, 1, 2);
    PutBe(out, WriteTicksPerQuarter, 2);
    out += "MTrk";
    PutBe(out, quint32(track.size()), 4);
    return out + track;
}

void WriteMidiFile(const QString& path, const Song& song, int tempo, const QString& title)
{
    WriteWholeFile(path, MidiBytes(song, tempo, title));
}
