// Numbered notation text in: the text once through, line by line: headers, titles, the time,
// songs and their bars. Lines of notation go on to JianpuNotes.cpp.
#include "core/formats/JianpuParser.h"
#include "core/Errors.h"
#include <algorithm>

using namespace Jianpu;
using JianpuDetail::IsDigit;
using JianpuDetail::Field;

namespace {

constexpr int MaxSongs = 21;   // the library's song numbers run from 1 to 21
const QString kUnknown = QStringLiteral("佚名");

// A header's value is read no further than this: a title holds 200 bytes, a credit 10.
constexpr qsizetype MaxHeaderChars = 256;

QString Bounded(QStringView value)
{
    qsizetype n = std::min(value.size(), MaxHeaderChars);
    if (n < value.size() && value[n - 1].isHighSurrogate())
        --n;
    return value.first(n).toString();
}

Field HeaderKey(const QString& k)
{
    static const struct {
        const char16_t* name;
        Field key;
    } keys[] = {
        {u"title", Field::Title},    {u"歌名", Field::Title},          {u"曲名", Field::Title},
        {u"标题", Field::Title},     {u"performer", Field::Performer}, {u"演唱", Field::Performer},
        {u"歌手", Field::Performer}, {u"lyricist", Field::Lyricist},   {u"作词", Field::Lyricist},
        {u"词", Field::Lyricist},    {u"composer", Field::Composer},   {u"作曲", Field::Composer},
        {u"曲", Field::Composer},    {u"time", Field::Time},           {u"节拍", Field::Time},
        {u"拍号", Field::Time},      {u"key", Field::Signature},       {u"调", Field::Signature},
        {u"调号", Field::Signature},
    };
    const QString lower = k.toLower();
    for (const auto& e : keys)
        if (lower == QStringView(e.name))
            return e.key;
    return Field::None;
}

// Full-width forms and what Chinese input methods type for marks, one character for one,
// so columns stay those of the text.
QChar Plain(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E)
        return QChar(char16_t(u - 0xFEE0));
    switch (u) {
    case 0x3000: return QChar(u' ');
    case 0x2018:
    case 0x2019:
    case 0x2032: return QChar(u'\'');
    case 0x2013:
    case 0x2014:
    case 0x2015:
    case 0x2500: return QChar(u'-');
    case 0x3002:
    case 0x00B7: return QChar(u'.');
    case 0x266F: return QChar(u'#');
    case 0x266D: return QChar(u'b');
    case 0x266E: return QChar(u'=');
    default: return c;
    }
}

// "#" starts a comment at the start of the text or after a blank, unless it sharpens a note or a key.
qsizetype CommentStart(QStringView l)
{
    for (qsizetype i = 0; i < l.size(); ++i) {
        if (l[i] != u'#' || (i > 0 && !l[i - 1].isSpace()))
            continue;
        const QChar n = i + 1 < l.size() ? l[i + 1] : QChar();
        if (!((n >= u'1' && n <= u'7') || (n >= u'A' && n <= u'G')))
            return i;
    }
    return l.size();
}

bool IsNotationChar(QChar c)
{
    static const QString marks = QStringLiteral("0123456789',_.-|/()~^#b=:qs");
    return c.isSpace() || marks.contains(c);
}

// "2/4" → 0, "4/4" → 1, anything else -1.
int TimeCode(QStringView v)
{
    if (v == u"2/4")
        return 0;
    if (v == u"4/4")
        return 1;
    return -1;
}

bool LooksLikeTime(QStringView t)
{
    const qsizetype slash = t.indexOf(u'/');
    if (slash <= 0 || slash + 1 >= t.size())
        return false;
    for (qsizetype i = 0; i < t.size(); ++i)
        if (i != slash && !IsDigit(t[i]))
            return false;
    return true;
}

QString Beats(int units) { return QString::number(double(units) / UnitsPerBeat); }

}

namespace JianpuDetail {

JianpuParse Parser::run(const QString& text)
{
    JianpuParse result;
    if (text.size() > MaxTextChars) {
        result.error =
            JianpuError{1, 0, QStringLiteral("文本太长：%1 个字符，最多 %2 个。").arg(text.size()).arg(MaxTextChars)};
        return result;
    }
    try {
        takeLines(text);
    } catch (const Fault& f) {
        result.error = f.error;
        return result;
    }
    result.songs = std::move(m_songs);
    result.warnings = warnings();
    return result;
}

void Parser::takeLines(const QString& text)
{
    if (m_paste)
        startSong(QString());
    // A line ends at \n, \r\n or a lone \r (old Mac text).
    qsizetype pos = 0;
    for (;;) {
        qsizetype end = pos;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        ++m_line;
        takeLine(QStringView(text).mid(pos, end - pos));
        if (end >= text.size())
            break;
        pos = end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
    }
    if (m_song >= 0)
        finishSong();
}

QStringList Parser::warnings() const
{
    QStringList result;
    if (m_skipped > 0)
        result << QStringLiteral("跳过了 %1 行歌词等文字（第 %2 行起）").arg(m_skipped).arg(m_firstSkipped);
    if (m_repeats > 0)
        result << QStringLiteral("反复记号无法保存，已略去");
    result << m_warnings;
    return result;
}

void Parser::takeLine(QStringView raw)
{
    QString norm(raw.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < raw.size(); ++i)
        norm[i] = Plain(raw[i]);
    const qsizetype end = CommentStart(norm);
    const QStringView line = QStringView(norm).left(end);
    const QStringView trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return;
    const qsizetype start = trimmed.data() - line.data();
    m_column = int(start) + 1;
    if (takeHeaderLine(raw, line, start, end))
        return;
    // The key and time line of printed numbered notation: "1=D 4/4".
    if (trimmed.startsWith(u"1=") || LooksLikeTime(trimmed)) {
        for (QStringView token : trimmed.split(u' ', Qt::SkipEmptyParts)) {
            m_column = int(token.data() - line.data()) + 1;
            if (LooksLikeTime(token))
                setTime(token);
            else if (token.startsWith(u"1=") && m_paste)
                setKey(token);
        }
        return;
    }
    if (m_paste && !std::all_of(line.begin(), line.end(), IsNotationChar))
        takeText(raw.left(end).trimmed());
    else
        takeNotes(line);
}

// A header: a word at `start`, then a colon. Returns false when the line is none; `end`
// is where its comment starts.
bool Parser::takeHeaderLine(QStringView raw, QStringView line, qsizetype start, qsizetype end)
{
    qsizetype k = start;
    while (k < line.size() && (line[k].isLetter() && (line[k].unicode() < 0x80 || line[k].unicode() >= 0x2E80)))
        ++k;
    const QStringView name = line.mid(start, k - start);
    while (k < line.size() && line[k].isSpace())
        ++k;
    if (name.isEmpty() || k >= line.size() || line[k] != u':')
        return false;
    if (const Field key = HeaderKey(name.toString()); key != Field::None) {
        // A pasted title or credit keeps a "#": only the starter file comments its headers.
        const qsizetype valueEnd = m_paste ? raw.size() : end;
        takeHeader(key, name.toString(), Bounded(raw.mid(k + 1, valueEnd - k - 1).trimmed()));
        return true;
    }
    if (!m_paste)
        fail(QStringLiteral("不认识的标题行“%1:”（可用 title、performer、lyricist、composer、time）")
                 .arg(Excerpt(name)));
    takeText(raw.left(end).trimmed());
    return true;
}

// A line that is no notation: a title before the notes, or lyrics, chords and the like.
void Parser::takeText(QStringView text)
{
    if (!song().titleGiven && !m_started) {
        setTitle(Bounded(text));
        return;
    }
    if (m_skipped++ == 0)
        m_firstSkipped = m_line;
}

// A pasted title or credit as the library can store it; says so when that changed it.
QString Parser::storable(const QString& value)
{
    if (!m_paste)
        return value;
    const QString clean = StorableText(value, int(MaxHeaderChars) * 4);
    if (clean != value && !m_unstorableSaid) {
        m_unstorableSaid = true;
        m_warnings << QStringLiteral("第 %1 行：有无法保存的字符，已略去或改为“?”").arg(m_line);
    }
    return clean;
}

void Parser::setTitle(const QString& given)
{
    const QString title = storable(given);
    if (title.isEmpty())
        fail(QStringLiteral("歌名是空的"));
    if (GbkLength(title) > Score::TitleBytes) {
        if (!m_paste)
            fail(QStringLiteral("歌名超过 %1 字节").arg(Score::TitleBytes));
        m_warnings << QStringLiteral("第 %1 行：歌名超过 %2 字节，已截短").arg(m_line).arg(Score::TitleBytes);
    }
    song().title = GbkCut(title, Score::TitleBytes);
    song().titleGiven = true;
    song().song.header->title = song().title;
}

void Parser::takeHeader(Field key, const QString& name, const QString& given)
{
    if (key == Field::Title) {
        if (!m_paste) {
            if (m_song >= 0)
                finishSong();
            startSong(given);
            return;
        }
        if (m_started)
            fail(QStringLiteral("一段文本只能写一首歌，这里又开始了一首"));
        setTitle(given);
        return;
    }
    if (m_song < 0)
        fail(QStringLiteral("“%1:”写在了第一个“title:”之前").arg(Excerpt(name)));
    if (!m_paste && m_started)
        fail(QStringLiteral("“%1:”要写在《%2》的音符之前").arg(Excerpt(name), Excerpt(song().title)));
    switch (key) {
    case Field::Performer: setCredit(0, given); break;
    case Field::Lyricist: setCredit(1, given); break;
    case Field::Composer: setCredit(2, given); break;
    case Field::Time: setTime(given); break;
    default: break;   // the key is not stored: it stays a comment
    }
}

// n: 0 performer, 1 lyricist, 2 composer.
void Parser::setCredit(int n, const QString& given)
{
    const QString value = storable(given);
    if (GbkLength(value) > Score::FieldBytes) {
        if (!m_paste)
            fail(QStringLiteral("“%1”超过 %2 字节").arg(Excerpt(value)).arg(Score::FieldBytes));
        m_warnings << QStringLiteral("第 %1 行：“%2”超过 %3 字节，已截短")
                          .arg(m_line)
                          .arg(Excerpt(value))
                          .arg(Score::FieldBytes);
    }
    SongHeader& h = *song().song.header;
    QString& field = n == 0 ? h.performer : n == 1 ? h.lyricist : h.composer;
    if (!value.isEmpty())
        field = GbkCut(value, Score::FieldBytes);
    song().creditGiven[size_t(n)] = true;
}

void Parser::setTime(QStringView value)
{
    if (m_song < 0)
        fail(QStringLiteral("拍号写在了第一个“title:”之前"));
    // The starter file keeps to the two meters every reader knows.
    const std::optional<Meter> meter = m_paste ? Meter::FromCaption(value) : std::optional<Meter>();
    const int code = TimeCode(value);
    if (!meter && code < 0)
        fail(m_paste ? QStringLiteral("不认识的拍号“%1”").arg(Excerpt(value))
                     : QStringLiteral("只能是 2/4 或 4/4 拍，不能是“%1”").arg(Excerpt(value)));
    const Meter m = meter ? *meter : Meter::FromCode(code);
    if (m_started && m == m_meter)
        return;   // the same time signature said again
    if (m_started && m_paste) {
        warnOnce(m_meterChangeSaid,
                 QStringLiteral("第 %1 行：曲中换拍号暂不支持，仍按 %2 拍").arg(m_line).arg(m_meter.Caption()));
        return;
    }
    if (m_started)
        fail(QStringLiteral("拍号要写在音符之前"));
    m_meter = m;
    m_timeCode = m.NearestCode();
    song().song.header->SetMeter(m);
}

// "1=D": the key the degrees are sung in.
void Parser::setKey(QStringView value)
{
    if (m_song < 0)
        fail(QStringLiteral("调号写在了第一个“title:”之前"));
    const std::optional<Key> key = Key::FromName(value);
    if (!key || !m_paste)
        fail(QStringLiteral("不认识的调号“%1”").arg(Excerpt(value)));
    SongHeader& h = *song().song.header;
    if (m_started && !(*key == h.key)) {
        warnOnce(m_keyChangeSaid, QStringLiteral("第 %1 行：曲中转调暂不支持，仍按 %2").arg(m_line).arg(h.key.Name()));
        return;
    }
    h.key = *key;
}

void Parser::warnOnce(bool& said, const QString& text)
{
    if (!said)
        m_warnings << text;
    said = true;
}

void Parser::startSong(const QString& title)
{
    if (!m_paste) {
        if (title.isEmpty())
            fail(QStringLiteral("歌名是空的"));
        if (GbkLength(title) > Score::TitleBytes)
            fail(QStringLiteral("歌名超过 %1 字节").arg(Score::TitleBytes));
        if (int(m_songs.size()) >= MaxSongs)
            fail(QStringLiteral("曲库最多 %1 首歌").arg(MaxSongs));
    }
    m_songs.emplace_back();
    m_song = int(m_songs.size()) - 1;
    song().title = title;
    song().titleGiven = !title.isEmpty();
    song().firstLine = m_line;
    song().songID = int(m_songs.size());
    song().songDate = m_opt.songDate;
    song().song.header = headerOf(title);
    m_timeCode = m_paste ? m_opt.timeCode : -1;
    m_meter = Meter::FromCode(m_opt.timeCode);
    if (m_paste && m_opt.meter) {
        m_meter = *m_opt.meter;
        m_timeCode = m_meter.NearestCode();
        song().song.header->SetMeter(m_meter);
    }
    resetCells();
}

SongHeader Parser::headerOf(const QString& title) const
{
    // Credits left out read as unknown, as the editor stores them.
    return SongHeader{title, kUnknown, kUnknown, kUnknown, m_paste ? m_opt.timeCode : 0};
}

void Parser::resetCells()
{
    m_started = false;
    m_barUnits = 0;
    m_bars.clear();
    m_last = Cell::None;
    m_attach = false;
    m_lastNoteUnits = 0;
    m_lastDuration = 0;
    m_open.clear();
    m_sign = Accidental::None;
    m_written.clear();
}

void Parser::finishSong()
{
    if (!m_open.empty())
        fail(QStringLiteral("这里开始的连音线没有结束"), m_open.front().column, m_open.front().line);
    if (!m_paste) {
        if (song().song.cells.empty())
            fail(QStringLiteral("《%1》没有音符").arg(Excerpt(song().title)), 0, song().firstLine);
        if (m_barUnits > 0)
            closeBar(m_lastCellLine);
    } else {
        if (m_barUnits > 0)
            m_bars.push_back({m_lastCellLine, m_barUnits});
        checkBars();
    }
    m_written.resize(song().song.cells.size(), Accidental::None);
    ApplyWrittenAccidentals(song().song, m_written);
    m_song = -1;
}

// The starter file's bars are exact.
void Parser::closeBar(int line)
{
    if (m_barUnits == 0)
        fail(QStringLiteral("《%1》有空小节").arg(Excerpt(song().title)), -1, line);
    if (m_barUnits != barUnits())
        fail(QStringLiteral("《%1》第 %2 小节有 %3 拍，%4 拍应有 %5 拍")
                 .arg(Excerpt(song().title))
                 .arg(song().bars + 1)
                 .arg(Beats(m_barUnits), timeText(), Beats(barUnits())),
             0, line);
    ++song().bars;
    m_barUnits = 0;
}

// A pasted song may start with a pickup and end on a short bar; other wrong bars are
// reported, not refused, since the editor lets any bar be written.
void Parser::checkBars()
{
    int wrong = 0;
    BarLength first;
    int firstNumber = 0;
    const int full = barUnits();
    for (size_t b = 0; b < m_bars.size(); ++b) {
        const int u = m_bars[b].units;
        if (u == full || (u < full && (b == 0 || b + 1 == m_bars.size())))
            continue;
        if (wrong++ == 0) {
            first = m_bars[b];
            firstNumber = int(b) + 1;
        }
    }
    if (wrong > 0)
        m_warnings << QStringLiteral("第 %1 行：第 %2 小节有 %3 拍，%4 拍应有 %5 拍%6")
                          .arg(first.line)
                          .arg(firstNumber)
                          .arg(Beats(first.units), timeText(), Beats(full),
                               wrong > 1 ? QStringLiteral("（共 %1 处）").arg(wrong) : QString());
}

}

using JianpuDetail::Parser;

QString JianpuError::text() const
{
    if (column > 0)
        return QStringLiteral("第 %1 行第 %2 列：%3").arg(line).arg(column).arg(message);
    return QStringLiteral("第 %1 行：%2").arg(line).arg(message);
}

QString JianpuParse::summary() const
{
    if (error)
        return error->text();
    int cells = 0, units = 0;
    for (const JianpuSong& s : songs) {
        cells += s.cells();
        units += s.units;
    }
    QString text = QStringLiteral("%1 格，%2 拍").arg(cells).arg(Beats(units));
    for (const QString& w : warnings)
        text += QStringLiteral("；") + w;
    return text;
}

JianpuParse ParseJianpu(const QString& text, const JianpuOptions& options) { return Parser(options).run(text); }

std::vector<JianpuSong> ParseSongText(const QString& text, const QString& songDate)
{
    JianpuParse p = ParseJianpu(text, JianpuOptions{JianpuMode::Library, songDate, 1});
    if (p.error)
        Raise(p.error->text());
    return std::move(p.songs);
}

SongTableType SongTextRows(const std::vector<JianpuSong>& songs)
{
    SongTableType all;
    for (const JianpuSong& s : songs)
        for (SongRecord& r : s.Rows())
            all.push_back(std::move(r));
    return all;
}
