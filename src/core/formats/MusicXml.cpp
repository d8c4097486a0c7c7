#include "core/formats/MusicXml.h"
#include "core/Errors.h"
#include "core/files/FileOps.h"
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include "core/AppInfo.h"
#include "core/score/ScorePage.h"
#include "core/score/Timeline.h"
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <string_view>
#include <zip.h>

using namespace MusicXmlLimits;

namespace {

[[noreturn]] void Fail(const QString& file, const QString& what)
{
    Raise(QStringLiteral("无法导入“%1”：%2。").arg(file, what));
}

// ---- Tags, before the XML reader sees them ----

// QXmlStreamReader compares each attribute with every one before it, so one element with
// tens of thousands of them holds the window for seconds. One linear pass over the bytes
// counts them first. Returns what is wrong, or nothing.
QString TagProblem(std::string_view s)
{
    const auto skip = [&](size_t& i, std::string_view end) {
        const size_t at = s.find(end, i);
        i = at == std::string_view::npos ? s.size() : at + end.size();
    };
    size_t i = 0;
    while ((i = s.find('<', i)) != std::string_view::npos) {
        const std::string_view rest = s.substr(i);
        if (rest.starts_with("<!--")) {
            skip(i, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            skip(i, "]]>");
        } else if (rest.starts_with("<?")) {
            skip(i, "?>");
        } else if (rest.starts_with("<!")) {
            // A document type, its internal subset with the comments and quotes inside it.
            int depth = 0;
            for (++i; i < s.size(); ++i) {
                const std::string_view at = s.substr(i);
                if (at.starts_with("<!--"))
                    skip(i, "-->"), --i;
                else if (at.starts_with("<?"))
                    skip(i, "?>"), --i;
                else if (s[i] == '"' || s[i] == '\'')
                    i = std::min(s.find(s[i], i + 1), s.size());
                else if (s[i] == '[')
                    ++depth;
                else if (s[i] == ']')
                    --depth;
                else if (s[i] == '>' && depth <= 0)
                    break;
            }
        } else {
            const size_t start = i;
            int attributes = 0;
            for (++i; i < s.size() && s[i] != '>'; ++i) {
                if (s[i] == '"' || s[i] == '\'')
                    i = std::min(s.find(s[i], i + 1), s.size() - 1);
                else if (s[i] == '=' && ++attributes > TagAttributes)
                    return QStringLiteral("有元素的属性太多（超过 %1 个）").arg(TagAttributes);
                if (qint64(i - start) > TagBytes)
                    break;
            }
            if (qint64(i - start) > TagBytes)
                return QStringLiteral("有标签太长（超过 %1 KB）").arg(TagBytes / 1024);
        }
    }
    return {};
}

QString TagProblem(const QByteArray& bytes)
{
    return TagProblem(std::string_view(bytes.constData(), size_t(bytes.size())));
}

// ---- .mxl: a zip whose META-INF/container.xml names the score ----

struct ZipArchive {
    zip_t* zip = nullptr;
    ~ZipArchive()
    {
        if (zip)
            zip_discard(zip);
    }
};

// The entry's bytes, never more than `limit`: the header's size is only a claim, so the
// count is checked while reading.
QByteArray ReadEntry(zip_t* zip, zip_int64_t index, qint64 limit, const QString& file)
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(zip, zip_uint64_t(index), 0, &st) != 0)
        Fail(file, QStringLiteral("压缩包已损坏"));
    if ((st.valid & ZIP_STAT_SIZE) && st.size > zip_uint64_t(limit))
        Fail(file, QStringLiteral("压缩包中的乐谱解压后太大"));
    if ((st.valid & ZIP_STAT_SIZE) && (st.valid & ZIP_STAT_COMP_SIZE) && st.size > 1024 * 1024 &&
        st.size / std::max<zip_uint64_t>(st.comp_size, 1) > zip_uint64_t(PackRatio))
        Fail(file, QStringLiteral("压缩包的压缩比异常，可能是压缩炸弹"));
    zip_file_t* f = zip_fopen_index(zip, zip_uint64_t(index), 0);
    if (!f)
        Fail(file, QStringLiteral("压缩包中的文件无法解压"));
    QByteArray out;
    char buf[65536];
    for (;;) {
        const zip_int64_t n = zip_fread(f, buf, sizeof buf);
        if (n < 0) {
            zip_fclose(f);
            Fail(file, QStringLiteral("压缩包中的文件无法解压"));
        }
        if (n == 0)
            break;
        if (out.size() + n > limit) {
            zip_fclose(f);
            Fail(file, QStringLiteral("压缩包中的乐谱解压后太大"));
        }
        out.append(buf, qsizetype(n));
        if ((st.valid & ZIP_STAT_COMP_SIZE) && out.size() > 1024 * 1024 &&
            zip_uint64_t(out.size()) / std::max<zip_uint64_t>(st.comp_size, 1) > zip_uint64_t(PackRatio)) {
            zip_fclose(f);
            Fail(file, QStringLiteral("压缩包的压缩比异常，可能是压缩炸弹"));
        }
    }
    zip_fclose(f);
    return out;
}

QString ContainerRootFile(const QByteArray& container)
{
    if (!TagProblem(container).isEmpty())
        return {};
    QXmlStreamReader xml(container);
    int depth = 0;
    while (!xml.atEnd()) {
        const auto t = xml.readNext();
        if (t == QXmlStreamReader::DTD)
            return {};
        if (t == QXmlStreamReader::EndElement)
            --depth;
        if (t != QXmlStreamReader::StartElement)
            continue;
        if (++depth > Depth)
            return {};
        if (xml.name() == QLatin1String("rootfile")) {
            const QString media = xml.attributes().value(QLatin1String("media-type")).toString();
            if (media.isEmpty() || media == QLatin1String("application/vnd.recordare.musicxml+xml"))
                return xml.attributes().value(QLatin1String("full-path")).toString();
        }
    }
    return {};
}

QByteArray UnpackMxl(const QByteArray& bytes, const QString& file)
{
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &err);
    ZipArchive a;
    if (src) {
        a.zip = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &err);
        if (!a.zip)
            zip_source_free(src);
    }
    zip_error_fini(&err);
    if (!a.zip)
        Fail(file, QStringLiteral("不是有效的 .mxl 压缩文件"));
    const zip_int64_t entries = zip_get_num_entries(a.zip, 0);
    if (entries < 0 || entries > ZipEntries)
        Fail(file, QStringLiteral("压缩包中的文件太多"));

    QString root;
    const zip_int64_t container = zip_name_locate(a.zip, "META-INF/container.xml", 0);
    if (container >= 0)
        root = ContainerRootFile(ReadEntry(a.zip, container, ContainerBytes, file));
    zip_int64_t score = root.isEmpty() ? -1 : zip_name_locate(a.zip, root.toUtf8().constData(), 0);
    // Without a usable container, the one .xml/.musicxml file at the top is the score.
    for (zip_int64_t i = 0; score < 0 && container < 0 && i < entries; ++i) {
        const QString name = QString::fromUtf8(zip_get_name(a.zip, zip_uint64_t(i), 0));
        if (!name.contains(u'/') && (name.endsWith(QLatin1String(".xml")) || name.endsWith(QLatin1String(".musicxml"))))
            score = i;
    }
    if (score < 0)
        Fail(file, QStringLiteral("压缩包中找不到乐谱（META-INF/container.xml 未指明）"));
    return ReadEntry(a.zip, score, ScoreBytes, file);
}

// ---- The score ----

struct RawNote {
    double start = 0, length = 0;   // in quarter notes
    int pitch = -1;
    bool tie = false;
};

struct PartState {
    int index = 0;                  // in Melody::parts
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
    static const char* const names[] = {"maxima", "long", "breve", "whole", "half", "quarter", "eighth", "16th",
                                        "32nd", "64th", "128th", "256th", "512th", "1024th"};
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

class ScoreReader {
public:
    ScoreReader(const QByteArray& xml, const QString& file) : m_bytes(xml), m_xml(xml), m_file(file) {}
    Melody Read();

private:
    [[noreturn]] void Bad(const QString& what) const { Fail(m_file, what); }
    bool Parent(const char* name) const
    {
        return m_stack.size() >= 2 && m_stack[m_stack.size() - 2] == QLatin1String(name);
    }
    bool Inside(const char* name) const
    {
        return std::any_of(m_stack.begin(), m_stack.end(), [&](const QString& s) { return s == QLatin1String(name); });
    }
    // The element read is `below` levels under a score-part of the score's own part list.
    bool InPartList(size_t below) const
    {
        return m_stack.size() == 2 + below && m_stack[1] == QLatin1String("part-list") &&
               m_stack[2] == QLatin1String("score-part");
    }
    double Number(double lo, double hi) const
    {
        bool ok = false;
        const double v = m_text.trimmed().toDouble(&ok);
        return ok && std::isfinite(v) && v >= lo && v <= hi ? v : std::nan("");
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
    void Start();
    void End();
    void EndNote();
    void EndMeasure();
    Melody Finish();

    QByteArray m_bytes;
    QXmlStreamReader m_xml;
    QString m_file;
    std::vector<QString> m_stack;
    QString m_text;
    Melody m_melody;
    QHash<QString, int> m_partIndex;
    std::vector<PartState> m_parts;
    int m_part = -1;                 // in m_parts: the part of the measure being read, -1 before one
    QString m_scorePartId;
    NoteState m_note;
    double m_moveBy = 0;             // backup / forward duration
    int m_timeBeats = 0, m_timeType = 0;
    int m_fifths = 0;
    bool m_minor = false, m_haveFifths = false;
    QString m_workTitle, m_movementTitle, m_creatorType, m_creditType;
    std::vector<double> m_barEnds;   // of the first part read
    std::vector<std::pair<double, std::pair<int, int>>> m_times;
    int m_notes = 0;
    long long m_tpq = 1;             // common multiple of every divisions value; 0 when there is none
};

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

void ScoreReader::Start()
{
    const QStringView name = m_xml.name();
    const auto attr = [&](const char* a) { return m_xml.attributes().value(QLatin1String(a)); };
    if (name == QLatin1String("score-part")) {
        // Only the score's part list names parts; one met anywhere else is passed over.
        if (InPartList(1)) {
            m_scorePartId = attr("id").toString();
            Part(m_scorePartId);
        }
    } else if (name == QLatin1String("part") && !Parent("part-list")) {
        // Partwise: part holds measures; timewise: measure holds parts.
        m_part = Part(attr("id").toString()).index;
        if (Parent("measure")) {
            PartState& p = Current();
            p.pos = p.measureMax = p.measureStart;
        }
    } else if (name == QLatin1String("measure") && HavePart() && Parent("part")) {
        PartState& p = Current();
        p.pos = p.measureMax = p.measureStart;
    } else if (name == QLatin1String("note")) {
        m_note = NoteState{};
    } else if (name == QLatin1String("tie") || name == QLatin1String("tied")) {
        if (attr("type") == QLatin1String("start"))
            m_note.tie = true;
    } else if (name == QLatin1String("rest") && Parent("note")) {
        m_note.rest = true;
    } else if (name == QLatin1String("time")) {
        m_timeBeats = m_timeType = 0;
    } else if (name == QLatin1String("creator")) {
        m_creatorType = attr("type").toString();
    } else if (name == QLatin1String("credit")) {
        m_creditType.clear();
    }
}

void ScoreReader::EndNote()
{
    if (!HavePart())
        return;
    PartState& p = Current();
    NoteState& n = m_note;
    if (n.grace)
        return;   // ornaments take no time of their own
    double q = n.duration >= 0 ? n.duration / p.divisions : 0;
    if (n.duration < 0 && n.typeQuarters > 0) {
        q = n.typeQuarters * (2 - std::pow(0.5, std::min(n.dots, 8)));
        if (n.actual > 0 && n.normal > 0)
            q = q * n.normal / n.actual;
    }
    q = Checked(q);
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

void ScoreReader::EndMeasure()
{
    PartState& p = Current();
    double length = p.measureMax - p.measureStart;
    if (length <= 0)
        length = 4.0 * p.beats / p.beatType;   // an empty measure lasts as its time says
    p.measureStart = Checked(p.measureStart + length);
    if (p.index == 0)
        m_barEnds.push_back(p.measureStart);
}

void ScoreReader::End()
{
    const QStringView name = m_xml.name();
    const double num = Number(-1e9, 1e9);
    const bool known = !std::isnan(num);
    if (name == QLatin1String("note")) {
        EndNote();
    } else if (Parent("note")) {
        if (name == QLatin1String("chord"))
            m_note.chord = true;
        else if (name == QLatin1String("grace"))
            m_note.grace = true;
        else if (name == QLatin1String("cue"))
            m_note.cue = true;
        else if (name == QLatin1String("duration") && known && num >= 0)
            m_note.duration = num;
        else if (name == QLatin1String("type"))
            m_note.typeQuarters = TypeQuarters(QStringView(m_text).trimmed());
        else if (name == QLatin1String("dot"))
            ++m_note.dots;
    } else if (Parent("pitch")) {
        if (name == QLatin1String("step"))
            m_note.step = m_text.trimmed(), m_note.pitched = true;
        else if (name == QLatin1String("alter") && known && std::abs(num) <= 2)
            m_note.alter = num;
        else if (name == QLatin1String("octave") && known && num >= 0 && num <= 9)
            m_note.octave = int(num);
    } else if (Parent("time-modification")) {
        if (name == QLatin1String("actual-notes") && known && num > 0)
            m_note.actual = num;
        else if (name == QLatin1String("normal-notes") && known && num > 0)
            m_note.normal = num;
    } else if ((name == QLatin1String("backup") || name == QLatin1String("forward")) && HavePart()) {
        PartState& p = Current();
        const double q = Checked(m_moveBy / p.divisions);
        p.pos = name == QLatin1String("forward") ? Checked(p.pos + q) : std::max(p.measureStart, p.pos - q);
        p.measureMax = std::max(p.measureMax, p.pos);
        m_moveBy = 0;
    } else if (name == QLatin1String("duration") && (Parent("backup") || Parent("forward"))) {
        m_moveBy = known && num >= 0 ? num : 0;
    } else if (name == QLatin1String("divisions") && HavePart()) {
        if (!known || num <= 0 || num > 1e6)
            Bad(QStringLiteral("divisions 的值无效"));
        Current().divisions = num;
        const long long d = std::llround(num);
        m_tpq = std::abs(num - double(d)) > 1e-9 || m_tpq > 100'000 ? 0 : m_tpq ? std::lcm(m_tpq, d) : 0;
    } else if (name == QLatin1String("fifths") && Parent("key") && known && num >= -7 && num <= 7) {
        if (!m_haveFifths)
            m_fifths = int(num), m_haveFifths = true;
    } else if (name == QLatin1String("mode") && Parent("key")) {
        if (m_haveFifths && m_melody.key.known == false)
            m_minor = m_text.trimmed() == QLatin1String("minor");
    } else if (name == QLatin1String("key")) {
        if (m_haveFifths && !m_melody.key.known)
            m_melody.key = {true, m_fifths, m_minor};
    } else if (name == QLatin1String("beats") && Parent("time")) {
        int sum = 0;
        for (const QString& s : m_text.split(u'+')) {
            bool ok = false;
            const int v = s.trimmed().toInt(&ok);
            if (ok && v > 0 && v <= 64)
                sum += v;
        }
        m_timeBeats = sum <= 128 ? sum : 0;
    } else if (name == QLatin1String("beat-type") && Parent("time") && known) {
        const int v = int(num);
        m_timeType = v >= 1 && v <= 64 && (v & (v - 1)) == 0 ? v : 0;
    } else if (name == QLatin1String("time") && HavePart() && m_timeBeats > 0 && m_timeType > 0) {
        PartState& p = Current();
        p.beats = m_timeBeats;
        p.beatType = m_timeType;
        if (p.index == 0)
            m_times.push_back({p.measureStart, {m_timeBeats, m_timeType}});
    } else if (name == QLatin1String("chromatic") && Parent("transpose") && HavePart() && known && std::abs(num) <= 24) {
        Current().transpose += int(num);
    } else if (name == QLatin1String("octave-change") && Parent("transpose") && HavePart() && known &&
               std::abs(num) <= 2) {
        Current().transpose += 12 * int(num);
    } else if (name == QLatin1String("measure") && HavePart() && (Parent("part") || Inside("score-timewise"))) {
        if (Parent("part"))
            EndMeasure();
    } else if (name == QLatin1String("part") && Parent("measure") && HavePart()) {
        EndMeasure();   // timewise: the part's share of the measure
    } else if (name == QLatin1String("part-name") && InPartList(2)) {
        if (const QString t = m_text.simplified(); !t.isEmpty())
            m_melody.parts[size_t(Part(m_scorePartId).index)].name = t;
    } else if (name == QLatin1String("work-title")) {
        m_workTitle = m_text.simplified();
    } else if (name == QLatin1String("movement-title")) {
        m_movementTitle = m_text.simplified();
    } else if (name == QLatin1String("creator")) {
        const QString who = m_text.simplified();
        if (m_creatorType == QLatin1String("composer") && m_melody.composer.isEmpty())
            m_melody.composer = who;
        else if ((m_creatorType == QLatin1String("lyricist") || m_creatorType == QLatin1String("poet")) &&
                 m_melody.lyricist.isEmpty())
            m_melody.lyricist = who;
    } else if (name == QLatin1String("credit-type")) {
        m_creditType = m_text.trimmed();
    } else if (name == QLatin1String("credit-words") && m_creditType == QLatin1String("title") &&
               m_movementTitle.isEmpty() && m_workTitle.isEmpty()) {
        m_movementTitle = m_text.simplified();
    }
}

Melody ScoreReader::Read()
{
    if (const QString problem = TagProblem(m_bytes); !problem.isEmpty())
        Bad(problem);
    int elements = 0;
    bool rootSeen = false;
    while (!m_xml.atEnd()) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::DTD:
            // Entities could expand without end; MusicXML never needs its own.
            if (!m_xml.entityDeclarations().isEmpty())
                Bad(QStringLiteral("文件含有实体声明，为安全起见不予读取"));
            break;
        case QXmlStreamReader::StartElement:
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
            break;
        case QXmlStreamReader::Characters:
            if (m_text.size() < 4096)
                m_text += m_xml.text().left(4096);
            break;
        case QXmlStreamReader::EndElement:
            End();
            m_stack.pop_back();
            m_text.clear();
            break;
        default:
            break;
        }
    }
    if (m_xml.hasError())
        Bad(QStringLiteral("XML 格式错误（第 %1 行第 %2 列）").arg(m_xml.lineNumber()).arg(m_xml.columnNumber()));
    if (!rootSeen)
        Bad(QStringLiteral("不是 MusicXML 乐谱"));
    return Finish();
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

Melody ScoreReader::Finish()
{
    if (m_notes == 0)
        Bad(QStringLiteral("乐谱中没有音符"));
    // One tick grid for every part: the least common multiple of their divisions.
    long long tpq = m_tpq;
    if (tpq <= 0 || tpq > 100'000)
        tpq = 3840;
    if (tpq < 480)
        tpq *= (480 + tpq - 1) / tpq;
    const auto ticks = [&](double q) { return std::llround(q * double(tpq)); };

    Melody& m = m_melody;
    m.ticksPerQuarter = int(tpq);
    m.title = m_workTitle.isEmpty() ? m_movementTitle : m_workTitle;
    for (const auto& [at, t] : m_times)
        if (m.times.empty() || m.times.back().at != ticks(at))
            m.times.push_back({ticks(at), t.first, t.second});
        else
            m.times.back() = {ticks(at), t.first, t.second};
    if (!m_barEnds.empty())
        m_barEnds.pop_back();   // the last one ends the song
    for (double at : m_barEnds)
        if (m.barStarts.empty() || m.barStarts.back() < ticks(at))
            m.barStarts.push_back(ticks(at));
    for (const PartState& p : m_parts) {
        std::vector<MelodyNote> notes;
        notes.reserve(p.notes.size());
        for (const RawNote& n : p.notes) {
            const long long s = ticks(n.start), len = ticks(n.start + n.length) - s;
            if (len > 0)
                notes.push_back({n.pitch, s, len, n.tie});
        }
        m.parts[size_t(p.index)].notes = OneLine(std::move(notes));
    }
    return m;
}

} // namespace

Melody ParseMusicXml(const QByteArray& bytes, const QString& fileName)
{
    if (bytes.startsWith("PK\x03\x04"))
        return ScoreReader(UnpackMxl(bytes, fileName), fileName).Read();
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

// ---- Out ----

namespace {

constexpr int Divisions = 8;   // per quarter: a dotted sixteenth is still whole

struct WrittenValue {
    int units;
    const char* type;
    bool dot;
};

// Longest first: a length is written as the fewest of these, tied.
constexpr WrittenValue kValues[] = {{48, "whole", true}, {32, "whole", false}, {24, "half", true},
                                    {16, "half", false}, {12, "quarter", true}, {8, "quarter", false},
                                    {6, "eighth", true},  {4, "eighth", false}, {3, "16th", true},
                                    {2, "16th", false},   {1, "32nd", false}};

void WriteNote(QXmlStreamWriter& w, int degree, int octave, const WrittenValue& v, bool tieIn, bool tieOut)
{
    static const char* const steps[] = {"C", "D", "E", "F", "G", "A", "B"};
    w.writeStartElement(QStringLiteral("note"));
    if (degree <= 0) {
        w.writeEmptyElement(QStringLiteral("rest"));
    } else {
        w.writeStartElement(QStringLiteral("pitch"));
        w.writeTextElement(QStringLiteral("step"), QLatin1String(steps[degree - 1]));
        w.writeTextElement(QStringLiteral("octave"), QString::number(octave + 3));   // 1 = c1 = C4
        w.writeEndElement();
    }
    w.writeTextElement(QStringLiteral("duration"), QString::number(v.units));
    const auto ties = [&](const QString& element) {
        for (const auto& [on, type] : {std::pair{tieIn, "stop"}, std::pair{tieOut, "start"}})
            if (on) {
                w.writeEmptyElement(element);
                w.writeAttribute(QStringLiteral("type"), QLatin1String(type));
            }
    };
    ties(QStringLiteral("tie"));
    w.writeTextElement(QStringLiteral("voice"), QStringLiteral("1"));
    w.writeTextElement(QStringLiteral("type"), QLatin1String(v.type));
    if (v.dot)
        w.writeEmptyElement(QStringLiteral("dot"));
    if (tieIn || tieOut) {
        w.writeStartElement(QStringLiteral("notations"));
        ties(QStringLiteral("tied"));
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

} // namespace

QByteArray WriteMusicXml(const SongTableType& table, int song)
{
    const Song decoded = SongFromTable(table, song);
    const SongHeader head = decoded.header.value_or(SongHeader{});
    const Timeline tl = BuildTimeline(decoded);
    const int beats = MeterBeats(head.timeCode);
    const auto units = [](double b) { return std::llround(b * Divisions); };
    const long long total = units(tl.beats);

    // Measures end where the song has bar lines; a song without any is cut by its time.
    std::vector<long long> ends;
    for (double b : tl.bars)
        if (const long long u = units(b); u > 0 && u < total && (ends.empty() || ends.back() < u))
            ends.push_back(u);
    if (ends.empty())
        for (long long u = beats * Divisions; u < total; u += beats * Divisions)
            ends.push_back(u);
    ends.push_back(std::max<long long>(total, 1));

    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument(QStringLiteral("1.0"), false);
    w.writeDTD(QStringLiteral("<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 4.0 Partwise//EN\" "
                              "\"http://www.musicxml.org/dtds/partwise.dtd\">"));
    w.writeStartElement(QStringLiteral("score-partwise"));
    w.writeAttribute(QStringLiteral("version"), QStringLiteral("4.0"));
    w.writeStartElement(QStringLiteral("work"));
    w.writeTextElement(QStringLiteral("work-title"), head.title);
    w.writeEndElement();
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
    // Page in tenths: A4 at 7 mm per staff space of 40 tenths.
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
    WriteCredit(w, QStringLiteral("title"), head.title, 600, 1611, "center", 22);
    if (!head.composer.isEmpty())
        WriteCredit(w, QStringLiteral("composer"), QStringLiteral("作曲：") + head.composer, 1114, 1511, "right", 11);
    if (!head.lyricist.isEmpty())
        WriteCredit(w, QStringLiteral("lyricist"), QStringLiteral("作词：") + head.lyricist, 86, 1511, "left", 11);
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
    w.writeStartElement(QStringLiteral("part"));
    w.writeAttribute(QStringLiteral("id"), QStringLiteral("P1"));

    size_t e = 0;
    long long from = 0;
    for (size_t m = 0; m < ends.size(); ++m) {
        const long long to = ends[m];
        w.writeStartElement(QStringLiteral("measure"));
        w.writeAttribute(QStringLiteral("number"), QString::number(m + 1));
        if (m == 0 && to < beats * Divisions && ends.size() > 1)
            w.writeAttribute(QStringLiteral("implicit"), QStringLiteral("yes"));   // a pickup
        if (m == 0) {
            w.writeStartElement(QStringLiteral("attributes"));
            w.writeTextElement(QStringLiteral("divisions"), QString::number(Divisions));
            w.writeStartElement(QStringLiteral("key"));
            w.writeTextElement(QStringLiteral("fifths"), QStringLiteral("0"));
            w.writeTextElement(QStringLiteral("mode"), QStringLiteral("major"));
            w.writeEndElement();
            w.writeStartElement(QStringLiteral("time"));
            w.writeTextElement(QStringLiteral("beats"), QString::number(beats));
            w.writeTextElement(QStringLiteral("beat-type"), QStringLiteral("4"));
            w.writeEndElement();
            w.writeStartElement(QStringLiteral("clef"));
            w.writeTextElement(QStringLiteral("sign"), QStringLiteral("G"));
            w.writeTextElement(QStringLiteral("line"), QStringLiteral("2"));
            w.writeEndElement();
            w.writeEndElement();
        }
        if (tl.events.empty()) {
            WriteNote(w, 0, 1, kValues[to >= 32 ? 1 : 5], false, false);   // an empty song: one rest
        }
        for (; e < tl.events.size(); ++e) {
            const TimelineEvent& ev = tl.events[e];
            const long long start = std::max(units(ev.start), from), end = std::min(units(ev.End()), to);
            const bool sounded = ev.degree > 0;
            long long at = start;
            while (at < end) {
                const WrittenValue& v =
                    *std::find_if(std::begin(kValues), std::end(kValues), [&](const WrittenValue& x) { return x.units <= end - at; });
                const bool tieIn = sounded && at > units(ev.start);
                at += v.units;
                WriteNote(w, ev.degree, ev.octave, v, tieIn, sounded && at < units(ev.End()));
            }
            if (units(ev.End()) > to)
                break;   // it goes on in the next measure
        }
        if (m + 1 == ends.size()) {
            w.writeStartElement(QStringLiteral("barline"));
            w.writeAttribute(QStringLiteral("location"), QStringLiteral("right"));
            w.writeTextElement(QStringLiteral("bar-style"), QStringLiteral("light-heavy"));
            w.writeEndElement();
        }
        w.writeEndElement();
        from = to;
    }
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}
